#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Text leaves the program as Windows-1252 bytes; '?' stands for a character
// outside it.
QByteArray toWindows1252(const QString &text);
QString fromWindows1252(QByteArrayView bytes);

// Upper case as the code page has it: same length, and only changes whose
// capital survives the way out (ß and µ stay as they are).
QString upperCp1252(const QString &text);
