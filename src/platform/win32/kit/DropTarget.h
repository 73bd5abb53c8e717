#pragma once

// An OLE drop target of our own for one window, with the decisions left to
// two callbacks: which effect a drag would have, and what a drop does.
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

#include "platform/win32/kit/Com.h"

namespace velmora::win32 {

// The shift value of OLE key-state bits: 1 Shift, 2 Ctrl, 4 Alt.
int ShiftFromKeyState(DWORD keyState);

// What a drop brings: the file list (when the data holds one), where and with
// which keys it was dropped, and the effect the drag showed for it.
struct DropInfo {
    bool hasFiles = false;
    std::vector<std::string> files;  // UTF-8 paths in the data's order
    int shift = 0;                   // ShiftFromKeyState
    POINT client{};                  // in the target window's client pixels
    DWORD effect = DROPEFFECT_NONE;
    IDataObject* data = nullptr;     // the source's data object, only while the handler runs
};

class DropTarget final : public IDropTarget {
public:
    struct Handlers {
        // The effects the target would take (DROPEFFECT_* bits) for the keys
        // held and whether the data holds files. What is shown is the first of
        // copy, move and link that the source allows too; none when none is.
        std::function<DWORD(int shift, bool hasFiles)> over;
        // Every drop, also one that ends with no effect or brings no files;
        // returns the effect reported to the source, which acts on it (a
        // source deletes its originals after DROPEFFECT_MOVE).
        std::function<DWORD(const DropInfo&)> drop;
    };

    static ComPtr<DropTarget> Create(HWND window, Handlers handlers);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;

private:
    DropTarget(HWND window, Handlers handlers);
    ~DropTarget() = default;
    DWORD Over(DWORD keyState, DWORD allowed) const;

    std::atomic<ULONG> references_{1};
    HWND window_;
    Handlers handlers_;
    bool hasFiles_ = false;
};

// Handlers for a field that takes the paths of files: only file lists, and
// only copied or linked, never moved (answering "move" would let the source
// delete the file whose name we wanted). onFiles sees the paths of every drop
// taken, in the drop's order.
DropTarget::Handlers FilePathDrop(std::function<void(const std::vector<std::string>&)> onFiles);

// A drop target registered on a window for this object's life; revoke it
// (reset the object) before the window goes. Empty when the registration
// failed: no OLE on the thread, or the window has a target already.
class DropRegistration {
public:
    DropRegistration() = default;
    DropRegistration(HWND window, DropTarget::Handlers handlers);
    ~DropRegistration() { Revoke(); }
    DropRegistration(DropRegistration&& other) noexcept;
    DropRegistration& operator=(DropRegistration&& other) noexcept;
    DropRegistration(const DropRegistration&) = delete;
    DropRegistration& operator=(const DropRegistration&) = delete;

    explicit operator bool() const { return window_ != nullptr; }
    void Revoke();

private:
    HWND window_ = nullptr;
};

// Tells the source of a drop that the target moved the files itself (an
// optimised move): it performed no effect the source must finish (no deleting
// of originals), though logically the files were moved. The drop then reports
// DROPEFFECT_NONE. A data object that takes no such formats is left as it is.
void ReportOptimisedMove(IDataObject* data);

// The UTF-8 paths of a CF_HDROP list, in its order.
std::vector<std::string> FilesOfDrop(HDROP drop);

}  // namespace velmora::win32
