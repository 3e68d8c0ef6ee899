// Where the tables come from on Linux: the kernel's own numbering, the
// /proc and /sys files beside the netlink answers.

#include "monitor/ciphelper.h"
#include "ownsockets.h"
#include "platform/iphelper_sources.h"

#include <QFile>
#include <QTest>

class TestMonitorLinux : public QObject
{
    Q_OBJECT

private slots:
    void kernelTcpStates()
    {
        // The kernel's states 0 to 13 as the table numbers them.
        const uint32_t states[] = {0, 5, 3, 4, 6, 7, 11, 1, 8, 10, 2, 9, 4, 0};
        for (unsigned kernel = 0; kernel < std::size(states); ++kernel)
            QCOMPARE(platform::tcpStateFromKernel(kernel), states[kernel]);
    }

    void tcpRowsFromProc()
    {
        const OwnSockets own;
        std::vector<platform::TcpRow> fromText;
        QVERIFY(platform::readTcpRowsProc(fromText));
        QCOMPARE(own.foundIn(tcpListRows(fromText, false)), 4);
    }

    void interfacesFromTheSystem()
    {
        // The system's own table: the loopback as the system describes it.
        const auto interfaces = CIpHelper().Interfaces();
        const auto lo = std::find_if(interfaces->begin(), interfaces->end(),
            [](const auto &item) { return item->InterfaceName() == u"lo"; });
        QVERIFY(
            lo != interfaces->end() && (*lo)->InterfaceType() == 24 && (*lo)->AdminStatus() == 1);
        QFile mtu("/sys/class/net/lo/mtu");
        QVERIFY(mtu.open(QIODevice::ReadOnly)
            && (*lo)->MaximumTransmissionUnit() == mtu.readAll().trimmed().toInt());
        // Link counters into the row, from their columns of /proc/net/dev.
        const platform::IfRow eth = platform::ifRowOf(
            platform::parseProcNetDev("eth0: 4294967297 10 1 2 0 0 0 4 100 7 3 5 0 0 0 0").at(0));
        QVERIFY(eth.inOctets == 1 && eth.inUcastPkts == 6 && eth.inNUcastPkts == 4);
        QVERIFY(eth.inErrors == 1 && eth.inDiscards == 2 && eth.outUcastPkts == 7);
        QVERIFY(eth.outErrors == 3 && eth.outDiscards == 5 && eth.outOctets == 100);
    }
};

QTEST_MAIN(TestMonitorLinux)
#include "test_monitor_linux.moc"
