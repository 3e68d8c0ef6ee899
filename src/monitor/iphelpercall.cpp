#include "monitor/iphelpercall.h"

#include "platform/iphelper.h"

IpHelperTable readIpHelperTable(const IpHelperTableFunction &getTable)
{
    IpHelperTable table;
    unsigned long size = 0;
    if (getTable(nullptr, &size, 0) == platform::errorNotSupported) {
        table.result = IpHelperTable::NotSupported;
        return table;
    }
    if (size == 0)
        return table;
    table.bytes.resize(size);
    if (getTable(table.bytes.data(), &size, 0) != platform::noError) {
        table.bytes.clear();
        return table;
    }
    table.result = IpHelperTable::Read;
    return table;
}
