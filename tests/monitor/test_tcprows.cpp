// Decoding the TCP table's bytes and turning rows into the list's texts.

#include "monitor/iphelpercall.h"
#include "monitor/tcprows.h"
#include "platform/iphelper.h"
#include "platform/iphelper_layout.h"
#include "platform/iphelper_sources.h"

#include <QTest>
#include <initializer_list>
#include <tuple>

using platform::TcpRow;

namespace {

uint32_t field(std::initializer_list<uint8_t> bytes)
{
    uint8_t raw[4] = {};
    std::copy(bytes.begin(), bytes.end(), raw);
    return platform::addressField(raw);
}

std::vector<uint8_t> tableBytes(const std::vector<TcpRow> &rows)
{
    std::vector<uint8_t> bytes(platform::tcpTableSize(rows.size()));
    platform::encodeTcpTable(rows, bytes.data());
    return bytes;
}

const uint32_t loopback = field({127, 0, 0, 1});
const uint32_t anyAddress = field({0, 0, 0, 0});
const uint32_t lanAddress = field({192, 168, 0, 2});

} // namespace

class TestTcpRows : public QObject
{
    Q_OBJECT

private slots:
    void cellTexts()
    {
        QCOMPARE(FormatAddress(loopback), QStringLiteral("127.0.0.1"));
        QCOMPARE(FormatAddress(field({255, 0, 10, 200})), QStringLiteral("255.0.10.200"));

        QCOMPARE(PortNumber(field({0x70, 0xEE})), 28910);
        QCOMPARE(PortNumber(field({0x00, 0x50})), 80);
        QCOMPARE(PortNumber(field({0xC0, 0x00})), 49152);
        QCOMPARE(PortNumber(field({0x80, 0x01})), 32769);
        QCOMPARE(PortNumber(field({0x70, 0xEE, 0xAB, 0xCD})), 28910);
        QCOMPARE(PortNumber(field({0xFF, 0xFF, 0xFF, 0xFF})), 65535);
        QCOMPARE(platform::portField(28910), field({0x70, 0xEE}));

        QCOMPARE(StateName(0), QString());
        QCOMPARE(StateName(1), QStringLiteral("CLOSED"));
        QCOMPARE(StateName(2), QStringLiteral("LISTEN"));
        QCOMPARE(StateName(5), QStringLiteral("ESTAB"));
        QCOMPARE(StateName(11), QStringLiteral("TIME_WAIT"));
        QCOMPARE(StateName(12), QStringLiteral("DELETE_TCB"));
        QCOMPARE(StateName(13), QString());
        QCOMPARE(StateName(0xFFFFFFFF), QString());
    }

    void decodingStaysInsideTheBuffer()
    {
        const uint8_t handMade[] = {1, 0, 0, 0, 5, 0, 0, 0, 0x7F, 0, 0, 1, 0x70, 0xEE, 0, 0, 0xC0,
            0xA8, 0, 2, 0, 0x50, 0x12, 0x34};
        QCOMPARE(tcpListRows(platform::decodeTcpTable(handMade, sizeof handMade), false),
            QList<TcpListRow>({{"127.0.0.1", "28910", "192.168.0.2", "80", "ESTAB"}}));

        const std::vector<TcpRow> rows = {{5, loopback, field({0x70, 0xEE}), lanAddress, 1},
            {2, anyAddress, field({0, 80}), anyAddress, 0}};
        std::vector<uint8_t> bytes = tableBytes(rows);
        const auto decoded = platform::decodeTcpTable(bytes.data(), bytes.size());
        QCOMPARE(decoded.size(), 2u);
        QCOMPARE(decoded[0].state, 5u);
        QCOMPARE(decoded[0].localPort, field({0x70, 0xEE}));
        QCOMPARE(decoded[1].localPort, field({0, 80}));

        // A count larger than the rows present, a torn last row, a missing header.
        bytes[0] = 200;
        QCOMPARE(platform::decodeTcpTable(bytes.data(), bytes.size()).size(), 2u);
        QCOMPARE(platform::decodeTcpTable(bytes.data(), bytes.size() - 1).size(), 1u);
        QCOMPARE(platform::decodeTcpTable(bytes.data(), 3).size(), 0u);
        QCOMPARE(platform::decodeTcpTable(nullptr, 0).size(), 0u);
        bytes[0] = bytes[1] = bytes[2] = bytes[3] = 0xFF;
        QCOMPARE(platform::decodeTcpTable(bytes.data(), bytes.size()).size(), 2u);

        const std::vector<uint8_t> empty = tableBytes({});
        QCOMPARE(empty.size(), 4u);
        QVERIFY(platform::decodeTcpTable(empty.data(), empty.size()).empty());
    }

    void filterLooksAtTheLocalAddressOnly()
    {
        const std::vector<TcpRow> rows = {
            {2, anyAddress, field({0x70, 0xEE}), anyAddress, 0},
            {5, loopback, field({0xC0, 0x00}), loopback, field({0, 80})},
            {5, lanAddress, field({0x80, 0x01}), loopback, field({0x70, 0xEE})},
            {13, field({127, 0, 0, 2}), field({0, 22}), anyAddress, 0},
        };
        const QList<TcpListRow> shown = tcpListRows(rows, true);
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[0], (TcpListRow {"192.168.0.2", "32769", "127.0.0.1", "28910", "ESTAB"}));
        QCOMPARE(shown[1], (TcpListRow {"127.0.0.2", "22", "0.0.0.0", "0", ""}));

