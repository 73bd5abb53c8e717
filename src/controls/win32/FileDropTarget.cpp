#include "controls/win32/FileDropTarget.h"

#include <utility>


namespace velmora::win32 {

namespace {

FORMATETC FileListFormat() { return FORMATETC{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

bool OffersFiles(IDataObject* data) {
    FORMATETC format = FileListFormat();
    return data && data->QueryGetData(&format) == S_OK;
}

// Copy or link, whichever the source allows: answering "move" would let the
// source delete the file we only wanted the name of.
DWORD ChooseEffect(DWORD allowed) {
    if (allowed & DROPEFFECT_COPY) return DROPEFFECT_COPY;
    if (allowed & DROPEFFECT_LINK) return DROPEFFECT_LINK;
    return DROPEFFECT_NONE;
}

class FileDropTarget final : public IDropTarget {
public:
    explicit FileDropTarget(FilesDropped onDrop) : onDrop_(std::move(onDrop)) {}
    FileDropTarget(const FileDropTarget&) = delete;
    FileDropTarget& operator=(const FileDropTarget&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) {
            *object = static_cast<IDropTarget*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        accepting_ = OffersFiles(data) && ChooseEffect(*effect) != DROPEFFECT_NONE;
        *effect = accepting_ ? ChooseEffect(*effect) : DROPEFFECT_NONE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
        *effect = accepting_ ? ChooseEffect(*effect) : DROPEFFECT_NONE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override {
        accepting_ = false;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        accepting_ = false;
        const DWORD chosen = OffersFiles(data) ? ChooseEffect(*effect) : DROPEFFECT_NONE;
        *effect = chosen;
        if (chosen == DROPEFFECT_NONE) return S_OK;
        FORMATETC format = FileListFormat();
        STGMEDIUM medium{};
        if (data->GetData(&format, &medium) != S_OK) {
            *effect = DROPEFFECT_NONE;
            return S_OK;
        }
        std::vector<std::string> files = FilesOfDrop(static_cast<HDROP>(medium.hGlobal));
        ReleaseStgMedium(&medium);
        if (onDrop_) onDrop_(files);
        return S_OK;
    }

private:
    ~FileDropTarget() = default;

    LONG references_ = 1;
    bool accepting_ = false;
    FilesDropped onDrop_;
};

}  // namespace

bool RegisterFileDropTarget(HWND window, FilesDropped onDrop) {
    auto* target = new FileDropTarget(std::move(onDrop));
    // RegisterDragDrop keeps its own reference for as long as it is registered.
    const HRESULT result = RegisterDragDrop(window, target);
    target->Release();
    return SUCCEEDED(result);
}

void RevokeFileDropTarget(HWND window) { RevokeDragDrop(window); }

}  // namespace velmora::win32
