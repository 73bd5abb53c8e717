// The drop target fed as the platform's drag loop would feed it, with the handlers of both programs' kinds.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h:
#include <shlobj.h>

#include <string>
#include <vector>

#include "platform/win32/kit/DropTarget.h"

namespace velmora::win32 {
namespace {

using Lists = std::vector<std::vector<std::string>>;
constexpr DWORD kNone = DROPEFFECT_NONE, kCopy = DROPEFFECT_COPY, kMove = DROPEFFECT_MOVE, kLink = DROPEFFECT_LINK;

// The target shows the first effect its handler wants that the source allows, and drops with it. Velmora's tab
// strips want a copy with Ctrl, else a move, files or not, and hear of every drop; Option's path fields want only
// a copy or a link of a file list (a move would let the source delete the file named), and hear only of those.
TEST(DropTargetTest, ShowsAndDropsWithTheFirstWantedEffectTheSourceAllows) {
    struct Case {
        const char* what;
        bool files;
        int shift;
        DWORD keys, allowed, strip, path;  // strip and path: the effect shown and dropped with
    };
    const Case cases[] = {
        {"no Ctrl asks a move", true, 1 | 4, MK_SHIFT | MK_ALT, kCopy | kMove | kLink, kMove, kCopy},
        {"a move the source refuses", true, 0, 0, kCopy, kNone, kCopy},
        {"only a move offered", true, 2, MK_CONTROL, kMove, kNone, kNone},
        {"only a link offered", true, 0, 0, kLink, kNone, kLink},
        {"no file list", false, 0, 0, kCopy | kMove, kMove, kNone},
    };
    // The data of a drag of two files from a shell folder; the cases without a file list bring no data at all.
    const OleApartment ole;
    PIDLIST_ABSOLUTE paths[] = {SHSimpleIDListFromPath(L"C:\\資料\\a.txt"), SHSimpleIDListFromPath(L"C:\\資料\\b"),
                                SHSimpleIDListFromPath(L"C:\\資料")};
    PCUIDLIST_RELATIVE items[] = {ILFindLastID(paths[0]), ILFindLastID(paths[1])};
    ComPtr<IDataObject> fileList;
    ASSERT_EQ(CIDLData_CreateFromIDArray(paths[2], 2, items, fileList.Put()), S_OK);
    for (PIDLIST_ABSOLUTE path : paths) ILFree(path);
    const std::vector<std::string> files{"C:\\資料\\a.txt", "C:\\資料\\b"};
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 100, 50, 300, 200, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        IDataObject* data = c.files ? fileList.Get() : nullptr;
        std::vector<DropInfo> drops;
        Lists taken;
        for (bool path : {false, true}) {
            auto target = DropTarget::Create(
                window, path ? FilePathDrop([&](const std::vector<std::string>& list) { taken.push_back(list); })
                             : DropTarget::Handlers{[](int shift, bool) { return shift == 2 ? kCopy : kMove; },
                                                    [&](const DropInfo& drop) {
                                                        drops.push_back(drop);
                                                        return drop.effect;
                                                    }});
            DWORD entered = c.allowed, over = c.allowed, dropped = c.allowed;
            ASSERT_EQ(target->DragEnter(data, MK_LBUTTON | c.keys, {110, 60}, &entered), S_OK);
            target->DragOver(MK_LBUTTON | c.keys, {120, 70}, &over);
            ASSERT_EQ(target->Drop(data, c.keys, {130, 80}, &dropped), S_OK);
            const DWORD expected = path ? c.path : c.strip;
            EXPECT_TRUE(entered == expected && over == expected && dropped == expected)
                << path << ": " << entered << over << dropped;
        }
        EXPECT_EQ(taken, c.path != kNone ? Lists{files} : Lists{});
        ASSERT_EQ(drops.size(), 1u);
        EXPECT_EQ(drops[0].files, c.files ? files : std::vector<std::string>{});
        EXPECT_TRUE(drops[0].shift == c.shift && drops[0].client.x == 30 && drops[0].client.y == 30)
            << drops[0].shift << " at " << drops[0].client.x << "," << drops[0].client.y;
    }
    DestroyWindow(window);
}

}  // namespace
}  // namespace velmora::win32
