// The drop target fed by a data object of the test's own, as the platform's
// drag loop would feed it, with the handlers of both programs' kinds.
#include <gtest/gtest.h>

#include "platform/win32/kit/DropTarget.h"
// shlobj.h needs the types of windows.h.
// clang-format off
#include <windows.h>
#include <shlobj.h>
// clang-format on

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::win32 {
namespace {

// Holds a list of two files (CF_HDROP) or nothing; lives on the test's stack and answers only what a drop target asks.
struct FileListData final : IDataObject {
    explicit FileListData(bool files) : hasFiles(files) {}
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
        const std::wstring_view list{L"C:\\資料\\a.txt\0C:\\b\0", 17};
        *medium = {TYMED_HGLOBAL, {}, nullptr};
        medium->hGlobal = GlobalAlloc(GHND, sizeof(DROPFILES) + (list.size() + 1) * sizeof(wchar_t));
        auto* drop = static_cast<DROPFILES*>(GlobalLock(medium->hGlobal));
        drop->pFiles = sizeof(DROPFILES);
        drop->fWide = TRUE;
        std::memcpy(drop + 1, list.data(), list.size() * sizeof(wchar_t));
        GlobalUnlock(medium->hGlobal);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
        return hasFiles && format->cfFormat == CF_HDROP && (format->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        return *object = nullptr, E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

    bool hasFiles;
};

using Lists = std::vector<std::vector<std::string>>;
constexpr DWORD kNone = DROPEFFECT_NONE, kCopy = DROPEFFECT_COPY, kMove = DROPEFFECT_MOVE, kLink = DROPEFFECT_LINK;

// The target shows the first effect its handler wants that the source allows, and drops with it. Velmora's tab
// strips want a copy with Ctrl, else a move, files or not, and hear of every drop; Option's path fields want only
// a copy or a link of a file list (a move would let the source delete the file named), and hear only of those.
TEST(DropTargetTest, ShowsAndDropsWithTheFirstWantedEffectTheSourceAllows) {
    struct Case {
        const char* what;
        bool files;
        DWORD keys;
        int shift;
        DWORD allowed;
        DWORD strip, path;  // the effect shown and dropped with
    };
    const Case cases[] = {
        {"no Ctrl asks a move", true, MK_SHIFT | MK_ALT, 1 | 4, kCopy | kMove | kLink, kMove, kCopy},
        {"a move the source refuses", true, 0, 0, kCopy, kNone, kCopy},
        {"only a move offered", true, MK_CONTROL, 2, kMove, kNone, kNone},
        {"only a link offered", true, 0, 0, kLink, kNone, kLink},
        {"no file list", false, 0, 0, kCopy | kMove, kMove, kNone},
    };
    const std::vector<std::string> files{"C:\\資料\\a.txt", "C:\\b"};
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 100, 50, 300, 200, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FileListData data(c.files);
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
            ASSERT_EQ(target->DragEnter(&data, MK_LBUTTON | c.keys, {110, 60}, &entered), S_OK);
            target->DragOver(MK_LBUTTON | c.keys, {120, 70}, &over);
            ASSERT_EQ(target->Drop(&data, c.keys, {130, 80}, &dropped), S_OK);
            const DWORD expected = path ? c.path : c.strip;
            EXPECT_TRUE(entered == expected && over == expected && dropped == expected)
                << path << ": " << entered << over << dropped;
        }
        EXPECT_EQ(taken, c.path != kNone ? Lists{files} : Lists{});
        ASSERT_EQ(drops.size(), 1u);
        EXPECT_EQ(drops[0].files, c.files ? files : std::vector<std::string>{});
        EXPECT_EQ(drops[0].shift, c.shift);
        EXPECT_TRUE(drops[0].client.x == 30 && drops[0].client.y == 30)
            << drops[0].client.x << "," << drops[0].client.y;
    }
    DestroyWindow(window);
}

}  // namespace
}  // namespace velmora::win32
