#pragma once

#include <memory>

#include "platform/Explorer.h"

namespace velmora::win32 {

// The platform's Explorer window object, driven late-bound through IDispatch.
// nullptr when the system cannot make one (class not registered under Wine;
// refused on some Windows 11 systems). COM is initialised by the caller's
// thread or, failing that, by the object itself for its lifetime.
std::unique_ptr<platform::ExplorerWindow> CreateAutomationExplorer();

// Velmora's Explorer factory: the platform's object when there is one; our
// own stand-in window (ExplorerStandIn.h) only when the system has no such
// class at all; nullptr when the class is there but refuses, or when the
// stand-in cannot be made either (docs/DECISIONS.md). Must be used from the user-interface thread that pumps messages
// for the windows it creates.
class Win32ExplorerFactory final : public platform::ExplorerFactory {
public:
    std::unique_ptr<platform::ExplorerWindow> Create() override;
};

}  // namespace velmora::win32
