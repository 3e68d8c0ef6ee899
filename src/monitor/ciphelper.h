#pragma once

// Reads the system's interface table into CInterface records and totals the
// bytes received and sent over all interfaces.

#include "monitor/cinterfaces.h"
#include "monitor/iphelpercall.h"
#include "platform/iphelper_layout.h"

#include <functional>
#include <memory>

// The interface record of one table row; `bootTime` is when the system
// started, the origin of the row's last-change count.
std::unique_ptr<CInterface> interfaceFromRow(const platform::IfRow &row, const QDateTime &bootTime);
// Physical address bytes as upper-case hex pairs joined by "-".
QString adapterAddressText(const platform::IfRow &row);

class CIpHelper
{
public:
    // Receives "IP Helper is not supported by this system." when the table
    // cannot be read at all; a window passes its message box.
    using Notice = std::function<void(const QString &text)>;

    explicit CIpHelper(Notice notice = {}, IpHelperTableFunction getIfTable = {});

    // Every read rereads the table into a new collection and makes it the
    // current one.
    std::shared_ptr<CInterfaces> Interfaces();
    void setInterfaces(std::shared_ptr<CInterfaces> interfaces);

    // Totals of the last read. They are 64-bit sums of the unsigned counters,
    // so a machine that has moved a lot of data still reads.
    qint64 BytesReceived() const { return bytesReceived; }
    qint64 BytesSent() const { return bytesSent; }

private:
    void LoadInterfaces(CInterfaces &interfaces);

    Notice notice;
    IpHelperTableFunction getIfTable;
    std::shared_ptr<CInterfaces> current;
    qint64 bytesReceived = 0;
    qint64 bytesSent = 0;
};
