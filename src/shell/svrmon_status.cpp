// The monitor's status line: when the server last answered, or that it has
// stopped answering or stopped altogether.

#include "shell/serverwatch.h"
#include "shell/svrmon.h"
#include "ui_svrmon.h"

void SvrMon::noteAnswer()
{
    status.lastAnswer = QTime::currentTime();
    status.unansweredPolls = 0;
    status.stopped = false;
    showStatus();
}

// Each poll first looks at what the polls before it found.
void SvrMon::notePoll()
{
    status.stopped = serverStopped();
    showStatus();
    ++status.unansweredPolls;
}

// The server the launcher started is gone when its process has ended; any
// other server, once it has answered, when its port is free again. A
// server that ended while another took its port is not the one polled.
bool SvrMon::serverStopped() const
{
    const platform::WatchedProcess *own = session->server.get();
    if (own && !session->server->ended())
        return false;
    if (!own && !status.lastAnswer)
        return false;
    return !udpPortTaken(remotePort);
}

void SvrMon::showStatus()
{
    const QString text = serverStatusLine(status);
    if (text == ui->StatusLine->text())
        return;
    ui->StatusLine->setText(text);
    emit statusLineChanged(text);
}

QString SvrMon::statusLine() const
{
    return ui->StatusLine->text();
}
