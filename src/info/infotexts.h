#pragma once

#include <QString>

// The fixed texts of the Help window and of the console command reference.
// Lines are separated by CR LF, as the Windows text boxes expect them.

// Seven lines, an empty one between two steps, and no line break after the
// last line.
QString helpText();

// The 22 console commands an operator uses most, every line ended by CR LF.
QString commandListText();
