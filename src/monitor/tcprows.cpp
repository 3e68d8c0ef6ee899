#include "monitor/tcprows.h"

QString FormatAddress(uint32_t field)
{
    // Built by hand: the list formats two addresses per row at every refresh.
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

QList<TcpListRow> tcpListRows(const std::vector<platform::TcpRow> &rows, bool hideLocal)
{
    QList<TcpListRow> list;
    list.reserve(qsizetype(rows.size()));
    for (const platform::TcpRow &row : rows) {
        QString local = FormatAddress(row.localAddr);
        if (hideLocal && (local == u"127.0.0.1" || local == u"0.0.0.0"))
            continue;
        list.append({std::move(local), QString::number(PortNumber(row.localPort)),
            FormatAddress(row.remoteAddr), QString::number(PortNumber(row.remotePort)),
            StateName(row.state)});
    }
    return list;
}
