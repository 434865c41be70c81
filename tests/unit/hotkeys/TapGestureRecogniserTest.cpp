#include "hotkeys/TapGestureRecogniser.h"

#include <gtest/gtest.h>

#include <limits>
#include <ostream>

namespace parlowind {
void PrintTo(const HotkeyGesture &gesture, std::ostream *out)
{
    static const char *const names[] = { "hold", "singleTap", "doubleTap" };
    *out << names[int(gesture.kind)];
    if (gesture.kind == HotkeyGesture::Kind::hold)
        *out << "(" << gesture.seconds << ")";
}
void PrintTo(const TapGestureRecogniser::PendingTap &pending, std::ostream *out)
{
    *out << "PendingTap(" << pending.endedAt << ")";
}
} // namespace parlowind

using namespace parlowind;
using Pending = TapGestureRecogniser::PendingTap;

namespace {

// Times sit on a large clock value, as readings since boot do, so rounding
// noise in the differences is part of what is tested.
constexpr double t0 = 86400.0;

struct InterpretCase
{
    const char *name;
    friend void PrintTo(const InterpretCase &row, std::ostream *out) { *out << row.name; }
    double pressedAt;
    double releasedAt;
    std::optional<Pending> pending;
    std::optional<HotkeyGesture> gesture;
    std::optional<Pending> newPending;
};

class InterpretTest : public ::testing::TestWithParam<InterpretCase>
{
};

TEST_P(InterpretTest, ClassifiesTheRelease)
{
    const auto &row = GetParam();
    const TapGestureRecogniser rule(0.3, 1.2);
    const auto result = rule.interpret(row.pressedAt, row.releasedAt, row.pending);
    ASSERT_EQ(result.gesture.has_value(), row.gesture.has_value());
    if (row.gesture) {
        EXPECT_EQ(result.gesture->kind, row.gesture->kind);
        EXPECT_NEAR(result.gesture->seconds, row.gesture->seconds, 1e-9);
    }
    EXPECT_EQ(result.pending, row.newPending);
}

INSTANTIATE_TEST_SUITE_P(
    Rule, InterpretTest,
    ::testing::Values(InterpretCase { "ShortPressLeavesAPendingTap", t0, t0 + 0.29, std::nullopt, std::nullopt,
                                      Pending { t0 + 0.29 } },
                      InterpretCase { "ExactlyTheLimitIsAHold", t0, t0 + 0.3, std::nullopt, HotkeyGesture::hold(0.3),
                                      std::nullopt },
                      InterpretCase { "SecondTapAtTheEdgeOfTheWindow", t0 + 1.3, t0 + 1.4, Pending { t0 + 0.1 },
                                      HotkeyGesture::doubleTap(), std::nullopt },
                      InterpretCase { "SecondTapJustOutsideTheWindowStartsAFreshWait", t0 + 1.31, t0 + 1.41,
                                      Pending { t0 + 0.1 }, std::nullopt, Pending { t0 + 1.41 } },
                      InterpretCase { "HoldDiscardsAWaitingTap", t0 + 0.5, t0 + 2.5, Pending { t0 + 0.1 },
                                      HotkeyGesture::hold(2.0), std::nullopt }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(TapGestureRecogniserTest, HoldReportsHowLongTheKeyWasDown)
{
    const TapGestureRecogniser rule(0.3, 1.2);
    const auto result = rule.interpret(t0, t0 + 2.5, std::nullopt);
    ASSERT_TRUE(result.gesture);
    EXPECT_EQ(result.gesture->kind, HotkeyGesture::Kind::hold);
    EXPECT_NEAR(result.gesture->seconds, 2.5, 1e-9);
}

TEST(TapGestureRecogniserTest, PendingTapExpiresOnlyAfterTheWholeWindow)
{
    const TapGestureRecogniser rule(0.3, 1.2);
    const Pending pending { t0 };
    EXPECT_FALSE(rule.hasExpired(pending, t0 + 1.2));
    EXPECT_TRUE(rule.hasExpired(pending, t0 + 1.21));
}

TEST(TapGestureRecogniserTest, WindowIsTheDoubleClickIntervalWhenThatIsLonger)
{
    EXPECT_DOUBLE_EQ(TapGestureRecogniser::doubleTapWindowFor(0.5), 1.2);
    EXPECT_DOUBLE_EQ(TapGestureRecogniser::doubleTapWindowFor(2.0), 2.0);
    EXPECT_DOUBLE_EQ(TapGestureRecogniser::doubleTapWindowFor(std::nullopt), 1.2);
    EXPECT_DOUBLE_EQ(TapGestureRecogniser::doubleTapWindowFor(std::numeric_limits<double>::quiet_NaN()), 1.2);
}

} // namespace
