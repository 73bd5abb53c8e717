#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "controls/UDTextModel.h"

namespace velmora::controls {
namespace {

// The fixture is the model's text box, arrows and timers. The box behaves as the edit control: every SetText
// raises the change notification at once, also for the same text. The test delivers the timers' ticks.
class UDTextModelTest : public ::testing::Test, public UDTextParts, public UDTimers {
protected:
    UDTextModelTest() {
        model_.onChange = [this] { ++changes_; };
        model_.onPropertyChanged = [this](std::string_view name) { notified_.emplace_back(name); };
    }
    std::string Text() const override { return text_; }
    void SetText(const std::string& text) override {
        written_.push_back(text_ = transform_ ? transform_(text) : text);
        model_.OnTextChanged();
    }
    void SetLocked(bool value) override { locked_ = value; }
    void SetColors(std::uint32_t fore, std::uint32_t back) override { colours_ = {fore, back}; }
    void SetFont(const UDFont& value) override { font_ = value; }
    void SetArrowsEnabled(bool value) override { arrowsEnabled_ = value; }
    void Place(const UDTextLayout& layout) override { placed_.push_back(layout); }
    void SetPeriod(UDTimer timer, std::int32_t ms) override { period_[static_cast<int>(timer)] = ms; }
    void SetEnabled(UDTimer timer, bool on) override { enabled_[static_cast<int>(timer)] = on; }

    void Type(const std::string& text) {  // the user edits the box
        text_ = text;
        model_.OnTextChanged();
    }
    // Max, Min, Increment, Value, Interval1, Interval2, then what the parts were given: locked, arrows, colours.
    std::string Numbers() const {
        std::ostringstream out;
        out << model_.Max() << ' ' << model_.Min() << ' ' << model_.Increment() << ' ' << model_.Value() << ' '
            << model_.Interval1() << ' ' << model_.Interval2() << (locked_ ? " locked" : "")
            << (arrowsEnabled_ ? "" : " disabled") << std::hex << ' ' << colours_[0] << ' ' << colours_[1];
        return out.str();
    }
    std::string Timers() const {  // Up, Down, SpeedUp
        std::string out;
        for (int i = 0; i < 3; ++i) out += (enabled_[i] ? "on " : "off ") + std::to_string(period_[i]) + ";";
        return out;
    }

