#include "presentation/OnboardingPresentation.h"

#include <gtest/gtest.h>

#include <ostream>

#include <limits>

namespace parlowind {
namespace {

using namespace OnboardingPresentation;

struct StepCase
{
    const char *name;
    OnboardingStep step;
    const char *title;
    const char *button;
    bool canSubmit;
};

void PrintTo(const StepCase &row, std::ostream *out)
{
    *out << row.name;
}

class OnboardingStepTest : public testing::TestWithParam<StepCase>
{
};

TEST_P(OnboardingStepTest, TitleButtonAndSubmit)
{
    const StepCase &row = GetParam();
    EXPECT_EQ(title(row.step), QString::fromUtf8(row.title));
    EXPECT_EQ(primaryButtonTitle(row.step), QString::fromUtf8(row.button));
    EXPECT_EQ(canSubmit(row.step), row.canSubmit);
    EXPECT_FALSE(subtitle(row.step).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Steps, OnboardingStepTest,
    testing::Values(StepCase { "Permissions", OnboardingStep::permissions(), "Two permissions", "Continue", true },
                    StepCase { "SetupRunning", OnboardingStep::setup(0.99), "Setting up Parlowind", "Setting up…",
                               false },
                    StepCase { "SetupComplete", OnboardingStep::setup(1), "Setting up Parlowind", "Continue", true },
                    StepCase { "HowItWorks", OnboardingStep::howItWorks(), "How to use it", "Got it", true },
                    StepCase { "Done", OnboardingStep::done(), "You’re all set", "Start dictating", true }),
    [](const auto &info) { return std::string(info.param.name); });

struct FractionCase
{
    const char *name;
    double fraction;
    const char *percent;
    const char *status;
};

void PrintTo(const FractionCase &row, std::ostream *out)
{
    *out << row.name;
}

class OnboardingFractionTest : public testing::TestWithParam<FractionCase>
{
};

TEST_P(OnboardingFractionTest, PercentAndStatus)
{
    const FractionCase &row = GetParam();
    EXPECT_EQ(percentLabel(row.fraction), QString::fromUtf8(row.percent));
    EXPECT_EQ(setupStatus(row.fraction), QString::fromUtf8(row.status));
}

INSTANTIATE_TEST_SUITE_P(Fractions, OnboardingFractionTest,
                         testing::Values(FractionCase { "Negative", -0.3, "0%", "Getting things ready…" },
                                         FractionCase { "Zero", 0, "0%", "Getting things ready…" },
                                         FractionCase { "ExactlyTenth", 0.1, "10%", "Setting up speech recognition…" },
                                         FractionCase { "RoundsDown", 0.456, "45%", "Teaching Parlowind to listen…" },
                                         FractionCase { "NotLong", 0.55, "55%", "Not long now…" },
                                         FractionCase { "AlmostDone", 0.999, "99%", "Finishing up…" },
                                         FractionCase { "One", 1, "100%", "Ready" },
                                         FractionCase { "AboveOne", 1.7, "100%", "Ready" }),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(OnboardingPresentationTest, NotANumberIsNoProgress)
{
    EXPECT_EQ(percentLabel(std::numeric_limits<double>::quiet_NaN()), QStringLiteral("0%"));
}

TEST(OnboardingPresentationTest, PermissionsLeadToTheDownloadWhereItIs)
{
    EXPECT_EQ(stepAfterPermissions(ModelSetupProgress::State::finished()), OnboardingStep::setup(1));
    EXPECT_EQ(stepAfterPermissions(ModelSetupProgress::State::failed()), OnboardingStep::setup(0));
    EXPECT_EQ(stepAfterPermissions(ModelSetupProgress::State::running(0.4)), OnboardingStep::setup(0.4));
}

TEST(OnboardingPresentationTest, DownloadChangesMoveOnlyTheSetupStep)
{
    const auto running = ModelSetupProgress::State::running(0.6);
    EXPECT_EQ(stepAfterSetupChange(OnboardingStep::setup(0.2), running), OnboardingStep::setup(0.6));
    EXPECT_EQ(stepAfterSetupChange(OnboardingStep::setup(0.2), ModelSetupProgress::State::finished()),
              OnboardingStep::setup(1));
    // A failure keeps the last fraction on screen.
    EXPECT_EQ(stepAfterSetupChange(OnboardingStep::setup(0.2), ModelSetupProgress::State::failed()),
              OnboardingStep::setup(0.2));
    EXPECT_EQ(stepAfterSetupChange(OnboardingStep::permissions(), running), OnboardingStep::permissions());
    EXPECT_EQ(stepAfterSetupChange(OnboardingStep::howItWorks(), running), OnboardingStep::howItWorks());
}

TEST(ModelSetupProgressTest, EveryAssignmentReachesTheObserver)
{
    ModelSetupProgress progress(1000);
    std::vector<ModelSetupProgress::State> seen;
    progress.setOnChange([&](const auto &state) { seen.push_back(state); });
    EXPECT_EQ(progress.state(), ModelSetupProgress::State::running(0));
    progress.setState(ModelSetupProgress::State::running(0.5));
    progress.setState(ModelSetupProgress::State::running(0.5));
    progress.setState(ModelSetupProgress::State::finished());
    EXPECT_EQ(seen.size(), 3U);
    EXPECT_EQ(seen.back(), ModelSetupProgress::State::finished());
}

} // namespace
} // namespace parlowind
