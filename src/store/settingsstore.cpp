#include "store/settingsstore.h"

#include "platform/registry.h"
#include "store/textcodec.h"

#include <cmath>

namespace {

std::string toBytes(const QString &text)
{
    return toWindows1252(text).toStdString();
}

// A double word reads as its value passed through single precision, with at
// least three digits: 7 -> "007".
QString formatDword(const std::uint8_t *data, std::uint32_t size)
{
    const float single = float(platform::regDwordValue(data, size));
    return QStringLiteral("%1").arg(qulonglong(single), 3, 10, QLatin1Char('0'));
}

} // namespace

QString RegGet(quint32 hive, const QString &keyPath, const QString &valueName)
{
    if (!platform::isPredefinedKey(hive))
        return {};
    platform::Key key = 0;
    if (platform::regOpenKey(hive, toBytes(keyPath), &key) != platform::errorSuccess)
        return {};

    // The registry is asked with a 255-byte buffer: 254 characters and the
    // terminating zero are the most a value can bring back.
    std::uint8_t buffer[255];
    std::uint32_t size = sizeof buffer;
    std::uint32_t type = platform::regNone;
    QString result;
    if (platform::regQueryValue(key, toBytes(valueName), &type, buffer, &size)
        == platform::errorSuccess) {
        if (type == platform::regDword)
            result = formatDword(buffer, size);
        else if (size > 0)
            result
                = fromWindows1252(QByteArrayView(reinterpret_cast<const char *>(buffer), size - 1));
    }
    platform::regCloseKey(key);
    return result;
}

void rEGpUT(
    quint32 hive, const QString &keyPath, const QString &valueName, const QString &valueText)
{
    platform::Key key = 0;
    if (platform::regCreateKey(hive, toBytes(keyPath), &key) != platform::errorSuccess)
        return;
    std::string data = toBytes(valueText);
    data.push_back('\0');
    platform::regSetValue(key, toBytes(valueName), platform::regSz,
        reinterpret_cast<const std::uint8_t *>(data.data()), std::uint32_t(data.size()));
    platform::regCloseKey(key);
}

QString numberedEntryName(int number)
{
    return QLatin1Char(' ') + QString::number(number);
}

QList<NumberedEntry> readNumberedList(
    const QString &keyPath, RemovedEntries removed, const std::function<bool()> &betweenReads)
{
    QList<NumberedEntry> entries;
    for (int number = 1; number <= lastNumberedEntry; ++number) {
        const QString text = RegGet(hkeyLocalMachine, keyPath, numberedEntryName(number));
        if (text.isEmpty() || (betweenReads && !betweenReads()))
            break;
        if (removed == RemovedEntries::Skip && text == QLatin1String("x"))
            continue;
        entries.append({number, text});
    }
    return entries;
}
