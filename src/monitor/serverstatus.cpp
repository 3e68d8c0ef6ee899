#include "monitor/serverstatus.h"

#include <QString>

QString serverStatusLine(const ServerStatus &status)
{
    const QString format = QStringLiteral("HH:mm:ss");
    if (status.stopped)
        return QStringLiteral("Server stopped");
    if (status.unansweredPolls >= 2)
        return QStringLiteral("No answer since ")
            + status.lastAnswer.value_or(status.pollingSince).toString(format);
    if (status.lastAnswer)
        return QStringLiteral("Last answer at ") + status.lastAnswer->toString(format);
    return QStringLiteral("Waiting for an answer...");
}
