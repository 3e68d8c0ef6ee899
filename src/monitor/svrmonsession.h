#pragma once

#include "monitor/commandhistory.h"

#include <QByteArray>

// What the Server Monitor keeps while its window is closed: the last poll
// datagram, which a poll repeats when the combo box shows none of its
// choices, and the command lines sent. The main window holds it, so it
// outlives each monitor window.
struct MonitorSession
{
    QByteArray strPollPacket;
    CommandHistory commands;
};
