#pragma once

#include <QString>

// The short (drive) form of an existing game folder, "" when the folder does
// not exist. The answer is as long as it needs to be.
QString GetShortPath(const QString &path);
