#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "base/Geometry.h"

namespace velmora::controls {

// ---- Number text shared by the field and its hosts ----

// Whether the text is a number the field accepts: optional blanks, an optional
// sign, digits with at most one "." (at least one digit), an optional exponent
// ("e" or "E", optional sign, digits), optional blanks. Numbers too large for a
// double are not numbers. The thousands separator "," is refused: the number of
// "1,000" would read as 1 while the box shows a thousand.
bool IsNumericText(std::string_view text);
// The number at the start of the text (after blanks), read as far as the
// characters can continue it; nullopt when the text does not start with one or
// it is beyond the range of a double.
std::optional<double> LeadingNumber(std::string_view text);
// The shortest decimal text of the value with up to 15 significant digits, "."
// as decimal point; very large or small magnitudes take an exponent ("1E+15",
// "1E-05"). Negative zero is "0".
std::string NumberText(double value);

// ---- The parts the host provides ----

struct UDFont {
    std::string name = "ＭＳ Ｐゴシック";
    double sizePoints = 9.0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
    bool operator==(const UDFont&) const = default;
};

struct UDTextLayout {
    base::TwipsRect text;
    base::TwipsRect arrows;
    bool operator==(const UDTextLayout&) const = default;
};

// The arrow buttons keep this width whatever the control's size.
inline constexpr double kArrowsWidthTwips = 240;

// Where the text box and the arrows go in a control of that size (twips);
// nullopt when the control is not wider than the arrows plus one twip, in which
// case nothing is moved.
std::optional<UDTextLayout> ComputeUDTextLayout(double width, double height);

// The text box and the arrow buttons. The model holds the properties that live
// in the parts (colours, Locked, Enabled, font) and pushes every change here.
class UDTextParts {
public:
    virtual ~UDTextParts() = default;

    virtual std::string Text() const = 0;
    // Replaces the box's text. As the edit control raises EN_CHANGE after
    // WM_SETTEXT, an implementation calls UDTextModel::OnTextChanged() before it
    // returns, also when the new text equals the old one.
    virtual void SetText(const std::string& text) = 0;
    virtual void SetLocked(bool locked) = 0;
    virtual void SetColors(std::uint32_t fore, std::uint32_t back) = 0;
    virtual void SetFont(const UDFont& font) = 0;
    virtual void SetArrowsEnabled(bool enabled) = 0;
    virtual void Place(const UDTextLayout& layout) = 0;
};

enum class UDTimer { Up, Down, SpeedUp };

// Three message-driven timers; the host calls UDTextModel::OnTimer on each tick.
class UDTimers {
public:
    virtual ~UDTimers() = default;
    // Setting the period of a running timer restarts its count from now, as
    // SetTimer does for an existing id; it does not start a stopped timer.
    // Enabling starts the count from now. A period below 1 ms means 1 ms.
    virtual void SetPeriod(UDTimer timer, std::int32_t milliseconds) = 0;
    virtual void SetEnabled(UDTimer timer, bool enabled) = 0;
};

// ---- Saved properties ----

using PropertyValue = std::variant<bool, std::int32_t, double, UDFont>;

// The host form's saved data for one instance: values by name, names matched
// without regard to case (ASCII letters).
class PropertyBag {
public:
    const PropertyValue* Find(std::string_view name) const;
    // Replaces an entry of that name or appends one.
    void Write(std::string_view name, PropertyValue value);
    const std::vector<std::pair<std::string, PropertyValue>>& entries() const { return entries_; }

private:
    std::vector<std::pair<std::string, PropertyValue>> entries_;
};

// ---- The model ----

// The numeric up-down text field: a text box with arrow buttons that keeps one
// double between a minimum and a maximum. Everything runs on the UI thread;
// the host forwards the parts' events to the On... members.
class UDTextModel {
public:
    enum class RepeatState { Idle, Slow, Fast };

    static constexpr std::int32_t kSpeedUpMilliseconds = 2000;
    static constexpr int kLeftButton = 1;

    // Takes the box's current text as the last accepted text; all timers off.
    // The font is the one the text box starts with.
    UDTextModel(UDTextParts& parts, UDTimers& timers, UDFont font = {});
    UDTextModel(const UDTextModel&) = delete;
    UDTextModel& operator=(const UDTextModel&) = delete;

    // Events to the host. onChange follows every accepted text, after Value
    // took it; onPropertyChanged names the property a setter changed.
    std::function<void()> onChange;
    std::function<void()> onClick;
    std::function<void(std::string_view)> onPropertyChanged;

    double Max() const { return maximum_; }
    void SetMax(double value);  // only ever grows
    double Min() const { return minimum_; }
    void SetMin(double value);  // only ever shrinks
    double Increment() const { return increment_; }
    void SetIncrement(double value);
    double Value() const { return value_; }
    void SetValue(double value);  // clamped, then written to the box
    std::int32_t Interval1() const { return interval1_; }
    void SetInterval1(std::int32_t milliseconds);  // 1..4999, else ignored
    std::int32_t Interval2() const { return interval2_; }
    void SetInterval2(std::int32_t milliseconds);  // 1..4999, else ignored
    bool Locked() const { return locked_; }
    void SetLocked(bool locked);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);  // the arrows only; the box stays editable
    bool ForceNumeric() const { return forceNumeric_; }
    void SetForceNumeric(bool on);
    std::uint32_t ForeColor() const { return foreColor_; }
    void SetForeColor(std::uint32_t colour);
    std::uint32_t BackColor() const { return backColor_; }
    void SetBackColor(std::uint32_t colour);
    const UDFont& Font() const { return font_; }
    void SetFont(const UDFont& font);

    const std::string& LastAcceptedText() const { return lastAccepted_; }
    RepeatState repeatState() const { return repeat_; }

    // The box's text changed, whatever changed it (EN_CHANGE).
    void OnTextChanged();
    void OnTextClicked();
    // A character typed into the box, before the box takes it: returns the
    // character the box is to take instead. With ForceNumeric the full-width
    // digits the input method delivers (U+FF10..U+FF19) become ASCII digits.
    char32_t FilterTypedChar(char32_t typed) const;

    // One step per click. The host delivers only the arrows' first click of a
    // press: repetition while held is this model's timers, not the platform's.
    void OnUpClick();
    void OnDownClick();
    // y and the arrows' height in the same unit; the upper half repeats up.
    void OnArrowsMouseDown(int button, double y, double arrowsHeight);
    void OnArrowsMouseUp();
    void OnTimer(UDTimer timer);

    // The control's new size in twips.
    void Resize(double width, double height);

    void ReadProperties(const PropertyBag& bag);
    void WriteProperties(PropertyBag& bag) const;

private:
    void Notify(std::string_view property);
    void ShowValue();
    void StepUp();
    void StepDown();
    void PushColors();

    UDTextParts& parts_;
    UDTimers& timers_;
    double maximum_ = 100;
    double minimum_ = 0;
    double increment_ = 1;
    double value_ = 0;
    std::int32_t interval1_ = 200;
    std::int32_t interval2_ = 20;
    bool forceNumeric_ = true;
    bool locked_ = false;
    bool enabled_ = true;
    std::uint32_t foreColor_ = 0x000000;
    std::uint32_t backColor_ = 0xFFFFFF;
    UDFont font_;
    std::string lastAccepted_;
    std::optional<std::pair<double, double>> size_;
    RepeatState repeat_ = RepeatState::Idle;
    std::optional<UDTimer> active_;  // the repeating timer, Up or Down
    bool restoring_ = false;
};

}  // namespace velmora::controls
