#pragma once

#include <memory>

#include "platform/Explorer.h"

namespace velmora::win32 {

// Velmora's Explorer factory: the platform's Explorer window object, bound
// from its moniker and driven late-bound through IDispatch, when there is
// one; our own stand-in window (ExplorerStandIn.h) only when the system has
// no such class at all; nullptr when the class is there but refuses, or when
// the stand-in cannot be made either (docs/DECISIONS.md). Must be used from
// the user-interface thread that pumps messages for the windows it creates.
class Win32ExplorerFactory final : public platform::ExplorerFactory {
public:
    std::unique_ptr<platform::ExplorerWindow> Create() override;
};

}  // namespace velmora::win32
