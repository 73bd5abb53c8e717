#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "option/LauncherList.h"
#include "settings/ProfileStore.h"

namespace velmora::option {

// The screen's twips per pixel of each axis (15 at 96 DPI).
struct TwipsPerPixel {
    double x = 15;
    double y = 15;
};

// Everything Option's form shows, as plain data. Position arrays are indexed
// by pane: 0 Explorer pane 1, 1 Explorer pane 2, 2 the application pane.
struct OptionState {
    bool rememberWindow = false;  // chkWindow: setting/window
    bool grid = false;            // chk(0): Velmora/Grid
    bool lineSelect = false;      // chk(1): Velmora/LineSel
    std::string bootPath;         // txtPath(1): setting/Boot, as typed
    // The up-down fields' Value in pixels: uctUDText1(0), (2), (4) for X01..X03
    // and (1), (3), (5) for Y01..Y03.
    std::array<double, 3> offsetX{};
    std::array<double, 3> offsetY{};
    // The hotkey fields' words (low byte key code, high byte field flags).
    std::array<std::int32_t, 2> hotkeys{};
    // ListView1 in display order.
    std::vector<LauncherRow> launcherRows;
};

// Reads the form's settings from "<programFolder>\setting.ini", the path formed
// anew on each call, in the form's order: window, Grid, LineSel, Boot, X01,
// X02, X03, Y01, Y02, Y03, Hot1, Hot2, section App. A missing file gives the
// defaults. The check boxes show what Velmora acts on: window only when 1,
// Grid and LineSel when not 0. Positions are shown in pixels (ShownPixels);
// the fields clamp them to their own limits when given them.
OptionState LoadSettings(settings::ProfileStore& store, std::string_view programFolder, TwipsPerPixel twipsPerPixel);

// Writes every setting of the form, changed or not, as one save of the whole file: section App replaced by the
// rows in display order (rows nobody changed keep their bytes), then window, Grid, LineSel, Boot, X01, X02, X03,
// Y01, Y02, Y03, Hot1, Hotkey1, Modkey1, Hot2, Hotkey2, Modkey2. All or nothing; the reason when nothing.
settings::Outcome SaveSettings(settings::ProfileStore& store, std::string_view programFolder,
                               TwipsPerPixel twipsPerPixel, const OptionState& state);

// The decision buttons: "OK" 0, "Apply" 1, "Cansel" 2. The close box acts as "Cansel".
enum class Decision { Ok = 0, Apply = 1, Cancel = 2 };

struct DecisionOutcome {
    bool close = false;
    std::optional<std::string> message;  // to show (OK button, the program's title) when the save failed
};

// "OK" and "Apply" save; "OK" and "Cansel" close the form. "Cansel" writes nothing, so an earlier "Apply" stays. A
// save that failed keeps the form open and says why.
DecisionOutcome OnDecision(Decision decision, settings::ProfileStore& store, std::string_view programFolder,
                           TwipsPerPixel twipsPerPixel, const OptionState& state);

// The messages of a failed save and of a settings file that could not be read when the form opened.
std::string SaveFailedMessage(std::string_view programFolder, std::string_view reason);
std::string UnreadableMessage(std::string_view programFolder);

// A stored position in twips as the field shows it: taken as a 16-bit signed
// number (beyond it, clamped), divided by twips per pixel and kept to 7
// significant digits, not brought to a whole number: 1000 at 15 shows 66.66667.
double ShownPixels(std::int32_t storedTwips, double twipsPerPixel);
// A field's value back to the twips text written: the value's text read back,
// times twips per pixel, as PlainDecimalText: 66.66667 at 15 gives "1000.00005".
std::string StoredTwipsText(double shownPixels, double twipsPerPixel);
// Decimal text of a double with up to 15 significant digits and never an
// exponent (integer reads of the value take its leading number, which an
// exponent would change): 150, -3000, 1000.00005, 0.00015.
std::string PlainDecimalText(double value);

}  // namespace velmora::option
