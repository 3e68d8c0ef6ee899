#pragma once

#include <QStringList>
#include <optional>

// The command lines sent from the monitor, recalled with the Up and Down
// keys as a shell recalls them: Up goes back, Down forward, and past the
// newest line comes an empty one.
class CommandHistory
{
public:
    // Keeps a sent line and goes back to the empty line after the newest.
    // Empty lines and a repeat of the newest are not kept.
    void add(const QString &line);
    // The line before or after the one recalled; nothing when there is
    // none, so the box keeps what it holds.
    std::optional<QString> older();
    std::optional<QString> newer();
    // Back to the empty line after the newest.
    void rewind() { position = lines.size(); }

private:
    // The oldest lines go first.
    static constexpr qsizetype kept = 100;
    QStringList lines;
    qsizetype position = 0;
};
