// A MIB_TCPTABLE buffer whose count may claim more rows than it holds: the
// decoder takes only whole rows that are there, and they encode back to the
// same bytes.

#include "fuzzcheck.h"
#include "platform/iphelper_layout.h"

#include <algorithm>
#include <cstring>
#include <vector>

using namespace platform;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A copy of exactly the given length, so reading one byte past it trips
    // the address sanitizer.
    std::vector<uint8_t> buffer(data, data + size);
    const std::vector<TcpRow> rows = decodeTcpTable(buffer.data(), buffer.size());
    if (size < tableHeaderSize) {
        fuzzRequire(rows.empty(), "no rows without a header");
        return 0;
    }
    uint32_t claimed = 0;
    for (size_t i = 0; i < 4; ++i)
        claimed |= uint32_t(data[i]) << (8 * i);
    fuzzRequire(rows.size() == std::min<size_t>(claimed, (size - tableHeaderSize) / tcpRowSize),
        "the rows both claimed and held");

    std::vector<uint8_t> again(tcpTableSize(rows.size()));
    encodeTcpTable(rows, again.data());
    fuzzRequire(std::memcmp(again.data() + tableHeaderSize, data + tableHeaderSize,
                    again.size() - tableHeaderSize)
            == 0,
        "rows encode back to their bytes");
    return 0;
}
