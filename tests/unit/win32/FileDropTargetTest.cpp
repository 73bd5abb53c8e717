// The drop target of Option's path fields: reading a dropped file list and
// the registration on a window.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>

#include "controls/win32/FileDropTarget.h"

namespace velmora::win32 {
namespace {

using ::testing::ElementsAre;

// A CF_HDROP block as a drag source hands it over: the paths, each ended by
// NUL, and an empty one closing the list.
HGLOBAL MakeDrop(const std::vector<std::wstring>& files, bool wide) {
    std::wstring list;
    for (const std::wstring& file : files) list += file + L'\0';
    list += L'\0';
    const std::size_t textBytes = wide ? list.size() * sizeof(wchar_t) : list.size();
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + textBytes);
    auto* header = static_cast<DROPFILES*>(GlobalLock(data));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = wide;
    char* text = reinterpret_cast<char*>(header) + sizeof(DROPFILES);
    if (wide) {
        std::memcpy(text, list.data(), textBytes);
    } else {
        for (std::size_t i = 0; i < list.size(); ++i) text[i] = static_cast<char>(list[i]);
    }
    GlobalUnlock(data);
    return data;
}

TEST(FileDropTargetTest, FilesOfADropComeInItsOrderAsUtf8) {
    HGLOBAL wide = MakeDrop({L"C:\\Tools\\my.tool.exe", L"D:\\起動\\app.exe"}, true);
    EXPECT_THAT(FilesOfDrop(static_cast<HDROP>(wide)),
                ElementsAre("C:\\Tools\\my.tool.exe", "D:\\\xE8\xB5\xB7\xE5\x8B\x95\\app.exe"));
    GlobalFree(wide);

    // Older sources hand over ANSI lists.
    HGLOBAL ansi = MakeDrop({L"C:\\a.exe"}, false);
    EXPECT_THAT(FilesOfDrop(static_cast<HDROP>(ansi)), ElementsAre("C:\\a.exe"));
    GlobalFree(ansi);

    EXPECT_TRUE(FilesOfDrop(nullptr).empty());
}

TEST(FileDropTargetTest, AWindowTakesOneRegistrationUntilRevoked) {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    HWND window =
        CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(RegisterFileDropTarget(window, [](const std::vector<std::string>&) {}));
    EXPECT_FALSE(RegisterFileDropTarget(window, [](const std::vector<std::string>&) {}));
    RevokeFileDropTarget(window);
    EXPECT_TRUE(RegisterFileDropTarget(window, [](const std::vector<std::string>&) {}));
    RevokeFileDropTarget(window);
    DestroyWindow(window);
    OleUninitialize();
}

}  // namespace
}  // namespace velmora::win32
