#pragma once

#include <string>
#include <vector>

#include "platform/Shell.h"
#include "platform/sim/SimJournal.h"

namespace velmora::platform::sim {

struct OpenRecord {
    WindowHandle owner = 0;
    std::string file;
    bool operator==(const OpenRecord&) const = default;
};

struct FileOperationRecord {
    WindowHandle owner = 0;
    platform::FileOperation operation = platform::FileOperation::Copy;
    std::string source;
    std::string destination;
    bool operator==(const FileOperationRecord&) const = default;
};

// The shell: it records what it was asked to open or copy; the files stay as
// they are (the shell's own dialogs and copying are not ours to test).
class SimShell : public Shell {
public:
    explicit SimShell(Journal& journal) : journal_(journal) {}

    void Open(WindowHandle owner, const std::string& file) override;
    int FileOperation(WindowHandle owner, platform::FileOperation operation, const std::string& source,
                      const std::string& destination) override;

    // What every later file operation returns (0 success; 1026 a missing source).
    void SetFileOperationResult(int result) { fileOperationResult_ = result; }
    const std::vector<OpenRecord>& Opened() const { return opened_; }
    const std::vector<FileOperationRecord>& FileOperations() const { return operations_; }

private:
    Journal& journal_;
    int fileOperationResult_ = 0;
    std::vector<OpenRecord> opened_;
    std::vector<FileOperationRecord> operations_;
};

class SimClipboard : public Clipboard {
public:
    bool SetText(const std::string& text) override;
    std::string GetText() override { return text_; }

    // Another program holds the clipboard open: SetText fails.
    void SetBusy(bool busy) { busy_ = busy; }

private:
    std::string text_;
    bool busy_ = false;
};

}  // namespace velmora::platform::sim
