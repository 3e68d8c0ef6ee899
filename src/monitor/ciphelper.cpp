#include "monitor/ciphelper.h"

#include "platform/codepage.h"
#include "platform/iphelper.h"

#include <algorithm>

QString adapterAddressText(const platform::IfRow &row)
{
    const std::size_t length = std::min<std::size_t>(row.physAddrLen, platform::physAddrMax);
    QStringList pairs;
    for (std::size_t i = 0; i < length; ++i)
        pairs.append(QStringLiteral("%1").arg(row.physAddr[i], 2, 16, QLatin1Char('0')).toUpper());
    return pairs.join(u'-');
}

std::unique_ptr<CInterface> interfaceFromRow(const platform::IfRow &row, const QDateTime &bootTime)
{
    const auto nameEnd = std::find(row.name.begin(), row.name.end(), u'\0');
    const std::size_t descrLength = std::min<std::size_t>(row.descrLen, platform::ifDescrMax);
    const std::string_view descr(reinterpret_cast<const char *>(row.descr.data()), descrLength);

    auto record = std::make_unique<CInterface>();
    record->setInterfaceName(QString::fromStdU16String(std::u16string(row.name.begin(), nameEnd)));
    record->setInterfaceIndex(qint32(row.index));
    record->setInterfaceType(qint32(row.type));
    record->setSpeed(qint32(row.speed));
    record->setAdapterAddress(adapterAddressText(row));
    record->setAdminStatus(qint32(row.adminStatus));
    record->setOperationalStatus(qint32(row.operStatus));
    // The count is in hundredths of a second since the system started.
    record->setLastChange(bootTime.addMSecs(qint64(row.lastChange) * 10));
    record->setOctetsReceived(qint32(row.inOctets));
    record->setUnicastPacketsReceived(qint32(row.inUcastPkts));
    record->setMaximumTransmissionUnit(qint32(row.mtu));
    record->setNonunicastPacketsReceived(qint32(row.inNUcastPkts));
    record->setDiscardedIncomingPackets(qint32(row.inDiscards));
    record->setIncomingErrors(qint32(row.inErrors));
    record->setUnknownProtocolPackets(qint32(row.inUnknownProtos));
    record->setOctetsSent(qint32(row.outOctets));
    record->setUnicastPacketsSent(qint32(row.outUcastPkts));
    record->setNonunicastPacketsSent(qint32(row.outNUcastPkts));
    record->setDiscardedOutgoingPackets(qint32(row.outDiscards));
    record->setOutgoingErrors(qint32(row.outErrors));
    record->setOutputQueueLength(qint32(row.outQLen));
    record->setInterfaceDescription(QString::fromStdU16String(platform::cp1252ToUtf16(descr)));
    return record;
}

CIpHelper::CIpHelper(Notice notice, IpHelperTableFunction getIfTable)
    : notice(std::move(notice)),
      getIfTable(getIfTable ? std::move(getIfTable) : platform::GetIfTable)
{
}

std::shared_ptr<CInterfaces> CIpHelper::Interfaces()
{
    current = std::make_shared<CInterfaces>();
    LoadInterfaces(*current);
    return current;
}

void CIpHelper::setInterfaces(std::shared_ptr<CInterfaces> interfaces)
{
    current = std::move(interfaces);
}

void CIpHelper::LoadInterfaces(CInterfaces &interfaces)
{
    bytesReceived = 0;
    bytesSent = 0;
    const IpHelperTable table = readIpHelperTable(getIfTable);
    if (table.result == IpHelperTable::NotSupported) {
        if (notice)
            notice(ipHelperNotSupportedText);
        return;
    }
    const QDateTime bootTime
        = QDateTime::currentDateTime().addMSecs(-qint64(platform::millisecondsSinceBoot()));
    for (const platform::IfRow &row :
        platform::decodeIfTable(table.bytes.data(), table.bytes.size())) {
        bytesReceived += row.inOctets;
        bytesSent += row.outOctets;
        auto record = interfaceFromRow(row, bootTime);
        interfaces.Add(record);
    }
}
