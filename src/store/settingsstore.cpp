#include "store/settingsstore.h"

#include "platform/registry.h"
#include "store/textcodec.h"

#include <cmath>
#include <vector>

namespace {

// The registry calls take UTF-8.
std::string toBytes(const QString &text)
{
    return text.toStdString();
}

// A double word reads as its value passed through single precision, with at
// least three digits: 7 -> "007".
QString formatDword(const std::uint8_t *data, std::uint32_t size)
{
    const float single = float(platform::regDwordValue(data, size));
    return QStringLiteral("%1").arg(qulonglong(single), 3, 10, QLatin1Char('0'));
}

StoreWriteFailureHandler &writeFailureHandler()
{
    static StoreWriteFailureHandler handler;
    return handler;
}

platform::Key viewOf(quint32 hive, const QString &keyPath)
{
    const bool own = keyPath.startsWith(launcherKey, Qt::CaseInsensitive)
        && (keyPath.size() == launcherKey.size() || keyPath.at(launcherKey.size()) == u'\\');
    return own ? hive | platform::registryView32 : hive;
}

bool samePlace(const platform::RegPlace &a, const platform::RegPlace &b)
{
    return a.hive == b.hive && a.keyPath == b.keyPath;
}

// A value whole, read again should it grow between the size query and the
// read.
long queryValue(platform::Key key, const std::string &name, std::uint32_t *type,
    std::vector<std::uint8_t> *data)
{
    long status = platform::errorMoreData;
    for (int attempt = 0; attempt < 4 && status == platform::errorMoreData; ++attempt) {
        std::uint32_t size = 0;
        status = platform::regQueryValue(key, name, type, nullptr, &size);
        if (status != platform::errorSuccess)
            return status;
        data->resize(size);
        status = platform::regQueryValue(key, name, type, data->data(), &size);
        data->resize(size);
    }
    return status;
}

// A value as the registry gives it back through a buffer of 255 characters:
// found or not, and its text.
bool readValue(const platform::RegPlace &place, const std::string &name, QString *text)
{
    platform::Key key = 0;
    if (platform::regOpenKey(place.hive, place.keyPath, &key) != platform::errorSuccess)
        return false;
    std::vector<std::uint8_t> data;
    std::uint32_t type = platform::regNone;
    const long status = queryValue(key, name, &type, &data);
    platform::regCloseKey(key);
    if (status != platform::errorSuccess)
        return status == platform::errorMoreData;
    const QByteArrayView bytes(reinterpret_cast<const char *>(data.data()), qsizetype(data.size()));
    // Text comes as UTF-8; the bytes of other types read as the code page's.
    const QString whole
        = platform::isTextType(type) ? QString::fromUtf8(bytes) : fromWindows1252(bytes);
    // 254 characters and the terminating zero are the most a value can bring
    // back; a longer one reads as "".
    if (type == platform::regDword)
        *text
            = data.size() <= 255 ? formatDword(data.data(), std::uint32_t(data.size())) : QString();
    else if (whole.size() <= 255)
        *text = whole.chopped(whole.isEmpty() ? 0 : 1);
    return true;
}

long writeValue(const platform::RegPlace &place, const std::string &name, const std::string &data)
{
    platform::Key key = 0;
    long status = platform::regCreateKey(place.hive, place.keyPath, &key);
    if (status != platform::errorSuccess)
        return status;
    status = platform::regSetValue(key, name, platform::regSz,
        reinterpret_cast<const std::uint8_t *>(data.data()), std::uint32_t(data.size()));
    platform::regCloseKey(key);
    return status;
}

void removeValue(const platform::RegPlace &place, const std::string &name)
{
    // A key opened for reading cannot lose a value, and creating one that is
    // missing would leave an empty key behind: only an existing key is opened
    // for writing.
    platform::Key key = 0;
    if (platform::regOpenKey(place.hive, place.keyPath, &key) != platform::errorSuccess)
        return;
    platform::regCloseKey(key);
    if (platform::regCreateKey(place.hive, place.keyPath, &key) != platform::errorSuccess)
        return;
    platform::regDeleteValue(key, name);
    platform::regCloseKey(key);
}

} // namespace

QString RegGet(quint32 hive, const QString &keyPath, const QString &valueName)
{
    if (!platform::isPredefinedKey(hive))
        return {};
    const std::string name = toBytes(valueName);
    QString result;
    for (const platform::RegPlace &place :
        platform::settingReadPlaces(viewOf(hive, keyPath), toBytes(keyPath))) {
        if (readValue(place, name, &result))
            break;
    }
    return result;
}

bool rEGpUT(
    quint32 hive, const QString &keyPath, const QString &valueName, const QString &valueText)
{
    const platform::Key viewed = viewOf(hive, keyPath);
    const std::string path = toBytes(keyPath);
    const std::string name = toBytes(valueName);
    std::string data = toBytes(valueText);
    data.push_back('\0');
    long status = platform::errorInvalidHandle;
    for (const platform::RegPlace &place : platform::settingWritePlaces(viewed, path)) {
        status = writeValue(place, name, data);
        if (status != platform::errorSuccess)
            continue;
        // Copies found before this place would hide what was just written.
        for (const platform::RegPlace &before : platform::settingReadPlaces(viewed, path)) {
            if (samePlace(before, place))
                break;
            removeValue(before, name);
        }
        return true;
    }
    if (const StoreWriteFailureHandler &handler = writeFailureHandler()) {
        const QString why = status == platform::errorAccessDenied
            ? QStringLiteral("access is denied")
            : status == platform::errorRegistryCorrupt
            ? QStringLiteral("the settings store is damaged or is not one")
            : QStringLiteral("error %1").arg(status);
        handler(QStringLiteral("The settings could not be saved (%1). Changes made now are lost "
                               "when the launcher closes.")
                    .arg(why));
    }
    return false;
}

void setStoreWriteFailureHandler(StoreWriteFailureHandler handler)
{
    writeFailureHandler() = std::move(handler);
}

QString numberedEntryName(int number)
{
    return QLatin1Char(' ') + QString::number(number);
}

QList<NumberedEntry> readNumberedList(const QString &keyPath, RemovedEntries removed)
{
    QList<NumberedEntry> entries;
    for (int number = 1; number <= lastNumberedEntry; ++number) {
        const QString text = RegGet(hkeyLocalMachine, keyPath, numberedEntryName(number));
        if (text.isEmpty())
            break;
        if (removed == RemovedEntries::Skip && text == QLatin1String("x"))
            continue;
        entries.append({number, text});
    }
    return entries;
}
