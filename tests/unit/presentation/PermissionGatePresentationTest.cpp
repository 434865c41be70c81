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

TEST(PermissionGatePresentationTest, NoTextNamesAnotherSystem)
{
    for (auto issue : { PermissionIssue::microphoneDenied, PermissionIssue::accessibilityMissing,
                        PermissionIssue::accessibilityStale }) {
        const auto p = PermissionGatePresentation::make(issue);
        const QString all = p.title + p.body + p.steps.join(u' ') + p.primaryButton + p.settingsURL;
        for (const char *word : { "Mac", "macOS", "System Settings", "Privacy & Security", "x-apple" })
            EXPECT_FALSE(all.contains(QString::fromLatin1(word))) << nameOf(issue).toStdString() << ": " << word;
        EXPECT_FALSE(p.title.isEmpty());
        EXPECT_FALSE(p.steps.isEmpty());
    }
}

} // namespace
} // namespace parlowind
