#pragma once

#include "settings/CodePage.h"
#include "platform/Explorer.h"
#include "settings/FileSystem.h"
#include "platform/MainWindow.h"
#include "platform/Processes.h"
#include "platform/Shell.h"
#include "platform/Trace.h"
#include "platform/WindowManager.h"

namespace velmora::platform {

// Everything of the operating system that Velmora's main form talks to,
// passed in as one object: the Win32 runtime in the program, the simulated
// desktop in the tests.
struct Desktop {
    MainWindow& window;
    WindowManager& windows;
    ExplorerFactory& explorers;
    Processes& processes;
    Shell& shell;
    Clipboard& clipboard;
    Clock& clock;
    settings::FileSystem& files;
    settings::CodePage& codePage;
    ProgramInfo program;
    Trace* trace = nullptr;  // set only while a timing trace is asked for
};

}  // namespace velmora::platform
