#pragma once

#include <string_view>

namespace velmora::platform {

// An opt-in timing trace of the steps of a start and capture, for measuring Velmora's own part of a launcher pick:
// each step is marked as it ends; a wait is marked as one, so that it can be counted apart. Off unless the user's
// environment asks for it.
class Trace {
public:
    virtual ~Trace() = default;
    virtual void Step(std::string_view what) = 0;
    virtual void Wait(std::string_view what) = 0;
};

// Marks a step or a wait on the trace, when one is asked for.
inline void TraceStep(Trace* trace, std::string_view what) {
    if (trace) trace->Step(what);
}
inline void TraceWait(Trace* trace, std::string_view what) {
    if (trace) trace->Wait(what);
}

}  // namespace velmora::platform
