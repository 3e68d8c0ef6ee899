#pragma once

// One network interface's statistics, as the interface table gave them.
// Counters keep the table's bits in a signed 32-bit value, so counts of 2^31
// and above read negative.

#include <QDateTime>
#include <QString>

#define CINTERFACE_PROPERTY(Type, Name)                                                            \
public:                                                                                            \
    Type Name() const                                                                              \
    {                                                                                              \
        return m_##Name;                                                                           \
    }                                                                                              \
    void set##Name(const Type &value)                                                              \
    {                                                                                              \
        m_##Name = value;                                                                          \
    }                                                                                              \
                                                                                                   \
private:                                                                                           \
    Type m_##Name {};

class CInterface
{
    CINTERFACE_PROPERTY(QString, InterfaceName)
    CINTERFACE_PROPERTY(qint32, InterfaceIndex)
    CINTERFACE_PROPERTY(qint32, InterfaceType)
    CINTERFACE_PROPERTY(qint32, Speed)
    CINTERFACE_PROPERTY(QString, AdapterAddress)
    CINTERFACE_PROPERTY(qint32, AdminStatus)
    CINTERFACE_PROPERTY(qint32, OperationalStatus)
    CINTERFACE_PROPERTY(QDateTime, LastChange)
    CINTERFACE_PROPERTY(qint32, OctetsReceived)
    CINTERFACE_PROPERTY(qint32, UnicastPacketsReceived)
    CINTERFACE_PROPERTY(qint32, MaximumTransmissionUnit)
    CINTERFACE_PROPERTY(qint32, NonunicastPacketsReceived)
    CINTERFACE_PROPERTY(qint32, DiscardedIncomingPackets)
    CINTERFACE_PROPERTY(qint32, IncomingErrors)
    CINTERFACE_PROPERTY(qint32, UnknownProtocolPackets)
    CINTERFACE_PROPERTY(qint32, OctetsSent)
    CINTERFACE_PROPERTY(qint32, UnicastPacketsSent)
    CINTERFACE_PROPERTY(qint32, NonunicastPacketsSent)
    CINTERFACE_PROPERTY(qint32, DiscardedOutgoingPackets)
    CINTERFACE_PROPERTY(qint32, OutgoingErrors)
    CINTERFACE_PROPERTY(qint32, OutputQueueLength)
    CINTERFACE_PROPERTY(QString, InterfaceDescription)
};

#undef CINTERFACE_PROPERTY
