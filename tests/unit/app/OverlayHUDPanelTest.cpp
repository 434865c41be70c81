#include "ui/OverlayHUDPanel.h"
#include "audio/LevelMeter.h"
#include "dictation/DictationState.h"

#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

#include <vector>

namespace parlowind {
namespace {

class OverlayHUDPanelTest : public testing::Test
{
protected:
    void show(const DictationState &state, bool polishing = false)
    {
        panel.update(HUDPresentation::make(state, polishing), HUDPosition::bottomCenter);
    }

    void speak(float amplitude)
    {
        const std::vector<float> block(480, amplitude);
        meter->update(block);
    }

    std::shared_ptr<LevelMeter> meter = std::make_shared<LevelMeter>();
    OverlayHUDPanel panel { meter };
};

TEST_F(OverlayHUDPanelTest, NeverTakesTheFocus)
{
    EXPECT_TRUE(panel.windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_TRUE(panel.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(panel.windowFlags().testFlag(Qt::WindowTransparentForInput));
    EXPECT_TRUE(panel.testAttribute(Qt::WA_ShowWithoutActivating));
    show(DictationState::recording());
    EXPECT_FALSE(panel.isActiveWindow());
}

TEST_F(OverlayHUDPanelTest, RecordingSamplesTheMeterIntoTheBars)
{
    show(DictationState::recording());
    EXPECT_TRUE(panel.isVisible());
    EXPECT_TRUE(panel.isSampling());
    speak(0.3f);
    panel.sampleFrame();
    EXPECT_GT(panel.bars().back(), 0.0f);
    // The meter was drained: a silent frame draws a silent bar.
    panel.sampleFrame();
    EXPECT_EQ(panel.bars().back(), 0.0f);
}

TEST_F(OverlayHUDPanelTest, ContinuousListeningKeepsOneWaveformRun)
{
    show(DictationState::listening(false));
    speak(0.3f);
    panel.sampleFrame();
    const std::vector<float> before = panel.bars();
    show(DictationState::listening(true));
    EXPECT_EQ(panel.bars(), before);
    EXPECT_TRUE(panel.isSampling());

    show(DictationState::transcribing());
    EXPECT_FALSE(panel.isSampling());
    EXPECT_EQ(panel.elapsedSeconds(), 0.0);
    show(DictationState::recording());
    for (float bar : panel.bars())
        EXPECT_EQ(bar, 0.0f);
}

TEST_F(OverlayHUDPanelTest, CancelDismissesAfterTwoSecondsUnlessAnotherStateArrives)
{
    show(DictationState::cancelled(DictationCancelReason::tooShort));
    EXPECT_EQ(panel.pendingDismissal(), 2000);
    show(DictationState::recording());
    EXPECT_EQ(panel.pendingDismissal(), std::nullopt);
    EXPECT_TRUE(panel.isVisible());
    show(DictationState::failed(QStringLiteral("Model failed to load")));
    EXPECT_EQ(panel.pendingDismissal(), 4000);
}

TEST_F(OverlayHUDPanelTest, IdleHidesAndALongMessageWidensThePanel)
{
    show(DictationState::failed(QStringLiteral("x")));
    const int narrow = panel.width();
    show(DictationState::failed(QStringLiteral("A much longer failure message that needs room on the screen")));
    EXPECT_GT(panel.width(), narrow);
    show(DictationState::idle());
    EXPECT_FALSE(panel.isVisible());
    EXPECT_EQ(panel.pendingDismissal(), std::nullopt);
}

TEST_F(OverlayHUDPanelTest, SitsAboveTheBottomOfTheScreen)
{
    show(DictationState::recording());
    QScreen *screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    const QRect available = screen->availableGeometry();
    EXPECT_EQ(panel.geometry().bottom() + 1, available.bottom() + 1 - 24);
    EXPECT_EQ(panel.geometry().center().x(), available.center().x());
}

} // namespace
} // namespace parlowind
