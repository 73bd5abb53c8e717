#pragma once

// Velmora's main form on the simulated desktop, for the tests of the form and its panes.
#include <gtest/gtest.h>

#include <initializer_list>

#include "shell/MainForm.h"
#include "sim/Sim.h"

namespace velmora::test {

using platform::Control;
using platform::MenuItem;
using platform::Strip;
using Lines = std::vector<std::string>;

class FormFixture : public ::testing::Test {
protected:
    static constexpr const char* kSettings = sim::Desktop::kSettingsPath;

    // setting.ini as a user's editor leaves it: lines joined by CRLF, in the system's code page.
    void WriteSettings(std::string_view utf8) {
        std::string text;
        for (char c : utf8) text += c == '\n' ? std::string("\r\n") : std::string(1, c);
        sim_.files.SetFile(kSettings, *sim_.codePage->FromUtf8(text));
    }
    Lines Settings(std::string_view section, std::initializer_list<std::string_view> keys) {
        Lines out;
        for (std::string_view key : keys) out.push_back(sim_.store.ReadString(kSettings, section, key).value_or("<none>"));
        return out;
    }
    void Install(const char* program, sim::Program shape = {}) {
        sim_.processes.programs[program] = shape;
        sim_.files.SetFile(program, "");
    }
    void Start() { sim_.form.Start(form_); }
    void Close() { sim_.form.RequestClose(); }
    void ForgetJournal() { sim_.journal.lines.clear(); }
    Lines Journal(std::initializer_list<std::string_view> prefixes = {""}) const {
        Lines out;
        for (const std::string& line : sim_.journal.lines) {
            if (std::ranges::any_of(prefixes, [&](auto p) { return line.starts_with(p); })) out.push_back(line);
        }
        return out;
    }
    Lines Tabs(Strip strip) const {  // caption "?" tag
        Lines out;
        for (const auto& [caption, tag] : sim_.form.tabs.at(std::size_t(strip))) out.push_back(caption + "?" + tag);
        return out;
    }
    double X(Strip strip, int tab) {  // a point on the tab, the strip's tabs laid out from its left edge
        double x = 1;
        for (int before = 1; before < tab; ++before) x += sim_.form.TabWidth(strip, before);
        return x;
    }
    sim::WindowHandle ExplorerWindow(int pane) { return form_.explorerPane(pane).window().handle; }
    sim::Window& Win(sim::WindowHandle handle) { return *sim_.windows.Find(handle); }
    template <class Number>
    static std::string N(Number number) {  // whole, as the journal writes numbers
        return std::to_string(static_cast<long long>(number));
    }
    // Where a window is moved to in a host area when placed at offsets x, y (twips), in whole pixels.
    std::string Fitted(sim::WindowHandle window, Control area, int x, int y) {
        const base::TwipsRect host = sim_.form.Bounds(area);
        const double tpp = sim_.form.tpp;
        return "MoveWindow " + N(window) + " " + N(x / tpp) + " " + N(y / tpp) + " " +
               N((host.width - x) / tpp + 0.5) + " " + N((host.height - y) / tpp + 0.5);
    }

    sim::Desktop sim_;
    shell::MainForm form_{sim_.desktop, sim_.store};
};

}  // namespace velmora::test
