#pragma once

// The player commands: `players [--json]`, `kick N|NAME`, `ban ADDRESS`,
// `unban ADDRESS`, `bans` and `map NAME`, with the options and the exit
// statuses of `rcon`.

#include <QByteArrayList>
#include <QString>
#include <QStringList>
#include <optional>

namespace tarnctl {

// Runs the command when the first argument names one of them; nothing
// otherwise.
std::optional<int> runPlayerCommand(const QStringList &arguments);

// The map and the players of a status reply, as JSON for monitoring.
QByteArray playersJson(const QByteArrayList &replies);

QString playerUsageText();

} // namespace tarnctl
