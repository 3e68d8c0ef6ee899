#include "restartpolicy.h"

#include <algorithm>
#include <cmath>

namespace tarnctl {

namespace {

using namespace std::chrono_literals;

constexpr RestartPolicy::Duration firstWait = 1s;
constexpr RestartPolicy::Duration longestWait = 60s;
// A server that ran this long was fine; its next crash starts the waits over.
constexpr RestartPolicy::Duration goodRun = 10min;

} // namespace

RestartPolicy::RestartPolicy(int maxRestarts, Duration window, double timeScale)
    : maxRestarts(maxRestarts), window(window), timeScale(timeScale), nextWait(scaled(firstWait))
{
}

RestartPolicy::Duration RestartPolicy::scaled(Duration duration) const
{
    return Duration(std::max<long long>(1, std::llround(double(duration.count()) * timeScale)));
}

std::optional<RestartPolicy::Duration> RestartPolicy::serverEnded(
    Clock::time_point now, Duration ran)
{
    ends.push_back(now);
    while (now - ends.front() > scaled(window))
        ends.pop_front();
    if (int(ends.size()) > maxRestarts)
        return std::nullopt;
    if (ran >= scaled(goodRun))
        nextWait = scaled(firstWait);
    const Duration wait = nextWait;
    nextWait = std::min(nextWait * 2, scaled(longestWait));
    return wait;
}

} // namespace tarnctl
