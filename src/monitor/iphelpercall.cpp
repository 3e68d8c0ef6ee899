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
    // The table may grow between the size answer and the read: the read
    // then gives the new size, and is made again, a few times at most.
    for (int attempt = 0; attempt < 8 && size > 0; ++attempt) {
        table.bytes.resize(size);
        const unsigned long status = getTable(table.bytes.data(), &size, 0);
        if (status == platform::noError) {
            table.result = IpHelperTable::Read;
            return table;
        }
        if (status != static_cast<unsigned long>(platform::errorInsufficientBuffer))
            break;
    }
    table.bytes.clear();
    return table;
}
