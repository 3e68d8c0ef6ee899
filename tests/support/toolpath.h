#pragma once

#include <QString>

// One of our programs as the build made it, with the system's file suffix.
inline QString toolPath(const QString &tool)
{
    return qEnvironmentVariable("TARN_TOOLS_DIR") + QLatin1Char('/') + tool + QLatin1Char('/')
        + tool + QStringLiteral(TARN_EXECUTABLE_SUFFIX);
}
