#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Explorer.h"
#include "platform/Types.h"

namespace velmora::shell {

// The form-level state that the parts of Velmora's main form share.
// Pane index: 0 and 1 are the Explorer panes, 2 the application pane; 3 is
// never set.
struct FormState {
    // setting.ini beside the program, fixed at start-up.
    std::string settingsPath;
    // The window hosted in each pane; 0 for none. A handle stays here after
    // its window is gone: check it before every use.
    std::array<platform::WindowHandle, 4> paneWindow{};
    // The Explorer object of each Explorer pane, from its capture until
    // shutdown (entry 2 is never used).
    std::array<std::unique_ptr<platform::ExplorerWindow>, 3> paneExplorer;
    // Where each hosted window sits inside its frame, in twips (section "pos").
    std::array<std::int32_t, 4> paneOffsetX{};
    std::array<std::int32_t, 4> paneOffsetY{};
    // The 1-based tab last right-clicked in any strip; 0 for none.
    int popupTabIndex = 0;
    // True while the settings program runs: the window must not close then.
    bool optionRunning = false;
};

}  // namespace velmora::shell
