#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <tuple>

#include "settings/ProfileDocument.h"

namespace velmora::settings {
namespace {

// Shift_JIS bytes. The second bytes of 表, ソ and ゾ are "\", "\" and "]": a
// reader that looked at bytes before decoding would misread them.
const std::string kMemo = "\x83\x81\x83\x82\x92\xA0";  // メモ帳
const std::string kTool = "\x83\x63\x81\x5B\x83\x8B";  // ツール
const std::string kHyo = "\x95\x5C";                   // 表
const std::string kZo = "\x83\x5D";                    // ゾ

// A UTF-16LE file from UTF-16 text (BMP only), byte-order mark first.
std::string Utf16File(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text) bytes += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    return bytes;
}

class ProfileDocumentTest : public ::testing::Test {
protected:
    ProfileDocument Parse(std::string_view bytes) { return ProfileDocument::FromBytes(bytes, *codePage_); }

    std::unique_ptr<settings::CodePage> codePage_ = settings::MakeCp932CodePage();
};

TEST_F(ProfileDocumentTest, ReadsWhatThePlatformReads) {
    // What the case shows, the file, section, key, the value read.
    const std::tuple<const char*, std::string, const char*, const char*, std::optional<std::string>> cases[] = {
        {"blanks around key and value", "[s]\r\n \t key  =  value \t \r\n", "s", "key", "value"},
        {"blanks inside a value stay", "[s]\r\nk = a  b \r\n", "s", "k", "a  b"},
        {"double quotes", "[s]\r\nk=\"  q v  \"\r\n", "s", "k", "  q v  "},
        {"single quotes", "[s]\r\nk= 'single' \r\n", "s", "k", "single"},
        {"mismatched quotes stay", "[s]\r\nk=\"mixed'\r\n", "s", "k", "\"mixed'"},
        {"a lone quote stays", "[s]\r\nk=\"\r\n", "s", "k", "\""},
        {"empty quotes", "[s]\r\nk=\"\"\r\n", "s", "k", ""},
        {"equals sign inside the value", "[App]\r\nname=C:\\a=b\\c.exe\r\n", "App", "name", "C:\\a=b\\c.exe"},
        {"first duplicate key wins", "[s]\r\nk=first\r\nK=second\r\n", "s", "k", "first"},
        {"first duplicate section wins", "[s]\r\nk=first\r\n[t]\r\n[S]\r\nk=second\r\n", "s", "k", "first"},
        {"a later duplicate section is unseen", "[s]\r\nk=1\r\n[s]\r\nonly=2\r\n", "s", "only", std::nullopt},
        {"names ignore case", "[SeTTing]\r\nWINDOW=1\r\n", "setting", "window", "1"},
        {"from A to Z", "[AZ]\r\nZA=1\r\n", "az", "za", "1"},
        {"a comment is never a key", "[s]\r\n;comment=1\r\n", "s", ";comment", std::nullopt},
        {"a line without = is no key", "[s]\r\nword\r\n", "s", "word", std::nullopt},
        {"an empty key name", "[s]\r\n=nameless\r\n", "s", "", "nameless"},
        {"keys above the first section", "top=1\r\n[s]\r\ntop=2\r\n", "", "top", "1"},
        {"LF line ends", "[s]\nk=1\nm=lf\n", "s", "m", "lf"},
        {"lone CR line ends", "[s]\rk=1\rm=cr\r", "s", "m", "cr"},
        {"no final line end", "[s]\r\nk=last", "s", "k", "last"},
        {"text after the header's bracket", "[s] note\r\nk=v\r\n", "s", "k", "v"},
        {"name up to the last bracket", "[a]b] x\r\nk=v\r\n", "a]b", "k", "v"},
        {"blanks around a section name", "  [  spaced  ]\r\nk=v\r\n", "spaced", "k", "v"},
        {"a [ line without ] is no header", "[s]\r\n[broken\r\nk=v\r\n", "s", "k", "v"},
        {"nor a key", "[s]\r\n[broken=1\r\n", "s", "[broken", std::nullopt},
        {"decoded before parsing: ] as a second byte", "[s]\r\n[" + kZo + "\r\nk=v\r\n", "s", "k", "v"},
        {"Japanese names", "[" + kTool + "]\r\n" + kMemo + "=C:\\" + kHyo + "\\a.exe\r\n", "ツール", "メモ帳",
         "C:\\表\\a.exe"},
        {"missing section", "[s]\r\nk=1\r\n", "t", "k", std::nullopt},
        {"empty file", "", "s", "k", std::nullopt},
    };
    for (const auto& [name, file, section, key, expected] : cases) {
        EXPECT_EQ(Parse(file).GetString(section, key), expected) << name;
    }
}

TEST_F(ProfileDocumentTest, ListsKeysSectionsAndEntries) {
    const ProfileDocument document = Parse(
        "top=0\r\n[App]\r\nfirst=1\r\n=nameless\r\nFIRST=dup\r\n;c=1\r\nword\r\nlast=\"3\"\r\n"
        "[B]\r\n[app]\r\nx=1\r\n");
    // An empty name is listed like any other and does not end the list.
    EXPECT_EQ(document.KeyNames("app"), (std::vector<std::string>{"first", "", "last"}));
    using Entries = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(document.SectionEntries("App"),
              (Entries{{"first", "1"}, {"", "nameless"}, {"FIRST", "dup"}, {"last", "\"3\""}}));
    EXPECT_EQ(document.SectionNames(), (std::vector<std::string>{"", "App", "B"}));
    EXPECT_TRUE(document.HasSection("b"));

    // Comments above the first header do not make an unnamed section.
    EXPECT_FALSE(Parse("; about\r\n[s]\r\n").HasSection(""));
}

TEST_F(ProfileDocumentTest, WritesChangeOnlyWhatTheyMust) {
    const std::string base =
        "; head\r\n[setting]\r\nwindow=1\r\n  View = 2  \r\n\r\n; pos follows\r\n[pos]\r\nX01=150\r\n";
    // What the case shows, the file, the edit, the file saved.
    const std::tuple<const char*, std::string, std::function<void(ProfileDocument&)>, std::string> cases[] = {
        {"replaced where it stands, in the key's own spelling", base,
         [](auto& d) { d.SetString("setting", "VIEW", "0"); },
         "; head\r\n[setting]\r\nwindow=1\r\nView=0\r\n\r\n; pos follows\r\n[pos]\r\nX01=150\r\n"},
        {"appended after the section's last key", base, [](auto& d) { d.SetString("SETTING", "State", "2"); },
         "; head\r\n[setting]\r\nwindow=1\r\n  View = 2  \r\nState=2\r\n\r\n; pos follows\r\n[pos]\r\nX01=150\r\n"},
        {"a new section at the end", base, [](auto& d) { d.SetString("Tab", "1", "a?C:\\"); },
         base + "[Tab]\r\n1=a?C:\\\r\n"},
        {"a new file", "", [](auto& d) { d.SetString("setting", "window", "1"); }, "[setting]\r\nwindow=1\r\n"},
        {"Japanese in the code page beside an undecodable line", "[" + kTool + "]\r\nbad=\x82\r\nn=1\r\n",
         [](auto& d) { d.SetString("ツール", "N", "ゾ表"); },
         "[" + kTool + "]\r\nbad=\x82\r\nn=" + kZo + kHyo + "\r\n"},
        {"the file's own line end", "[s]\nk=1", [](auto& d) { d.SetString("t", "x", "y"); }, "[s]\nk=1\n[t]\nx=y\n"},
        {"a last line without end gets one", "[s]\r\nk=1", [](auto& d) { d.SetString("s", "m", "2"); },
         "[s]\r\nk=1\r\nm=2\r\n"},
        {"into a section without keys", "[s]\r\n; none\r\n[t]\r\n", [](auto& d) { d.SetString("s", "x", "1"); },
         "[s]\r\nx=1\r\n; none\r\n[t]\r\n"},
        {"above the first header", "[s]\r\nk=1\r\n", [](auto& d) { d.SetString("", "top", "1"); },
         "top=1\r\n[s]\r\nk=1\r\n"},
        {"into the first of duplicate sections", "[s]\r\nk=1\r\n[s]\r\nm=2\r\n",
         [](auto& d) { d.SetString("s", "m", "3"); }, "[s]\r\nk=1\r\nm=3\r\n[s]\r\nm=2\r\n"},
        {"an empty value is kept as a key", "[s]\r\nk=1\r\n", [](auto& d) { d.SetString("s", "k", ""); },
         "[s]\r\nk=\r\n"},
        {"a null value removes every copy of the key", "[s]\r\nk=first\r\nx=1\r\nK=second\r\n[t]\r\nk=other\r\n",
         [](auto& d) { d.SetString("s", "k", std::nullopt); }, "[s]\r\nx=1\r\n[t]\r\nk=other\r\n"},
        {"a line's own end stays beside an insertion", "[s]\r\nk=1\n; c\r\n[t]",
         [](auto& d) { d.SetString("s", "m", "2"); }, "[s]\r\nk=1\nm=2\r\n; c\r\n[t]"},
        {"removing a missing key changes nothing", base, [](auto& d) { d.SetString("pos", "Y01", std::nullopt); },
         base},
        {"removing a section removes all of that name",
         "; head\r\n[App]\r\na=1\r\n; note\r\n[Tab]\r\n1=x\r\n[app]\r\nb=2", [](auto& d) { d.RemoveSection("APP"); },
         "; head\r\n[Tab]\r\n1=x\r\n"},
        {"above the first header only the keys go", "; c\r\ntop=1\r\n; d\r\nx=2\r\n[s]\r\nk=v\r\n",
         [](auto& d) { d.RemoveSection(""); }, "; c\r\n; d\r\n[s]\r\nk=v\r\n"},
    };
    for (const auto& [name, original, edit, expected] : cases) {
        ProfileDocument document = Parse(original);
        edit(document);
        EXPECT_EQ(document.Bytes(), expected) << name;
    }
}

TEST_F(ProfileDocumentTest, ByteOrderMarkedFilesStayInTheirEncoding) {
    ProfileDocument document = Parse("\xEF\xBB\xBF[App]\r\nメモ帳=C:\\a.exe\r\nbad=\xFF\r\n");
    EXPECT_EQ(document.encoding(), FileEncoding::Utf8Bom);
    EXPECT_EQ(document.GetString("App", "メモ帳"), "C:\\a.exe");
    document.SetString("App", "ツール", "C:\\t.exe");
    EXPECT_EQ(document.Bytes(), "\xEF\xBB\xBF[App]\r\nメモ帳=C:\\a.exe\r\nbad=\xFF\r\nツール=C:\\t.exe\r\n");

    document = Parse(Utf16File(u"[App]\r\nメモ帳=C:\\a.exe\r\nk=\xD800\r\n"));  // an unpaired surrogate
    EXPECT_EQ(document.encoding(), FileEncoding::Utf16LeBom);
    EXPECT_EQ(document.GetString("app", "メモ帳"), "C:\\a.exe");
    document.SetString("App", "メモ帳", "C:\\表.exe");
    document.SetString("New", "x", "😀");
    EXPECT_EQ(document.Bytes(), Utf16File(u"[App]\r\nメモ帳=C:\\表.exe\r\nk=\xD800\r\n[New]\r\nx=\xD83D\xDE00\r\n"));

    // A file cut after an odd byte: lines added after it must still line up.
    document = Parse(Utf16File(u"[s]\r\nk=v") + "A");
    document.SetString("t", "x", "1");
    EXPECT_EQ(Parse(document.Bytes()).GetString("t", "x"), "1");
    EXPECT_EQ(Parse(document.Bytes()).GetString("s", "k"), "v\uFFFD");
}

TEST(ParseProfileIntTest, TakesTheLeadingDecimalNumberClamped) {
    constexpr std::int32_t kMax = INT32_MAX, kMin = INT32_MIN;
    // clang-format off
    const std::pair<std::optional<std::string>, std::int32_t> cases[] = {
        {"12", 12}, {" 42 ", 42}, {"-5", -5}, {"+7", 7}, {"-5abc", -5}, {"7.9", 7}, {"0x10", 0}, {"-0", 0},
        {"2147483647", kMax}, {"2147483648", kMax}, {"99999999999999999999999", kMax},
        {"-2147483648", kMin}, {"-2147483649", kMin}, {"-99999999999", kMin},
        {"abc", 77}, {"", 77}, {"-", 77}, {"- 5", 77}, {std::nullopt, 77}};
    // clang-format on
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(ParseProfileInt(value, 77), expected) << value.value_or("<missing>");
}

}  // namespace
}  // namespace velmora::settings
