#include "OnboardingWindow.h"

#include "Icons.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPalette>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace parlowind {

namespace {

QLabel *captionLabel(const QString &text)
{
    auto *label = new QLabel(text);
    label->setWordWrap(true);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * 0.9);
    label->setFont(font);
    label->setEnabled(false);
    return label;
}

QWidget *row(const QIcon &icon, const QString &title, const QString &detail)
{
    auto *widget = new QWidget;
    auto *layout = new QHBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *glyph = new QLabel;
    glyph->setPixmap(icon.pixmap(22, 22));
    glyph->setFixedWidth(26);
    layout->addWidget(glyph, 0, Qt::AlignTop);
    auto *texts = new QVBoxLayout;
    auto *heading = new QLabel(title);
    heading->setObjectName(title);
    texts->addWidget(heading);
    if (!detail.isEmpty())
        texts->addWidget(captionLabel(detail));
    layout->addLayout(texts, 1);
    return widget;
}

} // namespace

OnboardingWindow::OnboardingWindow(ModelSetupProgress &setup, Checks checks, std::function<void()> onRetrySetup,
                                   std::function<QString()> hotkeyDisplay, QObject *parent)
    : QObject(parent)
    , m_setup(setup)
    , m_checks(std::move(checks))
    , m_onRetrySetup(std::move(onRetrySetup))
    , m_hotkeyDisplay(std::move(hotkeyDisplay))
{
    m_permissionPoll.setInterval(400);
    connect(&m_permissionPoll, &QTimer::timeout, this, &OnboardingWindow::pollPermissions);
    m_setupAdvance.setSingleShot(true);
    m_setupAdvance.setInterval(900);
    connect(&m_setupAdvance, &QTimer::timeout, this, [this] {
        if (m_step.is(OnboardingStep::Kind::setup))
            setStep(OnboardingStep::howItWorks());
    });
}

OnboardingWindow::~OnboardingWindow()
{
    m_setup.setOnChange({});
    delete m_window;
}

