#include "OnboardingPresentation.h"

#include <algorithm>
#include <cmath>

namespace parlowind::OnboardingPresentation {

const QString setupFailureMessage = QStringLiteral(
    "The download didn’t finish. Check your connection and try again — it picks up where it left off.");

QString title(const OnboardingStep &step)
{
    switch (step.kind()) {
    case OnboardingStep::Kind::permissions:
        return QStringLiteral("Two permissions");
    case OnboardingStep::Kind::setup:
        return QStringLiteral("Setting up Parlowind");
    case OnboardingStep::Kind::howItWorks:
        return QStringLiteral("How to use it");
    case OnboardingStep::Kind::done:
        return QStringLiteral("You’re all set");
    }
    return {};
}

QString subtitle(const OnboardingStep &step)
{
    switch (step.kind()) {
    case OnboardingStep::Kind::permissions:
        return QStringLiteral("Parlowind needs your microphone to hear you, and Accessibility so it can type into "
                              "whichever app you are using. Nothing you say is uploaded.");
    case OnboardingStep::Kind::setup:
        return QStringLiteral("This only takes a moment, and only happens once.");
    case OnboardingStep::Kind::howItWorks:
        return QStringLiteral("Parlowind lives in the tray — there is no window to keep open.");
    case OnboardingStep::Kind::done:
        return QStringLiteral("You can change the key, and everything else, from the tray.");
    }
    return {};
}

QString primaryButtonTitle(const OnboardingStep &step)
{
    switch (step.kind()) {
    case OnboardingStep::Kind::permissions:
        return QStringLiteral("Continue");
    case OnboardingStep::Kind::setup:
        return step.fraction() < 1 ? QStringLiteral("Setting up…") : QStringLiteral("Continue");
    case OnboardingStep::Kind::howItWorks:
        return QStringLiteral("Got it");
    case OnboardingStep::Kind::done:
        return QStringLiteral("Start dictating");
    }
    return {};
}

bool canSubmit(const OnboardingStep &step)
{
    return !step.is(OnboardingStep::Kind::setup) || step.fraction() >= 1;
}

QString setupStatus(double fraction)
{
    if (fraction < 0.1)
        return QStringLiteral("Getting things ready…");
    if (fraction < 0.3)
        return QStringLiteral("Setting up speech recognition…");
    if (fraction < 0.55)
        return QStringLiteral("Teaching Parlowind to listen…");
    if (fraction < 0.8)
        return QStringLiteral("Not long now…");
    if (fraction < 1)
        return QStringLiteral("Finishing up…");
    return QStringLiteral("Ready");
}

QString percentLabel(double fraction)
{
    // NaN fails every comparison; treat it as no progress.
    const double clamped = fraction > 0 ? std::min(fraction, 1.0) : 0.0;
    return QString::number(static_cast<int>(std::floor(clamped * 100))) + QLatin1Char('%');
}

OnboardingStep stepAfterPermissions(const ModelSetupProgress::State &setup)
{
    switch (setup.kind()) {
    case ModelSetupProgress::State::Kind::finished:
        return OnboardingStep::setup(1);
    case ModelSetupProgress::State::Kind::failed:
        return OnboardingStep::setup(0);
    case ModelSetupProgress::State::Kind::running:
        return OnboardingStep::setup(setup.fraction());
    }
    return OnboardingStep::setup(0);
}

OnboardingStep stepAfterSetupChange(const OnboardingStep &step, const ModelSetupProgress::State &setup)
{
    if (!step.is(OnboardingStep::Kind::setup))
        return step;
    switch (setup.kind()) {
    case ModelSetupProgress::State::Kind::running:
        return OnboardingStep::setup(setup.fraction());
    case ModelSetupProgress::State::Kind::finished:
        return OnboardingStep::setup(1);
    case ModelSetupProgress::State::Kind::failed:
        return step;
    }
    return step;
}

} // namespace parlowind::OnboardingPresentation
