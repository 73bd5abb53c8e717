#include "controls/UDTextModel.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace velmora::controls {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t SkipBlanks(std::string_view text, std::size_t pos) {
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    return pos;
}

std::size_t SkipDigits(std::string_view text, std::size_t pos) {
    while (pos < text.size() && IsDigit(text[pos])) ++pos;
    return pos;
}

// The extent of the number that starts at pos (after an optional sign): digits
// with at most one ".", then an exponent only when digits follow its marker.
// Returns pos itself when no digit is found.
std::size_t ScanNumber(std::string_view text, std::size_t pos) {
    std::size_t start = pos;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
    std::size_t intEnd = SkipDigits(text, pos);
    std::size_t end = intEnd;
    bool digits = intEnd > pos;
    if (end < text.size() && text[end] == '.') {
        std::size_t fracEnd = SkipDigits(text, end + 1);
        digits = digits || fracEnd > end + 1;
        end = fracEnd;
    }
    if (!digits) return start;
    if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
        std::size_t exp = end + 1;
        if (exp < text.size() && (text[exp] == '+' || text[exp] == '-')) ++exp;
        std::size_t expEnd = SkipDigits(text, exp);
        if (expEnd > exp) end = expEnd;
    }
    return end;
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

double ReadDouble(const PropertyBag& bag, std::string_view name, double fallback) {
    const PropertyValue* found = bag.Find(name);
    if (!found) return fallback;
    if (const double* d = std::get_if<double>(found)) return *d;
    if (const std::int32_t* i = std::get_if<std::int32_t>(found)) return *i;
    return fallback;
}

std::int32_t ReadInt32(const PropertyBag& bag, std::string_view name, std::int32_t fallback) {
    const PropertyValue* found = bag.Find(name);
    if (!found) return fallback;
    if (const std::int32_t* i = std::get_if<std::int32_t>(found)) return *i;
    if (const double* d = std::get_if<double>(found)) {
        double rounded = std::nearbyint(*d);  // the default rounding mode: halves to even
        if (rounded >= std::numeric_limits<std::int32_t>::min() && rounded <= std::numeric_limits<std::int32_t>::max())
            return static_cast<std::int32_t>(rounded);
    }
    return fallback;
}

bool ReadBool(const PropertyBag& bag, std::string_view name, bool fallback) {
    const PropertyValue* found = bag.Find(name);
    if (!found) return fallback;
    if (const bool* b = std::get_if<bool>(found)) return *b;
    if (const std::int32_t* i = std::get_if<std::int32_t>(found)) return *i != 0;
    if (const double* d = std::get_if<double>(found)) return *d != 0;
    return fallback;
}

}  // namespace

bool IsNumericText(std::string_view text) {
    std::size_t pos = SkipBlanks(text, 0);
    std::size_t end = ScanNumber(text, pos);
    if (end == pos) return false;
    // An exponent marker without digits is not a number (ScanNumber left it unread).
    if (SkipBlanks(text, end) != text.size()) return false;
    return LeadingNumber(text).has_value();
}

std::optional<double> LeadingNumber(std::string_view text) {
    std::size_t pos = SkipBlanks(text, 0);
    std::size_t end = ScanNumber(text, pos);
    if (end == pos) return std::nullopt;
    // from_chars takes no "+" and no "5." without help: give it the plain form.
    std::string number(text.substr(pos, end - pos));
    if (number.front() == '+') number.erase(0, 1);
    double value = 0;
    auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (ec != std::errc() || !std::isfinite(value)) return std::nullopt;
    (void)ptr;
    return value;
}

std::string NumberText(double value) {
    if (value == 0) return "0";  // also for -0
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    if (ec != std::errc()) return "0";
    std::string text(buffer, end);
    for (char& c : text) {
        if (c == 'e') c = 'E';
    }
    return text;
}

std::optional<UDTextLayout> ComputeUDTextLayout(double width, double height) {
    double textWidth = width - kArrowsWidthTwips;
    if (!(textWidth > 1)) return std::nullopt;
    UDTextLayout layout;
    layout.text = {0, 0, textWidth, height};
    layout.arrows = {textWidth, 0, kArrowsWidthTwips, height};
    return layout;
}

const PropertyValue* PropertyBag::Find(std::string_view name) const {
    for (const auto& [key, value] : entries_) {
        if (SameNameIgnoringCase(key, name)) return &value;
    }
    return nullptr;
}

