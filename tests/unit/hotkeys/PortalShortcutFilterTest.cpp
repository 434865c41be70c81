#include "hotkeys/PortalShortcutFilter.h"

#include <gtest/gtest.h>

namespace parlowind {
namespace {

TEST(PortalShortcutFilterTest, RepeatedActivationsGiveOnePressAndOneRelease)
{
    PortalShortcutFilter filter;
    std::vector<std::optional<HotkeyPhase>> seen;
    seen.push_back(filter.activated(HotkeyID::dictation));
    for (int i = 0; i < 5; ++i)
        seen.push_back(filter.activated(HotkeyID::dictation));
    seen.push_back(filter.deactivated(HotkeyID::dictation));
    seen.push_back(filter.deactivated(HotkeyID::dictation));
    seen.push_back(filter.activated(HotkeyID::dictation));
    const std::vector<std::optional<HotkeyPhase>> expected
        = { HotkeyPhase::pressed, std::nullopt,          std::nullopt, std::nullopt,        std::nullopt,
            std::nullopt,         HotkeyPhase::released, std::nullopt, HotkeyPhase::pressed };
    EXPECT_EQ(seen, expected);
}

TEST(PortalShortcutFilterTest, ShortcutsAreIndependentAndForgettable)
{
    PortalShortcutFilter filter;
    EXPECT_EQ(filter.activated(HotkeyID::dictation), HotkeyPhase::pressed);
    EXPECT_EQ(filter.activated(HotkeyID::cancel), HotkeyPhase::pressed);
    EXPECT_EQ(filter.deactivated(HotkeyID::cancel), HotkeyPhase::released);
    filter.forget(HotkeyID::dictation);
    EXPECT_EQ(filter.deactivated(HotkeyID::dictation), std::nullopt);
    EXPECT_EQ(filter.deactivated(HotkeyID::commandMode), std::nullopt);
}

} // namespace
} // namespace parlowind
