#pragma once

// Velmora's main form on the simulated desktop, for the tests of the form and its panes.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "shell/MainForm.h"
#include "sim/Sim.h"

namespace velmora::test {

using platform::MenuItem;
using platform::Strip;

class FormFixture : public ::testing::Test {
protected:
    static constexpr const char* kSettings = sim::Desktop::kSettingsPath;

    FormFixture() {
        sim_.files.AddFolder("C:\\Work\\A");
        sim_.files.AddFolder("C:\\Work\\B");
    }

    // setting.ini as a user's editor leaves it: lines joined by CRLF, in the system's code page.
    void WriteSettings(std::string_view utf8) {
        std::string text;
        for (char c : utf8) text += c == '\n' ? std::string("\r\n") : std::string(1, c);
        sim_.files.SetFile(kSettings, *sim_.codePage->FromUtf8(text));
    }
    std::string Setting(std::string_view section, std::string_view key) {
        return sim_.store.ReadString(kSettings, section, key).value_or("<none>");
    }
    void Start() { sim_.form.Start(form_); }
    void Close() { sim_.form.RequestClose(); }
    // The journal from here on.
    void ForgetJournal() { sim_.journal.lines.clear(); }
    std::vector<std::string> Journal(std::string_view prefix = "") const { return sim_.journal.With(prefix); }
    // Every tab of a strip as caption "?" tag.
    std::vector<std::string> Tabs(Strip strip) const {
        std::vector<std::string> out;
        for (const auto& [caption, tag] : sim_.form.tabs[static_cast<std::size_t>(strip)]) out.push_back(caption + "?" + tag);
        return out;
    }
    // The pane's captured Explorer window and its file list.
    sim::WindowHandle ExplorerWindow(int pane) { return form_.explorerPane(pane).window().handle; }
    sim::Window& Win(sim::WindowHandle handle) { return *sim_.windows.Find(handle); }

    sim::Desktop sim_;
    shell::MainForm form_{sim_.desktop, sim_.store};
};

}  // namespace velmora::test
