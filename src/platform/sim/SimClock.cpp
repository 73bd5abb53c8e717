#include "platform/sim/SimClock.h"

namespace velmora::platform::sim {

void SimClock::PumpPendingMessages() {
    ++pumps_;
    std::deque<std::function<void()>> now;
    now.swap(messages_);
    for (auto& message : now) message();
}

void SimClock::After(std::uint32_t delayMs, std::function<void()> action) {
    actions_.emplace(std::make_pair(now_ + delayMs, sequence_++), std::move(action));
}

bool SimClock::RunNextAction(std::uint64_t until) {
    if (actions_.empty() || actions_.begin()->first.first > until) return false;
    auto node = actions_.extract(actions_.begin());
    now_ = node.key().first;
    node.mapped()();
    return true;
}

void SimClock::Advance(std::uint32_t ms) {
    const std::uint64_t until = now_ + ms;
    while (RunNextAction(until)) {
    }
    now_ = until;
}

void SimClock::WaitForProcessOrMessage(RunningProcess& process, std::uint32_t timeoutMs) {
    const std::uint64_t deadline = now_ + timeoutMs;
    bool woken = process.HasExited() || !messages_.empty();
    while (!woken && RunNextAction(deadline)) {
        woken = process.HasExited() || !messages_.empty();
    }
    if (!woken) now_ = deadline;
    PumpPendingMessages();
}

}  // namespace velmora::platform::sim
