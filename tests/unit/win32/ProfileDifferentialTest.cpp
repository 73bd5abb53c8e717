// Our profile engine, on the host's file system and code page, against the platform's own profile functions on
// copies of the same file: every read must agree, except where a probe names what we read on purpose instead.
#include <gtest/gtest.h>
#include <windows.h>

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
const std::string kMemo = "\x83\x81\x83\x82\x92\xA0";  // メモ帳 in Shift_JIS

std::string PlatformString(const std::string& path, const std::string& section, const std::string& key) {
    std::vector<wchar_t> buffer(32767);
    GetPrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(), L"<missing>", buffer.data(),
                             static_cast<DWORD>(buffer.size()), Widen(path).c_str());
    return Narrow(buffer.data());
}

class ProfileDifferential : public ::testing::Test {
protected:
    struct Probe {
        std::string section, key;
        std::optional<std::string> ours = std::nullopt;  // set where we differ on purpose
    };

    void Prepare(const std::string& bytes) {
        ASSERT_TRUE(files_->WriteAllAtomic(ours_, bytes));
        ASSERT_TRUE(files_->WriteAllAtomic(theirs_, bytes));
    }
    // The same edit by the platform on its copy and by us on ours: no key removes the section, no value the key.
    void Edit(const std::string& section, const char* key, const char* value) {
        WritePrivateProfileStringW(Widen(section).c_str(), key ? Widen(key).c_str() : nullptr,
                                   value ? Widen(value).c_str() : nullptr, Widen(theirs_).c_str());
        ASSERT_TRUE(
            key ? store_.WriteString(ours_, section, key, value ? std::optional<std::string_view>(value) : std::nullopt)
                : store_.RemoveSection(ours_, section));
    }
    // We read in our copy what the platform reads in its own, and so does the platform, an independent reader of
    // what we wrote; where we differ on purpose, the platform must still differ, or the exception is stale.
    void ExpectAgreement(const std::vector<Probe>& probes) {
        for (const Probe& p : probes) {
            SCOPED_TRACE(p.section + "/" + p.key);
            const std::string theirs = PlatformString(theirs_, p.section, p.key);
            EXPECT_EQ(store_.ReadString(ours_, p.section, p.key).value_or(kMissing), p.ours.value_or(theirs));
            if (p.ours) {
                EXPECT_NE(theirs, *p.ours) << "the platform now agrees; the exception is stale";
            } else {
                EXPECT_EQ(PlatformString(ours_, p.section, p.key), theirs);
            }
        }
    }

    void TearDown() override {
        for (const std::string& path : {ours_, theirs_}) DeleteFileW(Widen(path).c_str());
    }
    const std::string ours_ = ::testing::TempDir() + "velmora-ours.ini";
    const std::string theirs_ = ::testing::TempDir() + "velmora-platform.ini";
    std::unique_ptr<settings::FileSystem> files_ = settings::MakeHostFileSystem();
    std::unique_ptr<settings::CodePage> codePage_ = settings::MakeHostCodePage();
    settings::ProfileStore store_{*files_, *codePage_};
};

TEST_F(ProfileDifferential, ReadsAgreeExceptWhereAProbeSaysWhy) {
    const std::string longValue(40000, 'a');
    Prepare(
        "[s]\r\n  key  =  a  b  \r\nq=\"quoted\"\r\nk=first\r\nK=second\r\n;comment=1\r\n[t]\r\n"
        "[S]\r\nk=third\r\nonly=1\r\n[App]\r\n=nameless\r\n" +
        kMemo + "=C:\\a.exe\r\nlong=" + longValue + "\r\n[lf]\nk=lf");  // LF line ends, no final one
    // clang-format off
    ExpectAgreement({{"s", "key"}, {"S", "K"}, {"s", "q"}, {"s", "only"}, {"app", "メモ帳"}, {"lf", "k"},
                     // A ";" line is a comment; the platform still finds it by its literal name.
                     {"s", ";comment", kMissing},
                     // Values come back whole: a cut value would be written back cut.
                     {"App", "long", longValue}});
    // clang-format on
}

TEST_F(ProfileDifferential, WritesLeaveWhatThePlatformsWritesLeave) {
    Prepare("; settings\r\n[setting]\r\nwindow=1\r\nView = 2\r\n\r\n[pos]\r\nX01=150\r\n[App]\r\n" + kMemo +
            "=C:\\a.exe\r\nold=C:\\old.exe\r\n");
    const char* const edits[][3] = {{"setting", "View", "0"}, {"setting", "State", "2"},
                                    {"setting", "Boot", ""},  {"NewSection", "k", "v"},
                                    {"App", "old", nullptr},  {"App", "ツール", "C:\\ツール\\t.exe"},
                                    {"pos", nullptr, nullptr}};
    for (const auto& edit : edits) Edit(edit[0], edit[1], edit[2]);
    // clang-format off
    ExpectAgreement({{"setting", "window"}, {"setting", "View"}, {"setting", "State"}, {"setting", "Boot"},
                     {"pos", "X01"}, {"NewSection", "k"}, {"App", "old"}, {"App", "メモ帳"}, {"App", "ツール"}});
    // clang-format on

    // A removed duplicated key stays removed, where the platform uncovers the next copy; text the code page cannot
    // hold survives as UTF-8, which the platform reads too, where the platform's own write loses it.
    const std::string emoji = "絵文字\xF0\x9F\x98\x80";
    Prepare("[App]\r\ndup=first\r\ndup=second\r\n");
    Edit("App", "dup", nullptr);
    Edit("App", emoji.c_str(), "C:\\x.exe");
    ExpectAgreement({{"App", "dup", kMissing}, {"App", emoji, "C:\\x.exe"}});
    EXPECT_EQ(PlatformString(ours_, "App", emoji), "C:\\x.exe");
}

}  // namespace
}  // namespace velmora::win32
