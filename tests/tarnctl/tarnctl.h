#pragma once

// Runs tarnctl as an operator would, on the store the test points at.

#include "support/gui.h"

#include <QProcess>

struct Run
{
    int status = -1;
    QByteArray out;
    QByteArray err;
};

// `outputFile` takes tarnctl's standard output instead of the test.
inline Run runTarnctl(
    const QStringList &arguments, int waitMs = 30000, const QString &outputFile = {})
{
    QProcess process;
    if (!outputFile.isEmpty())
        process.setStandardOutputFile(outputFile);
    process.start(toolPath(QStringLiteral("tarnctl")), arguments);
    if (!process.waitForFinished(waitMs)) {
        process.kill();
        process.waitForFinished();
        return {-1, {}, "tarnctl did not end in time"};
    }
    // Windows writes the messages' line ends as CR LF.
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
        process.readAllStandardOutput(), process.readAllStandardError().replace("\r\n", "\n")};
}

// The file but its first line, which carries the time it was written.
inline QByteArray withoutHeader(const QByteArray &config)
{
    return config.mid(config.indexOf("\r\n"));
}
