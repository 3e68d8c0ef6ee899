#pragma once

// What the platform tests share: registry calls in a line each and files.

#include "platform/registry.h"
#include "support/files.h"

#include <QStringList>
#include <QtTest>

using namespace platform;

inline const std::string missing = "<missing>";

inline long put(const std::string &keyPath, const std::string &name, const std::string &data,
    std::uint32_t type = regSz)
{
    Key key = 0;
    long status = regCreateKey(hkeyLocalMachine, keyPath, &key);
    if (status == errorSuccess)
        status = regSetValue(key, name, type, reinterpret_cast<const std::uint8_t *>(data.data()),
            std::uint32_t(data.size()));
    regCloseKey(key);
    return status;
}

inline std::string get(
    const std::string &keyPath, const std::string &name, std::uint32_t *type = nullptr)
{
    Key key = 0;
    std::uint8_t data[256];
    std::uint32_t size = sizeof data;
    const bool found = regOpenKey(hkeyLocalMachine, keyPath, &key) == errorSuccess
        && regQueryValue(key, name, type, data, &size) == errorSuccess;
    regCloseKey(key);
    return found ? std::string(reinterpret_cast<char *>(data), size) : missing;
}

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
        names << QString::fromLatin1(name);
    regCloseKey(key);
    return names;
}

inline std::string str(const QString &text)
{
    return text.toStdString();
}

// The tests of what only this system has; the status as QTest::qExec gives it.
int runSystemTests(int argc, char **argv);
