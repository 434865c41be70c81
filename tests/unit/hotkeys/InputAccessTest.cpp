#include "hotkeys/InputAccess.h"

#include <gtest/gtest.h>

namespace parlowind {
namespace {

using K = InputAccessProblem::Kind;

struct AccessCase
{
    const char *name;
    InputAccessFacts facts;
    std::vector<K> kinds;
    bool needsNewLogin;
    const char *fixContains;
};

class InputAccessTest : public ::testing::TestWithParam<AccessCase>
{
};

TEST_P(InputAccessTest, NamesEachProblemWithItsFix)
{
    const auto found = InputAccess::problems(GetParam().facts);
    std::vector<K> kinds;
    for (const auto &problem : found) {
        kinds.push_back(problem.kind);
        EXPECT_EQ(problem.needsNewLogin, GetParam().needsNewLogin) << problem.description.toStdString();
        EXPECT_FALSE(problem.description.isEmpty());
    }
    EXPECT_EQ(kinds, GetParam().kinds);
    if (found.empty())
        EXPECT_EQ(InputAccess::permissionIssue(found), std::nullopt);
    else
        EXPECT_EQ(InputAccess::permissionIssue(found),
                  GetParam().needsNewLogin ? PermissionIssue::accessibilityStale
                                           : PermissionIssue::accessibilityMissing);
    if (!found.empty()) {
        EXPECT_TRUE(found.front().fix.contains(QString::fromUtf8(GetParam().fixContains)))
            << found.front().fix.toStdString();
    }
}

InputAccessFacts facts(bool x11, bool devices, bool readable, bool uinput, bool writable, bool listed, bool inSession)
{
    return { x11, devices, readable, uinput, writable, true, listed, inSession };
}

INSTANTIATE_TEST_SUITE_P(
    Sessions, InputAccessTest,
    ::testing::Values(
        AccessCase { "x11NeedsNothing", facts(true, false, false, false, false, false, false), {}, false, "" },
        AccessCase { "waylandWithGroup", facts(false, true, true, true, true, true, true), {}, false, "" },
        AccessCase { "waylandNotInGroup",
                     facts(false, true, false, true, false, false, false),
                     { K::keyWatchUnavailable, K::syntheticKeysUnavailable },
                     false,
                     "sudo usermod -aG input $USER" },
        AccessCase { "addedButNotLoggedInAgain",
                     facts(false, true, false, true, false, true, false),
                     { K::keyWatchUnavailable, K::syntheticKeysUnavailable },
                     true,
                     "Log out and back in" },
        AccessCase { "readableButUinputLocked",
                     facts(false, true, true, true, false, true, true),
                     { K::syntheticKeysUnavailable },
                     false,
                     "60-parlowind-uinput.rules" },
        AccessCase { "noUinputModule",
                     facts(false, true, true, false, false, true, true),
                     { K::syntheticKeysUnavailable },
                     false,
                     "modprobe uinput" },
        AccessCase { "noDevicesAtAll",
                     facts(false, false, false, false, false, true, true),
                     { K::keyWatchUnavailable, K::syntheticKeysUnavailable },
                     false,
                     "parlowind ptt" }),
    [](const auto &info) { return std::string(info.param.name); });

// A stale grant only counts as stale when nothing else is missing too: a
// new login would not fix the rest.
TEST(InputAccessIssueTest, MixedProblemsAreMissingNotStale)
{
    std::vector<InputAccessProblem> problems = {
        { InputAccessProblem::Kind::keyWatchUnavailable, true, QStringLiteral("a"), QStringLiteral("b") },
        { InputAccessProblem::Kind::syntheticKeysUnavailable, false, QStringLiteral("c"), QStringLiteral("d") },
    };
    EXPECT_EQ(InputAccess::permissionIssue(problems), PermissionIssue::accessibilityMissing);
    problems.pop_back();
    EXPECT_EQ(InputAccess::permissionIssue(problems), PermissionIssue::accessibilityStale);
}

} // namespace
} // namespace parlowind
