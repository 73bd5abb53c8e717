// Our profile engine against the platform's own profile functions, on the same
// files: every read must agree, except where the tables say we differ on
// purpose (and then ours must give the value the table names).
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/kit/WinString.h"
#include "settings/CodePage.h"
#include "settings/FileSystem.h"
#include "settings/ProfileStore.h"

namespace velmora::win32 {
namespace {

constexpr const char* kMissing = "<missing>";
// Shift_JIS bytes of メモ帳.
const std::string kMemo = "\x83\x81\x83\x82\x92\xA0";

std::string PlatformString(const std::string& path, const std::string& section, const std::string& key) {
    std::vector<wchar_t> buffer(32767);
    GetPrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(), L"<missing>", buffer.data(),
                             static_cast<DWORD>(buffer.size()), Widen(path).c_str());
    return Narrow(buffer.data());
}

// The platform's key list: names separated by NUL; the count of characters
// returned tells where it ends (an empty name does not end it).
std::vector<std::string> PlatformKeyNames(const std::string& path, const std::string& section) {
    std::vector<wchar_t> buffer(32767);
    const DWORD count = GetPrivateProfileStringW(Widen(section).c_str(), nullptr, L"", buffer.data(),
                                                 static_cast<DWORD>(buffer.size()), Widen(path).c_str());
    std::vector<std::string> names;
    const wchar_t* name = buffer.data();
    for (DWORD i = 0; i < count; ++i) {
        if (buffer[i] != L'\0') continue;
        names.push_back(Narrow(name));
        name = buffer.data() + i + 1;
    }
    return names;
}

void PlatformWrite(const std::string& path, const char* section, const char* key, const char* value) {
    WritePrivateProfileStringW(Widen(section).c_str(), key ? Widen(key).c_str() : nullptr,
                               value ? Widen(value).c_str() : nullptr, Widen(path).c_str());
}

class ProfileDifferential : public ::testing::Test {
protected:
    void Prepare(const std::string& bytes) {
        ASSERT_TRUE(files_->WriteAllAtomic(ours_, bytes));
        ASSERT_TRUE(files_->WriteAllAtomic(theirs_, bytes));
    }
    std::string Ours(const std::string& path, const std::string& section, const std::string& key) {
        return store_.ReadString(path, section, key).value_or(kMissing);
    }

    void TearDown() override {
        for (const std::string& path : {ours_, theirs_}) DeleteFileW(Widen(path).c_str());
    }
    static std::string TempFile(const wchar_t* name) {
        return Narrow(
            (std::filesystem::temp_directory_path() / (std::to_wstring(GetCurrentProcessId()) + name)).wstring());
    }

