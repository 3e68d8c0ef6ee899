// A MIB_IFTABLE buffer of any length and claimed count, in 860-byte rows.

#include "tablecheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace platform;
    return checkTable<IfRow>(data, size, decodeIfTable, encodeIfTable, ifTableSize, ifRowSize);
}