void PropertyBag::Write(std::string_view name, PropertyValue value) {
    for (auto& [key, existing] : entries_) {
        if (SameNameIgnoringCase(key, name)) {
            existing = std::move(value);
            return;
        }
    }
    entries_.emplace_back(std::string(name), std::move(value));
}

UDTextModel::UDTextModel(UDTextParts& parts, UDTimers& timers, UDFont font)
    : parts_(parts), timers_(timers), font_(std::move(font)), lastAccepted_(parts.Text()) {
    timers_.SetEnabled(UDTimer::Up, false);
    timers_.SetEnabled(UDTimer::Down, false);
    timers_.SetEnabled(UDTimer::SpeedUp, false);
    timers_.SetPeriod(UDTimer::SpeedUp, kSpeedUpMilliseconds);
}

void UDTextModel::Notify(std::string_view property) {
    if (onPropertyChanged) onPropertyChanged(property);
}

void UDTextModel::SetMax(double value) {
    if (!(value > maximum_)) return;
    maximum_ = value;
    Notify("Max");
}

void UDTextModel::SetMin(double value) {
    if (!(value < minimum_)) return;
    minimum_ = value;
    Notify("Min");
}

void UDTextModel::SetIncrement(double value) {
    if (std::isnan(value)) return;  // a step of NaN would put "nan" into the box
    increment_ = value;
    Notify("Increment");
}

void UDTextModel::SetValue(double value) {
    if (std::isnan(value)) return;
    if (value > maximum_) value = maximum_;
    if (value < minimum_) value = minimum_;
    value_ = value;
    ShowValue();
    Notify("Value");
}

void UDTextModel::SetInterval1(std::int32_t milliseconds) {
    if (milliseconds < 1 || milliseconds > 4999) return;
    interval1_ = milliseconds;
    Notify("Interval1");
}

void UDTextModel::SetInterval2(std::int32_t milliseconds) {
    if (milliseconds < 1 || milliseconds > 4999) return;
    interval2_ = milliseconds;
    Notify("Interval2");
}

void UDTextModel::SetLocked(bool locked) {
    locked_ = locked;
    parts_.SetLocked(locked);
    Notify("Locked");
}

void UDTextModel::SetEnabled(bool enabled) {
    enabled_ = enabled;
    parts_.SetArrowsEnabled(enabled);
    // Disabled arrows may never see the button's release: end a repetition now.
    if (!enabled) OnArrowsMouseUp();
    Notify("Enabled");
}

void UDTextModel::SetForceNumeric(bool on) {
    forceNumeric_ = on;
    Notify("ForceNumeric");
}

void UDTextModel::PushColors() { parts_.SetColors(foreColor_, backColor_); }

void UDTextModel::SetForeColor(std::uint32_t colour) {
    foreColor_ = colour;
    PushColors();
    Notify("ForeColor");
}

void UDTextModel::SetBackColor(std::uint32_t colour) {
    backColor_ = colour;
    PushColors();
    Notify("BackColor");
}

void UDTextModel::SetFont(const UDFont& font) {
    font_ = font;
    parts_.SetFont(font_);
    if (size_) Resize(size_->first, size_->second);
    Notify("Font");
}

void UDTextModel::ShowValue() { parts_.SetText(NumberText(value_)); }

void UDTextModel::OnTextChanged() {
    std::string text = parts_.Text();
    bool numeric = IsNumericText(text);
    if (forceNumeric_ && !numeric) {
        // The restored text comes back through here. Should it be refused too
        // (a box that alters what it is given), stop rather than loop.
        if (restoring_) return;
        // Text accepted while ForceNumeric was off may not be a number; the
        // value's own text always is, so restoring ends.
        std::string previous = IsNumericText(lastAccepted_) ? lastAccepted_ : NumberText(value_);
        restoring_ = true;
        parts_.SetText(previous);
        restoring_ = false;
        return;
    }
    lastAccepted_ = std::move(text);
    if (numeric) {
        std::optional<double> number = LeadingNumber(lastAccepted_);
        if (number && minimum_ <= *number && *number <= maximum_) value_ = *number;
    }
    if (onChange) onChange();
}

void UDTextModel::OnTextClicked() {
    if (onClick) onClick();
}

char32_t UDTextModel::FilterTypedChar(char32_t typed) const {
    if (forceNumeric_ && typed >= U'\uFF10' && typed <= U'\uFF19') return U'0' + (typed - U'\uFF10');
    return typed;
}

