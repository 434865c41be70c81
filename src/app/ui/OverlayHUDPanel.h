#pragma once

#include "audio/WaveformSampler.h"
#include "audio/WaveformScale.h"
#include "presentation/HUDPresentation.h"
#include "settings/HUDPosition.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <optional>

namespace parlowind {

class LevelMeter;

// The floating status panel: a frameless tool window above every other
// window that never takes the keyboard focus from the application the user
// is dictating into, and lets clicks through. While a presentation asks for
// the waveform it drains the level meter 30 times a second into the bars.
class OverlayHUDPanel final : public QWidget
{
public:
    explicit OverlayHUDPanel(std::shared_ptr<LevelMeter> levelMeter, QWidget *parent = nullptr);
    ~OverlayHUDPanel() override;

    void update(const HUDPresentation &presentation, HUDPosition position);
    void hide();

    const HUDPresentation &presentation() const { return m_presentation; }
    bool isSampling() const { return m_sampleTimer.isActive(); }
    // Milliseconds until the panel hides itself, when it will.
    std::optional<int> pendingDismissal() const;
    std::vector<float> bars() const { return m_sampler.bars(); }
    double elapsedSeconds() const;
    // One display frame: drains the meter into the bars. The frame timer
    // calls it 30 times a second while the waveform shows.
    void sampleFrame();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void startSampling();
    void stopSampling();
    void render();
    void place(HUDPosition position);
    QSize fittingSize() const;

    std::shared_ptr<LevelMeter> m_levelMeter;
    WaveformSampler m_sampler;
    QTimer m_sampleTimer;
    QTimer m_spinnerTimer;
    QTimer m_dismissTimer;
    std::optional<QElapsedTimer> m_recordingStartedAt;
    float m_peakLevel = 0;
    WaveformScale m_scale;
    int m_spinnerPhase = 0;
    HUDPresentation m_presentation;
};

} // namespace parlowind
