#pragma once

// A table buffer of any length and claimed count: the decoder takes only the
// whole rows that are both claimed and held, and they encode back to the
// same bytes.

#include "fuzzcheck.h"
#include "platform/iphelper_layout.h"

#include <algorithm>
#include <cstring>
#include <vector>

template<typename Row>
int checkTable(const uint8_t *data, size_t size,
    std::vector<Row> (*decode)(const uint8_t *, std::size_t),
    void (*encode)(const std::vector<Row> &, uint8_t *), std::size_t (*tableSize)(std::size_t),
    std::size_t rowSize)
{
    // A copy of exactly the given length, so reading one byte past it trips
    // the address sanitizer.
    std::vector<uint8_t> buffer(data, data + size);
    const std::vector<Row> rows = decode(buffer.data(), buffer.size());
    if (size < platform::tableHeaderSize) {
        fuzzRequire(rows.empty(), "no rows without a header");
        return 0;
    }
    uint32_t claimed = 0;
    for (size_t i = 0; i < 4; ++i)
        claimed |= uint32_t(data[i]) << (8 * i);
    fuzzRequire(
        rows.size() == std::min<size_t>(claimed, (size - platform::tableHeaderSize) / rowSize),
        "the rows both claimed and held");

    std::vector<uint8_t> again(tableSize(rows.size()));
    encode(rows, again.data());
    fuzzRequire(std::memcmp(again.data() + platform::tableHeaderSize,
                    data + platform::tableHeaderSize, again.size() - platform::tableHeaderSize)
            == 0,
        "rows encode back to their bytes");
    return 0;
}
