#pragma once

// Until the main form lands: a handler that keeps the program's shape (single
// instance, File > Exit closes) and nothing else.
#include "platform/Desktop.h"

namespace velmora::app {

class StandInForm final : public platform::MainWindowEvents {
public:
    explicit StandInForm(platform::Desktop& desktop) : desktop_(desktop) {}

    void OnLoad() override {
        if (desktop_.window.PreviousInstance()) desktop_.window.EndProgramNow();
    }
    bool OnQueryClose() override { return false; }
    void OnUnload() override {}
    void OnResize() override {}
    void OnFrameResize(int) override {}
    void OnMenu(platform::MenuItem item) override {
        if (item == platform::MenuItem::FileExit) desktop_.window.RequestClose();
    }
    void OnHelpMenuOpening() override {}
    void OnTabClick(platform::Strip) override {}
    void OnTabMouseDown(platform::Strip, int, int, double, double) override {}
    int OnTabDragOver(platform::Strip, int) override { return 0; }
    void OnTabDrop(platform::Strip, bool, const std::vector<std::string>&, int, double, double) override {}
    void OnFrameDrop(int, bool, const std::vector<std::string>&) override {}
    void OnComboClick() override {}
    void OnSplitMouseDown(int, int, double, double) override {}
    void OnSplitMouseMove(int, int, double, double) override {}
    void OnSplitMouseUp(int, int, double, double) override {}
    void OnTimer() override {}
    void OnHotkey(int) override {}
    void OnDpiChanged() override {}

private:
    platform::Desktop& desktop_;
};

}  // namespace velmora::app
