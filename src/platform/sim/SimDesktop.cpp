#include "platform/sim/SimDesktop.h"

namespace velmora::platform::sim {

SimDesktop::SimDesktop()
    : codePage_(settings::MakeCp932CodePage()),
      windows_(journal_),
      explorers_(windows_, files_, journal_),
      processes_(windows_, clock_, files_, journal_),
      shell_(journal_),
      window_(windows_, journal_),
      desktop_{window_,    windows_, explorers_, processes_, shell_,
               clipboard_, clock_,   files_,     *codePage_, ProgramInfo{kProgramFolder, "Velmora", 1, 0, 0}} {
    files_.AddFolder(kProgramFolder);
    // WM_HOTKEY is posted, not sent: it waits in the queue like any message.
    windows_.SetHotkeySink([this](WindowHandle target, int id) {
        clock_.Post([this, target, id] {
            if (target == window_.Handle()) window_.DeliverHotkey(id);
        });
    });
}

}  // namespace velmora::platform::sim
