#include "store/storedvalues.h"

#include <cmath>

double numericValue(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    const qsizetype start = i;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        ++i;
    bool digits = false;
    while (i < text.size() && text[i].isDigit() && text[i].unicode() < 128) {
        ++i;
        digits = true;
    }
    if (i < text.size() && text[i] == QLatin1Char('.')) {
        ++i;
        while (i < text.size() && text[i].isDigit() && text[i].unicode() < 128) {
            ++i;
            digits = true;
        }
    }
    if (!digits)
        return 0;
    bool ok = false;
    const double value = text.mid(start, i - start).toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0;
}

Qt::CheckState checkStateFromStored(const QString &text)
{
    const double value = numericValue(text);
    if (value == 0)
        return Qt::Unchecked;
    if (value == 2)
        return Qt::PartiallyChecked;
    return Qt::Checked;
}

QString storedCheckText(Qt::CheckState state, bool leadingBlank)
{
    const QString digit = QString::number(int(state == Qt::Checked ? 1
            : state == Qt::PartiallyChecked                        ? 2
                                                                   : 0));
    return leadingBlank ? QLatin1Char(' ') + digit : digit;
}

int gameTypeIndexFromStored(const QString &text)
{
    const double value = numericValue(text);
    if (value >= 0 && value <= 6 && value == std::floor(value))
        return int(value);
    return 0;
}

QString valueOrDefault(const QString &stored, const QString &fallback)
{
    return stored.isEmpty() ? fallback : stored;
}
