#pragma once

#include <QString>
#include <QtGlobal>

// Finding the system's information viewer through the registry, where
// Windows keeps its location; on other systems an operator can record a
// viewer of their choice under the same key.

// Reads the value SubKeyRef of the key KeyName under the root KeyRoot into
// KeyVal. A string gives its text, a double word its number in decimal
// digits; a value of any other type counts as found but leaves KeyVal as it
// was. A missing key or value, or data of more than 1024 bytes, gives false
// and an empty KeyVal.
bool GetKeyValue(
    quint32 KeyRoot, const QString &KeyName, const QString &SubKeyRef, QString &KeyVal);

// The viewer's path: the MSINFO "PATH" value when it can be read at all,
// else MSINFO32.EXE in the folder named by "Shared Tools Location" when that
// file exists; "" when neither applies.
QString sysInfoViewerPath();
