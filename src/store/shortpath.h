#pragma once

#include <QString>

// Windows-style paths as the program forms them ("C:\GAMES\TARN\USER"),
// mapped to the host.

// The short (drive) form of an existing game folder, "" when the folder does
// not exist. The answer is as long as it needs to be.
QString GetShortPath(const QString &path);

// The host path of a Windows-style path, "" on an unmapped drive.
QString hostPath(const QString &windowsPath);

// A path as the operator's own system names it in a message: on Windows as
// formed, elsewhere its host path (/srv/tarn/USER/Dedicated.cfg, not
// /SRV/TARN\USER\Dedicated.cfg).
QString shownPath(const QString &windowsPath);
