#include <windows.h>

#include <atomic>
#include <cwctype>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/win32/kit/Handles.h"
#include "platform/win32/kit/WinString.h"
#include "settings/FileSystem.h"

namespace velmora::settings {
namespace {

using win32::UniqueHandle;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// A virus scanner or a sync tool holds a file for moments: a read is tried this often, this far apart.
constexpr int kReadTries = 5;
constexpr DWORD kReadRetryMs = 50;
constexpr int kTemporaryNameTries = 20;

std::int64_t ToInt64(FILETIME time) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

// The system's own words for an error (Japanese on a Japanese system), without the line break it ends with.
std::string Reason(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message(text != nullptr ? text : L"", length);
    LocalFree(text);
    while (!message.empty() && std::iswspace(message.back())) message.pop_back();
    if (message.empty()) message = L"エラー " + std::to_wstring(error);
    return win32::Narrow(message);
}

Outcome Failed(DWORD error) { return Outcome::Failed(Reason(error)); }

// Paths longer than the classic limit need the "\\?\" form (which takes "\" only and no relative parts); the
// temporary name adds a few characters, so the limit is taken with room to spare.
std::wstring LongPath(std::string_view utf8) {
    std::wstring path = win32::Widen(utf8);
    if (path.size() < MAX_PATH - 20 || path.starts_with(L"\\\\?\\")) return path;
    for (wchar_t& c : path) c = c == L'/' ? L'\\' : c;
    if (path.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + path.substr(2);
    if (path.size() > 2 && path[1] == L':') return L"\\\\?\\" + path;
    return path;
}

// A link is followed: the file it points at is replaced, and the link stays a link.
std::wstring FinalPath(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return path;
    UniqueHandle file(CreateFileW(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return path;
    std::wstring final(32768, L'\0');
    const DWORD length = GetFinalPathNameByHandleW(file.Get(), final.data(), static_cast<DWORD>(final.size()), 0);
    if (length == 0 || length >= final.size()) return path;
    final.resize(length);
    return final;
}

bool WriteFully(HANDLE file, const std::string& bytes) {
    for (std::size_t offset = 0; offset < bytes.size();) {
        DWORD done = 0;
        if (!WriteFile(file, bytes.data() + offset, static_cast<DWORD>(bytes.size() - offset), &done, nullptr)) {
            return false;
        }
        offset += done;
    }
    return FlushFileBuffers(file) != 0;
}

// Every write of ours to a file bumps a counter that all our processes share; it is part of the file's stamp, so a
// reader sees each of our writes even when the file system's times are too coarse to tell two apart (about 15 ms on
// NTFS, 2 s on FAT) or a replacement carries the old creation time over. Edits by hand still show in size and time.
class ChangeCounters {
public:
    ~ChangeCounters() {
        for (auto& [path, counter] : counters_) {
            UnmapViewOfFile(const_cast<LONG64*>(counter.value));
            CloseHandle(counter.mapping);
        }
    }

    std::uint64_t Read(const std::wstring& path) { return Value(Find(path)); }
    void Bump(const std::wstring& path) {
        if (volatile LONG64* value = Find(path)) InterlockedIncrement64(value);
    }
    // The shared counter of the file, to be read with Value; nullptr when there is none. It lives as long as this.
    volatile LONG64* Find(const std::wstring& path) {
        std::wstring key = path;
        for (wchar_t& c : key) c = static_cast<wchar_t>(std::towlower(c));
        std::lock_guard lock(mutex_);
        if (auto it = counters_.find(key); it != counters_.end()) return it->second.value;
        // FNV-1a of the lower-case path names the shared counter of that file for this user session.
        std::uint64_t hash = 14695981039346656037ull;
        for (wchar_t c : key) hash = (hash ^ static_cast<std::uint64_t>(c)) * 1099511628211ull;
        wchar_t name[64];
        swprintf(name, 64, L"Local\\VelmoraSettings-%016llx", static_cast<unsigned long long>(hash));
        HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(LONG64), name);
        if (mapping == nullptr) return nullptr;
        void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(LONG64));
        if (view == nullptr) {
            CloseHandle(mapping);
            return nullptr;
        }
        auto* value = static_cast<volatile LONG64*>(view);
        counters_.emplace(std::move(key), Counter{mapping, value});
        return value;
    }
    static std::uint64_t Value(volatile LONG64* counter) {
        return counter != nullptr ? static_cast<std::uint64_t>(InterlockedCompareExchange64(counter, 0, 0)) : 0;
    }

private:
    struct Counter {
        HANDLE mapping;
        volatile LONG64* value;
    };

    std::mutex mutex_;
    std::map<std::wstring, Counter> counters_;
};

// A folder whose changes a thread of its own waits for: every change notification moves the generation on. A file
// that is polled (Velmora's timer reads two settings twice a second) is looked at again only once its folder
// changed: under Wine a look at a file costs about a tenth of a millisecond of processor time when it comes after a
// pause, more than all the rest of the timer's tick (docs/PERFORMANCE.md).
class FolderWatch {
public:
    // nullptr where the folder cannot be watched, or a watch may miss changes: anything but a fixed drive (a
    // network share may not report another machine's writes).
    static std::unique_ptr<FolderWatch> Start(const std::wstring& folder) {
        if (folder.size() < 3 || folder[1] != L':' || folder[2] != L'\\') return nullptr;
        const wchar_t root[] = {folder[0], L':', L'\\', L'\0'};
        if (GetDriveTypeW(root) != DRIVE_FIXED) return nullptr;
        auto watch = std::unique_ptr<FolderWatch>(new FolderWatch);
        watch->notification_ = FindFirstChangeNotificationW(
            folder.c_str(), FALSE,
            FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_SIZE |
                FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_CREATION);
        if (watch->notification_ == INVALID_HANDLE_VALUE) return nullptr;
        watch->stop_.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (!watch->stop_) return nullptr;
        watch->thread_.Reset(CreateThread(nullptr, 0, &FolderWatch::Run, watch.get(), 0, nullptr));
        if (!watch->thread_) return nullptr;
        return watch;
    }

    ~FolderWatch() {
        if (thread_) {
            SetEvent(stop_.Get());
            WaitForSingleObject(thread_.Get(), INFINITE);
        }
        if (notification_ != INVALID_HANDLE_VALUE) FindCloseChangeNotification(notification_);
    }
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // Moves on at every change; kLost once the watch no longer works.
    static constexpr std::uint64_t kLost = ~std::uint64_t{0};
    std::uint64_t Generation() const { return generation_.load(); }

private:
    FolderWatch() = default;

    static DWORD WINAPI Run(void* context) {
        auto* self = static_cast<FolderWatch*>(context);
        const HANDLE waits[] = {self->notification_, self->stop_.Get()};
        for (;;) {
            const DWORD woken = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
            if (woken != WAIT_OBJECT_0) break;
            // Counted before the watch is set again: a change in between is kept by the system and ends the next
            // wait at once.
            ++self->generation_;
            if (!FindNextChangeNotification(self->notification_)) break;
        }
        // Stopped, or the folder can no longer be watched: every look is taken from now on.
        self->generation_ = kLost;
        return 0;
    }

    HANDLE notification_ = INVALID_HANDLE_VALUE;
    UniqueHandle stop_;
    UniqueHandle thread_;
    std::atomic<std::uint64_t> generation_{0};
};

class HandleLock final : public FileLock {
public:
    explicit HandleLock(UniqueHandle file) : file_(std::move(file)) {}
    ~HandleLock() override {
        OVERLAPPED at{};
        at.Offset = at.OffsetHigh = kLockedOffset;
        UnlockFileEx(file_.Get(), 0, 1, 0, &at);
    }
    // Far beyond any settings file's end, so the lock taken on the file itself never blocks a reader.
    static constexpr DWORD kLockedOffset = 0x7FFFFFF0;

private:
    UniqueHandle file_;
};

class NoLock final : public FileLock {};

class WindowsFileSystem final : public FileSystem {
public:
    ReadResult Read(const std::string& path) override {
        const std::wstring name = LongPath(path);
        UniqueHandle file;
        for (int attempt = 0; attempt < kReadTries; ++attempt) {
            file.Reset(CreateFileW(name.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                   nullptr));
            if (file) break;
            const DWORD error = GetLastError();
            if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return {};
            if ((error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) || attempt + 1 == kReadTries) {
                return {ReadStatus::Unreadable, {}, Reason(error)};
            }
            Sleep(kReadRetryMs);
        }
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(file.Get(), &size)) return {ReadStatus::Unreadable, {}, Reason(GetLastError())};
        if (static_cast<std::uint64_t>(size.QuadPart) > kMaxSettingsFileBytes) return {ReadStatus::TooLarge, {}, {}};
        ReadResult result{ReadStatus::Read, std::string(static_cast<std::size_t>(size.QuadPart), '\0'), {}};
        std::size_t offset = 0;
        while (offset < result.bytes.size()) {
            DWORD done = 0;
            if (!ReadFile(file.Get(), result.bytes.data() + offset, static_cast<DWORD>(result.bytes.size() - offset),
                          &done, nullptr)) {
                return {ReadStatus::Unreadable, {}, Reason(GetLastError())};
            }
            if (done == 0) break;
            offset += done;
        }
        result.bytes.resize(offset);
        return result;
    }

    std::optional<FileStamp> Stamp(const std::string& path) override {
        const std::wstring name = LongPath(path);
        // The generation and our writers' count before the look: a change during it moves one of them again.
        Polled* polled = nullptr;
        if (auto it = polled_.find(path); it != polled_.end()) {
            polled = &it->second;
            polled->generation = polled->watch != nullptr ? polled->watch->Generation() : FolderWatch::kLost;
            polled->writes = ChangeCounters::Value(polled->counter);
            polled->looked = true;
        }
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
        // The folder of a link's target is not watched: a link is looked at every time.
        if (polled != nullptr && (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) polled->looked = false;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
        FileStamp stamp;
        stamp.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        stamp.modified = ToInt64(data.ftLastWriteTime);
        stamp.changed = ToInt64(data.ftCreationTime);
        // Followed only for a link, which keeps the cheap read of the timer to one call of the file system.
        stamp.identity = counters_.Read(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT ? FinalPath(name) : name);
        return stamp;
    }

    bool MayHaveChanged(const std::string& path) override {
        auto it = polled_.find(path);
        if (it == polled_.end()) {
            // From now on the file's folder is watched and its looks are noted.
            const std::wstring name = LongPath(path);
            const std::wstring folder = name.substr(0, name.find_last_of(L'\\'));
            std::unique_ptr<FolderWatch>& watch = watches_[folder];
            if (!watch) watch = FolderWatch::Start(folder);
            polled_.emplace(path, Polled{watch.get(), counters_.Find(name)});
            return true;
        }
        const Polled& polled = it->second;
        return !polled.looked || polled.watch == nullptr || polled.counter == nullptr ||
               polled.generation == FolderWatch::kLost || polled.watch->Generation() != polled.generation ||
               ChangeCounters::Value(polled.counter) != polled.writes;
    }

    Outcome WriteAllAtomic(const std::string& path, const std::string& bytes) override {
        const std::wstring target = FinalPath(LongPath(path));
        const DWORD attributes = GetFileAttributesW(target.c_str());
        const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
        // A folder where the file should be is never replaced by it.
        if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return Failed(ERROR_ACCESS_DENIED);
        SweepTemporaries(target);
        std::wstring temporary;
        UniqueHandle file;
        for (int attempt = 0; attempt < kTemporaryNameTries && !file; ++attempt) {
            temporary = target + L".tmp-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                        std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(attempt);
            file.Reset(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                   nullptr));
            const DWORD error = file ? ERROR_SUCCESS : GetLastError();
            // A folder we may not create files in, around a settings file we may write (a portable program under
            // "Program Files" made writable for its user): the file is written where it is.
            if (error == ERROR_ACCESS_DENIED && exists) return WriteInPlace(target, bytes);
            if (!file && error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return Failed(error);
        }
        if (!file) return Failed(ERROR_FILE_EXISTS);
        const bool written = WriteFully(file.Get(), bytes);
        const DWORD writeError = GetLastError();
        file.Reset();
        if (!written) {
            DeleteFileW(temporary.c_str());
            return Failed(writeError);
        }
        // ReplaceFileW keeps the file's access rights, attributes (a hidden file stays hidden) and creation time;
        // with no file to replace there is nothing to keep.
        const bool replaced =
            exists ? ReplaceFileW(target.c_str(), temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                                  nullptr) != 0
                   : MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
        if (!replaced) {
            const DWORD error = GetLastError();
            DeleteFileW(temporary.c_str());
            return Failed(error);
        }
        counters_.Bump(target);
        return {};
    }

    std::unique_ptr<FileLock> Lock(const std::string& path, std::uint32_t timeoutMs) override {
        const std::wstring target = FinalPath(LongPath(path));
        // A hidden file beside the settings, never replaced itself, so that every program locks the same file; where
        // the folder takes no new file, the settings file itself. The lock goes with the handle, also when a program
        // dies holding it.
        UniqueHandle file(CreateFileW((target + L".lock").c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr));
        if (!file) {
            file.Reset(CreateFileW(target.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        }
        // Neither can be opened: the save that follows fails with the system's own reason.
        if (!file) return std::make_unique<NoLock>();
        for (DWORD waited = 0;; waited += 10) {
            OVERLAPPED at{};
            at.Offset = at.OffsetHigh = HandleLock::kLockedOffset;
            if (LockFileEx(file.Get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
                return std::make_unique<HandleLock>(std::move(file));
            }
            if (waited >= timeoutMs) return nullptr;
            Sleep(10);
        }
    }

    bool FileExists(const std::string& path) override {
        return GetFileAttributesW(LongPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    bool DirectoryExists(const std::string& path) override {
        const DWORD attributes = GetFileAttributesW(LongPath(path).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }

private:
    // Not atomic: a crash in the middle can leave the file cut. Taken only where no temporary file can be made at
    // all, and under the lock, so at least no program of ours reads or writes meanwhile.
    Outcome WriteInPlace(const std::wstring& target, const std::string& bytes) {
        UniqueHandle file(CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return Failed(GetLastError());
        if (!WriteFully(file.Get(), bytes) || !SetEndOfFile(file.Get()) || !FlushFileBuffers(file.Get())) {
            return Failed(GetLastError());
        }
        counters_.Bump(target);
        return {};
    }

    // A writer that died between making its temporary file and putting it in place left it behind. Under the lock
    // no writer of ours is at work, so the ones whose process is gone go.
    static void SweepTemporaries(const std::wstring& target) {
        WIN32_FIND_DATAW found{};
        HANDLE search = FindFirstFileW((target + L".tmp-*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return;
        const std::wstring folder = target.substr(0, target.find_last_of(L'\\') + 1);
        do {
            const wchar_t* mark = wcsstr(found.cFileName, L".tmp-");
            const DWORD process = mark != nullptr ? wcstoul(mark + 5, nullptr, 10) : 0;
            UniqueHandle running(OpenProcess(SYNCHRONIZE, FALSE, process));
            if (process != 0 && process != GetCurrentProcessId() &&
                (!running || WaitForSingleObject(running.Get(), 0) == WAIT_OBJECT_0)) {
                DeleteFileW((folder + found.cFileName).c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }

    // A polled file: its folder's watch, our writers' counter, and both as they were at its last look.
    struct Polled {
        FolderWatch* watch = nullptr;
        volatile LONG64* counter = nullptr;
        std::uint64_t generation = FolderWatch::kLost;
        std::uint64_t writes = 0;
        bool looked = false;
    };

    ChangeCounters counters_;
    // Declared after the counters, so that the watches stop first; by folder as given, not folded.
    std::map<std::wstring, std::unique_ptr<FolderWatch>> watches_;
    std::map<std::string, Polled, std::less<>> polled_;
};

}  // namespace

std::unique_ptr<FileSystem> MakeHostFileSystem() { return std::make_unique<WindowsFileSystem>(); }

}  // namespace velmora::settings
