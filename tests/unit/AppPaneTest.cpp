// The application pane: which window is taken, how a path is started, capture and its refusals, the tabs with their
// popup menu, the sweep and the release at exit.
#include "apps/AppPane.h"
#include "unit/FormFixture.h"

namespace velmora::test {
namespace {

using apps::AppPane;
using apps::TopLevelFacts;
using apps::WindowVerdict;

TEST(AppRulesTest, EachWindowTestRejectsInItsOrder) {
    const TopLevelFacts good{true, false, "Editor", "EditorFrame", 42};
    const std::pair<TopLevelFacts, WindowVerdict> cases[] = {
        {good, WindowVerdict::Taken},
        {{true, false, "Editor", "EditorFrame", 43}, WindowVerdict::OtherProcess},
        {{true, false, "Program Manager", "Progman_2", 43}, WindowVerdict::ProgramManager},
        {{true, false, "x", "Progma", 42}, WindowVerdict::Taken},
        {{true, false, "x", "MyProgman", 42}, WindowVerdict::Taken},
        {{true, false, "", "Progman", 43}, WindowVerdict::Untitled},
        {{true, true, "", "Progman", 43}, WindowVerdict::Owned},
        {{false, true, "", "Progman", 43}, WindowVerdict::Invisible}};
    for (const auto& [facts, verdict] : cases) EXPECT_EQ(apps::JudgeStartedWindow(facts, 42), verdict) << facts.className;
}

TEST(AppRulesTest, ProgramsStartThemselvesAndDocumentsTheirAssociatedProgram) {
    sim::Journal journal;
    sim::Windows windows(journal);
    sim::Clock clock;
    sim::Processes processes(windows, clock, journal);
    processes.associations = {{"txt", "C:\\Windows\\notepad.exe"}, {"lnk", "C:\\Windows\\shortcut.scr"}};
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"C:\\Tools\\Edit.EXE", "\"C:\\Tools\\Edit.EXE\""},
        {"C:\\Docs\\a b.txt", "\"C:\\Windows\\notepad.exe\" \"C:\\Docs\\a b.txt\""},
        {"C:\\Docs\\a.lnk", std::nullopt},  // the associated program is no ".exe"
        {"C:\\Docs\\data.xyz", std::nullopt},
        {"C:\\my.exe\\readme", std::nullopt}};
    for (const auto& [path, line] : cases) EXPECT_EQ(apps::LaunchCommandLine(path, processes), line) << path;
}

class AppPaneTest : public FormFixture {
protected:
    static constexpr const char* kEditor = "C:\\Tools\\Editor.exe";

    AppPaneTest() {
        sim_.processes.programs[kEditor] = {sim::Program::Normal, "Editor", 300};
        sim_.files.SetFile(kEditor, "");
        sim_.files.SetFile("C:\\Docs\\a.txt", "");
        sim_.processes.associations["txt"] = kEditor;
    }
    AppPane& Pane() { return form_.appPane(); }
    sim::WindowHandle Hosted(std::size_t tab) { return Pane().Tabs().at(tab).handle; }
    // Starts the program through the launcher list.
    void Pick(const char* program, sim::Program shape = {}) {
        sim_.files.SetFile(program, "");
        sim_.processes.programs[program] = shape;
        WriteSettings(std::string("[App]\nPick=") + program);
        Pane().LoadAppList();
        sim_.form.PickCombo(0);
    }
    void Popup(int tab) {
        double x = 1;
        for (int before = 1; before < tab; ++before) x += sim_.form.TabWidth(Strip::Apps, before);
        form_.OnTabMouseDown(Strip::Apps, platform::kButtonRight, 0, x, 0);
    }
};

TEST_F(AppPaneTest, AProgramStartsMinimisedAndIsTakenInMaximisedWithItsTabAndFitted) {
    WriteSettings("[pos]\nX03=150\nY03=30");
    Start();
    form_.OnFrameDrop(2, true, {"C:\\Docs\\a.txt", "C:\\Docs\\b.txt"});
    ASSERT_EQ(Pane().Tabs().size(), 1u);
    const auto window = std::to_string(Hosted(0));
    EXPECT_EQ(Journal("Start"), std::vector<std::string>{"Start \"" + std::string(kEditor) + "\" \"C:\\Docs\\a.txt\" 6"});
    const base::TwipsRect host = sim_.form.Bounds(platform::Control::FrameApp2);
    EXPECT_EQ(Journal("SetParent " + window), std::vector<std::string>{"SetParent " + window + " " + std::to_string(sim_.form.frames[2])});
    EXPECT_EQ(Journal("ShowWindow " + window), std::vector<std::string>{"ShowWindow " + window + " 3"});
    EXPECT_EQ(Journal("MoveWindow " + window).back(),
              "MoveWindow " + window + " 10 2 " + std::to_string(static_cast<int>((host.width - 150) / 15 + 0.5)) + " " +
                  std::to_string(static_cast<int>((host.height - 30) / 15 + 0.5)));
    EXPECT_EQ(Tabs(Strip::Apps), std::vector<std::string>{"a?" + window});
    // Only the application pane's frame takes files.
    form_.OnFrameDrop(0, true, {"C:\\Docs\\a.txt"});
    form_.OnFrameDrop(2, false, {});
    EXPECT_EQ(Journal("Start").size(), 1u);
    Pick(kEditor);
    EXPECT_EQ(Pane().Tabs().size(), 2u);
}

