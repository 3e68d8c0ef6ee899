#include "outputqueue.h"

#include <QDateTime>
#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <thread>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace tarnctl {

struct OutputQueue::State
{
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable written;
    int fd = -1;
    qsizetype capacity = 0;
    QByteArray waiting;
    qsizetype writing = 0;
    qint64 dropped = 0;
    bool closing = false;
    // The reader is gone for good: what comes is thrown away at once.
    bool broken = false;
};

namespace {

using namespace std::chrono_literals;

// What the queue gives before its owner goes on without it.
constexpr std::chrono::milliseconds lastCall = 1s;

bool writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const qsizetype chunk = std::min<qsizetype>(bytes.size() - done, 1 << 20);
#ifdef _WIN32
        const int count = ::_write(fd, bytes.constData() + done, unsigned(chunk));
#else
        const ssize_t count = ::write(fd, bytes.constData() + done, std::size_t(chunk));
#endif
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        done += count;
    }
    return true;
}

void writeLoop(const std::shared_ptr<OutputQueue::State> &state)
{
    std::unique_lock lock(state->mutex);
    for (;;) {
        state->wake.wait(lock, [&] { return !state->waiting.isEmpty() || state->closing; });
        if (state->waiting.isEmpty())
            return;
        const QByteArray bytes = std::exchange(state->waiting, {});
        state->writing = bytes.size();
        lock.unlock();
        const bool ok = writeAll(state->fd, bytes);
        lock.lock();
        state->writing = 0;
        state->broken = state->broken || !ok;
        state->written.notify_all();
    }
}

} // namespace

QByteArray stampedLine(const QByteArray &text)
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8()
        + ' ' + text + '\n';
}

OutputQueue::OutputQueue(int fd, qsizetype capacity) : state(std::make_shared<State>())
{
    state->fd = fd;
    state->capacity = capacity;
    std::thread(writeLoop, state).detach();
}

OutputQueue::~OutputQueue()
{
    flush(lastCall);
    std::lock_guard lock(state->mutex);
    state->closing = true;
    state->wake.notify_one();
}

void OutputQueue::put(const QByteArray &line)
{
    std::lock_guard lock(state->mutex);
    if (state->broken)
        return;
    const QByteArray note = state->dropped == 0
        ? QByteArray()
        : stampedLine("tarnctl: " + QByteArray::number(state->dropped)
            + " lines of output were dropped: they were not read in time");
    if (state->waiting.size() + state->writing + note.size() + line.size() > state->capacity) {
        ++state->dropped;
        return;
    }
    state->waiting += note + line;
    state->dropped = 0;
    state->wake.notify_one();
}

bool OutputQueue::flush(std::chrono::milliseconds wait)
{
    std::unique_lock lock(state->mutex);
    return state->written.wait_for(lock, wait,
        [&] { return state->broken || (state->waiting.isEmpty() && state->writing == 0); });
}

} // namespace tarnctl
