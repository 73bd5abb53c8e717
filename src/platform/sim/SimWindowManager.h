#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/WindowManager.h"
#include "platform/sim/SimJournal.h"

namespace velmora::platform::sim {

// What a simulated program asks for when it creates a window.
struct SimWindowSpec {
    std::string className;
    std::string title;
    WindowHandle parent = 0;
    WindowHandle owner = 0;
    bool visible = true;
    WindowIdentity identity;
};

struct HotkeyRegistration {
    WindowHandle window = 0;
    int id = 0;
    std::uint32_t modifiers = 0;
    std::uint32_t keyCode = 0;
    bool operator==(const HotkeyRegistration&) const = default;
};

// The window manager of the simulated desktop: every window of every
// simulated program, with its parent, owner, class, title, visibility,
// creator, place and list-view style. Top-level windows are kept in z-order.
class SimWindowManager : public WindowManager {
public:
    explicit SimWindowManager(Journal& journal) : journal_(journal) {}

    bool IsWindow(WindowHandle window) override;
    WindowHandle GetParent(WindowHandle window) override;
    bool SetParent(WindowHandle window, WindowHandle newParent) override;
    void ShowWindow(WindowHandle window, int command) override;
    void MoveWindow(WindowHandle window, base::PixelRect rect) override;
    base::PixelRect GetWindowRect(WindowHandle window) override;
    bool SetForegroundWindow(WindowHandle window) override;
    bool RegisterHotKey(WindowHandle window, int id, std::uint32_t modifiers, std::uint32_t keyCode) override;
    void UnregisterHotKey(WindowHandle window, int id) override;
    WindowHandle FindChild(WindowHandle parent, WindowHandle after, std::string_view className) override;
    std::uint32_t GetListViewExtendedStyle(WindowHandle list) override;
    void SetListViewExtendedStyle(WindowHandle list, std::uint32_t style) override;
    std::vector<WindowHandle> TopLevelWindows() override;
    std::string WindowTitle(WindowHandle window) override;
    std::string ClassName(WindowHandle window) override;
    bool IsWindowVisible(WindowHandle window) override;
    WindowHandle GetOwner(WindowHandle window) override;
    WindowIdentity GetIdentity(WindowHandle window) override;
    bool Responds(WindowHandle window, std::uint32_t timeoutMs) override;
    void PostClose(WindowHandle window) override;

    // --- The simulated programs' side ---

    // A new top-level window goes to the top of the z-order.
    WindowHandle Create(const SimWindowSpec& shape);
    // Destroys the window with its children and the windows it owns, as the
    // platform does.
    void Destroy(WindowHandle window);
    // The next Create gets this handle number if no live window has it: a
    // handle kept after its window died can then name a stranger's window.
    void ReuseHandleNext(WindowHandle handle);
    // A number that no other window, live or dead, ever had; 0 for no window.
    std::uint64_t Serial(WindowHandle window) const;
    void SetTitle(WindowHandle window, std::string title);
    void SetVisible(WindowHandle window, bool visible);
    // The window's thread stops (or starts again) handling messages.
    void SetHung(WindowHandle window, bool hung);
    void SetListViewStyleQuietly(WindowHandle list, std::uint32_t style);
    // The window manager refuses every re-parenting (an elevated program's window).
    void SetParentRefused(bool refused) { parentRefused_ = refused; }

    // --- Inspection ---

    std::vector<WindowHandle> Children(WindowHandle parent) const;
    int LastShowCommand(WindowHandle window) const;  // 0 when never shown by a command
    WindowHandle Foreground() const { return foreground_; }
    const std::vector<WindowHandle>& PostedCloses() const { return postedCloses_; }
    const std::vector<HotkeyRegistration>& Hotkeys() const { return hotkeys_; }
    int SetStyleCount(WindowHandle list) const;  // how often SetListViewExtendedStyle reached it

    // --- The keyboard ---

    // Another program holds this combination: registering it fails.
    void TakeHotkeyElsewhere(std::uint32_t modifiers, std::uint32_t keyCode);
    // The user presses a combination. A registered one is posted to its window
    // through the sink; false when nobody registered it.
    bool PressHotkey(std::uint32_t modifiers, std::uint32_t keyCode);
    void SetHotkeySink(std::function<void(WindowHandle, int)> sink) { hotkeySink_ = std::move(sink); }

private:
    struct Window {
        std::uint64_t serial = 0;
        std::string className;
        std::string title;
        WindowHandle parent = 0;
        WindowHandle owner = 0;
        bool visible = true;
        bool hung = false;
        WindowIdentity identity;
        base::PixelRect rect;
        int showCommand = 0;
        std::uint32_t listViewStyle = 0;
        int setStyleCount = 0;
        std::vector<WindowHandle> children;  // in creation order
    };

    Window* Find(WindowHandle window);
    const Window* Find(WindowHandle window) const;
    WindowHandle NextHandle();
    void Detach(WindowHandle window, const Window& data);
    bool HotkeyTaken(std::uint32_t modifiers, std::uint32_t keyCode) const;

    Journal& journal_;
    std::map<WindowHandle, Window> windows_;
    std::vector<WindowHandle> zOrder_;  // top-level windows, top first
    WindowHandle nextHandle_ = 0x10010;
    WindowHandle reuseNext_ = 0;
    std::uint64_t nextSerial_ = 1;
    bool parentRefused_ = false;
    WindowHandle foreground_ = 0;
    std::vector<WindowHandle> postedCloses_;
    std::vector<HotkeyRegistration> hotkeys_;
    std::vector<HotkeyRegistration> takenElsewhere_;
    std::function<void(WindowHandle, int)> hotkeySink_;
};

}  // namespace velmora::platform::sim
