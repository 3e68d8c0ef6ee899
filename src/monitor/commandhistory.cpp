#include "monitor/commandhistory.h"

void CommandHistory::add(const QString &line)
{
    if (!line.isEmpty() && (lines.isEmpty() || lines.last() != line)) {
        lines.append(line);
        if (lines.size() > kept)
            lines.removeFirst();
    }
    rewind();
}

std::optional<QString> CommandHistory::older()
{
    if (position == 0)
        return std::nullopt;
    return lines.at(--position);
}

std::optional<QString> CommandHistory::newer()
{
    if (position >= lines.size())
        return std::nullopt;
    ++position;
    return position == lines.size() ? QString() : lines.at(position);
}
