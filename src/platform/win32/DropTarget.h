#pragma once

// ole2.h needs the types of windows.h.
// clang-format off
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>
// clang-format on

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace velmora::win32 {

// What a drop brings: the file list (when the data holds one) and where and
// with which keys it was dropped.
struct DropInfo {
    bool hasFiles = false;
    std::vector<std::string> files;  // UTF-8 paths in the data's order
    int shift = 0;                   // 1 Shift, 2 Ctrl, 4 Alt, as the form's events count them
    POINT client{};                  // in the target window's client pixels
};

// The shift value of OLE key-state bits.
int ShiftFromKeyState(DWORD keyState);

// An OLE drop target of our own for one window. The callbacks run on the
// window's thread, inside the platform's drag loop.
class DropTarget final : public IDropTarget {
public:
    // The effect to show while dragging, from the shift value; DROPEFFECT_*.
    using OverHandler = std::function<DWORD(int shift, bool hasFiles)>;
    using DropHandler = std::function<void(const DropInfo&)>;

    DropTarget(HWND window, OverHandler over, DropHandler drop);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;

private:
    ~DropTarget() = default;
    DWORD Over(DWORD keyState, DWORD allowed);

    std::atomic<ULONG> references_{1};
    HWND window_;
    OverHandler over_;
    DropHandler drop_;
    bool hasFiles_ = false;
};

// The file list of a data object: false when it holds none.
bool ReadDroppedFiles(IDataObject* data, std::vector<std::string>& files);
// The UTF-8 paths of a CF_HDROP list, in its order.
std::vector<std::string> FilesOfDrop(HDROP drop);

}  // namespace velmora::win32
