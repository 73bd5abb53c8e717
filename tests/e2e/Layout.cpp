#include "e2e/Layout.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "platform/win32/MainWindowIds.h"

namespace velmora::e2e {
namespace {

namespace ids = win32::ids;

int Px(double twips) { return static_cast<int>(std::nearbyint(twips / kTwipsPerPixel)); }

std::string Show(const RECT& rect) {
    std::ostringstream text;
    text << "(" << rect.left << "," << rect.top << " " << rect.right - rect.left << "x" << rect.bottom - rect.top
         << ")";
    return text.str();
}

void CompareRect(std::ostringstream& report, const char* name, const RECT& actual, const RECT& expected,
                 bool withHeight = true) {
    const bool same = actual.left == expected.left && actual.top == expected.top &&
                      actual.right - actual.left == expected.right - expected.left &&
                      (!withHeight || actual.bottom - actual.top == expected.bottom - expected.top);
    if (!same) report << name << " at " << Show(actual) << ", expected " << Show(expected) << "\n";
}

void CompareVisible(std::ostringstream& report, const char* name, bool actual, bool expected) {
    if (actual != expected) report << name << (expected ? " hidden, expected shown\n" : " shown, expected hidden\n");
}

}  // namespace

RECT Pixels(const Box& box) {
    const int left = Px(box.left);
    const int top = Px(box.top);
    return {left, top, left + std::max(0, Px(box.width)), top + std::max(0, Px(box.height))};
}

Expected ExpectedLayout(int view, bool appPane, double w, double h, double l, double t) {
    Expected e;
    const Box bar0Full{l, 0, 50, h};
    if (!appPane) {
        switch (view) {
            case 0:
                e.frames[0] = Box{0, 0, w, h};
                break;
            case 1:
                e.bars[0] = bar0Full;
                e.frames[0] = Box{0, 0, l, h};
                e.frames[1] = Box{l + 50, 0, w - (l + 50), h};
                break;
            default:
                e.bars[1] = Box{0, t, w, 50};
                e.frames[0] = Box{0, 0, w, t};
                e.frames[1] = Box{0, t + 50, w, h - (t + 50)};
                break;
        }
        return e;
    }
    switch (view) {
        case 0:  // application pane docked right
            e.bars[0] = bar0Full;
            e.frames[0] = Box{0, 0, l, h};
            e.frames[2] = Box{l + 50, 0, w - (l + 50), h};
            break;
        case 1:  // docked at the bottom, under both Explorer panes
            e.bars[0] = Box{l, 0, 50, t};
            e.bars[1] = Box{0, t, w, 50};
            e.frames[0] = Box{0, 0, l, t};
            e.frames[1] = Box{l + 50, 0, w - (l + 50), t};
            e.frames[2] = Box{0, t + 50, w, h - (t + 50)};
            break;
        default:  // docked right, the stacked panes on the left
            e.bars[0] = bar0Full;
            e.bars[1] = Box{0, t, l, 50};
            e.frames[0] = Box{0, 0, l, t};
            e.frames[1] = Box{0, t + 50, l, h - (t + 50)};
            e.frames[2] = Box{l + 50, 0, w - (l + 50), h};
            break;
    }
    return e;
}

std::string CompareLayout(const Velmora& program, const Expected& expected) {
    std::ostringstream report;
    const int frameIds[] = {ids::kPicFrame0, ids::kPicFrame1, ids::kPicFrame2};
    const int barIds[] = {ids::kSplitBar0, ids::kSplitBar1};
    const char* frameNames[] = {"picFrame(0)", "picFrame(1)", "picFrame(2)"};
    const char* barNames[] = {"picSplitBar1(0)", "picSplitBar1(1)"};
    for (size_t i = 0; i < 2; ++i) {
        CompareVisible(report, barNames[i], program.Visible(barIds[i]), expected.bars[i].has_value());
        if (expected.bars[i])
            CompareRect(report, barNames[i], program.RectInParent(barIds[i]), Pixels(*expected.bars[i]));
    }
    for (size_t i = 0; i < 3; ++i) {
        // Frame 0 is always shown; the others only in the layouts that use them.
        CompareVisible(report, frameNames[i], program.Visible(frameIds[i]), expected.frames[i].has_value());
        if (!expected.frames[i]) continue;
        const Box& frame = *expected.frames[i];
        CompareRect(report, frameNames[i], program.RectInParent(frameIds[i]), Pixels(frame));
        if (i < 2) {
            const int strip = i == 0 ? ids::kTabStrip1_0 : ids::kTabStrip1_1;
            const int host = i == 0 ? ids::kFrameApp0 : ids::kFrameApp1;
            CompareRect(report, i == 0 ? "TabStrip1(0)" : "TabStrip1(1)", program.RectInParent(strip),
                        Pixels({0, 0, std::max(0.0, frame.width - 60), 300}));
            CompareRect(report, i == 0 ? "frameApp(0)" : "frameApp(1)", program.RectInParent(host),
                        Pixels({0, 270, frame.width, std::max(0.0, frame.height - 270)}));
        } else {
            constexpr double kCombo = 2175;
            if (frame.width > kCombo) {
                CompareRect(report, "TabStrip2", program.RectInParent(ids::kTabStrip2),
                            Pixels({0, 0, frame.width - kCombo, 300}));
                // A drop-down list's height is its font's; only its place and width are the layout's.
                CompareRect(report, "cboApp", program.RectInParent(ids::kCboApp),
                            Pixels({frame.width - kCombo, 0, kCombo, 300}), false);
            }
            CompareRect(report, "frameApp(2)", program.RectInParent(ids::kFrameApp2),
                        Pixels({0, 300, frame.width, std::max(0.0, frame.height - 300)}));
        }
    }
    return report.str();
}

}  // namespace velmora::e2e