    std::string text_ = "0";
    std::function<std::string(const std::string&)> transform_;
    std::vector<std::string> written_;
    bool locked_ = false;
    bool arrowsEnabled_ = true;
    std::array<std::uint32_t, 2> colours_{};
    UDFont font_;
    std::vector<UDTextLayout> placed_;
    std::array<std::int32_t, 3> period_{};
    std::array<bool, 3> enabled_{true, true, true};  // the model must switch them off itself
    UDTextModel model_{*this, *this};
    int changes_ = 0;
    std::vector<std::string> notified_;
};

TEST(UDTextNumberTest, ReadsAndWritesTheNumberText) {
    for (const char* text : {"0", "-5", "+5", "  12 ", "\t1.5", ".5", "5.", "-.5", "1e3", "1E-3", "-1.5e+2"})
        EXPECT_TRUE(IsNumericText(text)) << text;
    for (const char* text : {"", " ", "-", "+", ".", "1.2.3", "1e", "1e+", "e5", "abc", "12a", "- 5", "1,000", "1e999",
                             "\xEF\xBC\x95" /* full-width 5 */})
        EXPECT_FALSE(IsNumericText(text)) << text;
    // The number as far as it goes (no digits after the exponent marker: no exponent); the shortest text of one.
    const std::pair<const char*, std::optional<double>> leading[] = {
        {"12abc", 12},         {"  -3.5x", -3.5},      {"+7", 7}, {"1e3x", 1000}, {"1ex", 1}, {"2.5.1", 2.5},
        {"abc", std::nullopt}, {"1e999", std::nullopt}};
    for (const auto& [text, number] : leading) EXPECT_EQ(LeadingNumber(text), number) << text;
    // clang-format off
    const std::pair<double, const char*> shown[] = {
        {200, "200"}, {-3000, "-3000"}, {0.1 + 0.2, "0.3"}, {66.66667, "66.66667"}, {1000.00005, "1000.00005"},
        {-0.0, "0"}, {123456789012345678.0, "1.23456789012346E+17"}, {1e15, "1E+15"}, {0.0001, "0.0001"},
        {0.00001, "1E-05"}};
    // clang-format on
    for (const auto& [value, text] : shown) EXPECT_EQ(NumberText(value), text) << text;
}

TEST_F(UDTextModelTest, SettersTakeOnlyWhatTheyMayAndLockedColoursAndFontGoToTheBoxEnabledToTheArrows) {
    model_.SetMax(100);  // not above Max
    model_.SetMin(0);    // not below Min
    for (std::int32_t ms : {0, 5000}) {
        model_.SetInterval1(ms);
        model_.SetInterval2(ms);
    }
    EXPECT_TRUE(notified_.empty());  // only the changes taken are announced
    model_.SetMax(150);
    model_.SetMin(-5);
    model_.SetIncrement(-2.5);
    for (std::int32_t ms : {4999, 1}) {  // both edges taken, each announced
        model_.SetInterval1(ms);
        model_.SetInterval2(ms);
    }
    model_.SetLocked(true);
    model_.SetForeColor(0x0000FF);
    EXPECT_EQ(Numbers(), "150 -5 -2.5 0 1 1 locked ff ffffff");
    model_.SetBackColor(0x00FF00);
    model_.SetFont(UDFont{"MS UI Gothic", 12, true});
    EXPECT_EQ(font_, (UDFont{"MS UI Gothic", 12, true}));
    model_.OnUpClick();  // a locked box still steps
    model_.OnArrowsMouseDown(UDTextModel::kLeftButton, 1, 20);
    model_.SetEnabled(false);
    EXPECT_EQ(Timers(), "off 1;off 0;off 2000;");  // no release may come
    EXPECT_EQ(Numbers(), "150 -5 -2.5 -2.5 1 1 locked disabled ff ff00");
    EXPECT_EQ(notified_, (std::vector<std::string>{"Max", "Min", "Increment", "Interval1", "Interval2", "Interval1",
                                                   "Interval2", "Locked", "ForeColor", "BackColor", "Font", "Enabled"}));
    Type("42");  // the box stays editable
    EXPECT_EQ(model_.Value(), 42);
}

TEST_F(UDTextModelTest, TypedTextIsTakenWhenNumericAndTheValueOnlyWhenInRange) {
    model_.SetMax(200);
    model_.SetValue(12);
    changes_ = 0;
    for (const char* text : {"300", "-1.5e1", "25a", ""}) Type(text);
    EXPECT_EQ(model_.Value(), 12);
    EXPECT_EQ(changes_, 4);  // none for a refused text, one for the restored text
    Type(" 2e2 ");
    EXPECT_EQ(model_.Value(), 200);
    // A box that alters the restored text is not fought with.
    transform_ = [](const std::string& text) { return text + "x"; };
    Type("q");
    EXPECT_EQ(written_, (std::vector<std::string>{"12", "-1.5e1", "-1.5e1", " 2e2 x"}));
    EXPECT_EQ(model_.LastAcceptedText(), " 2e2 ");
}

TEST_F(UDTextModelTest, WithoutForceNumericAnyTextIsAcceptedUntilItIsSwitchedOn) {
    model_.SetForceNumeric(false);
    EXPECT_EQ(model_.FilterTypedChar(U'\uFF15'), U'\uFF15');  // full-width 5 stays
    for (const char* text : {"", "abc", "12", "500", "abc"}) Type(text);
    EXPECT_EQ(model_.LastAcceptedText(), "abc");
    EXPECT_EQ(model_.Value(), 12);
    EXPECT_EQ(changes_, 5);
    // The last accepted text would be refused again; the value's own text ends it.
    model_.SetForceNumeric(true);
    Type("abcd");
    EXPECT_EQ(text_, "12");
    for (char32_t digit = 0; digit < 10; ++digit) EXPECT_EQ(model_.FilterTypedChar(U'\uFF10' + digit), U'0' + digit);
    for (char32_t other : {U'a', U'\uFF21', U'\uFF0E'}) EXPECT_EQ(model_.FilterTypedChar(other), other);  // Ａ, ．
}

TEST_F(UDTextModelTest, ValueAndStepsAreClampedAndWrittenAsText) {
    model_.SetMax(200);
    model_.SetValue(250);
    EXPECT_EQ(text_, "200");
    model_.SetValue(-7);
    EXPECT_EQ(model_.Value(), 0);
    model_.SetValue(0.1 + 0.2);
    EXPECT_EQ(model_.Value(), 0.3);  // read back from the text it shows
    model_.SetValue(0.3);            // the same number again still goes through the box and is announced
    EXPECT_EQ(changes_, 4);
    EXPECT_EQ(notified_.back(), "Value");
    // A step stops at its own bound only.
    model_.SetValue(0.5);
    model_.OnDownClick();
    EXPECT_EQ(text_, "0");
    model_.SetValue(199.5);
    model_.OnUpClick();
    EXPECT_EQ(text_, "200");
}

TEST_F(UDTextModelTest, HoldingAnArrowRepeatsAtInterval1ThenAtInterval2UntilRelease) {
    model_.OnArrowsMouseDown(2, 1, 10);  // not the left button: nothing
    EXPECT_EQ(Timers(), "off 0;off 0;off 2000;");
    model_.SetInterval2(30);
    model_.OnArrowsMouseDown(UDTextModel::kLeftButton, 4.9f, 10);  // the upper half
    EXPECT_EQ(Timers(), "on 200;off 0;on 2000;");
    for (UDTimer tick : {UDTimer::Up, UDTimer::Down, UDTimer::Up}) model_.OnTimer(tick);
    model_.OnTimer(UDTimer::SpeedUp);
    EXPECT_EQ(Timers(), "on 30;off 0;off 2000;");
    model_.SetInterval2(40);
    for (UDTimer tick : {UDTimer::SpeedUp, UDTimer::Up}) model_.OnTimer(tick);
    EXPECT_EQ(Timers(), "on 30;off 0;off 2000;");  // a queued speed-up tick changes nothing
    EXPECT_EQ(model_.Value(), 3);
    // The middle counts as the lower half; at the bound the steps stop while the timer runs on.
    model_.SetInterval1(100);
    model_.OnArrowsMouseDown(UDTextModel::kLeftButton, 5, 10);
    EXPECT_EQ(Timers(), "off 30;on 100;on 2000;");
    for (UDTimer tick : {UDTimer::Down, UDTimer::Down, UDTimer::Up, UDTimer::Down, UDTimer::Down}) model_.OnTimer(tick);
    EXPECT_EQ(text_, "0");
    EXPECT_EQ(Timers(), "off 30;on 100;on 2000;");
    model_.OnArrowsMouseUp();
    EXPECT_EQ(Timers(), "off 30;off 100;off 2000;");
    for (UDTimer tick : {UDTimer::Up, UDTimer::SpeedUp}) model_.OnTimer(tick);  // queued before the release
    EXPECT_EQ(model_.Value(), 0);
}

TEST_F(UDTextModelTest, LaysOutOnlyWhenWiderThanTheArrowsPlusOneTwip) {
    EXPECT_EQ(ComputeUDTextLayout(241, 300), std::nullopt);
    EXPECT_EQ(ComputeUDTextLayout(241.5, 300), (UDTextLayout{{0, 0, 1.5, 300}, {1.5, 0, 240, 300}}));
    model_.Resize(200, 300);
    model_.Resize(1200, 270);
    model_.SetFont(UDFont{"Arial", 10});  // the height may follow the font: placed again
    const UDTextLayout placed{{0, 0, 960, 270}, {960, 0, 240, 270}};
    EXPECT_EQ(placed_, (std::vector<UDTextLayout>{placed, placed}));
}

using Entries = std::vector<std::pair<std::string, PropertyValue>>;

TEST_F(UDTextModelTest, WritesTheNumbersAlwaysAndTheRestOnlyWhenNotDefaultAndReadsThemBack) {
    PropertyBag bag;
    model_.WriteProperties(bag);
    // clang-format off
    EXPECT_EQ(bag.entries(), (Entries{{"Max", 100.0}, {"Min", 0.0}, {"Increment", 1.0}, {"Value", 0.0},
                                      {"Interval1", std::int32_t{200}}, {"Interval2", std::int32_t{20}},
                                      {"Font", UDFont{}}}));
    model_.SetIncrement(0.5);
    model_.SetInterval2(35);
    model_.SetForeColor(0x123456);
    model_.SetBackColor(0);
    model_.SetLocked(true);
    model_.SetEnabled(false);
    model_.SetForceNumeric(false);
    model_.SetFont(UDFont{"MS UI Gothic", 11, false, true});
    model_.WriteProperties(bag);  // replaces the entries it had
    EXPECT_EQ(bag.entries(), (Entries{{"Max", 100.0}, {"Min", 0.0}, {"Increment", 0.5}, {"Value", 0.0},
                                      {"Interval1", std::int32_t{200}}, {"Interval2", std::int32_t{35}},
                                      {"Font", UDFont{"MS UI Gothic", 11, false, true}},
                                      {"ForeColor", std::int32_t{0x123456}}, {"BackColor", std::int32_t{0}},
                                      {"Locked", true}, {"Enabled", false}, {"ForceNumeric", false}}));
    // clang-format on
}

TEST_F(UDTextModelTest, ReadsByNameWithoutCaseAndWithoutTheSettersChecks) {
    PropertyBag bag;
    // clang-format off
    for (auto& [name, value] : Entries{{"max", 50.0}, {"MIN", std::int32_t{-200}}, {"increment", std::int32_t{2}},
                                       {"value", -500.0}, {"interval1", -2147483648.0}, {"INTERVAL2", 35.5},
                                       {"Enabled", 0.0}, {"Locked", true}, {"ForceNumeric", false},
                                       {"forecolor", std::int32_t{0x123456}}, {"BackColor", std::int32_t{0x00C0C0}},
                                       {"font", UDFont{"Arial", 10}}})
        bag.Write(name, value);
    // clang-format on
    model_.ReadProperties(bag);
    EXPECT_NE(bag.Find("MAX"), nullptr);  // the case of the name asked for does not count either
    EXPECT_EQ(Numbers(), "50 -200 2 -500 -2147483648 36 locked disabled 123456 c0c0");
    EXPECT_EQ(font_, (UDFont{"Arial", 10}));
    EXPECT_FALSE(model_.ForceNumeric());
    EXPECT_EQ(changes_ + notified_.size(), 0u);  // the box is not rewritten, nothing is announced
    model_.OnUpClick();                          // a value below the minimum steps up from where it is
    EXPECT_EQ(text_, "-498");
    model_.ReadProperties(PropertyBag{});  // all missing: the defaults
    EXPECT_EQ(Numbers(), "100 0 1 0 200 20 0 ffffff");
    EXPECT_TRUE(model_.ForceNumeric());
}

}  // namespace
}  // namespace velmora::controls
