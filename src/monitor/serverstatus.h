#pragma once

#include <QTime>
#include <optional>

// What the monitor's status line says of the server it polls.
struct ServerStatus
{
    // The server's process is gone.
    bool stopped = false;
    std::optional<QTime> lastAnswer;
    // When the monitor began to poll.
    QTime pollingSince;
    // Polls sent since the last answer.
    int unansweredPolls = 0;
};

// "Server stopped", "No answer since HH:MM:SS" once two polls went
// unanswered, else "Last answer at HH:MM:SS", or a wait for the first.
QString serverStatusLine(const ServerStatus &status);
