#include "hotkeys/FnKeySystemSetting.h"

#include <gtest/gtest.h>

namespace parlowind {
namespace {

struct OptionsCase
{
    const char *name;
    std::optional<QString> options;
    std::optional<FnKeyUsage> usage;
    bool warnsForLoneKey;
};

class XkbOptionsTest : public ::testing::TestWithParam<OptionsCase>
{
};

TEST_P(XkbOptionsTest, GivesRightCtrlUsageAndWarning)
{
    const auto usage = FnKeySystemSetting::fromXkbOptions(GetParam().options);
    EXPECT_EQ(usage, GetParam().usage);
    EXPECT_EQ(FnKeySystemSetting::shouldWarn(HotkeyBinding::fn(), usage), GetParam().warnsForLoneKey);
    // A chord never conflicts with Right Ctrl's own use.
    EXPECT_FALSE(FnKeySystemSetting::shouldWarn(HotkeyBinding::chord(57, HotkeyBinding::Modifier::option), usage));
}

INSTANTIATE_TEST_SUITE_P(
    Options, XkbOptionsTest,
    ::testing::Values(
        OptionsCase { "none", QString(), FnKeyUsage::doNothing, false },
        OptionsCase { "unrelated", QStringLiteral("terminate:ctrl_alt_bksp,caps:escape"), FnKeyUsage::doNothing,
                      false },
        OptionsCase { "leftCtrlOnly", QStringLiteral("grp:lctrl_toggle"), FnKeyUsage::doNothing, false },
        OptionsCase { "compose", QStringLiteral("grp:alt_shift_toggle,compose:rctrl"), FnKeyUsage::composeKey, true },
        OptionsCase { "composeAltGr", QStringLiteral("compose:rctrl-altgr"), FnKeyUsage::composeKey, true },
        OptionsCase { "layoutToggle", QStringLiteral("grp:rctrl_toggle"), FnKeyUsage::changeInputSource, true },
        OptionsCase { "thirdLevel", QStringLiteral("lv3:rctrl_switch"), FnKeyUsage::thirdLevel, true },
        OptionsCase { "swapped", QStringLiteral("ctrl:swap_rwin_rctl"), FnKeyUsage::remapped, true },
        OptionsCase { "unreadable", std::nullopt, std::nullopt, true }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(FnKeySystemSettingTest, WarningNamesTheUseOrSaysItIsUnknown)
{
    EXPECT_EQ(FnKeySystemSetting::warning(FnKeyUsage::composeKey),
              QStringLiteral("Your keyboard settings use Right Ctrl as “Compose Key”. Holding it will do that as well "
                             "as dictating."));
    EXPECT_EQ(FnKeySystemSetting::warning(std::nullopt),
              QStringLiteral("The system may already use Right Ctrl. Holding it will do that as well as dictating."));
    EXPECT_FALSE(conflictsWithHoldToDictate(FnKeyUsage::doNothing));
    EXPECT_TRUE(conflictsWithHoldToDictate(FnKeyUsage::remapped));
}

} // namespace
} // namespace parlowind
