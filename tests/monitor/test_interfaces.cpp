// The interface statistics classes over hand-made tables and the system's own.

#include "monitor/ciphelper.h"
#include "platform/iphelper.h"
#include "platform/iphelper_layout.h"
#include "platform/iphelper_sources.h"

#include <QFile>
#include <QTest>

using platform::IfRow;

namespace {

IfRow namedRow(const std::u16string &name, uint32_t index)
{
    IfRow row;
    std::copy(name.begin(), name.end(), row.name.begin());
    row.index = index;
    return row;
}

// A table source that hands out the given rows, as the system's would.
IpHelperTableFunction tableOf(std::vector<IfRow> rows)
{
    return [rows](uint8_t *buffer, unsigned long *size, int) {
        const std::size_t need = platform::ifTableSize(rows.size());
        if (!buffer || *size < need) {
            *size = static_cast<unsigned long>(need);
            return platform::errorInsufficientBuffer;
        }
        platform::encodeIfTable(rows, buffer);
        return platform::noError;
    };
}

} // namespace

class TestInterfaces : public QObject
{
    Q_OBJECT

private slots:
    void collectionKeepsOrderAndOwnership()
    {
        CInterfaces interfaces;
        QCOMPARE(interfaces.Count(), 0);
        QVERIFY(!interfaces.Item(1));
        for (int i = 1; i <= 3; ++i) {
            auto item = std::make_unique<CInterface>();
            item->setInterfaceIndex(i * 10);
            CInterface *added = interfaces.Add(item);
            QVERIFY(!item);
            QCOMPARE(added, interfaces.Item(interfaces.Count()));
        }
        QCOMPARE(interfaces.Item(2)->InterfaceIndex(), 20);
        QVERIFY(!interfaces.Item(0));
        QVERIFY(!interfaces.Item(4));

        interfaces.Remove(1);
        interfaces.Remove(7);
        QList<qint32> order;
        for (const auto &item : interfaces)
            order.append(item->InterfaceIndex());
        QCOMPARE(order, QList<qint32>({20, 30}));

        std::unique_ptr<CInterface> none;
        QVERIFY(!interfaces.Add(none));
        QCOMPARE(interfaces.Count(), 2);
    }

    void rowConversion()
    {
        IfRow row = namedRow(u"eth\u00e90", 7);
        row.name[6] = u'x'; // beyond the first zero: not part of the name
        row.type = 6;
        row.speed = 0xFFFFFFFF;
        row.mtu = 1500;
        row.physAddrLen = 6;
        row.physAddr = {0x00, 0x0C, 0x29, 0xAB, 0x01, 0xFF, 0x77, 0x88};
        row.adminStatus = 1;
        row.operStatus = 5;
        row.lastChange = 12345;
        row.inOctets = 0x80000000;
        row.outQLen = 3;
        row.descrLen = 4;
        const char descr[] = "Card\0 and more";
        std::copy(std::begin(descr), std::end(descr), row.descr.begin());

        // Through the table's bytes, as the classes receive it.
        std::vector<uint8_t> bytes(platform::ifTableSize(1));
        platform::encodeIfTable({row}, bytes.data());
        const auto decoded = platform::decodeIfTable(bytes.data(), bytes.size());
        QCOMPARE(decoded.size(), 1u);
        // Where the published row puts them: index, address length and bytes,
        // octets in, description length and bytes.
        const uint8_t *at = bytes.data() + 4;
        QCOMPARE(at[512], 7);
        QCOMPARE(at[528], 6);
        QCOMPARE(at[532 + 5], 0xFF);
        QCOMPARE(at[552 + 3], 0x80);
        QCOMPARE(at[600], 4);
        QCOMPARE(at[604], 'C');
        QCOMPARE(platform::decodeIfTable(bytes.data(), bytes.size() - 1).size(), 0u);

        const QDateTime boot(QDate(2026, 1, 2), QTime(3, 4, 5));
        const auto item = interfaceFromRow(decoded[0], boot);
        QCOMPARE(item->InterfaceName(), QString::fromUtf16(u"eth\u00e90"));
        QCOMPARE(item->InterfaceIndex(), 7);
        QCOMPARE(item->InterfaceType(), 6);
        QCOMPARE(item->Speed(), -1);
        QCOMPARE(item->MaximumTransmissionUnit(), 1500);
        QCOMPARE(item->AdapterAddress(), QStringLiteral("00-0C-29-AB-01-FF"));
        QCOMPARE(item->AdminStatus(), 1);
        QCOMPARE(item->OperationalStatus(), 5);
        QCOMPARE(item->LastChange(), boot.addMSecs(123450));
        QCOMPARE(item->OctetsReceived(), std::numeric_limits<qint32>::min());
        QCOMPARE(item->OutputQueueLength(), 3);
        QCOMPARE(item->InterfaceDescription(), QStringLiteral("Card"));

        row.physAddrLen = 0;
        QCOMPARE(adapterAddressText(row), QString());
        row.physAddrLen = 200;
        QCOMPARE(adapterAddressText(row), QStringLiteral("00-0C-29-AB-01-FF-77-88"));

        // Neither a full name nor a huge count or length is any trouble.
        row.name.fill(u'n');
        row.lastChange = 0xFFFFFFFF;
        row.descrLen = 0xFFFFFFFF;
        const auto full = interfaceFromRow(row, boot);
        QCOMPARE(full->InterfaceName().size(), 256);
        QCOMPARE(full->InterfaceDescription().size(), 256);
        QCOMPARE(full->LastChange(), boot.addMSecs(42949672950));
    }

