#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "option/LauncherList.h"
#include "option/OptionSettings.h"
#include "settings/CodePage.h"
#include "sim/MemoryFileSystem.h"
#include "settings/ProfileStore.h"

namespace velmora::option {

inline void PrintTo(const LauncherRow& row, std::ostream* os) { *os << "{" << row.name << ", " << row.path << "}"; }

namespace {

// Keeps the bytes of every write, so a test can see the order keys came in.
class RecordingFileSystem : public settings::FileSystem {
public:
    explicit RecordingFileSystem(settings::FileSystem& inner) : inner_(inner) {}
    std::optional<std::string> ReadAll(const std::string& path) override { return inner_.ReadAll(path); }
    std::optional<settings::FileStamp> Stamp(const std::string& path) override { return inner_.Stamp(path); }
    bool WriteAllAtomic(const std::string& path, const std::string& bytes) override {
        bool ok = inner_.WriteAllAtomic(path, bytes);
        if (ok) writes.push_back(bytes);
        return ok;
    }
    bool FileExists(const std::string& path) override { return inner_.FileExists(path); }
    bool DirectoryExists(const std::string& path) override { return inner_.DirectoryExists(path); }

    std::vector<std::string> writes;

private:
    settings::FileSystem& inner_;
};

constexpr const char* kFolder = "C:\\Program Files\\Velmora";
constexpr const char* kFile = "C:\\Program Files\\Velmora\\setting.ini";

class OptionSettingsTest : public ::testing::Test {
protected:
    OptionSettingsTest() { files_.AddFolder(kFolder); }

    void Given(const std::string& text) { files_.SetFile(kFile, text); }
    std::string FileText() { return files_.ReadAll(kFile).value_or("<none>"); }
    OptionState Load() { return LoadSettings(store_, kFolder, scale_); }
    bool Save(const OptionState& state) { return SaveSettings(store_, kFolder, scale_, state); }

