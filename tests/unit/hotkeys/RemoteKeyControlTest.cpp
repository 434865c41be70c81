#include "hotkeys/RemoteKeyControl.h"

#include <gtest/gtest.h>

namespace parlowind {
namespace {

using C = RemoteKeyCommand;
using Events = std::vector<RemoteKeyControl::Event>;
const RemoteKeyControl::Event press { HotkeyID::dictation, HotkeyPhase::pressed };
const RemoteKeyControl::Event release { HotkeyID::dictation, HotkeyPhase::released };
const Events cancelTap { { HotkeyID::cancel, HotkeyPhase::pressed }, { HotkeyID::cancel, HotkeyPhase::released } };

struct CommandCase
{
    const char *name;
    std::vector<C> commands;
    Events expected;
};

class RemoteKeyControlTest : public ::testing::TestWithParam<CommandCase>
{
};

TEST_P(RemoteKeyControlTest, GivesKeyLikePhases)
{
    RemoteKeyControl control;
    Events events;
    for (C command : GetParam().commands) {
        const Events step = control.apply(command);
        events.insert(events.end(), step.begin(), step.end());
    }
    EXPECT_EQ(events, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, RemoteKeyControlTest,
    ::testing::Values(CommandCase { "pressRelease", { C::press, C::release }, { press, release } },
                      CommandCase { "doublePressIsOnePress", { C::press, C::press, C::release }, { press, release } },
                      CommandCase { "strayRelease", { C::release }, {} },
                      CommandCase {
                          "toggleAlternates", { C::toggle, C::toggle, C::toggle }, { press, release, press } },
                      CommandCase { "toggleReleasesAPress", { C::press, C::toggle }, { press, release } },
                      CommandCase { "cancelIsAnEscapeTap", { C::cancel }, cancelTap },
                      CommandCase { "toggleAfterCancelStartsAfresh",
                                    { C::toggle, C::cancel, C::toggle },
                                    { press, cancelTap[0], cancelTap[1], press } }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(RemoteKeyCommandTest, NamesRoundTripAndUnknownIsRejected)
{
    for (C command : { C::press, C::release, C::toggle, C::cancel })
        EXPECT_EQ(remoteKeyCommandFromName(nameOf(command)), command);
    EXPECT_EQ(remoteKeyCommandFromName(QStringLiteral("Press")), std::nullopt);
    EXPECT_EQ(remoteKeyCommandFromName(QString()), std::nullopt);
}

} // namespace
} // namespace parlowind
