#pragma once

// tarnctl's own output. A write that fails (a full disk, a closed pipe)
// makes the command fail: monitoring must never read success into output
// that was lost.

#include <QString>

namespace tarnctl {

// To standard output; false when it could not be written whole.
bool print(const QString &text);
bool print(const QByteArray &bytes);

// One line on standard error, after "tarnctl: ".
void complain(const QString &text);

// Whether everything sent to standard output has reached it.
bool outputDelivered();

} // namespace tarnctl
