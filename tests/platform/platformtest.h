#pragma once

// What the platform tests share: registry calls in a line each and files.

#include "platform/registry.h"
#include "support/files.h"
#include "support/storevalues.h"

#include <QStringList>
#include <QtTest>

using namespace platform;

// The names of a key's subkeys, or of its values, in enumeration order.
inline QStringList names(const std::string &keyPath, bool values = false)
{
    QStringList names;
    Key key = 0;
    regOpenKey(hkeyLocalMachine, keyPath, &key);
    std::string name;
    while ((values ? regEnumValue(key, names.size(), &name, nullptr, nullptr)
                   : regEnumKey(key, names.size(), &name))
        == errorSuccess)
        names << QString::fromStdString(name);
    regCloseKey(key);
    return names;
}

inline std::string str(const QString &text)
{
    return text.toStdString();
}

// The tests of what only this system has; the status as QTest::qExec gives it.
int runSystemTests(int argc, char **argv);

// How the system asked this program to show its window ("" where it does not).
std::string startupWindow();
