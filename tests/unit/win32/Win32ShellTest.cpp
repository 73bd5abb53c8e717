// Shell file operations and the clipboard, on files and text this test makes.
#include <gtest/gtest.h>
// shellapi.h needs the types of windows.h.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <string>

#include "platform/win32/Win32Shell.h"
#include "platform/win32/kit/WinString.h"

namespace velmora::win32 {
namespace {

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void WriteFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ::WriteFile(file, "x", 1, &written, nullptr);
    CloseHandle(file);
}

class Win32ShellTest : public testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        root_ = std::wstring(temp) + L"velmora-shell-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(root_.c_str(), nullptr);
        CreateDirectoryW((root_ + L"\\from").c_str(), nullptr);
        CreateDirectoryW((root_ + L"\\to").c_str(), nullptr);
    }
    void TearDown() override {
        std::wstring from = root_;
        from.push_back(L'\0');
        SHFILEOPSTRUCTW op{};
        op.wFunc = FO_DELETE;
        op.pFrom = from.c_str();
        op.fFlags = FOF_NO_UI;
        SHFileOperationW(&op);
    }

    std::wstring root_;
    Win32Shell shell_;
};

TEST_F(Win32ShellTest, CopyAndMoveNameTheTargetItem) {
    const std::wstring source = root_ + L"\\from\\メモ.txt";
    WriteFile(source);
    const std::wstring copy = root_ + L"\\to\\メモ.txt";
    EXPECT_EQ(shell_.FileOperation(0, platform::FileOperation::Copy, Narrow(source), Narrow(copy)), 0);
    EXPECT_TRUE(Exists(copy));
    EXPECT_TRUE(Exists(source));
    // The destination names the new item itself, not a folder to put it in.
    const std::wstring moved = root_ + L"\\to\\renamed.txt";
    EXPECT_EQ(shell_.FileOperation(0, platform::FileOperation::Move, Narrow(source), Narrow(moved)), 0);
    EXPECT_TRUE(Exists(moved));
    EXPECT_FALSE(Exists(source));
    EXPECT_FALSE(Exists(root_ + L"\\to\\renamed.txt\\メモ.txt"));
}

TEST_F(Win32ShellTest, AMissingSourceIsAnError) {
    EXPECT_NE(shell_.FileOperation(0, platform::FileOperation::Copy, Narrow(root_ + L"\\from\\none.txt"),
                                   Narrow(root_ + L"\\to\\none.txt")),
              0);
    EXPECT_FALSE(Exists(root_ + L"\\to\\none.txt"));
}

TEST(Win32ClipboardTest, TextGoesOnAsUnicodeAndComesBack) {
    Win32Clipboard clipboard;
    ASSERT_TRUE(clipboard.SetText("C:\\ユーザー\\デスクトップ"));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
    EXPECT_EQ(clipboard.GetText(), "C:\\ユーザー\\デスクトップ");
    ASSERT_TRUE(clipboard.SetText(""));
    EXPECT_EQ(clipboard.GetText(), "");
}

}  // namespace
}  // namespace velmora::win32
