#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "platform/Types.h"

namespace velmora::platform {

// What Navigate2 is given: a special-folder number or a path text.
using NavigateTarget = std::variant<std::int16_t, std::string>;

// One Explorer window object. Every call may fail on its own (false or
// nullopt); the callers decide whether a failure is ignored, undone or reported.
class ExplorerWindow {
public:
    virtual ~ExplorerWindow() = default;

    virtual bool Navigate2(const NavigateTarget& target) = 0;
    virtual bool ShowBrowserBar(std::string_view classId, bool show) = 0;
    virtual std::optional<WindowHandle> Hwnd() = 0;
    virtual bool SetCurrentViewMode(std::int32_t mode) = 0;  // Document.CurrentViewMode
    virtual std::optional<std::string> FolderName() = 0;     // Document.Folder.Self.Name
    virtual std::optional<std::string> FolderPath() = 0;     // Document.Folder.Self.Path
    virtual bool SetVisible(bool visible) = 0;
    virtual bool Quit() = 0;
};

class ExplorerFactory {
public:
    virtual ~ExplorerFactory() = default;
    // A new, invisible Explorer window object; nullptr when none can be made.
    virtual std::unique_ptr<ExplorerWindow> Create() = 0;
};

}  // namespace velmora::platform
