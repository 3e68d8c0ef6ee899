#pragma once

// When a watched server that ended is started again: after a wait that
// doubles with each end, and not at all once it has ended too often.

#include <chrono>
#include <deque>
#include <optional>

namespace tarnctl {

class RestartPolicy
{
public:
    using Clock = std::chrono::steady_clock;
    using Duration = std::chrono::milliseconds;

    // At most `maxRestarts` ends within `window`. `timeScale` shortens every
    // wait alike, for the tests only.
    RestartPolicy(int maxRestarts, Duration window, double timeScale = 1.0);

    // The server ended at `now` after running for `ran`: the wait before it
    // starts again, or nothing when it has ended too often.
    std::optional<Duration> serverEnded(Clock::time_point now, Duration ran);

    Duration scaled(Duration duration) const;

private:
    int maxRestarts;
    Duration window;
    double timeScale;
    Duration nextWait;
    std::deque<Clock::time_point> ends;
};

} // namespace tarnctl
