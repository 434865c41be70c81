#include "dictation/DictationState.h"
#include "presentation/HUDPresentation.h"
#include "presentation/MenuBarPresentation.h"

#include <gtest/gtest.h>

#include <ostream>

#include <limits>

namespace parlowind {
namespace {

using Style = HUDPresentation::Style;
using Reason = DictationCancelReason;

struct HUDCase
{
    const char *name;
    DictationState state;
    bool isSendingRemotely;
    HUDPresentation expected;
};

void PrintTo(const HUDCase &row, std::ostream *out)
{
    *out << row.name;
}

class HUDPresentationTest : public testing::TestWithParam<HUDCase>
{
};

TEST_P(HUDPresentationTest, OneRowPerState)
{
    const HUDCase &row = GetParam();
    const HUDPresentation actual = HUDPresentation::make(row.state, row.isSendingRemotely);
    EXPECT_EQ(actual.isVisible, row.expected.isVisible);
    EXPECT_EQ(actual.label, row.expected.label);
    EXPECT_EQ(actual.style, row.expected.style);
    EXPECT_EQ(actual.showsWaveform, row.expected.showsWaveform);
    EXPECT_EQ(actual.showsCloudGlyph, row.expected.showsCloudGlyph);
    EXPECT_EQ(actual.autoDismissAfter, row.expected.autoDismissAfter);
}

HUDPresentation hud(const char *label, Style style, bool waveform, bool cloud, std::optional<int> dismiss)
{
    return { true, QString::fromUtf8(label), style, waveform, cloud, dismiss };
}

INSTANTIATE_TEST_SUITE_P(
    States, HUDPresentationTest,
    testing::Values(HUDCase { "Idle", DictationState::idle(), false, HUDPresentation {} },
                    HUDCase { "IdleWhilePolishingStaysHidden", DictationState::idle(), true, HUDPresentation {} },
                    HUDCase { "Recording", DictationState::recording(), false,
                              hud("Listening", Style::recording, true, false, std::nullopt) },
                    HUDCase { "RecordingIgnoresPolish", DictationState::recording(), true,
                              hud("Listening", Style::recording, true, false, std::nullopt) },
                    HUDCase { "Transcribing", DictationState::transcribing(), false,
                              hud("Transcribing…", Style::working, false, false, std::nullopt) },
                    HUDCase { "Polishing", DictationState::transcribing(), true,
                              hud("Polishing…", Style::working, false, true, std::nullopt) },
                    HUDCase { "ListeningContinuously", DictationState::listening(false), false,
                              hud("Listening (tap to stop)", Style::recording, true, false, std::nullopt) },
                    HUDCase { "ListeningAndTranscribing", DictationState::listening(true), true,
                              hud("Listening — transcribing…", Style::working, true, false, std::nullopt) },
                    HUDCase { "UserCancelled", DictationState::cancelled(Reason::userCancelled), false,
                              hud("Cancelled", Style::working, false, false, 2) },
                    HUDCase { "TooShort", DictationState::cancelled(Reason::tooShort), false,
                              hud("Too short — hold to dictate", Style::error, false, false, 2) },
                    HUDCase { "NoSpeech", DictationState::cancelled(Reason::noSpeech), false,
                              hud("No speech detected", Style::error, false, false, 2) },
                    HUDCase { "DeviceChanged", DictationState::cancelled(Reason::deviceChanged), false,
                              hud("Microphone changed", Style::error, false, false, 2) },
                    HUDCase { "SystemSleep", DictationState::cancelled(Reason::systemSleep), false,
                              hud("Interrupted by sleep", Style::error, false, false, 2) },
                    HUDCase { "MeetingInProgress", DictationState::cancelled(Reason::meetingInProgress), false,
                              hud("Recording a meeting", Style::error, false, false, 2) },
                    HUDCase { "Failed", DictationState::failed(QStringLiteral("Model failed to load")), false,
                              hud("Model failed to load", Style::error, false, false, 4) }),
    [](const auto &info) { return std::string(info.param.name); });

struct MenuCase
{
    const char *name;
    DictationState state;
    bool isEnabled;
    const char *symbol;
    const char *tooltip;
};

void PrintTo(const MenuCase &row, std::ostream *out)
{
    *out << row.name;
}

class MenuBarPresentationTest : public testing::TestWithParam<MenuCase>
{
};

TEST_P(MenuBarPresentationTest, FirstMatchingRuleWins)
{
    const MenuCase &row = GetParam();
    const MenuBarPresentation actual = MenuBarPresentation::make(row.state, row.isEnabled);
    EXPECT_EQ(actual.symbolName, QString::fromUtf8(row.symbol));
    EXPECT_EQ(actual.tooltip, QString::fromUtf8(row.tooltip));
}

INSTANTIATE_TEST_SUITE_P(
    States, MenuBarPresentationTest,
    testing::Values(
        MenuCase { "FailedEvenWhenDisabled", DictationState::failed(QStringLiteral("Hotkey already in use")), false,
                   "exclamationmark.triangle", "Parlowind — Hotkey already in use" },
        MenuCase { "Failed", DictationState::failed(QStringLiteral("x")), true, "exclamationmark.triangle",
                   "Parlowind — x" },
        MenuCase { "DisabledWhileRecording", DictationState::recording(), false, "mic.slash", "Parlowind — disabled" },
        MenuCase { "DisabledIdle", DictationState::idle(), false, "mic.slash", "Parlowind — disabled" },
        MenuCase { "DisabledCancelled", DictationState::cancelled(Reason::noSpeech), false, "mic.slash",
                   "Parlowind — disabled" },
        MenuCase { "ListeningTranscribing", DictationState::listening(true), true, "mic.fill",
                   "Parlowind — listening, transcribing the last phrase" },
        MenuCase { "ListeningContinuously", DictationState::listening(false), true, "mic.fill",
                   "Parlowind — listening continuously (tap the key to stop)" },
        MenuCase { "Cancelled", DictationState::cancelled(Reason::userCancelled), true, "waveform.and.mic",
                   "Parlowind — Cancelled" },
        MenuCase { "TooShort", DictationState::cancelled(Reason::tooShort), true, "waveform.and.mic",
                   "Parlowind — Too short — hold to dictate" },
        MenuCase { "Recording", DictationState::recording(), true, "mic.fill", "Parlowind — listening" },
        MenuCase { "Transcribing", DictationState::transcribing(), true, "waveform", "Parlowind — transcribing" },
        MenuCase { "Idle", DictationState::idle(), true, "waveform.and.mic", "Parlowind — ready" }),
    [](const auto &info) { return std::string(info.param.name); });

struct PreparingCase
{
    const char *name;
    std::optional<double> fraction;
    const char *tooltip;
};

void PrintTo(const PreparingCase &row, std::ostream *out)
{
    *out << row.name;
}

class PreparingPresentationTest : public testing::TestWithParam<PreparingCase>
{
};

TEST_P(PreparingPresentationTest, RoundedPercent)
{
    const PreparingCase &row = GetParam();
    const MenuBarPresentation actual = MenuBarPresentation::preparing(row.fraction);
    EXPECT_EQ(actual.symbolName, QStringLiteral("arrow.down.circle"));
    EXPECT_EQ(actual.tooltip, QString::fromUtf8(row.tooltip));
}

INSTANTIATE_TEST_SUITE_P(Fractions, PreparingPresentationTest,
                         testing::Values(PreparingCase { "NoFraction", std::nullopt, "Parlowind — getting ready" },
                                         PreparingCase { "Zero", 0.0, "Parlowind — getting ready (0%)" },
                                         PreparingCase { "RoundsToNearest", 0.456, "Parlowind — getting ready (46%)" },
                                         PreparingCase { "HalfRoundsUp", 0.125, "Parlowind — getting ready (13%)" },
                                         PreparingCase { "CappedAtOne", 1.7, "Parlowind — getting ready (100%)" },
                                         PreparingCase { "Negative", -0.2, "Parlowind — getting ready (0%)" },
                                         PreparingCase { "NotANumber", std::numeric_limits<double>::quiet_NaN(),
                                                         "Parlowind — getting ready (0%)" }),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace parlowind