struct RefusalCase {
    const char* name;
    sim::Program program;
    bool refuseParent;
    std::string_view message;
};

class AppRefusalTest : public AppPaneTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(AppRefusalTest, NoTabAndTheReasonSaid) {
    Start();
    sim_.windows.refuseParent = GetParam().refuseParent;
    Pick("C:\\Tools\\Other.exe", GetParam().program);
    EXPECT_EQ(Pane().Tabs().size(), 0u);
    EXPECT_EQ(sim_.form.messages, std::vector<std::string>{std::string(GetParam().message)});
    EXPECT_EQ(Journal("MessageBox"), std::vector<std::string>{"MessageBox Velmora"});
}

INSTANTIATE_TEST_SUITE_P(
    Programs, AppRefusalTest,
    ::testing::Values(RefusalCase{"ExitsAtOnce", {sim::Program::ExitsAtOnce}, false, AppPane::kNotFoundMessage},
                      RefusalCase{"Untitled", {sim::Program::Untitled}, false, AppPane::kNotFoundMessage},
                      RefusalCase{"OwnedOnly", {sim::Program::OwnedOnly}, false, AppPane::kNotFoundMessage},
                      RefusalCase{"TooSlow", {sim::Program::Normal, "Slow", 10300}, false, AppPane::kNotFoundMessage},
                      RefusalCase{"Hung", {sim::Program::Hung}, false, AppPane::kNotRespondingMessage},
                      RefusalCase{"Elevated", {}, true, AppPane::kRefusedMessage}),
    [](const auto& info) { return info.param.name; });

TEST_F(AppPaneTest, TheLauncherReadsThePathAgainAndMissingOrEmptyPathsStartNothing) {
    WriteSettings("[App]\nGone=C:\\Tools\\Gone.exe\nEmpty=\nEditor=C:\\Tools\\Old.exe");
    Start();
    WriteSettings(std::string("[App]\nGone=C:\\Tools\\Gone.exe\nEmpty=\nEditor=") + kEditor);
    sim_.form.PickCombo(0);
    sim_.form.PickCombo(1);
    EXPECT_EQ(Journal("Start"), std::vector<std::string>{});
    sim_.form.PickCombo(2);
    EXPECT_EQ(Journal("Start").size(), 1u);
}

TEST_F(AppPaneTest, OneStartAtATimeAndNoCloseWhileItWaits) {
    Start();
    // Messages handled during the settle wait: another pick and a close request.
    sim_.clock.After(350, [this] {
        sim_.clock.Post([this] {
            sim_.form.PickCombo(0);
            Close();
        });
    });
    Pick(kEditor);
    EXPECT_EQ(Journal("Start").size(), 1u);
    EXPECT_FALSE(sim_.form.unloaded);
    // The settle wait counts across the wrap of the millisecond clock.
    sim_.clock.now_ = 0xFFFFFF00u;
    Pick(kEditor);
    EXPECT_EQ(Pane().Tabs().size(), 2u);
    EXPECT_LT(sim_.clock.now_, 0x100000000u + 1000u);
}

TEST_F(AppPaneTest, TabsBringForwardTakeOutAndClose) {
    Start();
    Pick(kEditor);
    Pick(kEditor);
    const auto first = Hosted(0);
    const auto second = Hosted(1);
    ForgetJournal();
    sim_.form.SelectTab(Strip::Apps, 2);
    EXPECT_EQ(Journal("SetForegroundWindow"), std::vector<std::string>{"SetForegroundWindow " + std::to_string(second)});
    // Only the right button alone opens the menu.
    form_.OnTabMouseDown(Strip::Apps, platform::kButtonLeft | platform::kButtonRight, 0, 1, 0);
    EXPECT_EQ(Journal("ShowPopup"), std::vector<std::string>{});
    Popup(1);
    EXPECT_EQ(Journal("ShowPopup"), std::vector<std::string>{"ShowPopup 2"});
    sim_.form.Click(MenuItem::PopupTakeOut);
    EXPECT_EQ(Win(first).parent, 0u);
    EXPECT_EQ(Pane().Tabs().size(), 1u);
    // A window that does not answer is not given back, and its tab stays.
    Win(second).hung = true;
    Popup(1);
    sim_.form.Click(MenuItem::PopupTakeOut);
    EXPECT_EQ(Win(second).parent, sim_.form.frames[2]);
    EXPECT_EQ(sim_.form.messages.back(), AppPane::kNotRespondingMessage);
    // Nor is it asked to close: its window could not be given back first.
    Popup(1);
    sim_.form.Click(MenuItem::PopupAppClose);
    EXPECT_EQ(Journal("PostClose"), std::vector<std::string>{});
    EXPECT_EQ(sim_.form.messages.size(), 2u);
    // Once it answers, it goes back to the desktop, shown, before it is asked: a program that then refuses to
    // close keeps a window its user can reach.
    Win(second).hung = false;
    ForgetJournal();
    Popup(1);
    sim_.form.Click(MenuItem::PopupAppClose);
    EXPECT_EQ(Journal(), (std::vector<std::string>{"ShowPopup 2", "ReleaseToDesktop " + std::to_string(second),
                                                   "PostClose " + std::to_string(second)}));
    EXPECT_TRUE(Win(second).visible);
    EXPECT_EQ(Pane().Tabs().size(), 0u);
    EXPECT_EQ(Tabs(Strip::Apps), std::vector<std::string>{});
}

