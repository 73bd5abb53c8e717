// Our drop target fed by a data object of the test's own, as the platform's
// drag loop would feed it.
#include <gtest/gtest.h>

#include "platform/win32/DropTarget.h"
// shlobj.h needs the types of windows.h.
// clang-format off
#include <windows.h>
#include <shlobj.h>
// clang-format on

#include <cstring>
#include <string>
#include <vector>

namespace velmora::win32 {
namespace {

// Holds a file list (CF_HDROP) or nothing, and answers only what a drop target asks.
class FileListData final : public IDataObject {
public:
    explicit FileListData(std::vector<std::wstring> files, bool hasFiles = true)
        : files_(std::move(files)), hasFiles_(hasFiles) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject)) {
            *object = static_cast<IDataObject*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives on the test's stack
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
        size_t chars = 1;
        for (const auto& file : files_) chars += file.size() + 1;
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + chars * sizeof(wchar_t));
        auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
        drop->pFiles = sizeof(DROPFILES);
        drop->fWide = TRUE;
        auto* text = reinterpret_cast<wchar_t*>(reinterpret_cast<char*>(drop) + sizeof(DROPFILES));
        for (const auto& file : files_) {
            std::memcpy(text, file.c_str(), (file.size() + 1) * sizeof(wchar_t));
            text += file.size() + 1;
        }
        GlobalUnlock(memory);
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = memory;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
        return hasFiles_ && format->cfFormat == CF_HDROP && (format->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

private:
    std::vector<std::wstring> files_;
    bool hasFiles_;
};

class DropTargetTest : public testing::Test {
protected:
    void SetUp() override {
        window_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 100, 50, 300, 200, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
        target_ = new DropTarget(
            window_,
            [this](int shift, bool hasFiles) -> DWORD {
                overs_.push_back({shift, hasFiles});
                return shift == 2 ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
            },
            [this](const DropInfo& drop) { drops_.push_back(drop); });
    }
    void TearDown() override {
        target_->Release();
        DestroyWindow(window_);
    }

    struct Over {
        int shift;
        bool hasFiles;
    };
    HWND window_ = nullptr;
    DropTarget* target_ = nullptr;
    std::vector<Over> overs_;
    std::vector<DropInfo> drops_;
};

TEST_F(DropTargetTest, DropBringsTheFilesInOrderWithKeysAndClientPoint) {
    FileListData data({L"C:\\資料\\a.txt", L"C:\\b"});
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    ASSERT_EQ(target_->DragEnter(&data, MK_LBUTTON | MK_CONTROL, {110, 60}, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    ASSERT_EQ(target_->Drop(&data, MK_CONTROL | MK_SHIFT | MK_ALT, {130, 80}, &effect), S_OK);
    ASSERT_EQ(drops_.size(), 1u);
    EXPECT_TRUE(drops_[0].hasFiles);
    EXPECT_EQ(drops_[0].files, (std::vector<std::string>{"C:\\資料\\a.txt", "C:\\b"}));
    EXPECT_EQ(drops_[0].shift, 1 | 2 | 4);
    POINT expected{130, 80};
    ScreenToClient(window_, &expected);
    EXPECT_EQ(drops_[0].client.x, expected.x);
    EXPECT_EQ(drops_[0].client.y, expected.y);
    ASSERT_FALSE(overs_.empty());
    EXPECT_EQ(overs_[0].shift, 2);
    EXPECT_TRUE(overs_[0].hasFiles);
}

TEST_F(DropTargetTest, DataWithoutAFileListStillReachesTheHandler) {
    FileListData data({}, false);
    DWORD effect = DROPEFFECT_MOVE;
    target_->DragEnter(&data, MK_LBUTTON, {0, 0}, &effect);
    EXPECT_FALSE(overs_.back().hasFiles);
    target_->Drop(&data, 0, {0, 0}, &effect);
    ASSERT_EQ(drops_.size(), 1u);
    EXPECT_FALSE(drops_[0].hasFiles);
    EXPECT_TRUE(drops_[0].files.empty());
}

TEST_F(DropTargetTest, AnEffectTheSourceDoesNotAllowShowsNone) {
    FileListData data({L"C:\\a"});
    DWORD effect = DROPEFFECT_COPY;  // the source only copies; the handler wants a move without Ctrl
    target_->DragEnter(&data, MK_LBUTTON, {0, 0}, &effect);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
    effect = DROPEFFECT_COPY;
    target_->DragOver(MK_LBUTTON | MK_CONTROL, {0, 0}, &effect);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
}

TEST(DropTargetKeysTest, ShiftCountsLikeTheFormsEvents) {
    EXPECT_EQ(ShiftFromKeyState(0), 0);
    EXPECT_EQ(ShiftFromKeyState(MK_SHIFT | MK_LBUTTON), 1);
    EXPECT_EQ(ShiftFromKeyState(MK_CONTROL | MK_RBUTTON), 2);
    EXPECT_EQ(ShiftFromKeyState(MK_ALT), 4);
}

}  // namespace
}  // namespace velmora::win32
