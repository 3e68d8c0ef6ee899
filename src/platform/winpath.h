#pragma once

// The program forms Windows-style paths ("C:\GAMES\TARN\USER\Dedicated.cfg");
// these map them to the host. Host paths are UTF-8. On Windows the paths are
// the system's own: hostPath gives them as they are, and shortPath gives the
// system's short form ("C:\PROGRA~1\TARN").

#include <string>

namespace platform {

// The host path of a Windows-style path: '\' and '/' both separate; a path
// that begins with '/' is already a host path; "X:" maps through
// $WINEPREFIX/dosdevices (Z: is always '/'). Each component that exists is
// found without regard to case; the rest keep their given case. "" when the
// path names an unmapped drive.
std::string hostPath(const std::string &windowsPath);

// Whether a path names its place whole, without the current folder or the
// current drive: "C:\GAMES", "/srv/tarn" and "\srv\tarn" do, "GAMES\TARN",
// "C:GAMES" and "" do not.
bool isFullPath(const std::string &windowsPath);

// The short (drive) form of an existing path: /srv/tarn -> Z:\srv\tarn.
// "" when the path does not exist.
std::string shortPath(const std::string &windowsPath);

} // namespace platform
