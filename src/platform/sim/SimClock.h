#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <utility>

#include "platform/Processes.h"
#include "platform/Shell.h"

namespace velmora::platform::sim {

// Time on the simulated desktop passes only when someone makes it pass: a
// test (Advance) or our own program (Sleep, waits). Two kinds of things
// happen meanwhile:
//  - actions of other programs (a window appears, a process exits), run as
//    soon as their time is reached;
//  - messages for our user-interface thread, queued until it pumps them.
class SimClock : public Clock {
public:
    explicit SimClock(std::uint32_t startMs = 0) : now_(startMs) {}

    std::uint32_t NowMs() override { return static_cast<std::uint32_t>(now_); }
    void Sleep(std::uint32_t ms) override { Advance(ms); }
    // Runs the messages queued when it was called; those they post wait for
    // the next pump, so a message that re-posts itself cannot hang a test.
    void PumpPendingMessages() override;
    void WaitForProcessOrMessage(RunningProcess& process, std::uint32_t timeoutMs) override;

    void Post(std::function<void()> message) { messages_.push_back(std::move(message)); }
    // Another program acts delayMs from now.
    void After(std::uint32_t delayMs, std::function<void()> action);
    void Advance(std::uint32_t ms);
    std::size_t PendingMessages() const { return messages_.size(); }
    int PumpCount() const { return pumps_; }

private:
    // Runs the earliest action due at or before `until`; false when none is.
    bool RunNextAction(std::uint64_t until);

    std::uint64_t now_;  // wide, so the 32-bit clock can wrap in a test
    std::uint64_t sequence_ = 0;
    std::multimap<std::pair<std::uint64_t, std::uint64_t>, std::function<void()>> actions_;  // (time, order)
    std::deque<std::function<void()>> messages_;
    int pumps_ = 0;
};

}  // namespace velmora::platform::sim