void OnboardingWindow::show()
{
    if (!m_window) {
        m_window = new QWidget(nullptr, Qt::Window);
        m_window->setWindowTitle(QStringLiteral("Welcome to Parlowind"));
        m_window->setWindowIcon(Icons::application());
        m_window->resize(460, 420);
        new QVBoxLayout(m_window);
    }
    m_setupState = m_setup.state();
    m_setup.setOnChange([this](const ModelSetupProgress::State &state) { apply(state); });
    m_isRequestingPermissions = false;
    setStep(OnboardingStep::permissions());
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void OnboardingWindow::close()
{
    m_permissionPoll.stop();
    m_setupAdvance.stop();
    if (m_window)
        m_window->close();
}

void OnboardingWindow::submit()
{
    if (!OnboardingPresentation::canSubmit(m_step))
        return;
    switch (m_step.kind()) {
    case OnboardingStep::Kind::permissions:
        m_isRequestingPermissions = true;
        if (m_checks.requestPermissions)
            m_checks.requestPermissions();
        pollPermissions();
        if (m_step.is(OnboardingStep::Kind::permissions))
            rebuild();
        break;
    case OnboardingStep::Kind::setup:
        setStep(OnboardingStep::howItWorks());
        break;
    case OnboardingStep::Kind::howItWorks:
        setStep(OnboardingStep::done());
        break;
    case OnboardingStep::Kind::done:
        close();
        break;
    }
}

void OnboardingWindow::setStep(const OnboardingStep &step)
{
    m_step = step;
    if (step.is(OnboardingStep::Kind::permissions)) {
        if (!m_permissionPoll.isActive())
            m_permissionPoll.start();
    } else {
        m_permissionPoll.stop();
    }
    if (step.is(OnboardingStep::Kind::setup) && step.fraction() >= 1) {
        if (!m_setupAdvance.isActive())
            m_setupAdvance.start();
    } else {
        m_setupAdvance.stop();
    }
    rebuild();
}

void OnboardingWindow::apply(const ModelSetupProgress::State &state)
{
    m_setupState = state;
    const OnboardingStep next = OnboardingPresentation::stepAfterSetupChange(m_step, state);
    if (next != m_step || m_step.is(OnboardingStep::Kind::setup))
        setStep(next);
}

void OnboardingWindow::pollPermissions()
{
    const bool mic = m_checks.microphoneAuthorised && m_checks.microphoneAuthorised();
    const bool ax = m_checks.accessibilityWorks && m_checks.accessibilityWorks();
    const bool changed = mic != m_micGranted || ax != m_axGranted;
    m_micGranted = mic;
    m_axGranted = ax;
    if (mic && ax && m_step.is(OnboardingStep::Kind::permissions))
        advancePastPermissions();
    else if (changed && m_step.is(OnboardingStep::Kind::permissions))
        rebuild();
}

void OnboardingWindow::advancePastPermissions()
{
    m_isRequestingPermissions = false;
    setStep(OnboardingPresentation::stepAfterPermissions(m_setup.state()));
}

void OnboardingWindow::rebuild()
{
    if (!m_window)
        return;
    if (m_content) {
        m_content->hide();
        m_content->deleteLater();
    }
    m_content = new QWidget(m_window);
    auto *column = new QVBoxLayout(m_content);
    column->setSpacing(14);

    auto *title = new QLabel(OnboardingPresentation::title(m_step));
    title->setObjectName(QStringLiteral("title"));
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    titleFont.setWeight(QFont::DemiBold);
    title->setFont(titleFont);
    column->addWidget(title);
    auto *subtitle = new QLabel(OnboardingPresentation::subtitle(m_step));
    subtitle->setWordWrap(true);
    subtitle->setEnabled(false);
    column->addWidget(subtitle);

    switch (m_step.kind()) {
    case OnboardingStep::Kind::permissions:
        column->addWidget(permissionsSection());
        break;
    case OnboardingStep::Kind::setup:
        column->addWidget(setupSection());
        break;
    case OnboardingStep::Kind::howItWorks:
        column->addWidget(howItWorksSection());
        break;
    case OnboardingStep::Kind::done:
        column->addWidget(readySection());
        break;
    }
    column->addStretch();

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    auto *primary = new QPushButton(OnboardingPresentation::primaryButtonTitle(m_step));
    primary->setObjectName(QStringLiteral("primary"));
    primary->setDefault(true);
    primary->setEnabled(OnboardingPresentation::canSubmit(m_step));
    connect(primary, &QPushButton::clicked, this, &OnboardingWindow::submit);
    buttons->addWidget(primary);
    column->addLayout(buttons);

    m_window->layout()->addWidget(m_content);
    m_content->show();
}

QWidget *OnboardingWindow::permissionsSection()
{
    const QColor secondary = QApplication::palette().color(QPalette::PlaceholderText);
    const QIcon granted = Icons::symbol(QStringLiteral("checkmark.circle.fill"), secondary);
    auto *section = new QWidget;
    auto *layout = new QVBoxLayout(section);
    layout->addWidget(row(m_micGranted ? granted : Icons::symbol(QStringLiteral("mic.fill"), secondary),
                          QStringLiteral("Microphone"), QStringLiteral("To hear you while you hold the key.")));
    layout->addWidget(row(m_axGranted ? granted : Icons::symbol(QStringLiteral("waveform"), secondary),
                          QStringLiteral("Accessibility"),
                          QStringLiteral("To type the text into the app you are using.")));
    if (m_isRequestingPermissions && !(m_micGranted && m_axGranted))
        layout->addWidget(captionLabel(
            QStringLiteral("Waiting for permission… you may need to follow the steps in the Parlowind Setup window.")));
    return section;
}

QWidget *OnboardingWindow::setupSection()
{
    auto *section = new QWidget;
    auto *layout = new QVBoxLayout(section);
    if (m_setupState.is(ModelSetupProgress::State::Kind::failed)) {
        auto *message = new QLabel(OnboardingPresentation::setupFailureMessage);
        message->setObjectName(QStringLiteral("failure"));
        message->setWordWrap(true);
        message->setStyleSheet(QStringLiteral("color: #d0312d;"));
        layout->addWidget(message);
        auto *retry = new QPushButton(QStringLiteral("Try again"));
        connect(retry, &QPushButton::clicked, this, [this] {
            if (m_onRetrySetup)
                m_onRetrySetup();
        });
        layout->addWidget(retry, 0, Qt::AlignLeft);
        return section;
    }
    const double fraction = m_step.fraction();
    auto *progressRow = new QHBoxLayout;
    auto *bar = new QProgressBar;
    bar->setRange(0, 1000);
    bar->setValue(int(std::clamp(fraction, 0.0, 1.0) * 1000));
    bar->setTextVisible(false);
    progressRow->addWidget(bar, 1);
    auto *percent = new QLabel(OnboardingPresentation::percentLabel(fraction));
    percent->setObjectName(QStringLiteral("percent"));
    progressRow->addWidget(percent);
    layout->addLayout(progressRow);
    layout->addWidget(captionLabel(OnboardingPresentation::setupStatus(fraction)));
    return section;
}

QWidget *OnboardingWindow::howItWorksSection()
{
    const QString hotkey = m_hotkeyDisplay ? m_hotkeyDisplay() : QString();
    const QColor secondary = QApplication::palette().color(QPalette::PlaceholderText);
    auto *section = new QWidget;
    auto *layout = new QVBoxLayout(section);
    layout->addWidget(row(Icons::symbol(QStringLiteral("mic.fill"), secondary), QStringLiteral("Hold to dictate"),
                          QStringLiteral("Hold ") + hotkey
                              + QStringLiteral(", speak, let go. The text appears where your cursor is.")));
    layout->addWidget(
        row(Icons::symbol(QStringLiteral("waveform"), secondary), QStringLiteral("Double-tap to keep listening"),
            QStringLiteral("Tap ") + hotkey + QStringLiteral(" twice and it keeps going — text appears as you speak. ")
                + QStringLiteral("Tap once more to stop.")));
    auto *menuHeading = new QLabel(QStringLiteral("Click the tray icon for everything else"));
    layout->addWidget(menuHeading);
    layout->addWidget(captionLabel(QStringLiteral("Settings…, History, Quit")));
    return section;
}

QWidget *OnboardingWindow::readySection()
{
    const QString hotkey = m_hotkeyDisplay ? m_hotkeyDisplay() : QString();
    auto *section = new QWidget;
    auto *layout = new QVBoxLayout(section);
    auto *mark = new QLabel;
    mark->setPixmap(Icons::symbol(QStringLiteral("checkmark.circle.fill"), Qt::white).pixmap(34, 34));
    layout->addWidget(mark, 0, Qt::AlignHCenter);
    auto *hold = new QLabel(QStringLiteral("Hold ") + hotkey + QStringLiteral(" anywhere to dictate."));
    QFont font = hold->font();
    font.setWeight(QFont::DemiBold);
    hold->setFont(font);
    layout->addWidget(hold, 0, Qt::AlignHCenter);
    layout->addWidget(captionLabel(QStringLiteral("Double-tap it to keep listening.")), 0, Qt::AlignHCenter);
    return section;
}

} // namespace parlowind
