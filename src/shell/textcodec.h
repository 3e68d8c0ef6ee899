#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Text leaves the program as Windows-1252 bytes; '?' stands for a character
// outside it.
QByteArray toWindows1252(const QString &text);
QString fromWindows1252(QByteArrayView bytes);
