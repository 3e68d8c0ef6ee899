#pragma once

// The two-call pattern of the IP Helper tables: ask for the size, then read
// the table into a buffer of that size.

#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

// GetTcpTable and GetIfTable have this shape; tests put their own in.
using IpHelperTableFunction = std::function<unsigned long(uint8_t *, unsigned long *, int)>;

struct IpHelperTable
{
    enum Result { Read, NotSupported, Failed };
    Result result = Failed;
    std::vector<uint8_t> bytes;
};

// Both calls unsorted, so rows come in the order the system gives them. A size
// query that reports no size is a failure like any other.
IpHelperTable readIpHelperTable(const IpHelperTableFunction &getTable);

inline const QString ipHelperNotSupportedText
    = QStringLiteral("IP Helper is not supported by this system.");

// The title message boxes carry when they give none of their own.
inline const QString applicationTitle = QStringLiteral("TarnStarter");
