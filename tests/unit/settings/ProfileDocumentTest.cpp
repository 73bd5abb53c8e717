#include <gtest/gtest.h>

#include <cstdint>
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
    // The file, section, key, the value read.
    // clang-format off
    const std::tuple<std::string, const char*, const char*, std::optional<std::string>> cases[] = {
        // Blanks around key and value go, blanks inside stay; matched quotes go, others stay; "=" inside a value.
        {"[s]\r\n \t key  =  value \t \r\n", "s", "key", "value"}, {"[s]\r\nk = a  b \r\n", "s", "k", "a  b"},
        {"[s]\r\nk=\"  q v  \"\r\n", "s", "k", "  q v  "}, {"[s]\r\nk= 'single' \r\n", "s", "k", "single"},
        {"[s]\r\nk=\"mixed'\r\n", "s", "k", "\"mixed'"}, {"[s]\r\nk=\"\r\n", "s", "k", "\""},
        {"[s]\r\nk=\"\"\r\n", "s", "k", ""}, {"[App]\r\nname=C:\\a=b\\c.exe\r\n", "App", "name", "C:\\a=b\\c.exe"},
        // The first duplicate key and section win, names ignore case (A to Z).
        {"[s]\r\nk=first\r\nK=second\r\n", "s", "k", "first"}, {"[AZ]\r\nZA=1\r\n", "az", "za", "1"},
        {"[s]\r\nk=first\r\n[t]\r\n[S]\r\nk=second\r\n", "s", "k", "first"},
        {"[s]\r\nk=1\r\n[s]\r\nonly=2\r\n", "s", "only", std::nullopt},
        {"[SeTTing]\r\nWINDOW=1\r\n", "setting", "window", "1"},
        // Comments and lines without "=" are no keys; an empty name is one; keys above the first section.
        {"[s]\r\n;comment=1\r\n", "s", ";comment", std::nullopt}, {"[s]\r\nword\r\n", "s", "word", std::nullopt},
        {"[s]\r\n=nameless\r\n", "s", "", "nameless"}, {"top=1\r\n[s]\r\ntop=2\r\n", "", "top", "1"},
        // LF, lone CR and no final line end.
        {"[s]\nk=1\nm=lf\n", "s", "m", "lf"}, {"[s]\rk=1\rm=cr\r", "s", "m", "cr"}, {"[s]\r\nk=last", "s", "k", "last"},
        // Headers: text after the bracket, the name up to the last bracket, blanks around it; "[" alone: no header,
        // nor a key; decoded before parsing, so "]" as a second byte is no bracket.
        {"[s] note\r\nk=v\r\n", "s", "k", "v"}, {"[a]b] x\r\nk=v\r\n", "a]b", "k", "v"},
        {"  [  spaced  ]\r\nk=v\r\n", "spaced", "k", "v"}, {"[s]\r\n[broken\r\nk=v\r\n", "s", "k", "v"},
        {"[s]\r\n[broken=1\r\n", "s", "[broken", std::nullopt}, {"[s]\r\n[" + kZo + "\r\nk=v\r\n", "s", "k", "v"},
        {"[" + kTool + "]\r\n" + kMemo + "=C:\\" + kHyo + "\\a.exe\r\n", "ツール", "メモ帳", "C:\\表\\a.exe"},
        {"[s]\r\nk=1\r\n", "t", "k", std::nullopt}, {"", "s", "k", std::nullopt}};
    // clang-format on
    for (const auto& [file, section, key, expected] : cases)
        EXPECT_EQ(Parse(file).GetString(section, key), expected) << file;
    EXPECT_NE(Parse("k=\x80").GetString("", "k"), "\x80") << "the first byte past ASCII is the code page's to read";
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

    // Comments above the first header do not make an unnamed section.
    EXPECT_FALSE(Parse("; about\r\n[s]\r\n").HasSection(""));
}

