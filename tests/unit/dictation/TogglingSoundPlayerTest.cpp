#include "dictation/TogglingSoundPlayer.h"
#include "fakes/FakeSoundPlayer.h"

#include <gtest/gtest.h>

#include <atomic>

using namespace parlowind;
using parlowind::test::FakeSoundPlayer;

namespace {

TEST(TogglingSoundPlayerTest, ReadsTheSwitchOnEveryCue)
{
    auto wrapped = std::make_shared<FakeSoundPlayer>();
    std::atomic_bool enabled { false };
    TogglingSoundPlayer player(wrapped, [&] { return enabled.load(); });

    player.play(DictationCue::start);
    EXPECT_TRUE(wrapped->played().empty());

    enabled = true;
    player.play(DictationCue::stop);
    player.play(DictationCue::start);
    EXPECT_EQ(wrapped->played(), (std::vector { DictationCue::stop, DictationCue::start }));
}

TEST(DictationCueTest, RawValuesRoundTripAndNothingElseParses)
{
    for (DictationCue cue : allDictationCues)
        EXPECT_EQ(dictationCueFromRawValue(rawValue(cue)), cue);
    EXPECT_EQ(rawValue(DictationCue::start), QStringLiteral("listen-start"));
    for (const char *raw : { "", "Listen-Start", "listen-start ", "listen" })
        EXPECT_EQ(dictationCueFromRawValue(QString::fromLatin1(raw)), std::nullopt) << raw;
}

} // namespace