    void readingBuildsNewCollectionsAndTotals()
    {
        IfRow first = namedRow(u"a", 1);
        first.inOctets = 0xFFFFFFFF;
        first.outOctets = 0xFFFFFFFE;
        IfRow second = namedRow(u"b", 2);
        second.inOctets = 0xFFFFFFFF;
        second.outOctets = 5;
        CIpHelper helper({}, tableOf({first, second}));
        QCOMPARE(helper.BytesReceived(), 0);

        const auto once = helper.Interfaces();
        QCOMPARE(once->Count(), 2);
        QCOMPARE(once->Item(1)->OctetsReceived(), -1);
        QCOMPARE(once->Item(2)->InterfaceName(), QStringLiteral("b"));
        QCOMPARE(helper.BytesReceived(), Q_INT64_C(8589934590));
        QCOMPARE(helper.BytesSent(), Q_INT64_C(4294967299));

        const auto twice = helper.Interfaces();
        QVERIFY(once != twice);
        QCOMPARE(once->Count(), 2);
        QCOMPARE(helper.BytesReceived(), Q_INT64_C(8589934590));

        CIpHelper empty({}, tableOf({}));
        QCOMPARE(empty.Interfaces()->Count(), 0);
        QCOMPARE(empty.BytesReceived(), 0);
        QCOMPARE(empty.BytesSent(), 0);
    }

    void failuresGiveEmptyCollections()
    {
        QStringList notices;
        const auto notice = [&notices](const QString &text) { notices.append(text); };

        CIpHelper unsupported(notice, [](uint8_t *, unsigned long *, int) { return 50ul; });
        QCOMPARE(unsupported.Interfaces()->Count(), 0);
        QCOMPARE(notices, QStringList("IP Helper is not supported by this system."));

        // The totals of an earlier read do not survive a failed one.
        IfRow busy = namedRow(u"a", 1);
        busy.inOctets = 100;
        bool failNext = false;
        auto table = tableOf({busy});
        CIpHelper flaky(notice, [&](uint8_t *buffer, unsigned long *size, int sort) {
            return buffer && failNext ? 31ul : table(buffer, size, sort);
        });
        QCOMPARE(flaky.Interfaces()->Count(), 1);
        QCOMPARE(flaky.BytesReceived(), 100);
        failNext = true;
        QCOMPARE(flaky.Interfaces()->Count(), 0);
        QCOMPARE(flaky.BytesReceived(), 0);
        QCOMPARE(notices.size(), 1);
    }

