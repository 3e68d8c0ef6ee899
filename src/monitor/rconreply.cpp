#include "monitor/rconreply.h"

#include "platform/codepage.h"

#include <algorithm>
#include <array>
#include <string>

namespace {

// Every byte stands for exactly one character, so one table decodes a
// datagram of any size in a single pass.
const std::array<char16_t, 256> &windows1252Table()
{
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> characters {};
        for (int byte = 0; byte < 256; ++byte)
            characters[byte] = platform::cp1252ToUtf16(std::string(1, char(byte))).at(0);
        return characters;
    }();
    return table;
}

} // namespace

QString datagramText(QByteArrayView datagram)
{
    if (datagram.size() <= replyHeaderSize)
        return {};
    const std::array<char16_t, 256> &table = windows1252Table();
    const QByteArrayView body = datagram.sliced(replyHeaderSize);
    QString text(body.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char c : body) {
        if (c != '\xFF' && c != '\r')
            *out++ = table[static_cast<unsigned char>(c)];
    }
    text.truncate(out - text.constData());
    return text;
}

QString replyDisplayText(QByteArrayView datagram)
{
    // A reply of carriage returns alone is not empty: it shows as no text.
    const QByteArrayView body = datagram.sliced(std::min(datagram.size(), replyHeaderSize));
    if (body.count('\xFF') == body.size())
        return QStringLiteral("Waiting...");
    return datagramText(datagram);
}

bool passwordRefused(QByteArrayView firstDatagram)
{
    if (firstDatagram.size() <= replyHeaderSize)
        return false;
    const QByteArrayView text = firstDatagram.sliced(replyHeaderSize);
    for (const char *refusal : {"Bad rcon_password.", "Bad rconpassword.", "No rcon_password set",
             "No rconpassword set"}) {
        if (text.startsWith(refusal))
            return true;
    }
    return false;
}
