#include "launch/gamefolder.h"

#include "platform/winpath.h"
#include "store/shortpath.h"

#include <QFileInfo>

QString gameFolderProblem(const QString &folder)
{
    if (folder.isEmpty())
        return QStringLiteral("No game folder is given. Type the folder that holds TARN.EXE "
                              "under \"Tarn Location:\".");
    const std::string path = folder.toStdString();
    if (!platform::isFullPath(path))
        return QStringLiteral("The game folder \"%1\" is not a full path. Type the whole path "
                              "of the folder that holds TARN.EXE, such as C:\\Games\\Tarn.")
            .arg(folder);
    const QString host = hostPath(folder);
    if (host.isEmpty() || !QFileInfo(host).isDir())
        return QStringLiteral("The game folder \"%1\" does not exist.").arg(shownPath(folder));
    return {};
}
