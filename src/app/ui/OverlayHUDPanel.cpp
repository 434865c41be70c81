#include "OverlayHUDPanel.h"

#include "Icons.h"
#include "audio/LevelMeter.h"
#include "presentation/HUDLayout.h"
#include "support/Log.h"

#include <QCursor>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

#include <algorithm>

namespace parlowind {

namespace {
constexpr int panelHeight = 48;
constexpr int padding = 14;
constexpr int spacing = 10;
constexpr int waveformWidth = 90;
constexpr int waveformHeight = 20;
constexpr int glyphSide = 16;
constexpr int spinnerSide = 14;
const QColor accent(0x4c, 0x8d, 0xff);
const QColor errorRed(0xff, 0x5f, 0x57);
} // namespace

OverlayHUDPanel::OverlayHUDPanel(std::shared_ptr<LevelMeter> levelMeter, QWidget *parent)
    : QWidget(parent,
              Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus
                  | Qt::WindowTransparentForInput | Qt::NoDropShadowWindowHint)
    , m_levelMeter(std::move(levelMeter))
    , m_sampler(HUDLayout::barCount)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
    setWindowTitle(QStringLiteral("Parlowind HUD"));
    resize(240, panelHeight);

    m_sampleTimer.setTimerType(Qt::PreciseTimer);
    m_sampleTimer.setInterval(1000 / HUDLayout::framesPerSecond);
    connect(&m_sampleTimer, &QTimer::timeout, this, &OverlayHUDPanel::sampleFrame);
    m_spinnerTimer.setInterval(80);
    connect(&m_spinnerTimer, &QTimer::timeout, this, [this] {
        m_spinnerPhase = (m_spinnerPhase + 1) % 12;
        QWidget::update();
    });
    m_dismissTimer.setSingleShot(true);
    connect(&m_dismissTimer, &QTimer::timeout, this, &OverlayHUDPanel::hide);
}

OverlayHUDPanel::~OverlayHUDPanel() = default;

void OverlayHUDPanel::update(const HUDPresentation &presentation, HUDPosition position)
{
    m_presentation = presentation;
    m_dismissTimer.stop();
    if (!presentation.isVisible) {
        hide();
        return;
    }
    if (presentation.showsWaveform) {
        if (!m_recordingStartedAt) {
            m_recordingStartedAt.emplace();
            m_recordingStartedAt->start();
            m_sampler.reset();
            startSampling();
        }
    } else {
        stopSampling();
        m_recordingStartedAt.reset();
    }
    if (presentation.style == HUDPresentation::Style::working && !presentation.showsWaveform)
        m_spinnerTimer.start();
    else
        m_spinnerTimer.stop();

    setToolTip(presentation.showsCloudGlyph ? QStringLiteral("Text is being sent off this machine") : QString());
    render();
    place(position);
    show();
    raise();

    if (presentation.autoDismissAfter)
        m_dismissTimer.start(*presentation.autoDismissAfter * 1000);
}

void OverlayHUDPanel::hide()
{
    stopSampling();
    m_spinnerTimer.stop();
    m_recordingStartedAt.reset();
    m_dismissTimer.stop();
    QWidget::hide();
}

std::optional<int> OverlayHUDPanel::pendingDismissal() const
{
    if (!m_dismissTimer.isActive())
        return std::nullopt;
    return m_dismissTimer.interval();
}

double OverlayHUDPanel::elapsedSeconds() const
{
    return m_recordingStartedAt ? m_recordingStartedAt->elapsed() / 1000.0 : 0.0;
}

void OverlayHUDPanel::startSampling()
{
    m_sampleTimer.stop();
    m_peakLevel = 0;
    m_scale.reset();
    m_sampleTimer.start();
}

void OverlayHUDPanel::stopSampling()
{
    if (!m_sampleTimer.isActive())
        return;
    log(QStringLiteral("Parlowind: waveform peak RMS this session = %1, meter ceiling ended at %2 dBFS")
            .arg(double(m_peakLevel))
            .arg(double(m_scale.ceiling())));
    m_sampleTimer.stop();
}

