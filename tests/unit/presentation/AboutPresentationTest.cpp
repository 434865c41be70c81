#include "presentation/AboutPresentation.h"

#include <gtest/gtest.h>

#include <ostream>

namespace parlowind {
namespace {

AboutPresentation healthy()
{
    return AboutPresentation::make(QStringLiteral("0.1.14"), QStringLiteral("42"), QStringLiteral("Debian 12"),
                                   QStringLiteral("Large v3 Turbo"), true, true,
                                   QStringLiteral("/home/u/.local/state/Parlowind/parlowind.log"));
}

TEST(AboutPresentationTest, FactsInOrderWithTheirValues)
{
    const AboutPresentation about = healthy();
    EXPECT_EQ(about.version, QStringLiteral("0.1.14"));
    const QList<AboutPresentation::Fact> expected {
        { QStringLiteral("Version"), QStringLiteral("0.1.14 (42)"), false },
        { QStringLiteral("System"), QStringLiteral("Debian 12"), false },
        { QStringLiteral("Speech model"), QStringLiteral("Large v3 Turbo"), false },
        { QStringLiteral("Microphone"), QStringLiteral("allowed"), false },
        { QStringLiteral("Accessibility"), QStringLiteral("working"), false },
        { QStringLiteral("Log"), QStringLiteral("/home/u/.local/state/Parlowind/parlowind.log"), false },
    };
    EXPECT_EQ(about.facts, expected);
    EXPECT_FALSE(about.hasProblem());
}

struct ProblemCase
{
    const char *name;
    bool hasModel;
    bool microphone;
    bool accessibility;
    const char *label;
    const char *value;
};

void PrintTo(const ProblemCase &row, std::ostream *out)
{
    *out << row.name;
}

class AboutProblemTest : public testing::TestWithParam<ProblemCase>
{
};

TEST_P(AboutProblemTest, MissingPieceNeedsAttention)
{
    const ProblemCase &row = GetParam();
    const std::optional<QString> model = row.hasModel ? std::optional(QStringLiteral("Base")) : std::nullopt;
    const AboutPresentation about
        = AboutPresentation::make(QStringLiteral("1"), QStringLiteral("?"), QStringLiteral("x"), model, row.microphone,
                                  row.accessibility, QStringLiteral("/l"));
    EXPECT_TRUE(about.hasProblem());
    int flagged = 0;
    for (const auto &fact : about.facts) {
        if (fact.needsAttention) {
            ++flagged;
            EXPECT_EQ(fact.label, QString::fromUtf8(row.label));
            EXPECT_EQ(fact.value, QString::fromUtf8(row.value));
        }
    }
    EXPECT_EQ(flagged, 1);
}

INSTANTIATE_TEST_SUITE_P(Rows, AboutProblemTest,
                         testing::Values(ProblemCase { "NoModel", false, true, true, "Speech model", "not loaded" },
                                         ProblemCase { "NoMicrophone", true, false, true, "Microphone", "not allowed" },
                                         ProblemCase { "NoAccessibility", true, true, false, "Accessibility",
                                                       "not working" }),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(AboutPresentationTest, DiagnosticsHasAHeaderAndOneLinePerFact)
{
    const QString text = healthy().diagnostics();
    const QStringList lines = text.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 7);
    EXPECT_EQ(lines.first(), QStringLiteral("Parlowind diagnostics"));
    EXPECT_EQ(lines.at(1), QStringLiteral("Version: 0.1.14 (42)"));
    EXPECT_EQ(lines.last(), QStringLiteral("Log: /home/u/.local/state/Parlowind/parlowind.log"));
    EXPECT_FALSE(text.endsWith(QLatin1Char('\n')));
}

} // namespace
} // namespace parlowind
