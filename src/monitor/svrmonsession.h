#pragma once

#include "monitor/commandhistory.h"
#include "platform/process.h"

#include <QByteArray>
#include <memory>

// What the Server Monitor keeps while its window is closed: the last poll
// datagram, which a poll repeats when the combo box shows none of its
// choices, the command lines sent, and the server process the launcher
// started, if any. The main window holds it, so it outlives each monitor
// window.
struct MonitorSession
{
    QByteArray strPollPacket;
    CommandHistory commands;
    std::shared_ptr<platform::WatchedProcess> server;
};
