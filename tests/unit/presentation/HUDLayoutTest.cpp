#include "presentation/HUDLayout.h"

#include <gtest/gtest.h>

#include <ostream>

namespace parlowind {
namespace {

struct PlacementCase
{
    const char *name;
    HUDPosition position;
    QPoint expected;
};

void PrintTo(const PlacementCase &row, std::ostream *out)
{
    *out << row.name;
}

class HUDPlacementTest : public testing::TestWithParam<PlacementCase>
{
};

// A second screen to the right of a first one, with a 30-pixel panel at the top.
const QRect secondScreen(1920, 30, 1280, 770);
const QSize panel(240, 48);

TEST_P(HUDPlacementTest, TwentyFourPixelsFromTheEdges)
{
    EXPECT_EQ(HUDLayout::topLeft(secondScreen, panel, GetParam().position), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Positions, HUDPlacementTest,
    testing::Values(PlacementCase { "BottomCenter", HUDPosition::bottomCenter, QPoint(1920 + 520, 30 + 770 - 48 - 24) },
                    PlacementCase { "TopCenter", HUDPosition::topCenter, QPoint(1920 + 520, 30 + 24) },
                    PlacementCase { "BottomLeading", HUDPosition::bottomLeading,
                                    QPoint(1920 + 24, 30 + 770 - 48 - 24) },
                    PlacementCase { "BottomTrailing", HUDPosition::bottomTrailing,
                                    QPoint(1920 + 1280 - 240 - 24, 30 + 770 - 48 - 24) }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(HUDLayoutTest, ElapsedTimeTruncatesAndDoesNotCapMinutes)
{
    EXPECT_EQ(HUDLayout::elapsedText(0), QStringLiteral("0:00"));
    EXPECT_EQ(HUDLayout::elapsedText(75.9), QStringLiteral("1:15"));
    EXPECT_EQ(HUDLayout::elapsedText(3600), QStringLiteral("60:00"));
    EXPECT_EQ(HUDLayout::elapsedText(-3), QStringLiteral("0:00"));
}

} // namespace
} // namespace parlowind
