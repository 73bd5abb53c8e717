#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "controls/UDTextModel.h"

namespace velmora::controls {
namespace {

// The text box and arrows as the edit control behaves: every SetText raises
// the change notification at once, also for the same text.
class FakeParts : public UDTextParts {
public:
    std::string Text() const override { return text; }
    void SetText(const std::string& newText) override {
        text = transform ? transform(newText) : newText;
        written.push_back(text);
        if (model) model->OnTextChanged();
    }
    void SetLocked(bool value) override { locked = value; }
    void SetColors(std::uint32_t foreColour, std::uint32_t backColour) override {
        fore = foreColour;
        back = backColour;
    }
    void SetFont(const UDFont& value) override { font = value; }
    void SetArrowsEnabled(bool value) override { arrowsEnabled = value; }
    void Place(const UDTextLayout& layout) override { placed.push_back(layout); }

    // The user edits the box.
    void Type(const std::string& newText) {
        text = newText;
        model->OnTextChanged();
    }

    UDTextModel* model = nullptr;
    std::string text = "0";
    std::function<std::string(const std::string&)> transform;
    std::vector<std::string> written;
    bool locked = false;
    bool arrowsEnabled = true;
    std::uint32_t fore = 0;
    std::uint32_t back = 0xFFFFFF;
    UDFont font;
    std::vector<UDTextLayout> placed;
};

// Message-driven timers on a simulated clock. Ticks due at the same moment
// come in the order Up, Down, SpeedUp.
class FakeTimers : public UDTimers {
public:
    void SetPeriod(UDTimer timer, std::int32_t milliseconds) override {
        Slot& slot = slots_[Index(timer)];
        slot.period = std::max(1, milliseconds);
        if (slot.enabled) slot.due = now_ + slot.period;
    }
    void SetEnabled(UDTimer timer, bool enabled) override {
        Slot& slot = slots_[Index(timer)];
        if (enabled && !slot.enabled) slot.due = now_ + slot.period;
        slot.enabled = enabled;
    }

    void Advance(std::int64_t milliseconds, UDTextModel& model) {
        const std::int64_t target = now_ + milliseconds;
        for (;;) {
            std::optional<std::size_t> next;
            for (std::size_t i = 0; i < slots_.size(); ++i) {
                if (slots_[i].enabled && slots_[i].due <= target && (!next || slots_[i].due < slots_[*next].due))
                    next = i;
            }
            if (!next) break;
            now_ = slots_[*next].due;
            slots_[*next].due += slots_[*next].period;
            model.OnTimer(static_cast<UDTimer>(*next));
        }
        now_ = target;
    }

    bool Enabled(UDTimer timer) const { return slots_[Index(timer)].enabled; }
    std::int32_t Period(UDTimer timer) const { return slots_[Index(timer)].period; }

private:
    struct Slot {
        std::int32_t period = 1;
        bool enabled = true;  // the model must switch them off itself
        std::int64_t due = 0;
    };
    static std::size_t Index(UDTimer timer) { return static_cast<std::size_t>(timer); }

    std::array<Slot, 3> slots_;
    std::int64_t now_ = 0;
};

class UDTextModelTest : public ::testing::Test {
protected:
    UDTextModelTest() {
        parts_.model = &model_;
        model_.onChange = [this] { ++changes_; };
        model_.onPropertyChanged = [this](std::string_view name) { notified_.emplace_back(name); };
    }

