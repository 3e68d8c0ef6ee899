// A MIB_IFTABLE buffer of any length and claimed count: whole 860-byte rows
// only, and every byte of them survives a decode and encode.

#include "fuzzcheck.h"
#include "platform/iphelper_layout.h"

#include <algorithm>
#include <cstring>
#include <vector>

using namespace platform;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<uint8_t> buffer(data, data + size);
    const std::vector<IfRow> rows = decodeIfTable(buffer.data(), buffer.size());
    if (size < tableHeaderSize) {
        fuzzRequire(rows.empty(), "no rows without a header");
        return 0;
    }
    uint32_t claimed = 0;
    for (size_t i = 0; i < 4; ++i)
        claimed |= uint32_t(data[i]) << (8 * i);
    fuzzRequire(rows.size() == std::min<size_t>(claimed, (size - tableHeaderSize) / ifRowSize),
        "the rows both claimed and held");

    std::vector<uint8_t> again(ifTableSize(rows.size()));
    encodeIfTable(rows, again.data());
    fuzzRequire(std::memcmp(again.data() + tableHeaderSize, data + tableHeaderSize,
                    again.size() - tableHeaderSize)
            == 0,
        "rows encode back to their bytes");
    return 0;
}
