#include "option/OptionSettings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "controls/UDTextModel.h"
#include "settings/Hotkey.h"
#include "settings/ModIni.h"
#include "settings/SettingKeys.h"

namespace velmora::option {

namespace {

namespace keys = settings::keys;

const std::array<const settings::SettingKey*, 3> kOffsetXKeys = {&keys::X01, &keys::X02, &keys::X03};
const std::array<const settings::SettingKey*, 3> kOffsetYKeys = {&keys::Y01, &keys::Y02, &keys::Y03};
const std::array<const settings::SettingKey*, 2> kHotKeys = {&keys::Hot1, &keys::Hot2};
const std::array<const settings::SettingKey*, 2> kHotkeyKeys = {&keys::Hotkey1, &keys::Hotkey2};
const std::array<const settings::SettingKey*, 2> kModkeyKeys = {&keys::Modkey1, &keys::Modkey2};

// A screen always has a positive scale; anything else is treated as 96 DPI
// rather than dividing by zero.
double UsableScale(double twipsPerPixel) {
    return twipsPerPixel > 0 && std::isfinite(twipsPerPixel) ? twipsPerPixel : 15.0;
}

}  // namespace

double ShownPixels(std::int32_t storedTwips, double twipsPerPixel) {
    std::int32_t twips = std::clamp<std::int32_t>(storedTwips, -32768, 32767);
    // Seven significant digits are single precision's worth. The quotient is
    // formed in double first: a float quotient would round 1000/15 down to
    // 66.666664 and show 66.66666.
    double quotient = twips / UsableScale(twipsPerPixel);
    char buffer[32];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, quotient, std::chars_format::general, 7);
    if (ec != std::errc()) return 0;
    return controls::LeadingNumber(std::string_view(buffer, static_cast<std::size_t>(end - buffer))).value_or(0);
}

std::string StoredTwipsText(double shownPixels, double twipsPerPixel) {
    double pixels = controls::LeadingNumber(controls::NumberText(shownPixels)).value_or(0);
    return PlainDecimalText(pixels * UsableScale(twipsPerPixel));
}

std::string PlainDecimalText(double value) {
    if (value == 0 || !std::isfinite(value)) return "0";
    // Scientific form with 15 significant digits: "d.dddddddddddddde+XX".
    char buffer[48];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
    if (ec != std::errc()) return "0";
    std::string_view scientific(buffer, static_cast<std::size_t>(end - buffer));
    bool negative = scientific.front() == '-';
    if (negative) scientific.remove_prefix(1);
    std::size_t mark = scientific.find('e');
    std::string digits;
    for (char c : scientific.substr(0, mark)) {
        if (c != '.') digits.push_back(c);
    }
    int exponent = std::atoi(std::string(scientific.substr(mark + 1)).c_str());
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    std::string text = negative ? "-" : "";
    if (exponent < 0) {
        text += "0.";
        text.append(static_cast<std::size_t>(-exponent - 1), '0');
        text += digits;
        return text;
    }
    std::size_t integerDigits = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= integerDigits) {
        text += digits;
        text.append(integerDigits - digits.size(), '0');
        return text;
    }
    text += digits.substr(0, integerDigits);
    text += '.';
    text += digits.substr(integerDigits);
    return text;
}

OptionState LoadSettings(settings::ProfileStore& store, std::string_view programFolder, TwipsPerPixel twipsPerPixel) {
    const settings::IniFile file(store, settings::SettingsPathFor(programFolder));
    OptionState state;
    state.rememberWindow = settings::ReadSetting(file, keys::Window) == 1;
    state.grid = settings::ReadSetting(file, keys::Grid) != 0;
    state.lineSelect = settings::ReadSetting(file, keys::LineSel) != 0;
    state.bootPath = settings::ReadSettingText(file, keys::Boot);
    for (std::size_t pane = 0; pane < 3; ++pane)
        state.offsetX[pane] = ShownPixels(settings::ReadSetting(file, *kOffsetXKeys[pane]), twipsPerPixel.x);
    for (std::size_t pane = 0; pane < 3; ++pane)
        state.offsetY[pane] = ShownPixels(settings::ReadSetting(file, *kOffsetYKeys[pane]), twipsPerPixel.y);
    for (std::size_t pane = 0; pane < 2; ++pane) state.hotkeys[pane] = settings::ReadSetting(file, *kHotKeys[pane]);
    // The reader splits each line at its first "=", so a path holding "=" comes
    // back whole; lines without "=" are no entries at all.
    for (auto& [name, path] : file.GetSection(settings::kAppSection))
        state.launcherRows.push_back(LauncherRow{std::move(name), std::move(path)});
    return state;
}

settings::Outcome SaveSettings(settings::ProfileStore& store, std::string_view programFolder,
                               TwipsPerPixel twipsPerPixel, const OptionState& state) {
    const settings::IniFile file(store, settings::SettingsPathFor(programFolder));
    // One save for the whole form: a failure leaves the file as it was, never half of the launcher list.
    return file.Save([&](settings::ProfileEditor& edit) {
        settings::ProfileEntries rows;
        for (const LauncherRow& row : state.launcherRows) rows.emplace_back(row.name, row.path);
        // Rows nobody changed keep their bytes, also those the code page cannot read.
        edit.SetSection(settings::kAppSection, rows);
        settings::SetSetting(edit, keys::Window, state.rememberWindow ? 1 : 0);
        settings::SetSetting(edit, keys::Grid, state.grid ? 1 : 0);
        settings::SetSetting(edit, keys::LineSel, state.lineSelect ? 1 : 0);
        settings::SetSettingText(edit, keys::Boot, state.bootPath);
        for (std::size_t pane = 0; pane < 3; ++pane) {
            settings::SetSettingText(edit, *kOffsetXKeys[pane], StoredTwipsText(state.offsetX[pane], twipsPerPixel.x));
        }
        for (std::size_t pane = 0; pane < 3; ++pane) {
            settings::SetSettingText(edit, *kOffsetYKeys[pane], StoredTwipsText(state.offsetY[pane], twipsPerPixel.y));
        }
        for (std::size_t pane = 0; pane < 2; ++pane) {
            // All three from one reading of the field.
            const settings::HotkeyKeys hotkey = settings::HotkeyKeysFromWord(state.hotkeys[pane]);
            settings::SetSetting(edit, *kHotKeys[pane], hotkey.hot);
            settings::SetSetting(edit, *kHotkeyKeys[pane], hotkey.hotkey);
            settings::SetSetting(edit, *kModkeyKeys[pane], hotkey.modkey);
        }
    });
}

std::string SaveFailedMessage(std::string_view programFolder, std::string_view reason) {
    return "設定を保存できませんでした。\r\n" + settings::SettingsPathFor(programFolder) + "\r\n" + std::string(reason);
}

std::string UnreadableMessage(std::string_view programFolder) {
    return "設定ファイルを読み込めませんでした。既定の設定を表示しています。このファイルは上書きしません。\r\n" +
           settings::SettingsPathFor(programFolder);
}

DecisionOutcome OnDecision(Decision decision, settings::ProfileStore& store, std::string_view programFolder,
                           TwipsPerPixel twipsPerPixel, const OptionState& state) {
    if (decision == Decision::Cancel) return {true, std::nullopt};
    const settings::Outcome saved = SaveSettings(store, programFolder, twipsPerPixel, state);
    // A failed save keeps the form open, whatever the button: the user can try again or leave with "Cansel".
    if (!saved) return {false, SaveFailedMessage(programFolder, saved.reason)};
    return {decision == Decision::Ok, std::nullopt};
}

}  // namespace velmora::option
