#include "info/sysinfo.h"

#include "platform/registry.h"
#include "platform/winpath.h"

#include <QFileInfo>
#include <cstdint>

namespace {

bool fileExists(const QString &windowsPath)
{
    const std::string host = platform::hostPath(windowsPath.toStdString());
    return !host.empty() && QFileInfo(QString::fromStdString(host)).isFile();
}

} // namespace

bool GetKeyValue(quint32 KeyRoot, const QString &KeyName, const QString &SubKeyRef, QString &KeyVal)
{
    // Reading is all this needs; asking for full access would fail for an
    // operator without administrator rights.
    platform::Key key = 0;
    if (platform::regOpenKey(KeyRoot, KeyName.toStdString(), &key) != platform::errorSuccess) {
        KeyVal.clear();
        return false;
    }

    std::uint8_t buffer[1024];
    std::uint32_t size = sizeof buffer;
    std::uint32_t type = platform::regNone;
    if (platform::regQueryValue(key, SubKeyRef.toStdString(), &type, buffer, &size)
        != platform::errorSuccess) {
        KeyVal.clear();
        platform::regCloseKey(key);
        return false;
    }

    QByteArrayView text(reinterpret_cast<const char *>(buffer), size);
    if (!text.empty() && text.back() == '\0')
        text.chop(1);
    if (type == platform::regSz)
        KeyVal = QString::fromUtf8(text);
    else if (type == platform::regDword)
        KeyVal = QString::number(platform::regDwordValue(buffer, size));

    platform::regCloseKey(key);
    return true;
}

QString sysInfoViewerPath()
{
    const QString viewerKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
    const QString locationKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");

    QString path;
    if (GetKeyValue(platform::hkeyLocalMachine, viewerKey, QStringLiteral("PATH"), path))
        return path;

    QString folder;
    if (GetKeyValue(platform::hkeyLocalMachine, locationKey, QStringLiteral("MSINFO"), folder)) {
        const QString candidate = folder + QStringLiteral("\\MSINFO32.EXE");
        if (fileExists(candidate))
            return candidate;
    }
    return {};
}
