#pragma once

// Tells the service manager how the service is doing, when it asked to be
// told: one datagram to $NOTIFY_SOCKET per message ("READY=1",
// "STATUS=...", "WATCHDOG=1"). One file per system, picked by the build.

#include <QByteArray>
#include <chrono>
#include <optional>

namespace tarnctl {

// False when nobody asked, or the message could not be sent.
bool notifyServiceManager(const QByteArray &message);

// How often the service manager wants to hear "WATCHDOG=1", when it does.
std::optional<std::chrono::milliseconds> watchdogInterval();

} // namespace tarnctl
