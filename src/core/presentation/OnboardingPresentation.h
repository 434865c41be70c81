#pragma once

#include "ModelSetupProgress.h"

#include <QString>

namespace parlowind {

// The first-run guide's steps, in the order they are visited.
class OnboardingStep
{
public:
    enum class Kind { permissions, setup, howItWorks, done };

    static OnboardingStep permissions() { return OnboardingStep(Kind::permissions); }
    static OnboardingStep setup(double fraction) { return OnboardingStep(Kind::setup, fraction); }
    static OnboardingStep howItWorks() { return OnboardingStep(Kind::howItWorks); }
    static OnboardingStep done() { return OnboardingStep(Kind::done); }

    Kind kind() const { return m_kind; }
    bool is(Kind kind) const { return m_kind == kind; }
    // The download progress of the `setup` step.
    double fraction() const { return m_fraction; }

    bool operator==(const OnboardingStep &) const = default;

private:
    explicit OnboardingStep(Kind kind, double fraction = 0)
        : m_kind(kind)
        , m_fraction(fraction)
    { }

    Kind m_kind;
    double m_fraction;
};

// The texts of the onboarding guide, as pure functions of its step.
namespace OnboardingPresentation {

QString title(const OnboardingStep &step);
QString subtitle(const OnboardingStep &step);
QString primaryButtonTitle(const OnboardingStep &step);
bool canSubmit(const OnboardingStep &step);
QString setupStatus(double fraction);
// Clamped to 0…1 and rounded down: 0.456 gives "45%".
QString percentLabel(double fraction);

// Where the guide goes once both permissions are there, given the download.
OnboardingStep stepAfterPermissions(const ModelSetupProgress::State &setup);
// The step after a change of the download, or the same step when it is not
// showing the download (a failure leaves the fraction where it was).
OnboardingStep stepAfterSetupChange(const OnboardingStep &step, const ModelSetupProgress::State &setup);

extern const QString setupFailureMessage;

} // namespace OnboardingPresentation
} // namespace parlowind
