#pragma once

#include "presentation/ModelSetupProgress.h"
#include "presentation/OnboardingPresentation.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;
class QVBoxLayout;

namespace parlowind {

// The first-run guide: the two permissions, the model download, the two
// gestures, done. The permission checks are given by the shell so that the
// guide asks the same questions as the start-up gates.
class OnboardingWindow final : public QObject
{
public:
    struct Checks
    {
        std::function<bool()> microphoneAuthorised;
        std::function<bool()> accessibilityWorks;
        // Asks for what is missing (or shows how to get it).
        std::function<void()> requestPermissions;
    };

    OnboardingWindow(ModelSetupProgress &setup, Checks checks, std::function<void()> onRetrySetup,
                     std::function<QString()> hotkeyDisplay, QObject *parent = nullptr);
    ~OnboardingWindow() override;

    void show();
    void close();

    QWidget *window() const { return m_window; }
    const OnboardingStep &step() const { return m_step; }
    // The primary button's action.
    void submit();

private:
    void setStep(const OnboardingStep &step);
    void apply(const ModelSetupProgress::State &state);
    void pollPermissions();
    void advancePastPermissions();
    void rebuild();
    QWidget *permissionsSection();
    QWidget *setupSection();
    QWidget *howItWorksSection();
    QWidget *readySection();

    ModelSetupProgress &m_setup;
    Checks m_checks;
    std::function<void()> m_onRetrySetup;
    std::function<QString()> m_hotkeyDisplay;

    QPointer<QWidget> m_window;
    QPointer<QWidget> m_content;
    OnboardingStep m_step = OnboardingStep::permissions();
    ModelSetupProgress::State m_setupState = ModelSetupProgress::State::running(0);
    bool m_micGranted = false;
    bool m_axGranted = false;
    bool m_isRequestingPermissions = false;
    QTimer m_permissionPoll;
    QTimer m_setupAdvance;
};

} // namespace parlowind