    FakeParts parts_;
    FakeTimers timers_;
    UDTextModel model_{parts_, timers_};
    int changes_ = 0;
    std::vector<std::string> notified_;
};

// ---- number text ----

TEST(UDTextNumberTest, NumericTextAcceptsSignedDecimalsWithExponentAndBlanks) {
    for (const char* text : {"0", "-5", "+5", "  12 ", "\t1.5", ".5", "5.", "-.5", "1e3", "1E-3", "-1.5e+2"})
        EXPECT_TRUE(IsNumericText(text)) << text;
    for (const char* text : {"", " ", "-", "+", ".", "1.2.3", "1e", "1e+", "e5", "abc", "12a", "- 5", "1,000", "1e999",
                             "\xEF\xBC\x95" /* full-width 5 */})
        EXPECT_FALSE(IsNumericText(text)) << text;
}

TEST(UDTextNumberTest, LeadingNumberReadsAsFarAsTheNumberGoes) {
    EXPECT_EQ(LeadingNumber("12abc"), 12);
    EXPECT_EQ(LeadingNumber("  -3.5x"), -3.5);
    EXPECT_EQ(LeadingNumber("+7"), 7);
    EXPECT_EQ(LeadingNumber("1e3x"), 1000);
    EXPECT_EQ(LeadingNumber("1ex"), 1);  // no digits after the marker: no exponent
    EXPECT_EQ(LeadingNumber("2.5.1"), 2.5);
    EXPECT_EQ(LeadingNumber("abc"), std::nullopt);
    EXPECT_EQ(LeadingNumber("1e999"), std::nullopt);
}

TEST(UDTextNumberTest, NumberTextIsTheShortestFormWithFifteenDigits) {
    EXPECT_EQ(NumberText(200), "200");
    EXPECT_EQ(NumberText(-3000), "-3000");
    EXPECT_EQ(NumberText(0.1 + 0.2), "0.3");
    EXPECT_EQ(NumberText(66.66667), "66.66667");
    EXPECT_EQ(NumberText(1000.00005), "1000.00005");
    EXPECT_EQ(NumberText(-0.0), "0");
    EXPECT_EQ(NumberText(123456789012345678.0), "1.23456789012346E+17");
    EXPECT_EQ(NumberText(1e15), "1E+15");
    EXPECT_EQ(NumberText(0.0001), "0.0001");
    EXPECT_EQ(NumberText(0.00001), "1E-05");
    EXPECT_TRUE(IsNumericText(NumberText(0.1 + 0.2 - 0.3)));  // an exponent form is still a number
}

// ---- properties ----

TEST_F(UDTextModelTest, StartsIdleAndMaxOnlyGrowsMinOnlyShrinksIntervalsStayInRange) {
    EXPECT_EQ(model_.LastAcceptedText(), "0");
    EXPECT_FALSE(timers_.Enabled(UDTimer::Up) || timers_.Enabled(UDTimer::Down) || timers_.Enabled(UDTimer::SpeedUp));
    model_.SetMax(50);
    EXPECT_EQ(model_.Max(), 100);
    model_.SetMax(150);
    EXPECT_EQ(model_.Max(), 150);
    model_.SetMin(5);
    EXPECT_EQ(model_.Min(), 0);
    model_.SetMin(-5);
    EXPECT_EQ(model_.Min(), -5);
    model_.SetInterval1(0);
    model_.SetInterval1(5000);
    EXPECT_EQ(model_.Interval1(), 200);
    model_.SetInterval1(4999);
    EXPECT_EQ(model_.Interval1(), 4999);
    model_.SetInterval2(1);
    EXPECT_EQ(model_.Interval2(), 1);
    model_.SetIncrement(-2.5);
    EXPECT_EQ(model_.Increment(), -2.5);
    // Only the changes that were taken are announced to the host.
    EXPECT_EQ(notified_, (std::vector<std::string>{"Max", "Min", "Interval1", "Interval2", "Increment"}));
}

TEST_F(UDTextModelTest, ValueIsClampedWrittenAsTextAndRaisesChange) {
    model_.SetMax(200);
    model_.SetValue(250);
    EXPECT_EQ(model_.Value(), 200);
    EXPECT_EQ(parts_.text, "200");
    EXPECT_EQ(changes_, 1);
    model_.SetValue(-7);
    EXPECT_EQ(model_.Value(), 0);
    model_.SetValue(0.1 + 0.2);
    EXPECT_EQ(parts_.text, "0.3");
    EXPECT_EQ(model_.Value(), 0.3);  // read back from the text it shows
    EXPECT_EQ(model_.LastAcceptedText(), "0.3");
    // The same number again still goes through the box and is announced.
    model_.SetValue(0.3);
    EXPECT_EQ(changes_, 4);
    EXPECT_EQ(notified_.back(), "Value");
}

TEST_F(UDTextModelTest, LockedColoursAndFontGoToTheBoxAndEnabledOnlyToTheArrows) {
    model_.SetLocked(true);
    model_.SetForeColor(0x0000FF);
    model_.SetBackColor(0x00FF00);
    UDFont font{"MS UI Gothic", 12, true};
    model_.SetFont(font);
    EXPECT_TRUE(parts_.locked);
    EXPECT_EQ(parts_.fore, 0x0000FFu);
    EXPECT_EQ(parts_.back, 0x00FF00u);
    EXPECT_EQ(parts_.font, font);
    model_.OnUpClick();  // a locked box still steps
    EXPECT_EQ(model_.Value(), 1);

    model_.SetLocked(false);
    model_.OnArrowsMouseDown(UDTextModel::kLeftButton, 1, 20);
    model_.SetEnabled(false);
    EXPECT_FALSE(parts_.arrowsEnabled);
    EXPECT_FALSE(parts_.locked);
    EXPECT_EQ(model_.repeatState(), UDTextModel::RepeatState::Idle);  // no release may come
    parts_.Type("42");
    EXPECT_EQ(model_.Value(), 42);
}

// ---- typing ----

TEST_F(UDTextModelTest, OutOfRangeNumberStaysInTheBoxButNotInValue) {
    model_.SetMax(200);
    model_.SetValue(12);
    changes_ = 0;
    parts_.Type("300");
    EXPECT_EQ(parts_.text, "300");
    EXPECT_EQ(model_.LastAcceptedText(), "300");
    EXPECT_EQ(model_.Value(), 12);
    EXPECT_EQ(changes_, 1);
    parts_.Type("-1.5e1");
    EXPECT_EQ(model_.Value(), 12);
    parts_.Type(" 1.5e2 ");
    EXPECT_EQ(model_.Value(), 150);
}

TEST_F(UDTextModelTest, RefusedTextPutsTheLastAcceptedTextBack) {
    parts_.Type("25");
    changes_ = 0;
    parts_.Type("25a");
    EXPECT_EQ(parts_.text, "25");
    EXPECT_EQ(model_.Value(), 25);
    parts_.Type("");
    EXPECT_EQ(parts_.text, "25");
    // No Change for the refused text; the restored text is accepted again and raises one.
    EXPECT_EQ(changes_, 2);
    EXPECT_EQ(parts_.written, (std::vector<std::string>{"25", "25"}));
}

TEST_F(UDTextModelTest, WithoutForceNumericAnyTextIsAcceptedAndValueFollowsNumbersInRange) {
    model_.SetForceNumeric(false);
    parts_.Type("abc");
    EXPECT_EQ(model_.LastAcceptedText(), "abc");
    EXPECT_EQ(model_.Value(), 0);
    parts_.Type("");
    EXPECT_EQ(model_.LastAcceptedText(), "");
    parts_.Type("7.5");
    EXPECT_EQ(model_.Value(), 7.5);
    parts_.Type("500");
    EXPECT_EQ(model_.Value(), 7.5);
    EXPECT_EQ(changes_, 4);
    EXPECT_TRUE(parts_.written.empty());
}

TEST_F(UDTextModelTest, SwitchingForceNumericOnAfterNonNumericTextRestoresTheValue) {
    model_.SetForceNumeric(false);
    parts_.Type("12");
    parts_.Type("abc");
    model_.SetForceNumeric(true);
    parts_.Type("abcd");
    // The last accepted text would be refused again; the value's own text ends it.
    EXPECT_EQ(parts_.text, "12");
    EXPECT_EQ(model_.LastAcceptedText(), "12");
    EXPECT_EQ(model_.Value(), 12);
}

TEST_F(UDTextModelTest, RestoringStopsWhenTheBoxAltersTheRestoredText) {
    parts_.Type("5");
    parts_.transform = [](const std::string& text) { return text + "x"; };
    parts_.Type("q");
    EXPECT_EQ(parts_.written, (std::vector<std::string>{"5x"}));
    EXPECT_EQ(model_.LastAcceptedText(), "5");
    EXPECT_EQ(model_.Value(), 5);
}

TEST_F(UDTextModelTest, FullWidthDigitsBecomeAsciiOnlyUnderForceNumeric) {
    for (char32_t digit = 0; digit < 10; ++digit) EXPECT_EQ(model_.FilterTypedChar(U'\uFF10' + digit), U'0' + digit);
    EXPECT_EQ(model_.FilterTypedChar(U'a'), U'a');
    EXPECT_EQ(model_.FilterTypedChar(U'\uFF21'), U'\uFF21');  // full-width A
    EXPECT_EQ(model_.FilterTypedChar(U'\uFF0E'), U'\uFF0E');  // full-width full stop
    model_.SetForceNumeric(false);
    EXPECT_EQ(model_.FilterTypedChar(U'\uFF15'), U'\uFF15');
}

// ---- stepping and repetition ----

TEST_F(UDTextModelTest, StepsStopAtTheirOwnBoundOnly) {
    model_.SetMax(200);
    model_.SetValue(0.5);
    model_.OnDownClick();
    EXPECT_EQ(model_.Value(), 0);
    EXPECT_EQ(parts_.text, "0");
    model_.SetValue(199.5);
    model_.OnUpClick();
    EXPECT_EQ(model_.Value(), 200);
    EXPECT_EQ(parts_.text, "200");

    // A saved value below the minimum steps up from where it is.
    PropertyBag bag;
    bag.Write("Value", -500.0);
    model_.ReadProperties(bag);
    model_.OnUpClick();
    EXPECT_EQ(model_.Value(), -499);
    EXPECT_EQ(parts_.text, "-499");
}

TEST_F(UDTextModelTest, HoldingTheUpperHalfRepeatsSlowlyThenFastUntilRelease) {
    model_.SetMax(1000);
    model_.OnArrowsMouseDown(UDTextModel::kLeftButton, 4.9f, 10);
    model_.OnUpClick();
    EXPECT_EQ(model_.repeatState(), UDTextModel::RepeatState::Slow);
    timers_.Advance(199, model_);
    EXPECT_EQ(model_.Value(), 1);
    timers_.Advance(1, model_);
    EXPECT_EQ(model_.Value(), 2);
    timers_.Advance(1799, model_);  // 1999 ms after the press
    EXPECT_EQ(model_.Value(), 10);
    timers_.Advance(1, model_);
    EXPECT_EQ(model_.Value(), 11);
    EXPECT_EQ(model_.repeatState(), UDTextModel::RepeatState::Fast);
    timers_.Advance(100, model_);
    EXPECT_EQ(model_.Value(), 16);
    timers_.Advance(2000, model_);
    EXPECT_EQ(model_.Value(), 116);
    model_.OnArrowsMouseUp();
    EXPECT_EQ(model_.repeatState(), UDTextModel::RepeatState::Idle);
    timers_.Advance(1000, model_);
    EXPECT_EQ(model_.Value(), 116);
    model_.OnTimer(UDTimer::Up);  // a tick queued before the release
    EXPECT_EQ(model_.Value(), 116);
}

TEST_F(UDTextModelTest, TheLowerHalfAndTheMiddleRepeatDownAndOtherButtonsNothing) {
    model_.SetValue(50);
    model_.OnArrowsMouseDown(2, 1, 10);
    EXPECT_EQ(model_.repeatState(), UDTextModel::RepeatState::Idle);
    model_.OnArrowsMouseDown(UDTextModel::kLeftButton, 5, 10);
    timers_.Advance(400, model_);
    EXPECT_EQ(model_.Value(), 48);
    EXPECT_FALSE(timers_.Enabled(UDTimer::Up));
    model_.OnArrowsMouseUp();

    // At the bound the steps stop while the timers run on until release.
    model_.SetInterval1(100);
    model_.OnArrowsMouseDown(UDTextModel::kLeftButton, 9, 10);
    timers_.Advance(10000, model_);
    EXPECT_EQ(model_.Value(), 0);
    EXPECT_TRUE(timers_.Enabled(UDTimer::Down));
    EXPECT_EQ(timers_.Period(UDTimer::Down), 20);
}

// ---- layout ----

TEST_F(UDTextModelTest, LaysOutOnlyWhenWiderThanTheArrowsPlusOneTwip) {
    EXPECT_EQ(ComputeUDTextLayout(241, 300), std::nullopt);
    EXPECT_EQ(ComputeUDTextLayout(100, 300), std::nullopt);
    UDTextLayout expected{{0, 0, 1.5, 300}, {1.5, 0, 240, 300}};
    EXPECT_EQ(ComputeUDTextLayout(241.5, 300), expected);

    model_.Resize(200, 300);
    EXPECT_TRUE(parts_.placed.empty());
    model_.Resize(1200, 270);
    ASSERT_EQ(parts_.placed.size(), 1u);
    EXPECT_EQ(parts_.placed[0], (UDTextLayout{{0, 0, 960, 270}, {960, 0, 240, 270}}));
    model_.SetFont(UDFont{"Arial", 10});
    EXPECT_EQ(parts_.placed.size(), 2u);
}

// ---- saved properties ----

TEST_F(UDTextModelTest, WritesAlwaysTheNumbersAndTheRestOnlyWhenNotDefault) {
    PropertyBag bag;
    model_.WriteProperties(bag);
    std::vector<std::string> names;
    for (const auto& entry : bag.entries()) names.push_back(entry.first);
    EXPECT_EQ(names, (std::vector<std::string>{"Max", "Min", "Increment", "Value", "Interval1", "Interval2", "Font"}));
    EXPECT_EQ(std::get<double>(*bag.Find("Max")), 100);
    EXPECT_EQ(std::get<std::int32_t>(*bag.Find("Interval2")), 20);

    model_.SetForeColor(0x123456);
    model_.SetBackColor(0);
    model_.SetLocked(true);
    model_.SetEnabled(false);
    model_.SetForceNumeric(false);
    PropertyBag changed;
    model_.WriteProperties(changed);
    EXPECT_EQ(std::get<std::int32_t>(*changed.Find("ForeColor")), 0x123456);
    EXPECT_EQ(std::get<std::int32_t>(*changed.Find("BackColor")), 0);
    EXPECT_TRUE(std::get<bool>(*changed.Find("Locked")));
    EXPECT_FALSE(std::get<bool>(*changed.Find("Enabled")));
    EXPECT_FALSE(std::get<bool>(*changed.Find("ForceNumeric")));
}

TEST_F(UDTextModelTest, ReadsByNameWithoutCaseAndWithoutTheSettersChecks) {
    PropertyBag bag;
    bag.Write("max", 50.0);
    bag.Write("MIN", std::int32_t{-200});
    bag.Write("value", 5.0);
    bag.Write("interval1", std::int32_t{0});
    bag.Write("Enabled", false);
    bag.Write("Locked", true);
    bag.Write("BackColor", std::int32_t{0x00C0C0});
    model_.ReadProperties(bag);
    EXPECT_EQ(model_.Max(), 50);
    EXPECT_EQ(model_.Min(), -200);
    EXPECT_EQ(model_.Value(), 5);
    EXPECT_EQ(model_.Interval1(), 0);
    EXPECT_EQ(model_.Interval2(), 20);  // missing: the default
    EXPECT_EQ(model_.Increment(), 1);
    EXPECT_TRUE(model_.ForceNumeric());
    EXPECT_FALSE(parts_.arrowsEnabled);
    EXPECT_TRUE(parts_.locked);
    EXPECT_EQ(parts_.back, 0x00C0C0u);
    EXPECT_EQ(parts_.text, "0");  // the box is not rewritten
    EXPECT_EQ(changes_, 0);
    EXPECT_TRUE(notified_.empty());
}

TEST_F(UDTextModelTest, WrittenPropertiesReadBackIntoAnotherInstance) {
    model_.SetMax(300);
    model_.SetMin(-200);
    model_.SetIncrement(0.5);
    model_.SetValue(12.25);
    model_.SetInterval2(35);
    model_.SetForceNumeric(false);
    model_.SetFont(UDFont{"MS UI Gothic", 11, false, true});
    PropertyBag bag;
    model_.WriteProperties(bag);

    FakeParts otherParts;
    FakeTimers otherTimers;
    UDTextModel other(otherParts, otherTimers);
    other.ReadProperties(bag);
    PropertyBag again;
    other.WriteProperties(again);
    EXPECT_EQ(again.entries(), bag.entries());
    EXPECT_EQ(otherParts.font, model_.Font());
}

}  // namespace
}  // namespace velmora::controls
