#pragma once

#include <memory>
#include <string>

#include "platform/Trace.h"

namespace velmora::win32 {

// Set to "1" in the environment of Velmora.exe, it turns the timing trace on.
inline constexpr wchar_t kTraceVariable[] = L"VELMORA_TRACE";
// Where the trace goes: beside the program, appended to.
inline constexpr wchar_t kTraceFileName[] = L"velmora-trace.txt";

// The timing trace the environment asks for, writing to kTraceFileName in the program's folder; nullptr when it is
// not asked for or the file cannot be opened, so that a run without it pays nothing but the null checks. Each run
// starts with a line "# Velmora <process id>"; each mark is one line: milliseconds since the trace began (the
// performance counter, three decimals), "step" or "wait", and the mark's name, separated by tabs. A step's time is
// the time since the mark before it.
std::unique_ptr<platform::Trace> TraceFromEnvironment(const std::string& programFolder);

}  // namespace velmora::win32