    const std::string ours_ = TempFile(L"-ours.ini");
    const std::string theirs_ = TempFile(L"-platform.ini");
    std::unique_ptr<settings::FileSystem> files_ = settings::MakeHostFileSystem();
    std::unique_ptr<settings::CodePage> codePage_ = settings::MakeHostCodePage();
    settings::ProfileStore store_{*files_, *codePage_};
};

TEST_F(ProfileDifferential, StringReadsAgreeExceptWhereTheTableSaysWhy) {
    struct Case {
        const char* name;
        std::string file;
        std::string section;
        std::string key;
        std::optional<std::string> ours = std::nullopt;  // set where we differ on purpose
    };
    const std::string longValue(40000, 'a');
    const Case cases[] = {
        {"blanks around key and value", "[s]\r\n  key  =  a  b  \r\n", "s", "key"},
        {"matching quotes removed", "[s]\r\nk=\"quoted\"\r\n", "s", "k"},
        {"first duplicate key wins", "[s]\r\nk=first\r\nk=second\r\n", "s", "k"},
        {"first duplicate section wins", "[s]\r\nk=first\r\n[t]\r\n[s]\r\nk=second\r\n", "s", "k"},
        {"names ignore case", "[SeTTing]\r\nWINDOW=1\r\n", "setting", "window"},
        {"LF line ends, no final newline", "[s]\nk=lf\nm=2", "s", "m"},
        {"Japanese in the code page", "[App]\r\n" + kMemo + "=C:\\a.exe\r\n", "App", "メモ帳"},
        {"UTF-8 byte-order mark", "\xEF\xBB\xBF[App]\r\nメモ帳=C:\\a.exe\r\n", "App", "メモ帳"},
        // A ";" line is a comment; the platform still finds it by its literal name.
        {"comment line is not a key", "[s]\r\n;comment=1\r\n", "s", ";comment", std::string(kMissing)},
        // Values come back whole: a cut value would be written back cut.
        {"value longer than the platform's buffer", "[s]\r\nk=" + longValue + "\r\n", "s", "k", longValue},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Prepare(c.file);
        const std::string platform = PlatformString(theirs_, c.section, c.key);
        const std::string ours = Ours(ours_, c.section, c.key);
        EXPECT_EQ(ours, c.ours.value_or(platform));
        if (c.ours) {
            EXPECT_NE(platform, ours) << "the platform now agrees; the exception is stale";
        }
    }
}

TEST_F(ProfileDifferential, IntegerReadsAgreeExceptWhereTheTableSaysWhy) {
    struct Case {
        const char* value;
        std::optional<int> ours;  // set where we differ on purpose
    };
    // clang-format off
    const Case cases[] = {
        {"12", {}}, {" 42 ", {}}, {"-5abc", {}}, {"7.9", {}}, {"\"15\"", {}}, {"-2147483648", {}}, {"", {}},
        {"0x10", 0},                        // the leading decimal number; the platform reads hexadecimal
        {"99999999999", 2147483647},        // clamped; the platform wraps around
        {"-99999999999", -2147483647 - 1},
        {"abc", 77},                        // not a number: the default; the platform gives 0
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        Prepare(std::string("[s]\r\nk=") + c.value + "\r\n");
        const int platform = static_cast<int>(GetPrivateProfileIntW(L"s", L"k", 77, Widen(theirs_).c_str()));
        const int ours = store_.ReadInt(ours_, "s", "k", 77);
        EXPECT_EQ(ours, c.ours.value_or(platform));
        if (c.ours) {
            EXPECT_NE(platform, ours) << "the platform now agrees; the exception is stale";
        }
    }
}

TEST_F(ProfileDifferential, KeyNamesAgreeIncludingAnEmptyName) {
    Prepare("[App]\r\nfirst=1\r\n=nameless\r\n" + kMemo + "=2\r\nlast=3\r\n[Other]\r\nx=1\r\n");
    EXPECT_EQ(store_.ReadKeyNames(ours_, "App"), PlatformKeyNames(theirs_, "App"));
    EXPECT_EQ(store_.ReadKeyNames(ours_, "App"), (std::vector<std::string>{"first", "", "メモ帳", "last"}));
}

// The same edits made by the platform on one copy and by us on the other; the
// platform, an independent reader, must then find the same values in both.
TEST_F(ProfileDifferential, WritesLeaveTheValuesThePlatformsWritesLeave) {
    Prepare("; settings\r\n[setting]\r\nwindow=1\r\nView = 2\r\n\r\n[pos]\r\nX01=150\r\n[App]\r\n" + kMemo +
            "=C:\\a.exe\r\nold=C:\\old.exe\r\n");
    struct Edit {
        const char* section;
        const char* key;    // nullptr removes the section
        const char* value;  // nullptr removes the key
    };
    // clang-format off
    const Edit edits[] = {
        {"setting", "View", "0"}, {"setting", "State", "2"}, {"NewSection", "k", "v"}, {"App", "old", nullptr},
        {"App", "ツール", "C:\\ツール\\t.exe"}, {"setting", "Boot", ""}, {"pos", nullptr, nullptr},
    };
    // clang-format on
    for (const Edit& e : edits) {
        PlatformWrite(theirs_, e.section, e.key, e.value);
        ASSERT_TRUE(e.key ? store_.WriteString(ours_, e.section, e.key,
                                               e.value ? std::optional<std::string_view>(e.value) : std::nullopt)
                          : store_.RemoveSection(ours_, e.section));
    }
    const std::pair<const char*, const char*> probes[] = {
        {"setting", "window"}, {"setting", "View"}, {"setting", "State"}, {"setting", "Boot"}, {"pos", "X01"},
        {"NewSection", "k"},   {"App", "old"},      {"App", "メモ帳"},    {"App", "ツール"},
    };
    for (const auto& [section, key] : probes) {
        SCOPED_TRACE(std::string(section) + "/" + key);
        EXPECT_EQ(PlatformString(ours_, section, key), PlatformString(theirs_, section, key));
        EXPECT_EQ(Ours(ours_, section, key), PlatformString(theirs_, section, key));
    }
    EXPECT_EQ(PlatformKeyNames(ours_, "App"), PlatformKeyNames(theirs_, "App"));
    // We keep what the platform drops: the comment and the blank line.
    const std::string bytes = files_->Read(ours_).bytes;
    EXPECT_EQ(bytes.rfind("; settings\r\n[setting]\r\n", 0), 0u);
    EXPECT_NE(bytes.find("View=0\r\nState=2\r\nBoot=\r\n\r\n[App]"), std::string::npos);
}

TEST_F(ProfileDifferential, DeliberateWriteDifferences) {
    const std::string name = "絵文字\xF0\x9F\x98\x80";  // U+1F600 has no Shift_JIS form
    Prepare("[App]\r\ndup=first\r\ndup=second\r\n");
    PlatformWrite(theirs_, "App", "dup", nullptr);
    PlatformWrite(theirs_, "App", name.c_str(), "C:\\x.exe");
    ASSERT_TRUE(store_.WriteString(ours_, "App", "dup", std::nullopt));
    ASSERT_TRUE(store_.WriteString(ours_, "App", name, "C:\\x.exe"));
    // A removed duplicated key stays removed; the platform uncovers the next copy.
    EXPECT_EQ(PlatformString(theirs_, "App", "dup"), "second");
    EXPECT_EQ(PlatformString(ours_, "App", "dup"), kMissing);
    // Text the code page cannot hold survives as UTF-8, which the platform
    // reads too; the platform's own write loses it.
    EXPECT_EQ(PlatformString(theirs_, "App", name), kMissing);
    EXPECT_EQ(PlatformString(ours_, "App", name), "C:\\x.exe");
}

}  // namespace
}  // namespace velmora::win32
