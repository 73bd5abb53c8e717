#include "platform/win32/DropTarget.h"

#include <shellapi.h>

#include <utility>

#include "platform/win32/kit/WinString.h"

namespace velmora::win32 {
namespace {

FORMATETC FileListFormat() { return {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

bool HoldsFiles(IDataObject* data) {
    FORMATETC format = FileListFormat();
    return data != nullptr && data->QueryGetData(&format) == S_OK;
}

}  // namespace

int ShiftFromKeyState(DWORD keyState) {
    int shift = 0;
    if (keyState & MK_SHIFT) shift |= 1;
    if (keyState & MK_CONTROL) shift |= 2;
    if (keyState & MK_ALT) shift |= 4;
    return shift;
}

bool ReadDroppedFiles(IDataObject* data, std::vector<std::string>& files) {
    files.clear();
    if (!HoldsFiles(data)) return false;
    FORMATETC format = FileListFormat();
    STGMEDIUM medium{};
    if (data->GetData(&format, &medium) != S_OK) return false;
    bool read = false;
    if (auto drop = static_cast<HDROP>(GlobalLock(medium.hGlobal))) {
        files = FilesOfDrop(drop);
        GlobalUnlock(medium.hGlobal);
        read = true;
    }
    ReleaseStgMedium(&medium);
    return read;
}

std::vector<std::string> FilesOfDrop(HDROP drop) {
    std::vector<std::string> files;
    if (!drop) return files;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::wstring path(static_cast<std::size_t>(length) + 1, L'\0');
        const UINT copied = DragQueryFileW(drop, i, path.data(), length + 1);
        path.resize(copied);
        files.push_back(Narrow(path));
    }
    return files;
}

DropTarget::DropTarget(HWND window, OverHandler over, DropHandler drop)
    : window_(window), over_(std::move(over)), drop_(std::move(drop)) {}

HRESULT STDMETHODCALLTYPE DropTarget::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropTarget)) {
        *object = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE DropTarget::AddRef() { return ++references_; }

ULONG STDMETHODCALLTYPE DropTarget::Release() {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

DWORD DropTarget::Over(DWORD keyState, DWORD allowed) {
    const DWORD wanted = over_ ? over_(ShiftFromKeyState(keyState), hasFiles_) : DROPEFFECT_NONE;
    // The source decides what it allows; show "no" rather than an effect it refuses.
    return (wanted & allowed) != 0 ? (wanted & allowed) : DROPEFFECT_NONE;
}

HRESULT STDMETHODCALLTYPE DropTarget::DragEnter(IDataObject* data, DWORD keyState, POINTL, DWORD* effect) {
    hasFiles_ = HoldsFiles(data);
    if (effect != nullptr) *effect = Over(keyState, *effect);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DropTarget::DragOver(DWORD keyState, POINTL, DWORD* effect) {
    if (effect != nullptr) *effect = Over(keyState, *effect);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DropTarget::DragLeave() {
    hasFiles_ = false;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DropTarget::Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) {
    DropInfo info;
    info.hasFiles = ReadDroppedFiles(data, info.files);
    info.shift = ShiftFromKeyState(keyState);
    info.client = {point.x, point.y};
    ScreenToClient(window_, &info.client);
    hasFiles_ = info.hasFiles;
    const DWORD shown = effect != nullptr ? Over(keyState, *effect) : DROPEFFECT_NONE;
    if (drop_) drop_(info);
    if (effect != nullptr) *effect = shown;
    hasFiles_ = false;
    return S_OK;
}

}  // namespace velmora::win32
