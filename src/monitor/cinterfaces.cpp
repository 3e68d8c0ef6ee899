#include "monitor/cinterfaces.h"

CInterface *CInterfaces::Add(std::unique_ptr<CInterface> &objInterface)
{
    if (!objInterface)
        return nullptr;
    items.push_back(std::move(objInterface));
    objInterface.reset();
    return items.back().get();
}

CInterface *CInterfaces::Item(qint32 vntIndexKey) const
{
    if (vntIndexKey < 1 || vntIndexKey > Count())
        return nullptr;
    return items[std::size_t(vntIndexKey - 1)].get();
}

qint32 CInterfaces::Count() const
{
    return qint32(items.size());
}

void CInterfaces::Remove(qint32 vntIndexKey)
{
    if (vntIndexKey < 1 || vntIndexKey > Count())
        return;
    items.erase(items.begin() + (vntIndexKey - 1));
}