    sim::MemoryFileSystem files_;
    RecordingFileSystem recorder_{files_};
    std::unique_ptr<settings::CodePage> codePage_ = settings::MakeCp932CodePage();
    settings::ProfileStore store_{recorder_, *codePage_};
    TwipsPerPixel scale_{15, 12};  // different per axis, so a mixed-up axis shows
};

// ---- the whole file ----

TEST_F(OptionSettingsTest, AMissingFileLoadsDefaultsAndTheFirstSaveWritesEveryKeyInOrder) {
    OptionState state = Load();
    EXPECT_FALSE(state.rememberWindow);
    EXPECT_FALSE(state.grid);
    EXPECT_FALSE(state.lineSelect);
    EXPECT_EQ(state.bootPath, "");
    EXPECT_EQ(state.offsetX, (std::array<double, 3>{0, 0, 0}));
    EXPECT_EQ(state.offsetY, (std::array<double, 3>{0, 0, 0}));
    EXPECT_EQ(state.hotkeys, (std::array<std::int32_t, 2>{0, 0}));
    EXPECT_TRUE(state.launcherRows.empty());
    EXPECT_FALSE(files_.FileExists(kFile));

    state.rememberWindow = true;
    state.lineSelect = true;
    state.bootPath = "C:\\Tools\\boot.exe";
    state.offsetX = {10, -200, 1.5};
    state.offsetY = {10, 0, -0.25};
    state.hotkeys = {0x0341, 0x0A24};
    state.launcherRows = {{"メモ帳", "C:\\Windows\\notepad.exe"}, {"calc", "calc.exe"}};
    ASSERT_TRUE(Save(state));
    EXPECT_EQ(FileText(),
              "[App]\r\n"
              "\x83\x81\x83\x82\x92\xA0=C:\\Windows\\notepad.exe\r\n"  // メモ帳 in Shift_JIS
              "calc=calc.exe\r\n"
              "[setting]\r\n"
              "window=1\r\n"
              "Boot=C:\\Tools\\boot.exe\r\n"
              "Hot1=833\r\n"
              "Hotkey1=65\r\n"
              "Modkey1=6\r\n"
              "Hot2=2596\r\n"
              "Hotkey2=36\r\n"
              "Modkey2=2\r\n"
              "[Velmora]\r\n"
              "Grid=0\r\n"
              "LineSel=1\r\n"
              "[pos]\r\n"
              "X01=150\r\n"
              "X02=-3000\r\n"
              "X03=22.5\r\n"
              "Y01=120\r\n"
              "Y02=0\r\n"
              "Y03=-3\r\n");
}

TEST_F(OptionSettingsTest, SaveWritesTheKeysOneByOneInTheFormsOrder) {
    OptionState state;
    state.launcherRows = {{"b", "2"}, {"a", "1"}};
    ASSERT_TRUE(Save(state));
    const std::vector<std::string> order = {
        "b=",   "a=",   "window=", "Grid=", "LineSel=", "Boot=",    "X01=",  "X02=",     "X03=",
        "Y01=", "Y02=", "Y03=",    "Hot1=", "Hotkey1=", "Modkey1=", "Hot2=", "Hotkey2=", "Modkey2="};
    // Each key first appears in a later write than the key before it.
    std::size_t previous = 0;
    for (std::size_t k = 0; k < order.size(); ++k) {
        std::size_t first = 0;
        while (first < recorder_.writes.size() && recorder_.writes[first].find("\n" + order[k]) == std::string::npos)
            ++first;
        ASSERT_LT(first, recorder_.writes.size()) << order[k];
        if (k > 0) {
            EXPECT_GT(first, previous) << order[k];
        }
        previous = first;
    }
}

TEST_F(OptionSettingsTest, OtherKeysOfTheFileSurviveASave) {
    Given(
        "; written by hand\r\n"
        "[setting]\r\n"
        "State=2\r\n"
        "window=1\r\n"
        "View=0\r\n"
        "[Tab]\r\n"
        "1=C?C:\\\r\n");
    ASSERT_TRUE(Save(Load()));
    const std::string text = FileText();
    EXPECT_EQ(text.rfind("; written by hand\r\n[setting]\r\nState=2\r\nwindow=1\r\nView=0\r\n", 0), 0u) << text;
    EXPECT_NE(text.find("[Tab]\r\n1=C?C:\\\r\n"), std::string::npos) << text;
}

// ---- positions ----

TEST_F(OptionSettingsTest, PositionsShowInPixelsAndSaveBackAsTheSameTwips) {
    Given("[pos]\r\nX01=150\r\nX02=1000\r\nX03=-45\r\nY01=150\r\nY02=1000\r\nY03=7\r\n");
    OptionState state = Load();
    EXPECT_EQ(state.offsetX, (std::array<double, 3>{10, 66.66667, -3}));
    EXPECT_EQ(state.offsetY, (std::array<double, 3>{12.5, 83.33333, 0.5833333}));
    ASSERT_TRUE(Save(state));
    const std::string text = FileText();
    EXPECT_NE(text.find("X01=150\r\nX02=1000.00005\r\nX03=-45\r\nY01=150\r\nY02=999.99996\r\nY03=6.9999996\r\n"),
              std::string::npos)
        << text;
}

TEST_F(OptionSettingsTest, PositionsOutsideSixteenBitsAreClampedAndNonNumbersAreZero) {
    Given("[pos]\r\nX01=40000\r\nX02=-99999\r\nX03=abc\r\nY01=0x10\r\n");
    OptionState state = Load();
    EXPECT_EQ(state.offsetX[0], 2184.467);   // 32767 / 15
    EXPECT_EQ(state.offsetX[1], -2184.533);  // -32768 / 15
    EXPECT_EQ(state.offsetX[2], 0);
    EXPECT_EQ(state.offsetY[0], 0);
}

TEST(OptionSettingsConversionTest, PixelsAndTwipsConvertAsTheFieldShowsThem) {
    EXPECT_EQ(ShownPixels(150, 15), 10);
    EXPECT_EQ(ShownPixels(1000, 15), 66.66667);
    EXPECT_EQ(ShownPixels(1, 15), 0.06666667);
    EXPECT_EQ(ShownPixels(65536 + 150, 15), 2184.467);  // no wrapping into 150
    EXPECT_EQ(StoredTwipsText(10, 15), "150");
    EXPECT_EQ(StoredTwipsText(-200, 15), "-3000");
    EXPECT_EQ(StoredTwipsText(66.66667, 15), "1000.00005");
    EXPECT_EQ(StoredTwipsText(10, 0), "150");  // no screen scale: 96 DPI
}

TEST(OptionSettingsConversionTest, PlainDecimalTextNeverUsesAnExponent) {
    EXPECT_EQ(PlainDecimalText(150), "150");
    EXPECT_EQ(PlainDecimalText(-3000), "-3000");
    EXPECT_EQ(PlainDecimalText(1000.00005), "1000.00005");
    EXPECT_EQ(PlainDecimalText(-0.0), "0");
    EXPECT_EQ(PlainDecimalText(0.00015), "0.00015");
    EXPECT_EQ(PlainDecimalText(-0.0000001), "-0.0000001");
    EXPECT_EQ(PlainDecimalText(1e20), "100000000000000000000");
    EXPECT_EQ(PlainDecimalText(123456789.123456789), "123456789.123457");
    EXPECT_EQ(PlainDecimalText(0.1 + 0.2), "0.3");
}

// ---- check boxes, start-up path, hotkeys ----

TEST_F(OptionSettingsTest, CheckBoxesShowWhatVelmoraActsOnAndSaveAsZeroOrOne) {
    Given("[setting]\r\nwindow=2\r\n[Velmora]\r\nGrid=2\r\nLineSel=-1\r\n");
    OptionState state = Load();
    EXPECT_FALSE(state.rememberWindow);  // Velmora remembers its window only for 1
    EXPECT_TRUE(state.grid);             // any value but 0 shows grid lines
    EXPECT_TRUE(state.lineSelect);
    ASSERT_TRUE(Save(state));
    EXPECT_NE(FileText().find("window=0\r\n"), std::string::npos);
    EXPECT_NE(FileText().find("Grid=1\r\nLineSel=1\r\n"), std::string::npos);
}

TEST_F(OptionSettingsTest, BootIsWrittenExactlyAsTypedAlsoWhenEmpty) {
    Given("[setting]\r\nBoot=C:\\Program Files\\App\\app.exe\r\n");
    OptionState state = Load();
    EXPECT_EQ(state.bootPath, "C:\\Program Files\\App\\app.exe");
    state.bootPath = "";
    ASSERT_TRUE(Save(state));
    EXPECT_NE(FileText().find("[setting]\r\nBoot=\r\n"), std::string::npos) << FileText();
}

TEST_F(OptionSettingsTest, HotkeysLoadFromHotAloneAndSaveAllThreeKeysPerPane) {
    Given("[setting]\r\nHot2=833\r\nHotkey2=99\r\nModkey2=99\r\n");
    OptionState state = Load();
    EXPECT_EQ(state.hotkeys, (std::array<std::int32_t, 2>{0, 833}));

    state.hotkeys = {0x0470, 0x01BA};  // Alt+F1; Shift+VK_OEM_1 (a key code above 127)
    ASSERT_TRUE(Save(state));
    const std::string text = FileText();
    EXPECT_NE(text.find("Hot2=442\r\nHotkey2=-70\r\nModkey2=4\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Hot1=1136\r\nHotkey1=112\r\nModkey1=1\r\n"), std::string::npos) << text;

    state.hotkeys = {0, 0};
    ASSERT_TRUE(Save(state));
    EXPECT_NE(FileText().find("Hot1=0\r\nHotkey1=0\r\nModkey1=0\r\n"), std::string::npos) << FileText();
}

// ---- the launcher list ----

TEST_F(OptionSettingsTest, AppLinesSplitAtTheFirstEqualsAndLinesWithoutOneAreSkipped) {
    Given(
        "[App]\r\n"
        "Tool=C:\\run.exe /opt=1 /x=2\r\n"
        "just text\r\n"
        "\x83\x81\x83\x82\x92\xA0=notepad.exe\r\n");  // メモ帳 in Shift_JIS
    EXPECT_EQ(Load().launcherRows,
              (std::vector<LauncherRow>{{"Tool", "C:\\run.exe /opt=1 /x=2"}, {"メモ帳", "notepad.exe"}}));
}

TEST_F(OptionSettingsTest, SaveReplacesSectionAppByTheRowsInDisplayOrder) {
    Given("[App]\r\nb=2\r\nOld=C:\\old.exe\r\n[setting]\r\nView=1\r\n");
    LauncherList list;
    list.LoadRows(Load().launcherRows);
    list.SetNameText("a");
    list.SetPathText("1");
    ASSERT_EQ(list.Add(), std::nullopt);
    list.SortByColumn(1);  // name, descending from the start state
    OptionState state;
    state.launcherRows = list.rows();
    ASSERT_TRUE(Save(state));
    // The section is written anew after the others, holding only the list's rows.
    const std::string text = FileText();
    ASSERT_LT(text.find("[setting]"), text.find("[App]")) << text;
    const std::string section = "[App]\r\nOld=C:\\old.exe\r\nb=2\r\na=1\r\n[Velmora]";
    EXPECT_EQ(text.substr(text.find("[App]"), section.size()), section) << text;
    EXPECT_EQ(Load().launcherRows, (std::vector<LauncherRow>{{"Old", "C:\\old.exe"}, {"b", "2"}, {"a", "1"}}));

    state.launcherRows.clear();
    ASSERT_TRUE(Save(state));
    EXPECT_EQ(FileText().find("[App]"), std::string::npos);
}

TEST_F(OptionSettingsTest, TwoRowsOfOneNameLeaveOneKeyWithTheLaterPath) {
    OptionState state;
    state.launcherRows = {{"A", "first"}, {"B", "b"}, {"A", "second"}};
    ASSERT_TRUE(Save(state));
    EXPECT_EQ(Load().launcherRows, (std::vector<LauncherRow>{{"A", "second"}, {"B", "b"}}));
}

// ---- the decision buttons ----

TEST_F(OptionSettingsTest, ApplyStaysOpenCancelWritesNothingAfterItOkSavesAndCloses) {
    OptionState state = Load();
    state.offsetX[0] = 10;
    EXPECT_FALSE(OnDecision(Decision::Apply, store_, kFolder, scale_, state));
    const std::string applied = FileText();
    EXPECT_NE(applied.find("X01=150\r\n"), std::string::npos);

    state.offsetX[0] = 20;
    const int writes = files_.writes;
    EXPECT_TRUE(OnDecision(Decision::Cancel, store_, kFolder, scale_, state));
    EXPECT_EQ(files_.writes, writes);
    EXPECT_EQ(FileText(), applied);

    EXPECT_TRUE(OnDecision(Decision::Ok, store_, kFolder, scale_, state));
    EXPECT_NE(FileText().find("X01=300\r\n"), std::string::npos);
}

TEST_F(OptionSettingsTest, EachCallFormsThePathFromTheFolderItIsGiven) {
    files_.AddFolder("D:\\Moved");
    OptionState state;
    state.bootPath = "x.exe";
    ASSERT_TRUE(SaveSettings(store_, "D:\\Moved", scale_, state));
    EXPECT_TRUE(files_.FileExists("D:\\Moved\\setting.ini"));
    EXPECT_FALSE(files_.FileExists(kFile));
    EXPECT_EQ(LoadSettings(store_, "D:\\Moved", scale_).bootPath, "x.exe");
}

TEST_F(OptionSettingsTest, AFailedSaveReportsItAndLeavesTheFileAsItWas) {
    Given("[setting]\r\nwindow=1\r\n");
    files_.writesFail = true;
    OptionState state;
    state.bootPath = "y.exe";
    EXPECT_FALSE(Save(state));
    EXPECT_EQ(FileText(), "[setting]\r\nwindow=1\r\n");
    EXPECT_EQ(Load().bootPath, "");
}

}  // namespace
}  // namespace velmora::option