TEST_F(ProfileDocumentTest, WritesChangeOnlyWhatTheyMust) {
    const std::string base =
        "; head\r\n[setting]\r\nwindow=1\r\n  View = 2  \r\n\r\n; pos follows\r\n[pos]\r\nX01=150\r\n";
    // The file, the section and key set (no key: the section removed) to the value, the file saved.
    // clang-format off
    const std::tuple<std::string, const char*, const char*, std::optional<std::string>, std::string> cases[] = {
        // Replaced where it stands in the key's own spelling; appended after the section's last key; a new section.
        {base, "setting", "VIEW", "0",
         "; head\r\n[setting]\r\nwindow=1\r\nView=0\r\n\r\n; pos follows\r\n[pos]\r\nX01=150\r\n"},
        {base, "SETTING", "State", "2",
         "; head\r\n[setting]\r\nwindow=1\r\n  View = 2  \r\nState=2\r\n\r\n; pos follows\r\n[pos]\r\nX01=150\r\n"},
        {base, "Tab", "1", "a?C:\\", base + "[Tab]\r\n1=a?C:\\\r\n"},
        {"", "setting", "window", "1", "[setting]\r\nwindow=1\r\n"},
        // Japanese in the code page beside an undecodable line.
        {"[" + kTool + "]\r\nbad=\x82\r\nn=1\r\n", "ツール", "N", "ゾ表",
         "[" + kTool + "]\r\nbad=\x82\r\nn=" + kZo + kHyo + "\r\n"},
        // The file's own line end; a last line without one gets one; a line's own end stays beside an insertion.
        {"[s]\nk=1", "t", "x", "y", "[s]\nk=1\n[t]\nx=y\n"}, {"[s]\r\nk=1", "s", "m", "2", "[s]\r\nk=1\r\nm=2\r\n"},
        {"[s]\r\nk=1\n; c\r\n[t]", "s", "m", "2", "[s]\r\nk=1\nm=2\r\n; c\r\n[t]"},
        // Into a section without keys, above the first header, into the first of duplicate sections.
        {"[s]\r\n; none\r\n[t]\r\n", "s", "x", "1", "[s]\r\nx=1\r\n; none\r\n[t]\r\n"},
        {"[s]\r\nk=1\r\n", "", "top", "1", "top=1\r\n[s]\r\nk=1\r\n"},
        {"[s]\r\nk=1\r\n[s]\r\nm=2\r\n", "s", "m", "3", "[s]\r\nk=1\r\nm=3\r\n[s]\r\nm=2\r\n"},
        // An empty value is kept; a null one removes every copy of the key, or nothing when there is none.
        {"[s]\r\nk=1\r\n", "s", "k", "", "[s]\r\nk=\r\n"}, {base, "pos", "Y01", std::nullopt, base},
        {"[s]\r\nk=first\r\nx=1\r\nK=second\r\n[t]\r\nk=other\r\n", "s", "k", std::nullopt,
         "[s]\r\nx=1\r\n[t]\r\nk=other\r\n"},
        // Removing a section removes all of that name; above the first header only the keys go.
        {"; head\r\n[App]\r\na=1\r\n; note\r\n[Tab]\r\n1=x\r\n[app]\r\nb=2", "APP", nullptr, {},
         "; head\r\n[Tab]\r\n1=x\r\n"},
        {"; c\r\ntop=1\r\n; d\r\nx=2\r\n[s]\r\nk=v\r\n", "", nullptr, {}, "; c\r\n; d\r\n[s]\r\nk=v\r\n"}};
    // clang-format on
    for (const auto& [original, section, key, value, expected] : cases) {
        ProfileDocument document = Parse(original);
        key ? document.SetString(section, key, value) : document.RemoveSection(section);
        EXPECT_EQ(document.Bytes(), expected) << original;
    }
}

TEST_F(ProfileDocumentTest, ByteOrderMarkedFilesStayInTheirEncoding) {
    ProfileDocument document = Parse("\xEF\xBB\xBF[App]\r\nメモ帳=C:\\a.exe\r\nbad=\xFF\r\n");
    document.SetString("App", "ツール", "C:\\t.exe");
    EXPECT_EQ(document.Bytes(), "\xEF\xBB\xBF[App]\r\nメモ帳=C:\\a.exe\r\nbad=\xFF\r\nツール=C:\\t.exe\r\n");

    document = Parse(Utf16File(u"[App]\r\nメモ帳=C:\\a.exe\r\nk=\xD800\r\n"));  // an unpaired surrogate
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
