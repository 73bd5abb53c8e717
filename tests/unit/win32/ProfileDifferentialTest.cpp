// Our profile engine against the platform's own profile functions, on the same
// files: every read must agree, except where the table says we differ on
// purpose (and then ours must give the value the table names).
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "settings/CodePage.h"
#include "settings/FileSystem.h"
#include "platform/win32/kit/WinString.h"
#include "settings/ProfileStore.h"

namespace {

using velmora::win32::Narrow;
using velmora::win32::Widen;

constexpr const char* kMissing = "<missing>";

class ProfileDifferential : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t folder[MAX_PATH];
        GetTempPathW(MAX_PATH, folder);
        const std::wstring name = L"velmora-diff-" + std::to_wstring(GetCurrentProcessId());
        ours_ = Narrow(std::wstring(folder) + name + L"-ours.ini");
        theirs_ = Narrow(std::wstring(folder) + name + L"-platform.ini");
    }
    void TearDown() override {
        DeleteFileW(Widen(ours_).c_str());
        DeleteFileW(Widen(theirs_).c_str());
    }

    void Prepare(const std::string& bytes) {
        ASSERT_TRUE(files_->WriteAllAtomic(ours_, bytes));
        ASSERT_TRUE(files_->WriteAllAtomic(theirs_, bytes));
    }

    static std::string PlatformString(const std::string& path, const std::string& section, const std::string& key) {
        std::vector<wchar_t> buffer(32767);
        GetPrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(), L"<missing>", buffer.data(),
                                 static_cast<DWORD>(buffer.size()), Widen(path).c_str());
        return Narrow(buffer.data());
    }
    static int PlatformInt(const std::string& path, const std::string& section, const std::string& key, int fallback) {
        return static_cast<int>(
            GetPrivateProfileIntW(Widen(section).c_str(), Widen(key).c_str(), fallback, Widen(path).c_str()));
    }
    // The platform's key list: names separated by NUL, the count of characters
    // returned tells where it ends (an empty name does not end it).
    static std::vector<std::string> PlatformKeyNames(const std::string& path, const std::string& section) {
        std::vector<wchar_t> buffer(32767);
        const DWORD count = GetPrivateProfileStringW(Widen(section).c_str(), nullptr, L"", buffer.data(),
                                                     static_cast<DWORD>(buffer.size()), Widen(path).c_str());
        std::vector<std::string> names;
        std::wstring current;
        for (DWORD i = 0; i < count; ++i) {
            if (buffer[i] == L'\0') {
                names.push_back(Narrow(current));
                current.clear();
            } else {
                current += buffer[i];
            }
        }
        return names;
    }

    std::string OurString(const std::string& path, const std::string& section, const std::string& key) {
        return store_.ReadString(path, section, key).value_or(kMissing);
    }

    std::unique_ptr<velmora::settings::FileSystem> files_ = velmora::settings::MakeHostFileSystem();
    std::unique_ptr<velmora::settings::CodePage> codePage_ = velmora::settings::MakeHostCodePage();
    velmora::settings::ProfileStore store_{*files_, *codePage_};
    std::string ours_;
    std::string theirs_;
};

struct ReadCase {
    const char* name;
    std::string file;
    std::string section;
    std::string key;
    // Set where we differ on purpose: our answer, with the reason.
    std::optional<std::string> ours = std::nullopt;
    const char* why = "";
};

// Shift_JIS bytes of the Japanese text used below.
const std::string kMemo = "\x83\x81\x83\x82\x92\xA0";  // メモ帳
const std::string kTool = "\x83\x63\x81\x5B\x83\x8B";  // ツール

