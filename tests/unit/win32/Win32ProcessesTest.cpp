// Starting programs and finding the programs of documents, with the system's
// own small programs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "platform/win32/Win32Processes.h"
#include "platform/win32/kit/WinString.h"

namespace velmora::win32 {
namespace {

std::string SystemProgram(const char* name) {
    wchar_t folder[MAX_PATH];
    GetSystemDirectoryW(folder, MAX_PATH);
    return Narrow(folder) + "\\" + name;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

void EndProcess(std::uint32_t processId) {
    if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId)) {
        TerminateProcess(process, 0);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    }
}

TEST(Win32ProcessesTest, LaunchedProgramIsWaitedForUntilItEnds) {
    Win32Processes processes;
    auto process = processes.Launch(SystemProgram("hostname.exe"));
    ASSERT_NE(process, nullptr);
    EXPECT_NE(process->ProcessId(), 0u);
    for (int i = 0; i < 500 && !process->HasExited(); ++i) Sleep(10);
    EXPECT_TRUE(process->HasExited());
    EXPECT_EQ(processes.Launch(SystemProgram("no-such-program.exe")), nullptr);
}

TEST(Win32ProcessesTest, StartedWindowProgramBecomesIdle) {
    Win32Processes processes;
    const std::uint32_t id = processes.Start("notepad.exe", SW_SHOWMINNOACTIVE);
    ASSERT_NE(id, 0u);
    EXPECT_TRUE(processes.WaitForInputIdle(id, 10000));
    EndProcess(id);
    EXPECT_FALSE(processes.WaitForInputIdle(id, 100)) << "a process that is gone cannot be waited for";
    EXPECT_EQ(processes.Start("\"C:\\no such folder\\x.exe\" /a", SW_SHOWNORMAL), 0u);
}

TEST(Win32ProcessesTest, FindsTheProgramOfADocument) {
    // An association of our own, so the answer does not depend on what the
    // system has registered for common types (a fresh Wine prefix has no
    // ".txt"). Wine reads associations only from the classes root.
    const std::string program = SystemProgram("notepad.exe");
    const std::wstring command = L"\"" + Widen(program) + L"\" \"%1\"";
    ASSERT_EQ(RegSetKeyValueW(HKEY_CLASSES_ROOT, L".velmoratest", nullptr, REG_SZ, L"VelmoraTest.Document",
                              sizeof(L"VelmoraTest.Document")),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetKeyValueW(HKEY_CLASSES_ROOT, L"VelmoraTest.Document\\shell\\open\\command", nullptr, REG_SZ,
                              command.c_str(), static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring document = std::wstring(temp) + L"velmora-見本.velmoratest";
    const std::wstring unknown = std::wstring(temp) + L"velmora-sample.velmoraunknown";
    for (const auto& path : {document, unknown}) {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        CloseHandle(file);
    }
    Win32Processes processes;
    const auto found = processes.AssociatedProgram(Narrow(document));
    EXPECT_EQ(processes.AssociatedProgram(Narrow(unknown)), std::nullopt);
    DeleteFileW(document.c_str());
    DeleteFileW(unknown.c_str());
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L".velmoratest");
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"VelmoraTest.Document");
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(Lower(*found), Lower(program));
}

}  // namespace
}  // namespace velmora::win32
