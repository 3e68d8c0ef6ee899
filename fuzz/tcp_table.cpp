// A MIB_TCPTABLE buffer whose count may claim more rows than it holds.

#include "tablecheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace platform;
    return checkTable<TcpRow>(data, size, decodeTcpTable, encodeTcpTable, tcpTableSize, tcpRowSize);
}
