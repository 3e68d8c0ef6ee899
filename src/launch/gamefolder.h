#pragma once

#include <QString>

// Why "Go" cannot use a game folder, in words that name it, or "" when it
// can. An empty or relative folder would resolve against the launcher's
// current folder, which after one launch is the previous game folder.
QString gameFolderProblem(const QString &folder);
