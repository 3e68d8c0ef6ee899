#pragma once

// What the monitor shows of a datagram from the server. Every reply starts
// with a header that is never shown.

#include <QByteArrayView>
#include <QString>

constexpr QByteArrayView replyHeader("\xFF\xFF\xFF\xFFprint\n", 10);
constexpr qsizetype replyHeaderSize = replyHeader.size();

// The text of one reply datagram: its bytes after the tenth, read as
// Windows-1252, without any 0xFF byte or carriage return. Servers end their
// lines for the Windows edit box, which breaks a line only at CR LF and
// shows no other CR; here a line feed alone breaks the line. Every length a
// datagram can have is read whole.
QString datagramText(QByteArrayView datagram);

// The datagram's text, or "Waiting..." when nothing but 0xFF bytes follows
// its first ten.
QString replyDisplayText(QByteArrayView datagram);

// Whether the server's first reply datagram says the password is wrong, or
// that the server takes none at all, in the stand-in's wording or in that
// of the engine's own servers ("Bad rconpassword.").
bool passwordRefused(QByteArrayView firstDatagram);