    void systemTable()
    {
        CIpHelper helper;
        const auto interfaces = helper.Interfaces();
        QVERIFY(interfaces->Count() > 0);
        qint64 received = 0;
        qint64 sent = 0;
        const CInterface *loopback = nullptr;
        for (const auto &item : *interfaces) {
            received += quint32(item->OctetsReceived());
            sent += quint32(item->OctetsSent());
            if (item->InterfaceName() == u"lo")
                loopback = item.get();
        }
        QCOMPARE(helper.BytesReceived(), received);
        QCOMPARE(helper.BytesSent(), sent);

        QVERIFY(loopback);
        QCOMPARE(loopback->InterfaceType(), 24);
        QFile mtu("/sys/class/net/lo/mtu");
        QVERIFY(mtu.open(QIODevice::ReadOnly));
        QCOMPARE(loopback->MaximumTransmissionUnit(), mtu.readAll().trimmed().toInt());
        QCOMPARE(loopback->AdminStatus(), 1);
        QVERIFY(loopback->LastChange() <= QDateTime::currentDateTime());

        unsigned long size = 0;
        QCOMPARE(platform::GetIfTable(nullptr, &size, 0), platform::errorInsufficientBuffer);
        QCOMPARE((size - 4) % platform::ifRowSize, 0u);
        QVERIFY(helper.Interfaces() != interfaces);
    }

    void bothSourcesAgreeOnLoopback()
    {
        const char *text
            = "Inter-|   Receive                            |  Transmit\n"
              " face |bytes    packets errs drop fifo frame compressed multicast|bytes ...\n"
              "    lo: 3267 29 1 2 0 0 0 0 3268 30 3 4 0 0 0 0\n"
              "  eth0: 4294967297 10 0 0 0 0 0 4 100 7 0 0 0 0 0 0\n"
              "  bad: 1 2 3\n";
        const auto links = platform::parseProcNetDev(text);
        QCOMPARE(links.size(), 2u);
        QCOMPARE(links[0].name, std::string("lo"));
        QCOMPARE(links[0].counters.rxErrors, 1u);
        QCOMPARE(links[0].counters.txDropped, 4u);
        const IfRow eth = platform::ifRowOf(links[1]);
        QCOMPARE(eth.inOctets, 1u);
        QCOMPARE(eth.inUcastPkts, 6u);
        QCOMPARE(eth.inNUcastPkts, 4u);
        QCOMPARE(eth.outUcastPkts, 7u);

        std::vector<IfRow> fromNetlink;
        std::vector<IfRow> fromFiles;
        QVERIFY(platform::readIfRowsNetlink(fromNetlink));
        QVERIFY(platform::readIfRowsSysfs(fromFiles));
        QCOMPARE(fromFiles.size(), fromNetlink.size());
        const auto loopback = [](const IfRow &row) {
            return row.name[0] == u'l' && row.name[1] == u'o' && !row.name[2];
        };
        const auto a = std::find_if(fromNetlink.begin(), fromNetlink.end(), loopback);
        const auto b = std::find_if(fromFiles.begin(), fromFiles.end(), loopback);
        QVERIFY(a != fromNetlink.end() && b != fromFiles.end());
        QCOMPARE(b->index, a->index);
        QCOMPARE(b->type, 24u);
        QCOMPARE(b->mtu, a->mtu);
        QCOMPARE(b->adminStatus, a->adminStatus);
        QCOMPARE(b->operStatus, a->operStatus);
        QCOMPARE(b->physAddrLen, a->physAddrLen);
        QVERIFY(std::equal(a->descr.begin(), a->descr.end(), b->descr.begin()));
    }
};

QTEST_GUILESS_MAIN(TestInterfaces)
#include "test_interfaces.moc"
