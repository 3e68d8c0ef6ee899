#pragma once

// What the monitor shows of a datagram from the server. Every reply starts
// with ten bytes of header (0xFF 0xFF 0xFF 0xFF "print" and a line feed),
// which are never shown.

#include <QByteArrayView>
#include <QString>

constexpr qsizetype replyHeaderSize = 10;

// The datagram's bytes after the tenth, read as Windows-1252, without any
// 0xFF byte and with each line feed turned into CR LF; "Waiting..." when
// nothing is left. Every length a datagram can have is shown whole.
QString replyDisplayText(QByteArrayView datagram);

// The text as the console's Windows edit box shows it, for a box that breaks
// lines at LF: the edit box breaks a line only at CR LF and shows no other
// CR, so "CR CR LF" is one line break and a lone CR is nothing.
QString editBoxText(QString text);

// Whether the server's first reply datagram says the password is wrong, or
// that the server takes none at all, in the stand-in's wording or in that
// of the engine's own servers ("Bad rconpassword.").
bool passwordRefused(QByteArrayView firstDatagram);
