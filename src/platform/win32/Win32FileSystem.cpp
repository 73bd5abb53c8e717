#include <windows.h>

#include <atomic>
#include <string>

#include "platform/win32/kit/Handles.h"
#include "platform/win32/kit/WinString.h"
#include "settings/FileSystem.h"

namespace velmora::settings {
namespace {

std::int64_t ToInt64(FILETIME time) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

using win32::UniqueHandle;

class WindowsFileSystem final : public FileSystem {
public:
    std::optional<std::string> ReadAll(const std::string& path) override {
        UniqueHandle file(CreateFileW(win32::Widen(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return std::nullopt;
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > 0x7FFFFFFF) return std::nullopt;
        std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
        DWORD done = 0;
        size_t offset = 0;
        while (offset < bytes.size()) {
            if (!ReadFile(file.Get(), bytes.data() + offset, static_cast<DWORD>(bytes.size() - offset), &done, nullptr))
                return std::nullopt;
            if (done == 0) break;
            offset += done;
        }
        bytes.resize(offset);
        return bytes;
    }

    std::optional<FileStamp> Stamp(const std::string& path) override {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!GetFileAttributesExW(win32::Widen(path).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
        FileStamp stamp;
        stamp.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        stamp.modified = ToInt64(data.ftLastWriteTime);
        // A file renamed over the old one brings its own creation time.
        stamp.changed = ToInt64(data.ftCreationTime);
        return stamp;
    }

    bool WriteAllAtomic(const std::string& path, const std::string& bytes) override {
        static std::atomic<unsigned> counter{0};
        const std::wstring target = win32::Widen(path);
        const std::wstring temp =
            target + L".tmp-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter.fetch_add(1));
        {
            UniqueHandle file(
                CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!file) return false;
            size_t offset = 0;
            bool ok = true;
            while (ok && offset < bytes.size()) {
                DWORD done = 0;
                ok = WriteFile(file.Get(), bytes.data() + offset, static_cast<DWORD>(bytes.size() - offset), &done,
                               nullptr) != 0;
                offset += done;
            }
            ok = ok && FlushFileBuffers(file.Get());
            file.Reset();
            if (!ok) {
                DeleteFileW(temp.c_str());
                return false;
            }
        }
        // MoveFileEx replaces the target in one step; write-through makes the
        // rename itself durable before we report success.
        if (!MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            DeleteFileW(temp.c_str());
            return false;
        }
        return true;
    }

    bool FileExists(const std::string& path) override {
        return GetFileAttributesW(win32::Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    bool DirectoryExists(const std::string& path) override {
        const DWORD attributes = GetFileAttributesW(win32::Widen(path).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
};

}  // namespace

std::unique_ptr<FileSystem> MakeHostFileSystem() { return std::make_unique<WindowsFileSystem>(); }

}  // namespace velmora::settings
