#pragma once

// A standard stream that never holds up the watcher: lines wait in a bounded
// queue, and a thread of their own writes them out. Whoever reads the stream
// may stall or go away; the lines that no longer fit are dropped, and one
// line says how many.

#include <QByteArray>
#include <chrono>
#include <memory>

namespace tarnctl {

// The line as the watcher passes it on: a timestamp, a blank, the text and a
// line feed.
QByteArray stampedLine(const QByteArray &text);

class OutputQueue
{
public:
    static constexpr qsizetype defaultCapacity = 1024 * 1024;

    // `fd` stays open; it is the caller's.
    explicit OutputQueue(int fd, qsizetype capacity = defaultCapacity);
    // Gives what waits a short while to go out; then leaves it behind.
    ~OutputQueue();
    OutputQueue(const OutputQueue &) = delete;
    OutputQueue &operator=(const OutputQueue &) = delete;

    // A whole line, line feed included.
    void put(const QByteArray &line);

    // Waits up to `wait` for everything queued to be written; false when
    // some of it is still waiting.
    bool flush(std::chrono::milliseconds wait);

    struct State;

private:
    std::shared_ptr<State> state;
};

} // namespace tarnctl
