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

// Holds the list of two files (CF_HDROP) or nothing, and answers only what a
// drop target asks.
class FileListData final : public IDataObject {
public:
    explicit FileListData(bool hasFiles) : hasFiles_(hasFiles) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives on the test's stack
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
        const std::wstring_view list{L"C:\\資料\\a.txt\0C:\\b\0", 17};
        HGLOBAL memory =
            GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + (list.size() + 1) * sizeof(wchar_t));
        auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
        drop->pFiles = sizeof(DROPFILES);
        drop->fWide = TRUE;
        std::memcpy(drop + 1, list.data(), list.size() * sizeof(wchar_t));
        GlobalUnlock(memory);
        *medium = {};
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = memory;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
        return hasFiles_ && format->cfFormat == CF_HDROP && (format->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

private:
    bool hasFiles_;
};

constexpr DWORD kNone = DROPEFFECT_NONE, kCopy = DROPEFFECT_COPY, kMove = DROPEFFECT_MOVE, kLink = DROPEFFECT_LINK;

using Lists = std::vector<std::vector<std::string>>;

struct Seen {
    std::vector<DropInfo> drops;
    Lists paths;
};

// Velmora's tab strips: a copy with Ctrl, else a move, files or not.
DropTarget::Handlers StripHandlers(Seen& seen) {
    return {[](int shift, bool) -> DWORD { return shift == 2 ? kCopy : kMove; },
            [&seen](const DropInfo& drop) {
                seen.drops.push_back(drop);
                return drop.effect;
            }};
}

// Option's path fields.
DropTarget::Handlers PathHandlers(Seen& seen) {
    return FilePathDrop([&seen](const std::vector<std::string>& files) { seen.paths.push_back(files); });
}

TEST(DropTargetTest, ShowsTheFirstWantedEffectTheSourceAllowsAndPathFieldsTakeOnlyThat) {
    struct Case {
        const char* what;
        bool files;
        DWORD keys;
        int shift;
        DWORD allowed;
        DWORD strip;  // what a tab strip shows and drops with
        DWORD path;   // what a path field shows and drops with
    };
    const Case cases[] = {
        {"Ctrl asks a copy", true, MK_CONTROL, 2, kCopy | kMove, kCopy, kCopy},
        {"no Ctrl asks a move", true, MK_SHIFT | MK_ALT, 1 | 4, kCopy | kMove | kLink, kMove, kCopy},
        {"a move the source refuses", true, 0, 0, kCopy, kNone, kCopy},
        {"only a move offered", true, MK_CONTROL, 2, kMove, kNone, kNone},
        {"only a link offered", true, 0, 0, kLink, kNone, kLink},
        {"no file list", false, 0, 0, kCopy | kMove, kMove, kNone},
    };
    const std::vector<std::string> files{"C:\\資料\\a.txt", "C:\\b"};
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 100, 50, 300, 200, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    POINT client{130, 80};
    ScreenToClient(window, &client);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FileListData data(c.files);
        for (bool path : {false, true}) {
            Seen seen;
            auto target = DropTarget::Create(window, path ? PathHandlers(seen) : StripHandlers(seen));
            const DWORD expected = path ? c.path : c.strip;
            DWORD effect = c.allowed;
            ASSERT_EQ(target->DragEnter(&data, MK_LBUTTON | c.keys, {110, 60}, &effect), S_OK);
            EXPECT_EQ(effect, expected);
            effect = c.allowed;
            target->DragOver(MK_LBUTTON | c.keys, {120, 70}, &effect);
            EXPECT_EQ(effect, expected);
            effect = c.allowed;
            ASSERT_EQ(target->Drop(&data, c.keys, {130, 80}, &effect), S_OK);
            EXPECT_EQ(effect, expected);
            if (path) {
                // A path field hears only of drops it took.
                EXPECT_EQ(seen.paths, expected != kNone ? Lists{files} : Lists{});
                continue;
            }
            // The main window hears of every drop, and decides itself.
            ASSERT_EQ(seen.drops.size(), 1u);
            const DropInfo& drop = seen.drops[0];
            EXPECT_EQ(drop.effect, expected);
            EXPECT_EQ(drop.files, c.files ? files : std::vector<std::string>{});
            EXPECT_EQ(drop.shift, c.shift);
            EXPECT_EQ(drop.client.x, client.x);
            EXPECT_EQ(drop.client.y, client.y);
        }
    }
    DestroyWindow(window);
}

TEST(DropTargetTest, AWindowTakesOneRegistrationUntilItIsRevoked) {
    const OleApartment ole;
    ASSERT_TRUE(ole.Joined());
    HWND window =
        CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    Seen seen;
    DropRegistration first(window, PathHandlers(seen));
    EXPECT_TRUE(first);
    EXPECT_FALSE(DropRegistration(window, PathHandlers(seen)));
    first.Revoke();
    EXPECT_TRUE(DropRegistration(window, PathHandlers(seen))) << "revoked, the window takes a new one";
    DestroyWindow(window);
}

}  // namespace
}  // namespace velmora::win32
