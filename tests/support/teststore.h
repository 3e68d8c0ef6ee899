#pragma once

#include <QFile>
#include <QTemporaryDir>
#include <QtGlobal>

// Points the settings store at a fresh file for the lifetime of the object,
// so every test starts from an empty store.
class TestStore
{
public:
    TestStore()
    {
        qputenv("TARNSTARTER_REGISTRY", QFile::encodeName(dir.filePath("registry.db")));
    }

    QTemporaryDir dir;
};
