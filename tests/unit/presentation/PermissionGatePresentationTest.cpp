#include "presentation/PermissionGatePresentation.h"

#include <gtest/gtest.h>

namespace parlowind {
namespace {

TEST(PermissionGatePresentationTest, EachIssueHasItsTitleAndSteps)
{
    const auto mic = PermissionGatePresentation::make(PermissionIssue::microphoneDenied);
    EXPECT_EQ(mic.title, QStringLiteral("Parlowind needs your microphone"));
    EXPECT_TRUE(mic.body.endsWith(QStringLiteral("audio never leaves this computer.")));
    EXPECT_TRUE(mic.needsManualToggle);

    const auto missing = PermissionGatePresentation::make(PermissionIssue::accessibilityMissing);
    EXPECT_EQ(missing.title, QStringLiteral("Parlowind needs Accessibility access"));
    EXPECT_EQ(missing.command, QStringLiteral("sudo usermod -aG input $USER"));
    EXPECT_EQ(missing.primaryButton, QStringLiteral("Copy Command"));
    EXPECT_FALSE(missing.needsManualToggle);
    EXPECT_EQ(missing.steps.size(), 2);

    const auto stale = PermissionGatePresentation::make(PermissionIssue::accessibilityStale);
    EXPECT_TRUE(stale.needsManualToggle);
    EXPECT_TRUE(stale.steps.join(u' ').contains(QStringLiteral("Log out and back in")));
    EXPECT_TRUE(stale.command.isEmpty());
}

// Every window offers something to do: a command to copy, or the steps.
TEST(PermissionGatePresentationTest, EveryIssueHasAnActionableStep)
{
    for (auto issue : { PermissionIssue::microphoneDenied, PermissionIssue::accessibilityMissing,
                        PermissionIssue::accessibilityStale }) {
        const auto p = PermissionGatePresentation::make(issue);
        EXPECT_FALSE(p.title.isEmpty()) << nameOf(issue).toStdString();
        EXPECT_FALSE(p.body.isEmpty()) << nameOf(issue).toStdString();
        EXPECT_FALSE(p.primaryButton.isEmpty()) << nameOf(issue).toStdString();
        EXPECT_FALSE(p.steps.isEmpty()) << nameOf(issue).toStdString();
        if (!p.command.isEmpty()) {
            EXPECT_TRUE(p.steps.join(u' ').contains(p.command)) << "the steps show the command the button copies";
        }
    }
}

} // namespace
} // namespace parlowind
