#include "store/textcodec.h"

#include "platform/codepage.h"

QByteArray toWindows1252(const QString &text)
{
    const std::string bytes = platform::utf16ToCp1252(
        std::u16string_view(reinterpret_cast<const char16_t *>(text.utf16()), text.size()));
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

QString fromWindows1252(QByteArrayView bytes)
{
    const std::u16string text
        = platform::cp1252ToUtf16(std::string_view(bytes.data(), std::size_t(bytes.size())));
    return QString::fromUtf16(text.data(), qsizetype(text.size()));
}

QString upperCp1252(const QString &text)
{
    const std::u16string upper = platform::upperCp1252(
        std::u16string_view(reinterpret_cast<const char16_t *>(text.utf16()), text.size()));
    // Copied as it is: decoding as UTF-16 would drop a leading byte-order mark.
    return QString(reinterpret_cast<const QChar *>(upper.data()), qsizetype(upper.size()));
}
