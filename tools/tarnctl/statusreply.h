#pragma once

// The server's answer to "status", read for monitoring systems: the map,
// then a table of players under a header line "num score ping name ..." and
// a line of dashes.

#include <QByteArray>
#include <QString>

namespace tarnctl {

// The reply text as one line of JSON: {"map": ..., "players": [{"num",
// "score", "ping", "name", "address"}, ...]}. Numbers that are not numbers
// (a ping of "CNCT") are kept as text.
QByteArray statusJson(const QString &replyText);

} // namespace tarnctl
