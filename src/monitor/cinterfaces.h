#pragma once

// An ordered collection of interfaces, addressed by 1-based position.

#include "monitor/cinterface.h"

#include <memory>
#include <vector>

class CInterfaces
{
public:
    using Items = std::vector<std::unique_ptr<CInterface>>;

    // Appends the caller's interface and empties the caller's pointer, so
    // that its next use starts a new interface. Returns the appended one.
    CInterface *Add(std::unique_ptr<CInterface> &objInterface);
    // The interface at `vntIndexKey` (1-based); null outside 1 to Count().
    CInterface *Item(qint32 vntIndexKey) const;
    qint32 Count() const;
    // Removes the interface at `vntIndexKey`; later ones move up. Nothing
    // happens outside 1 to Count().
    void Remove(qint32 vntIndexKey);

    // Iteration in order of adding.
    Items::const_iterator begin() const { return items.begin(); }
    Items::const_iterator end() const { return items.end(); }

private:
    Items items;
};