        const QList<TcpListRow> all = tcpListRows(rows, false);
        QCOMPARE(all.size(), 4);
        QCOMPARE(all[0], (TcpListRow {"0.0.0.0", "28910", "0.0.0.0", "0", "LISTEN"}));
        QCOMPARE(all[1].localAddress, QStringLiteral("127.0.0.1"));
        QVERIFY(tcpListRows({}, false).isEmpty());
    }

    void procTextAndKernelStates()
    {
        const char *text
            = "  sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt\n"
              "   0: 0100007F:70EE 00000000:0000 0A 00000000:00000000 00:00000000 00000000\n"
              "   1: 0200A8C0:8001 0100007F:0050 01 00000000:00000000 00:00000000 00000000\n"
              "   2: garbage\n"
              "   3: 0100007F:1 00000000:0000 0A\n";
        const auto rows = platform::parseProcNetTcp(text);
        QCOMPARE(rows.size(), 3u);
        QCOMPARE(FormatAddress(rows[0].localAddr), QStringLiteral("127.0.0.1"));
        QCOMPARE(PortNumber(rows[0].localPort), 28910);
        QCOMPARE(rows[0].state, uint32_t(platform::tcpListen));
        QCOMPARE(FormatAddress(rows[1].localAddr), QStringLiteral("192.168.0.2"));
        QCOMPARE(PortNumber(rows[1].localPort), 32769);
        QCOMPARE(PortNumber(rows[1].remotePort), 80);
        QCOMPARE(rows[1].state, uint32_t(platform::tcpEstablished));
        QCOMPARE(PortNumber(rows[2].localPort), 1);

        const uint32_t expected[] = {0, 5, 3, 4, 6, 7, 11, 1, 8, 10, 2, 9, 4, 0};
        for (unsigned kernel = 0; kernel < std::size(expected); ++kernel)
            QCOMPARE(platform::tcpStateFromKernel(kernel), expected[kernel]);
    }

    void twoCallPattern()
    {
        int calls = 0;
        auto notSupported = [&calls](uint8_t *, unsigned long *, int) {
            ++calls;
            return platform::errorNotSupported;
        };
        QCOMPARE(readIpHelperTable(notSupported).result, IpHelperTable::NotSupported);
        QCOMPARE(calls, 1);

        auto noSize = [](uint8_t *, unsigned long *, int) { return platform::noError; };
        QCOMPARE(readIpHelperTable(noSize).result, IpHelperTable::Failed);

        // The table grows by a row between the size query and the read.
        unsigned long rowsNow = 1;
        auto grows = [&rowsNow](uint8_t *, unsigned long *size, int) {
            *size = static_cast<unsigned long>(platform::tcpTableSize(rowsNow++));
            return platform::errorInsufficientBuffer;
        };
        const IpHelperTable failed = readIpHelperTable(grows);
        QCOMPARE(failed.result, IpHelperTable::Failed);
        QVERIFY(failed.bytes.empty());

        const IpHelperTable table = readIpHelperTable(platform::GetTcpTable);
        QCOMPARE(table.result, IpHelperTable::Read);
        QVERIFY(table.bytes.size() >= 4);
    }

    void systemTableContract()
    {
        QCOMPARE(platform::GetTcpTable(nullptr, nullptr, 0), platform::errorInvalidParameter);
        unsigned long size = 0;
        QCOMPARE(platform::GetTcpTable(nullptr, &size, 0), platform::errorInsufficientBuffer);
        QVERIFY(size >= 4 && (size - 4) % platform::tcpRowSize == 0);

        // A buffer larger than the need keeps its bytes past the table.
        std::vector<uint8_t> buffer(size + 64 * platform::tcpRowSize, 0xAB);
        unsigned long big = static_cast<unsigned long>(buffer.size());
        QCOMPARE(platform::GetTcpTable(buffer.data(), &big, 1), platform::noError);
        const auto rows = platform::decodeTcpTable(buffer.data(), buffer.size());
        QCOMPARE(buffer[platform::tcpTableSize(rows.size())], uint8_t(0xAB));
        for (std::size_t i = 1; i < rows.size(); ++i) {
            const auto key = [](const TcpRow &r) {
                return std::tuple(platform::addressNumber(r.localAddr), PortNumber(r.localPort),
                    platform::addressNumber(r.remoteAddr), PortNumber(r.remotePort));
            };
            QVERIFY(!(key(rows[i]) < key(rows[i - 1])));
        }

        unsigned long small = 3;
        QCOMPARE(
            platform::GetTcpTable(buffer.data(), &small, 0), platform::errorInsufficientBuffer);
        QVERIFY(small >= 4);
    }
};

QTEST_GUILESS_MAIN(TestTcpRows)
#include "test_tcprows.moc"
