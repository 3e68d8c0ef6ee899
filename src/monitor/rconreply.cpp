#include "monitor/rconreply.h"

#include "platform/codepage.h"

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

QString replyDisplayText(QByteArrayView datagram)
{
    QString shown;
    if (datagram.size() > replyHeaderSize) {
        const std::array<char16_t, 256> &table = windows1252Table();
        const QByteArrayView body = datagram.sliced(replyHeaderSize);
        // Room for the worst case, a reply of line feeds only.
        shown.resize(body.size() * 2);
        QChar *out = shown.data();
        for (const char c : body) {
            if (c == '\xFF')
                continue;
            if (c == '\n')
                *out++ = u'\r';
            *out++ = table[static_cast<unsigned char>(c)];
        }
        shown.truncate(out - shown.constData());
    }
    if (shown.isEmpty())
        return QStringLiteral("Waiting...");
    return shown;
}

QString editBoxText(QString text)
{
    // CR LF becomes the LF that breaks the line; every other CR goes.
    return text.remove(u'\r');
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