TEST_F(AppPaneTest, TabsDraggedKeepTheirWindowsAndTheMiddleButtonClosesOneSafely) {
    Start();
    for (int i = 0; i < 3; ++i) Pick(kEditor);
    const std::vector<hosting::HostedWindow> windows = Pane().Tabs();
    form_.OnTabDragged(Strip::Apps, 3, 1);
    form_.OnTabDragged(Strip::Apps, 1, 3);  // back between its old neighbours' places: second
    EXPECT_EQ(Pane().Tabs(), (std::vector<hosting::HostedWindow>{windows[0], windows[2], windows[1]}));
    EXPECT_EQ(Tabs(Strip::Apps)[1], "Editor?" + std::to_string(windows[2].handle));
    ForgetJournal();
    sim_.form.SelectTab(Strip::Apps, 3);
    EXPECT_EQ(Journal("SetForegroundWindow"), std::vector<std::string>{"SetForegroundWindow " +
                                                                       std::to_string(windows[1].handle)});
    form_.OnTabDragged(Strip::Apps, 1, 1);
    form_.OnTabDragged(Strip::Apps, 4, 1);
    EXPECT_EQ(Pane().Tabs().front(), windows[0]);
    ForgetJournal();
    form_.OnTabMouseDown(Strip::Apps, platform::kButtonMiddle, 0, 1, 0);
    EXPECT_EQ(Journal(), (std::vector<std::string>{"ReleaseToDesktop " + std::to_string(windows[0].handle),
                                                   "PostClose " + std::to_string(windows[0].handle)}));
    EXPECT_EQ(Pane().Tabs().size(), 2u);
}

TEST_F(AppPaneTest, APopupWhoseTabWasSweptMeanwhileDoesNothing) {
    Start();
    Pick(kEditor);
    Pick(kEditor);
    Popup(2);
    sim_.windows.Destroy(Hosted(0));
    form_.OnTimer();
    ForgetJournal();
    sim_.form.Click(MenuItem::PopupAppClose);  // tab 2 is now the only one, but not the one clicked
    EXPECT_EQ(Journal("PostClose"), std::vector<std::string>{});
    EXPECT_EQ(Pane().Tabs().size(), 1u);
}

TEST_F(AppPaneTest, TheSweepRemovesGoneWindowsStrangersAndWindowsTakenOutByTheirProgram) {
    Start();
    for (int i = 0; i < 4; ++i) Pick(kEditor);
    const auto stolen = Hosted(1);
    sim_.windows.Destroy(Hosted(0));
    sim_.windows.SetParent(Hosted(2), 0);
    sim_.windows.Destroy(stolen);
    sim_.windows.reuseNext = stolen;
    sim_.windows.Create({"Stranger", "x", sim_.form.frames[2], 0, true, false, {5, 6}});
    const auto last = Hosted(3);
    form_.OnTimer();
    ASSERT_EQ(Pane().Tabs().size(), 1u);
    EXPECT_EQ(Hosted(0), last);
    EXPECT_EQ(Tabs(Strip::Apps), std::vector<std::string>{"Editor?" + std::to_string(last)});
}

TEST_F(AppPaneTest, AtExitEachWindowGoesBackToTheDesktopBeforeItIsAskedToClose) {
    Start();
    Pick(kEditor);
    Pick(kEditor);
    const auto answering = std::to_string(Hosted(0));
    const auto hung = std::to_string(Hosted(1));
    Win(Hosted(1)).hung = true;
    ForgetJournal();
    Close();
    std::vector<std::string> order;
    for (const std::string& line : sim_.journal.lines) {
        if (line.find(" " + answering) != std::string::npos || line.find(" " + hung) != std::string::npos) {
            order.push_back(line);
        }
    }
    EXPECT_EQ(order, (std::vector<std::string>{"ReleaseToDesktop " + answering, "PostClose " + answering,
                                               "PostClose " + hung}));
}

TEST_F(AppPaneTest, TheStartUpApplicationIsStartedOnlyWhenItsFileExists) {
    WriteSettings("[setting]\nBoot=C:\\Tools\\Missing.exe");
    sim_.processes.programs["C:\\Tools\\Missing.exe"] = {};
    Start();
    EXPECT_EQ(Journal("Start"), std::vector<std::string>{});
}

}  // namespace
}  // namespace velmora::test
