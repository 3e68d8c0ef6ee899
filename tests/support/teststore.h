#pragma once

#include <QTemporaryDir>
#include <QtGlobal>

// Points the settings store at a fresh file for the lifetime of the object,
// so every test starts from an empty store.
class TestStore
{
public:
    TestStore()
    {
        path = dir.filePath(QStringLiteral("registry.db"));
        qputenv("TARNSTARTER_REGISTRY", path.toLocal8Bit());
    }

    QTemporaryDir dir;
    QString path;
};
