// The application pane: which window is taken, how a path is started, capture and its refusals, the tabs with their
// popup menu, the sweep and the release at exit.
#include <tuple>

#include "apps/AppPane.h"
#include "unit/FormFixture.h"

namespace velmora::test {
namespace {

using apps::AppPane;
using apps::TopLevelFacts;
using apps::WindowVerdict;

TEST(AppRulesTest, TheDesktopsProgramManagerIsNeverTakenEvenAsTheStartedProgramsWindow) {
    const std::pair<TopLevelFacts, WindowVerdict> cases[] = {
        {{true, false, "Program Manager", "Progman_2", 42}, WindowVerdict::ProgramManager},
        {{true, false, "x", "MyProgman", 42}, WindowVerdict::Taken},
        {{true, false, "x", "Progma", 43}, WindowVerdict::OtherProcess}};
    for (const auto& [facts, verdict] : cases) EXPECT_EQ(apps::JudgeStartedWindow(facts, 42), verdict) << facts.className;
}

class AppPaneTest : public FormFixture {
protected:
    static constexpr const char* kEditor = "C:\\Tools\\Editor.exe";

    AppPaneTest() {
        Install(kEditor, {sim::Program::Normal, 300});
        sim_.files.SetFile("C:\\Docs\\a.txt", "");
        sim_.processes.associations["txt"] = kEditor;
    }
    AppPane& Pane() { return form_.appPane(); }
    sim::WindowHandle Hosted(std::size_t tab) { return Pane().Tabs().at(tab).handle; }
    // Starts the program through the launcher list.
    void Pick(const char* program, sim::Program shape = {}) {
        Install(program, shape);
        WriteSettings(std::string("[App]\nPick=") + program);
        Pane().LoadAppList();
        sim_.form.PickCombo(0);
    }
    void Popup(int tab) { form_.OnTabMouseDown(Strip::Apps, platform::kButtonRight, 0, X(Strip::Apps, tab), 0); }
};

TEST_F(AppPaneTest, AProgramStartsMinimisedAndIsTakenInMaximisedWithItsTabAndFitted) {
    WriteSettings("[pos]\nX03=150\nY03=30");
    Start();
    sim_.desktop.trace = &sim_.shell;
    form_.OnTabDrop(Strip::Apps, true, {"C:\\Docs\\a.txt", "C:\\Docs\\b.txt"}, 0, 0, 0);
    const std::string window = N(Hosted(0));
    const std::string start = "Start \"" + std::string(kEditor) + "\" \"C:\\Docs\\a.txt\" 6";
    // The trace marks each step as it ends, the waits apart.
    EXPECT_EQ(Journal({"Step", "Wait", "Start", "SetParent " + window, "ShowWindow " + window}),
              (Lines{"Step pick", start, "Step process created", "Wait input idle", "Wait settle",
                     "Step window search", "Step answer check", "SetParent " + window + " " + N(sim_.form.frames[2]),
                     "Step re-parented", "ShowWindow " + window + " 3", "Step maximised", "Step tab",
                     "Step fitted"}));
    EXPECT_EQ(Journal({"MoveWindow " + window}).back(), Fitted(Hosted(0), Control::FrameApp2, 150, 30));
    // Of the frames only the application pane's takes files; a document whose program is no ".exe" is not started.
    sim_.processes.associations["lnk"] = "C:\\Windows\\shortcut.scr";
    form_.OnFrameDrop(2, true, {"C:\\Docs\\x.lnk"});
    form_.OnFrameDrop(0, true, {"C:\\Docs\\b.txt"});
    form_.OnFrameDrop(2, false, {});
    form_.OnTabDrop(Strip::Apps, false, {}, 0, 0, 0);
    form_.OnFrameDrop(2, true, {"C:\\Docs\\a.txt"});
    EXPECT_EQ(Journal({"Start"}), Lines(2, start));
}

TEST_F(AppPaneTest, ARefusedProgramGetsNoTabAndTheReasonSaid) {
    using enum sim::Windows::Parenting;
    const std::tuple<sim::Program, sim::Windows::Parenting, std::string_view> cases[] = {
        {{sim::Program::ExitsAtOnce}, Taken, AppPane::kNotFoundMessage},
        {{sim::Program::Untitled}, Taken, AppPane::kNotFoundMessage},
        {{sim::Program::OwnedOnly}, Taken, AppPane::kNotFoundMessage},
        {{sim::Program::Normal, 10300}, Taken, AppPane::kNotFoundMessage},  // too slow
        {{sim::Program::Hung}, Taken, AppPane::kNotRespondingMessage},
        {{}, Refused, AppPane::kRefusedMessage},  // elevated
        {{}, Ignored, AppPane::kRefusedMessage}};  // elevated, and re-parenting said done
    Start();
    Lines said;
    for (const auto& [program, parenting, message] : cases) {
        sim_.windows.parenting = parenting;
        Pick("C:\\Tools\\Other.exe", program);
        said.emplace_back(message);
    }
    EXPECT_EQ(sim_.form.messages, said);
}

TEST_F(AppPaneTest, TheLauncherReadsThePathAgainAndMissingOrEmptyPathsStartNothingNorDoesAMissingBootProgram) {
    sim_.processes.programs["C:\\Tools\\Gone.exe"] = {};
    WriteSettings("[setting]\nBoot=C:\\Tools\\Gone.exe\n"
                  "[App]\nGone=C:\\Tools\\Gone.exe\nEmpty=\nEditor=C:\\Tools\\Old.exe");
    Start();
    WriteSettings(std::string("[App]\nGone=C:\\Tools\\Gone.exe\nEmpty=\nEditor=") + kEditor);
    sim_.form.PickCombo(0);
    sim_.form.PickCombo(1);
    EXPECT_EQ(Journal({"Start"}), Lines{});
    sim_.form.PickCombo(2);
    EXPECT_EQ(Journal({"Start"}).size(), 1u);
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
    Pick(kEditor, {sim::Program::Normal, 300});
    EXPECT_EQ(Journal({"Start", "RequestClose"}), (Lines{"Start \"" + std::string(kEditor) + "\" 6", "RequestClose"}));
    EXPECT_EQ(sim_.clock.now_, 500u);  // the window after 300 ms, then 200 ms to settle
    EXPECT_FALSE(sim_.form.unloaded);
    // The settle wait counts across the wrap of the millisecond clock.
    sim_.clock.now_ = 0xFFFFFF00u;
    Pick(kEditor);
    EXPECT_LT(sim_.clock.now_, 0x100000000u + 1000u);
}

TEST_F(AppPaneTest, TabsBringForwardTakeOutAndClose) {
    Start();
    // An empty strip: no tab to bring forward, nothing to open a menu on.
    sim_.form.SelectTab(Strip::Apps, 0);
    form_.OnTabMouseDown(Strip::Apps, platform::kButtonRight, 0, 1, 0);
    EXPECT_EQ(Journal({"SetForegroundWindow", "ShowPopup"}), Lines{});
    for (int i = 0; i < 2; ++i) Pick(kEditor);
    const auto first = Hosted(0), second = Hosted(1);
    ForgetJournal();
    Win(second).rect = {};  // moved away by its program
    sim_.form.SelectTab(Strip::Apps, 1);
    sim_.form.SelectTab(Strip::Apps, 2);
    EXPECT_EQ(Journal({"MoveWindow " + N(second)}).size(), 1u);  // fitted back, then left alone in its place
    // Only the right button alone opens the menu.
    form_.OnTabMouseDown(Strip::Apps, platform::kButtonLeft | platform::kButtonRight, 0, 1, 0);
    Popup(1);
    EXPECT_EQ(Journal({"SetForegroundWindow", "ShowPopup"}),
              (Lines{"SetForegroundWindow " + N(first), "SetForegroundWindow " + N(second), "ShowPopup 2"}));
    sim_.form.Click(MenuItem::PopupTakeOut);
    EXPECT_EQ(Win(first).parent, 0u);
    // A window that does not answer is not given back, and its tab stays; nor is it asked to close: its window could
    // not be given back first.
    Win(second).hung = true;
    Popup(1);
    sim_.form.Click(MenuItem::PopupTakeOut);
    Popup(1);
    sim_.form.Click(MenuItem::PopupAppClose);
    EXPECT_EQ(Journal({"PostClose"}), Lines{});
    EXPECT_EQ(sim_.form.messages, Lines(2, std::string(AppPane::kNotRespondingMessage)));
    // Once it answers, it goes back to the desktop, shown, before it is asked: a program that then refuses to
    // close keeps a window its user can reach.
    Win(second).hung = false;
    ForgetJournal();
    Popup(1);
    sim_.form.Click(MenuItem::PopupAppClose);
    EXPECT_EQ(Journal(), (Lines{"ShowPopup 2", "ReleaseToDesktop " + N(second), "PostClose " + N(second)}));
    EXPECT_TRUE(Win(second).visible);
    EXPECT_EQ(Tabs(Strip::Apps), Lines{});
}

TEST_F(AppPaneTest, TabsDraggedKeepTheirWindowsTheMiddleButtonClosesOneSafelyAndTheExitGivesBackEachThatAnswers) {
    Start();
    for (int i = 0; i < 3; ++i) Pick(kEditor);
    const std::vector<hosting::HostedWindow> windows = Pane().Tabs();
    form_.OnTabDragged(Strip::Apps, 3, 1);  // to the front
    form_.OnTabDragged(Strip::Apps, 1, 3);  // back between its old neighbours' places: second
    form_.OnTabDragged(Strip::Apps, 1, 4);  // to the end
    form_.OnTabDragged(Strip::Apps, 1, 1);
    form_.OnTabDragged(Strip::Apps, 4, 1);
    EXPECT_EQ(Pane().Tabs(), (std::vector<hosting::HostedWindow>{windows[2], windows[1], windows[0]}));
    EXPECT_EQ(Tabs(Strip::Apps), (Lines{"Editor?" + N(windows[2].handle), "Editor?" + N(windows[1].handle),
                                        "Editor?" + N(windows[0].handle)}));
    ForgetJournal();
    sim_.form.SelectTab(Strip::Apps, 3);
    form_.OnTabMouseDown(Strip::Apps, platform::kButtonMiddle, 0, 1, 0);
    EXPECT_EQ(Journal({"SetForegroundWindow", "ReleaseToDesktop", "PostClose"}),
              (Lines{"SetForegroundWindow " + N(windows[0].handle), "ReleaseToDesktop " + N(windows[2].handle),
                     "PostClose " + N(windows[2].handle)}));
    // At exit each window goes back to the desktop before it is asked to close; one that does not answer is not
    // waited for, neither there nor when the windows are fitted again.
    Win(windows[0].handle).hung = true;
    Win(windows[0].handle).rect = Win(windows[1].handle).rect = {};  // both out of their place
    ForgetJournal();
    form_.OnFrameResize(0);
    Close();
    const std::string answering = N(windows[1].handle), hung = N(windows[0].handle);
    EXPECT_EQ(Journal({"MoveWindow " + answering, "MoveWindow " + hung, "ReleaseToDesktop", "PostClose"}),
              (Lines{Fitted(windows[1].handle, Control::FrameApp2, 0, 0), "ReleaseToDesktop " + answering,
                     "PostClose " + answering, "PostClose " + hung}));
}

TEST_F(AppPaneTest, TheSweepRemovesGoneWindowsStrangersAndWindowsTakenOutAndAPopupOnASweptTabDoesNothing) {
    Start();
    for (int i = 0; i < 5; ++i) Pick(kEditor);
    const std::vector<hosting::HostedWindow> windows = Pane().Tabs();
    Popup(2);
    sim_.windows.Destroy(windows[0].handle);
    sim_.windows.SetParent(windows[2].handle, 0);
    sim_.windows.Destroy(windows[3].handle);
    sim_.windows.reuseNext = windows[3].handle;
    sim_.windows.Create({"Stranger", "x", sim_.form.frames[2], 0, true, false, {5, 6}});
    form_.OnTimer();
    EXPECT_EQ(Pane().Tabs(), (std::vector<hosting::HostedWindow>{windows[1], windows[4]}));
    ForgetJournal();
    sim_.form.Click(MenuItem::PopupAppClose);  // tab 2 is still there, but not the one clicked
    Popup(2);
    sim_.windows.Destroy(windows[1].handle);
    form_.OnTimer();
    sim_.form.Click(MenuItem::PopupAppClose);  // tab 2 is gone
    EXPECT_EQ(Journal({"ReleaseToDesktop", "PostClose"}), Lines{});
    EXPECT_EQ(Pane().Tabs().size(), 1u);
}

}  // namespace
}  // namespace velmora::test
