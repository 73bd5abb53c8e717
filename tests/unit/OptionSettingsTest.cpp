#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <tuple>

#include "option/OptionSettings.h"
#include "settings/CodePage.h"
#include "settings/ProfileStore.h"
#include "sim/MemoryFileSystem.h"

namespace velmora::option {
namespace {

constexpr const char* kFolder = "C:\\Program Files\\Velmora";
constexpr const char* kFile = "C:\\Program Files\\Velmora\\setting.ini";

// The form as one line: the three check boxes, the start-up path, X01..X03, Y01..Y03, the hotkeys, the rows.
std::string Describe(const OptionState& s) {
    std::ostringstream out;
    out.precision(10);
    out << s.rememberWindow << s.grid << s.lineSelect << " " << s.bootPath;
    for (double value : s.offsetX) out << " " << value;
    for (double value : s.offsetY) out << " " << value;
    for (int hotkey : s.hotkeys) out << " " << hotkey;
    for (const LauncherRow& row : s.launcherRows) out << " [" << row.name << "=" << row.path << "]";
    return out.str();
}

// Lines joined by CRLF, as a user's editor leaves them and as the store writes them.
std::string Crlf(std::string_view text) {
    std::string out;
    for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
}

class OptionSettingsTest : public ::testing::Test {
protected:
    OptionSettingsTest() { files_.AddFolder(kFolder); }

    std::string FileText() { return files_.Bytes(kFile).value_or("<none>"); }
    OptionState Load() { return LoadSettings(store_, kFolder, scale_); }
    bool Save(const OptionState& state) { return SaveSettings(store_, kFolder, scale_, state).ok; }
    bool Closes(Decision decision, const OptionState& state) {
        return OnDecision(decision, store_, kFolder, scale_, state).close;
    }

