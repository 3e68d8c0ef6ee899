#include "monitor/tcprows.h"

QString FormatAddress(uint32_t field)
{
    // Built by hand: a scrolled list formats many of them.
    char16_t text[15];
    qsizetype length = 0;
    for (int i = 0; i < 4; ++i) {
        if (i > 0)
            text[length++] = u'.';
        const unsigned byte = field >> (8 * i) & 0xFF;
        if (byte >= 100)
            text[length++] = char16_t(u'0' + byte / 100);
        if (byte >= 10)
            text[length++] = char16_t(u'0' + byte / 10 % 10);
        text[length++] = char16_t(u'0' + byte % 10);
    }
    return QString(reinterpret_cast<const QChar *>(text), length);
}

int PortNumber(uint32_t field)
{
    return int(platform::portNumber(field));
}

QString StateName(uint32_t state)
{
    static const QString names[] = {
        QStringLiteral("CLOSED"),
        QStringLiteral("LISTEN"),
        QStringLiteral("SYN_SENT"),
        QStringLiteral("SYN_RCVD"),
        QStringLiteral("ESTAB"),
        QStringLiteral("FIN_WAIT1"),
        QStringLiteral("FIN_WAIT2"),
        QStringLiteral("CLOSE_WAIT"),
        QStringLiteral("CLOSING"),
        QStringLiteral("LAST_ACK"),
        QStringLiteral("TIME_WAIT"),
        QStringLiteral("DELETE_TCB"),
    };
    if (state < 1 || state > std::size(names))
        return QString();
    return names[state - 1];
}

std::vector<platform::TcpRow> tcpRowsShown(std::vector<platform::TcpRow> rows, bool hideLocal)
{
    if (hideLocal) {
        const uint8_t loopback[] = {127, 0, 0, 1};
        const uint32_t loopbackField = platform::addressField(loopback);
        std::erase_if(rows, [loopbackField](const platform::TcpRow &row) {
            return row.localAddr == 0 || row.localAddr == loopbackField;
        });
    }
    return rows;
}
