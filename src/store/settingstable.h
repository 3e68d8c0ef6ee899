#pragma once

#include <QString>
#include <QtCore/qnamespace.h>
#include <span>

// Which stored value each control of the main window is loaded from and
// saved to, with its default and the form its text takes in the store. The
// window's settings load and save, and everything else that reads the
// settings as the window would, go by this one table.

enum class StoredAs {
    Text, // as typed; empty reads as the default
    Password, // as typed; "x" stands for an empty box
    Check, // "0", "1" or "2"
    CheckWithBlank, // " 0", " 1" or " 2"
};

enum class Saved {
    ByExit, // with everything else when "Exit" or "Go" is pressed
    OnEveryChange, // by the box itself, whenever it changes
    Never, // only read
};

struct StoredSetting
{
    const char *control;
    const char *valueName;
    const char *defaultText;
    StoredAs storedAs;
    Saved saved;
    bool loaded = true;
};

std::span<const StoredSetting> storedSettings();

// The remote-console password made for this store, used where "rcon_pw"
// holds fewer than two characters; "rcon_pw" keeps what the operator typed.
// No control shows it.
inline constexpr char generatedRconPasswordName[] = "rcon_pw_generated";

// The text a box shows for what is stored.
QString textFromStored(const StoredSetting &setting, const QString &stored);
// What is stored for the text of a box, or for the state of a check box.
QString storedText(const StoredSetting &setting, const QString &text);
QString storedCheck(const StoredSetting &setting, Qt::CheckState state);
