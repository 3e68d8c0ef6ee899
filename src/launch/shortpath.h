#pragma once

#include <QString>

// Windows-style paths as the program forms them ("C:\GAMES\TARN\USER"),
// mapped to the host.

// The short (drive) form of an existing game folder, "" when the folder does
// not exist. The answer is as long as it needs to be.
QString GetShortPath(const QString &path);

// The host path of a Windows-style path, "" on an unmapped drive.
QString hostPath(const QString &windowsPath);
