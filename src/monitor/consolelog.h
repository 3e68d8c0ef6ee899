#pragma once

#include <QString>
#include <QTime>

// The monitor's console log keeps what the operator sent and what came
// back, each with its time, as plain lines that can be selected and copied.

// Enough for a long evening of commands; the oldest lines go first.
constexpr int consoleLogLines = 2000;

// "HH:mm:ss > command" for a line sent; `commandPart` is as it goes into the
// datagram, with its blank before and after.
QString sentLogEntry(const QTime &when, const QString &commandPart);

// "HH:mm:ss < " and the reply's first line, its other lines indented below;
// "(empty reply)" for a reply without text.
QString replyLogEntry(const QTime &when, const QString &shownReply);
