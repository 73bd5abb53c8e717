#include "platform/win32/Win32Trace.h"

#include <windows.h>

#include <cstdio>

#include "platform/win32/kit/Handles.h"
#include "platform/win32/kit/WinString.h"

namespace velmora::win32 {
namespace {

class FileTrace final : public platform::Trace {
public:
    explicit FileTrace(UniqueHandle file) : file_(std::move(file)) {
        QueryPerformanceFrequency(&frequency_);
        QueryPerformanceCounter(&start_);
        char header[48];
        const int length = std::snprintf(header, sizeof header, "# Velmora %lu\r\n", GetCurrentProcessId());
        Write(header, length);
    }

    void Step(std::string_view what) override { Mark("step", what); }
    void Wait(std::string_view what) override { Mark("wait", what); }

private:
    void Mark(const char* kind, std::string_view what) {
        // The time is taken before the line is formatted and written: what the writing costs falls into the next
        // step, where a reader of the trace can see it as a step's floor.
        LARGE_INTEGER now{};
        QueryPerformanceCounter(&now);
        const double ms =
            static_cast<double>(now.QuadPart - start_.QuadPart) * 1000.0 / static_cast<double>(frequency_.QuadPart);
        char line[160];  // the name is cut at 100 characters, so the line always fits
        const int length = std::snprintf(line, sizeof line, "%.3f\t%s\t%.*s\r\n", ms, kind,
                                         static_cast<int>(what.size() > 100 ? 100 : what.size()), what.data());
        Write(line, length);
    }

    void Write(const char* text, int length) {
        if (length <= 0) return;
        DWORD written = 0;
        // Written at once, not buffered: a trace of a run that ends badly is still there up to its last mark.
        WriteFile(file_.Get(), text, static_cast<DWORD>(length), &written, nullptr);
    }

    UniqueHandle file_;
    LARGE_INTEGER frequency_{};
    LARGE_INTEGER start_{};
};

}  // namespace

std::unique_ptr<platform::Trace> TraceFromEnvironment(const std::string& programFolder) {
    wchar_t value[8] = {};
    const DWORD length = GetEnvironmentVariableW(kTraceVariable, value, static_cast<DWORD>(std::size(value)));
    if (length != 1 || value[0] != L'1') return nullptr;
    const std::wstring path = Widen(programFolder) + L"\\" + kTraceFileName;
    // Appended to, and shared for reading and writing: a second copy of the program that starts (and ends at once)
    // adds its lines after the first one's, and a reader can look at the file while Velmora runs.
    UniqueHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return nullptr;
    return std::make_unique<FileTrace>(std::move(file));
}

}  // namespace velmora::win32
