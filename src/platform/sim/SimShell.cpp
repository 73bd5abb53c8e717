#include "platform/sim/SimShell.h"

namespace velmora::platform::sim {

void SimShell::Open(WindowHandle owner, const std::string& file) {
    journal_.Add("Open " + file);
    opened_.push_back({owner, file});
}

int SimShell::FileOperation(WindowHandle owner, platform::FileOperation operation, const std::string& source,
                            const std::string& destination) {
    journal_.Add(std::string(operation == platform::FileOperation::Move ? "Move " : "Copy ") + source + " -> " +
                 destination);
    operations_.push_back({owner, operation, source, destination});
    return fileOperationResult_;
}

bool SimClipboard::SetText(const std::string& text) {
    if (busy_) return false;
    text_ = text;
    return true;
}

}  // namespace velmora::platform::sim