void OverlayHUDPanel::sampleFrame()
{
    const float peak = m_levelMeter ? m_levelMeter->takePeak() : 0.0f;
    m_peakLevel = std::max(m_peakLevel, peak);
    m_sampler.append(m_scale.normalized(peak));
    render();
}

void OverlayHUDPanel::render()
{
    const QSize size = fittingSize();
    if (size != this->size()) {
        // Keep the panel's centre where it was so a growing label does not jump.
        const QPoint centre = geometry().center();
        resize(size);
        if (isVisible())
            move(centre.x() - size.width() / 2, y());
    }
    QWidget::update();
}

QSize OverlayHUDPanel::fittingSize() const
{
    int width = 2 * padding;
    if (m_presentation.showsWaveform) {
        QFont font = this->font();
        font.setPointSizeF(font.pointSizeF() * 0.85);
        width += waveformWidth + spacing + QFontMetrics(font).horizontalAdvance(QStringLiteral("00:00"));
    } else {
        if (m_presentation.style == HUDPresentation::Style::working)
            width += spinnerSide + spacing;
        width += QFontMetrics(font()).horizontalAdvance(m_presentation.label);
    }
    if (m_presentation.showsCloudGlyph)
        width += spacing + glyphSide;
    return { std::max(width, 120), panelHeight };
}

void OverlayHUDPanel::place(HUDPosition position)
{
    QScreen *screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    move(HUDLayout::topLeft(screen->availableGeometry(), size(), position));
}

void OverlayHUDPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath capsule;
    capsule.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), height() / 2.0, height() / 2.0);
    painter.fillPath(capsule, QColor(28, 30, 34, 230));
    painter.setPen(QColor(255, 255, 255, 40));
    painter.drawPath(capsule);

    const QColor primary(240, 242, 245);
    const QColor secondary(170, 176, 184);
    int x = padding;
    const int midY = height() / 2;

    if (m_presentation.showsWaveform) {
        const std::vector<float> bars = m_sampler.bars();
        const int n = std::max<int>(int(bars.size()), 1);
        const double barWidth = std::max(double(waveformWidth) / n - 2.0, 1.0);
        double bx = x;
        painter.setPen(Qt::NoPen);
        painter.setBrush(accent);
        for (float level : bars) {
            const double h = std::max(waveformHeight * double(std::clamp(level, 0.0f, 1.0f)), 2.0);
            painter.drawRoundedRect(QRectF(bx, midY - h / 2, barWidth, h), 1, 1);
            bx += barWidth + 2;
        }
        x += waveformWidth + spacing;
        QFont font = this->font();
        font.setPointSizeF(font.pointSizeF() * 0.85);
        font.setStyleHint(QFont::Monospace);
        font.setFamily(QStringLiteral("monospace"));
        painter.setFont(font);
        painter.setPen(secondary);
        painter.drawText(QRect(x, 0, width() - x - padding, height()), Qt::AlignVCenter | Qt::AlignLeft,
                         HUDLayout::elapsedText(elapsedSeconds()));
    } else {
        if (m_presentation.style == HUDPresentation::Style::working) {
            const QRectF arc(x, midY - spinnerSide / 2.0, spinnerSide, spinnerSide);
            painter.setPen(QPen(secondary, 2, Qt::SolidLine, Qt::RoundCap));
            painter.drawArc(arc, -m_spinnerPhase * 30 * 16, 270 * 16);
            x += spinnerSide + spacing;
        }
        painter.setFont(font());
        painter.setPen(m_presentation.style == HUDPresentation::Style::error ? errorRed : primary);
        const int textRight
            = m_presentation.showsCloudGlyph ? width() - padding - glyphSide - spacing : width() - padding;
        painter.drawText(QRect(x, 0, textRight - x, height()), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
                         m_presentation.label);
    }
    if (m_presentation.showsCloudGlyph) {
        const QIcon cloud = Icons::symbol(QStringLiteral("cloud"), secondary);
        cloud.paint(&painter, QRect(width() - padding - glyphSide, midY - glyphSide / 2, glyphSide, glyphSide));
    }
}

} // namespace parlowind