    sim::MemoryFileSystem files_;
    std::unique_ptr<settings::CodePage> codePage_ = settings::MakeCp932CodePage();
    settings::ProfileStore store_{files_, *codePage_};
    TwipsPerPixel scale_{15, 12};  // different per axis, so a mixed-up axis shows
};

TEST_F(OptionSettingsTest, LoadShowsWhatVelmoraActsOnAndSaveWritesItBack) {
    // The file, the form it loads as, a part of the file the form saves.
    const std::tuple<const char*, const char*, const char*> cases[] = {
        // A missing file: the defaults; Boot is written also when empty.
        {nullptr, "000  0 0 0 0 0 0 0 0", "[setting]\nwindow=0\nBoot=\nHot1=0\nHotkey1=0\nModkey1=0\n"},
        // window only when 1, Grid and LineSel when not 0; the hotkey from Hot alone, saved as all three keys.
        {"[setting]\nwindow=2\nBoot=C:\\Program Files\\a.exe\nHot2=833\nHotkey2=99\nModkey2=99\n[Velmora]\nGrid=2\n"
         "LineSel=-1\n",
         "011 C:\\Program Files\\a.exe 0 0 0 0 0 0 0 833",
         "Hot2=833\nHotkey2=65\nModkey2=6\nHot1=0\nHotkey1=0\nModkey1=0\n[Velmora]\nGrid=1\nLineSel=1\n"},
        // Positions in pixels of each axis, kept to 7 digits, back to the same twips.
        {"[pos]\nX01=150\nX02=1000\nX03=-45\nY01=150\nY02=1000\nY03=7\n",
         "000  10 66.66667 -3 12.5 83.33333 0.5833333 0 0",
         "X01=150\nX02=1000.00005\nX03=-45\nY01=150\nY02=999.99996\nY03=6.9999996\n"},
        // Clamped to 16 bits; not a number: 0.
        {"[pos]\nX01=40000\nX02=-99999\nX03=abc\nY01=0x10\n", "000  2184.467 -2184.533 0 0 0 0 0 0", "X03=0\n"},
        // Section App split at the first "="; lines without one are no rows. Rows nobody changed keep their bytes,
        // one the code page cannot read (\x82 alone) too, and the file stays Shift_JIS.
        {"[App]\nTool=C:\\run.exe /opt=1 /x=2\njust text\nbad\x82=C:\\x.exe\n\x83\x81\x83\x82\x92\xA0=notepad.exe\n",
         "000  0 0 0 0 0 0 0 0 [Tool=C:\\run.exe /opt=1 /x=2] [bad\uFFFD=C:\\x.exe] [メモ帳=notepad.exe]",
         "[App]\nTool=C:\\run.exe /opt=1 /x=2\njust text\nbad\x82=C:\\x.exe\n\x83\x81\x83\x82\x92\xA0=notepad.exe\n"},
        // The other program's keys, sections and comments stay where they are.
        {"; by hand\n[setting]\nState=2\nwindow=1\n[Tab]\n1=C?C:\\\n", "100  0 0 0 0 0 0 0 0",
         "; by hand\n[setting]\nState=2\nwindow=1\nBoot=\nHot1=0\nHotkey1=0\nModkey1=0\nHot2=0\nHotkey2=0\nModkey2=0\n"
         "[Tab]\n1=C?C:\\\n[Velmora]\n"},
    };
    for (const auto& [file, shown, saved] : cases) {
        SCOPED_TRACE(shown);
        if (file) files_.SetFile(kFile, Crlf(file));
        const int writes = files_.writes;
        const OptionState state = Load();
        EXPECT_EQ(files_.writes, writes) << "a load writes nothing";
        EXPECT_EQ(Describe(state), shown);
        ASSERT_TRUE(Save(state));
        EXPECT_NE(FileText().find(Crlf(saved)), std::string::npos) << FileText();
    }
}

TEST(OptionSettingsConversionTest, PixelsAndTwipsConvertAsTheFieldShowsThem) {
    EXPECT_EQ(ShownPixels(1, 15), 0.06666667);
    EXPECT_EQ(StoredTwipsText(10, 0), "150");  // no screen scale: 96 DPI
    // Never an exponent: an integer read of the value would take only its leading number.
    // clang-format off
    const std::pair<double, const char*> plain[] = {
        {150, "150"}, {-3000, "-3000"}, {1000.00005, "1000.00005"}, {-0.0, "0"}, {0.00015, "0.00015"},
        {-0.0000001, "-0.0000001"}, {1e20, "100000000000000000000"}, {123456789.123456789, "123456789.123457"},
        {0.1 + 0.2, "0.3"}};
    // clang-format on
    for (const auto& [value, text] : plain) EXPECT_EQ(PlainDecimalText(value), text);
}

TEST_F(OptionSettingsTest, ApplyStaysOpenCancelWritesNothingOkSavesAndClosesAndAFailedSaveSaysWhy) {
    files_.SetFile(kFile, "[App]\r\nOld=C:\\old.exe\r\n");
    OptionState state;  // no launcher rows: section App goes
    state.offsetX[0] = 10;
    EXPECT_FALSE(Closes(Decision::Apply, state));
    const std::string applied = FileText();
    EXPECT_EQ(applied.find("[App]"), std::string::npos);
    EXPECT_NE(applied.find("X01=150\r\n"), std::string::npos);
    state.offsetX[0] = 20;
    EXPECT_TRUE(Closes(Decision::Cancel, state));
    EXPECT_EQ(FileText(), applied);
    // A failed save keeps the form open, whatever the button, and changes nothing.
    files_.failFromWrite = 1;
    for (Decision decision : {Decision::Ok, Decision::Apply}) {
        const DecisionOutcome outcome = OnDecision(decision, store_, kFolder, scale_, state);
        EXPECT_FALSE(outcome.close);
        EXPECT_EQ(outcome.message, "設定を保存できませんでした。\r\n" + std::string(kFile) + "\r\ndisk full");
    }
    files_.failFromWrite = 0;
    EXPECT_TRUE(Closes(Decision::Ok, state));
    EXPECT_NE(FileText().find("X01=300\r\n"), std::string::npos);
}

}  // namespace
}  // namespace velmora::option