std::vector<ReadCase> ReadCases() {
    std::string longValue(40000, 'a');
    return {
        {"blanks around key and value", "[s]\r\n  key  =  value  \r\n", "s", "key"},
        {"blanks inside value kept", "[s]\r\nk = a  b \r\n", "s", "k"},
        {"double quotes removed", "[s]\r\nk=\"quoted value\"\r\n", "s", "k"},
        {"single quotes removed", "[s]\r\nk='single'\r\n", "s", "k"},
        {"mismatched quotes kept", "[s]\r\nk=\"mixed'\r\n", "s", "k"},
        {"lone quote kept", "[s]\r\nk=\"\r\n", "s", "k"},
        {"empty quotes", "[s]\r\nk=\"\"\r\n", "s", "k"},
        {"first duplicate key wins", "[s]\r\nk=first\r\nk=second\r\n", "s", "k"},
        {"first duplicate section wins", "[s]\r\nk=first\r\n[t]\r\n[s]\r\nk=second\r\nonly=2\r\n", "s", "k"},
        {"section name ignores case", "[SeTTing]\r\nWINDOW=1\r\n", "setting", "window"},
        {"missing key", "[s]\r\nk=1\r\n", "s", "nothing"},
        {"missing section", "[s]\r\nk=1\r\n", "t", "k"},
        {"LF line ends", "[s]\nk=lf\nm=2\n", "s", "m"},
        {"no final newline", "[s]\r\nk=last", "s", "k"},
        {"blank lines and comments between", "; head\r\n\r\n[s]\r\n\r\n; note\r\nk=v\r\n", "s", "k"},
        {"text after the closing bracket", "[s] trailing\r\nk=v\r\n", "s", "k"},
        {"Japanese key and value", "[App]\r\n" + kMemo + "=C:\\" + kTool + "\\a.exe\r\n", "App", "メモ帳"},
        {"UTF-8 byte-order mark", "\xEF\xBB\xBF[App]\r\nメモ帳=C:\\ツール\\a.exe\r\n", "App", "メモ帳"},
        {"equals sign inside value", "[App]\r\nname=C:\\a=b\\c.exe\r\n", "App", "name"},
        {"comment line is not a key", "[s]\r\n;comment=1\r\n", "s", ";comment", std::string(kMissing),
         "a \";\" line is a comment; the platform still finds it by its literal name"},
        {"value longer than the platform's buffer", "[s]\r\nk=" + longValue + "\r\n", "s", "k", longValue,
         "values come back whole: a cut value would be written back cut"},
    };
}

TEST_F(ProfileDifferential, StringReadsAgreeExceptWhereTheTableSaysWhy) {
    for (const ReadCase& c : ReadCases()) {
        SCOPED_TRACE(c.name);
        Prepare(c.file);
        const std::string platform = PlatformString(theirs_, c.section, c.key);
        const std::string ours = OurString(ours_, c.section, c.key);
        if (c.ours) {
            EXPECT_EQ(ours, *c.ours) << c.why;
            EXPECT_NE(platform, ours) << "the platform now agrees; the exception is stale";
        } else {
            EXPECT_EQ(ours, platform);
        }
    }
}

TEST_F(ProfileDifferential, IntegerReadsAgreeExceptWhereTheTableSaysWhy) {
    struct IntCase {
        const char* value;
        std::optional<int> ours;  // set where we differ on purpose
    };
    const IntCase cases[] = {
        {"12", {}},           {" 42 ", {}},  {"-5", {}},          {"-5abc", {}},       {"7.9", {}},
        {"\"15\"", {}},       {"0", {}},     {"2147483647", {}},  {"-2147483648", {}},
        {"0x10", 0},          // the leading decimal number; the platform reads hexadecimal
        {"99999999999", 2147483647},  // clamped; the platform wraps around
        {"-99999999999", -2147483647 - 1},
        {"abc", 77},          // not a number: the default; the platform gives 0
        {"", {}},             // empty: the default, like the platform
    };
    for (const IntCase& c : cases) {
        SCOPED_TRACE(c.value);
        Prepare(std::string("[s]\r\nk=") + c.value + "\r\n");
        const int platform = PlatformInt(theirs_, "s", "k", 77);
        const int ours = store_.ReadInt(ours_, "s", "k", 77);
        if (c.ours) {
            EXPECT_EQ(ours, *c.ours);
            EXPECT_NE(platform, ours);
        } else {
            EXPECT_EQ(ours, platform);
        }
    }
}

TEST_F(ProfileDifferential, KeyNamesAgreeIncludingAnEmptyName) {
    Prepare("[App]\r\nfirst=1\r\n=nameless\r\n" + kMemo + "=2\r\nlast=3\r\n[Other]\r\nx=1\r\n");
    const auto platform = PlatformKeyNames(theirs_, "App");
    const auto ours = store_.ReadKeyNames(ours_, "App");
    EXPECT_EQ(ours, platform);
    EXPECT_EQ(ours, (std::vector<std::string>{"first", "", "メモ帳", "last"}));
}