void UDTextModel::StepUp() {
    double next = value_ + increment_;
    if (next > maximum_) next = maximum_;
    value_ = next;
    ShowValue();
}

void UDTextModel::StepDown() {
    double next = value_ - increment_;
    if (next < minimum_) next = minimum_;
    value_ = next;
    ShowValue();
}

void UDTextModel::OnUpClick() { StepUp(); }
void UDTextModel::OnDownClick() { StepDown(); }

void UDTextModel::OnArrowsMouseDown(int button, double y, double arrowsHeight) {
    if (button != kLeftButton) return;
    // Exactly the middle counts as the lower half.
    bool upper = static_cast<float>(arrowsHeight) / 2.0f > static_cast<float>(y);
    UDTimer active = upper ? UDTimer::Up : UDTimer::Down;
    UDTimer other = upper ? UDTimer::Down : UDTimer::Up;
    timers_.SetEnabled(other, false);
    timers_.SetPeriod(active, interval1_);
    timers_.SetEnabled(active, true);
    timers_.SetEnabled(UDTimer::SpeedUp, true);
    active_ = active;
    repeat_ = RepeatState::Slow;
}

void UDTextModel::OnArrowsMouseUp() {
    timers_.SetEnabled(UDTimer::Up, false);
    timers_.SetEnabled(UDTimer::Down, false);
    timers_.SetEnabled(UDTimer::SpeedUp, false);
    active_.reset();
    repeat_ = RepeatState::Idle;
}

void UDTextModel::OnTimer(UDTimer timer) {
    // A tick already queued when the button went up is stale.
    if (repeat_ == RepeatState::Idle) return;
    if (timer == UDTimer::SpeedUp) {
        if (repeat_ != RepeatState::Slow || !active_) return;
        // One switch to the fast period is all the speed-up timer is for; it
        // stays off after it so the running timer is not restarted every 2 s.
        timers_.SetPeriod(*active_, interval2_);
        timers_.SetEnabled(UDTimer::SpeedUp, false);
        repeat_ = RepeatState::Fast;
        return;
    }
    if (timer != active_) return;
    if (timer == UDTimer::Up) {
        StepUp();
    } else {
        StepDown();
    }
}

void UDTextModel::Resize(double width, double height) {
    size_ = std::make_pair(width, height);
    if (std::optional<UDTextLayout> layout = ComputeUDTextLayout(width, height)) parts_.Place(*layout);
}

void UDTextModel::ReadProperties(const PropertyBag& bag) {
    // Stored as saved, without the setters' checks and without touching the
    // box's text.
    maximum_ = ReadDouble(bag, "Max", 100);
    minimum_ = ReadDouble(bag, "Min", 0);
    increment_ = ReadDouble(bag, "Increment", 1);
    value_ = ReadDouble(bag, "Value", 0);
    interval1_ = ReadInt32(bag, "Interval1", 200);
    interval2_ = ReadInt32(bag, "Interval2", 20);
    foreColor_ = static_cast<std::uint32_t>(ReadInt32(bag, "ForeColor", 0));
    backColor_ = static_cast<std::uint32_t>(ReadInt32(bag, "BackColor", 0xFFFFFF));
    PushColors();
    locked_ = ReadBool(bag, "Locked", false);
    parts_.SetLocked(locked_);
    enabled_ = ReadBool(bag, "Enabled", true);
    parts_.SetArrowsEnabled(enabled_);
    forceNumeric_ = ReadBool(bag, "ForceNumeric", true);
    if (const PropertyValue* font = bag.Find("Font"); font && std::holds_alternative<UDFont>(*font))
        font_ = std::get<UDFont>(*font);
    parts_.SetFont(font_);
}

void UDTextModel::WriteProperties(PropertyBag& bag) const {
    bag.Write("Max", maximum_);
    bag.Write("Min", minimum_);
    bag.Write("Increment", increment_);
    bag.Write("Value", value_);
    bag.Write("Interval1", interval1_);
    bag.Write("Interval2", interval2_);
    if (foreColor_ != 0) bag.Write("ForeColor", static_cast<std::int32_t>(foreColor_));
    if (backColor_ != 0xFFFFFF) bag.Write("BackColor", static_cast<std::int32_t>(backColor_));
    if (locked_) bag.Write("Locked", true);
    if (!enabled_) bag.Write("Enabled", false);
    if (!forceNumeric_) bag.Write("ForceNumeric", false);
    bag.Write("Font", font_);
}

}  // namespace velmora::controls