// Writes: the same edits made by the platform on one copy and by us on the
// other; afterwards the platform reads both files and must find the same
// values. Our file must also stay readable by the platform (an independent reader).
TEST_F(ProfileDifferential, WritesLeaveTheSameValuesAsThePlatformsWrites) {
    const std::string original =
        "; settings\r\n[setting]\r\nwindow=1\r\nView = 2\r\n\r\n[pos]\r\nX01=150\r\n[App]\r\n" + kMemo +
        "=C:\\a.exe\r\nold=C:\\old.exe\r\n[Tab]\r\n1=a?C:\\\r\n";
    Prepare(original);
    struct Edit {
        const char* section;
        const char* key;
        const char* value;  // nullptr removes
    };
    const Edit edits[] = {
        {"setting", "View", "0"},        {"setting", "State", "2"},    {"pos", "Y01", "-3000"},
        {"NewSection", "k", "v"},        {"App", "old", nullptr},      {"Tab", "1", nullptr},
        {"App", "ツール", "C:\\ツール\\t.exe"}, {"setting", "Boot", ""},
    };
    for (const Edit& e : edits) {
        WritePrivateProfileStringW(Widen(e.section).c_str(), Widen(e.key).c_str(),
                                   e.value ? Widen(e.value).c_str() : nullptr, Widen(theirs_).c_str());
        ASSERT_TRUE(store_.WriteString(ours_, e.section, e.key,
                                       e.value ? std::optional<std::string_view>(e.value) : std::nullopt));
    }
    // The platform removes a section with a null key.
    WritePrivateProfileStringW(L"pos", nullptr, nullptr, Widen(theirs_).c_str());
    ASSERT_TRUE(store_.RemoveSection(ours_, "pos"));

    const std::pair<const char*, const char*> probes[] = {
        {"setting", "window"}, {"setting", "View"}, {"setting", "State"}, {"setting", "Boot"},
        {"pos", "X01"},        {"pos", "Y01"},      {"NewSection", "k"},  {"App", "old"},
        {"App", "メモ帳"},     {"App", "ツール"},   {"Tab", "1"},
    };
    for (const auto& [section, key] : probes) {
        SCOPED_TRACE(std::string(section) + "/" + key);
        EXPECT_EQ(PlatformString(ours_, section, key), PlatformString(theirs_, section, key));
        EXPECT_EQ(OurString(ours_, section, key), PlatformString(theirs_, section, key));
    }
    EXPECT_EQ(PlatformKeyNames(ours_, "App"), PlatformKeyNames(theirs_, "App"));
    // We keep what the platform drops: the comment and the blank line.
    const std::string bytes = files_->ReadAll(ours_).value_or("");
    EXPECT_EQ(bytes.rfind("; settings\r\n[setting]\r\n", 0), 0u);
    EXPECT_NE(bytes.find("View=0\r\nState=2\r\nBoot=\r\n\r\n[App]"), std::string::npos);
}

TEST_F(ProfileDifferential, WritingTextTheCodePageCannotHoldIsLosslessForUsOnly) {
    Prepare("[App]\r\nold=1\r\n");
    const std::string name = "絵文字\xF0\x9F\x98\x80";  // U+1F600 has no Shift_JIS form
    WritePrivateProfileStringW(L"App", Widen(name).c_str(), L"C:\\x.exe", Widen(theirs_).c_str());
    ASSERT_TRUE(store_.WriteString(ours_, "App", name, "C:\\x.exe"));
    EXPECT_EQ(OurString(ours_, "App", name), "C:\\x.exe");
    EXPECT_EQ(OurString(ours_, "App", "old"), "1");
    // The platform's own write lost the character; ours is kept as UTF-8, which
    // the platform reads back too.
    EXPECT_EQ(PlatformString(theirs_, "App", name), kMissing);
    EXPECT_EQ(PlatformString(ours_, "App", name), "C:\\x.exe");
}

TEST_F(ProfileDifferential, RemovingADuplicatedKeyRemovesEveryCopy) {
    Prepare("[s]\r\nk=first\r\nk=second\r\n");
    WritePrivateProfileStringW(L"s", L"k", nullptr, Widen(theirs_).c_str());
    ASSERT_TRUE(store_.WriteString(ours_, "s", "k", std::nullopt));
    // The platform uncovers the second copy; a removed key should stay removed.
    EXPECT_EQ(PlatformString(theirs_, "s", "k"), "second");
    EXPECT_EQ(OurString(ours_, "s", "k"), kMissing);
    EXPECT_EQ(PlatformString(ours_, "s", "k"), kMissing);
}

}  // namespace
