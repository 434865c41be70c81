#include "CleanupTestSupport.h"

#include "cleanup/HallucinationGuard.h"
#include "cleanup/SelfCorrectionResolver.h"

#include <cmath>
#include <functional>
#include <limits>

using namespace parlowind;

namespace {

class SelfCorrectionResolverTest : public ::testing::TestWithParam<StageCase>
{
};

TEST_P(SelfCorrectionResolverTest, Resolves)
{
    EXPECT_EQ(SelfCorrectionResolver().apply(GetParam().input, contextFor(GetParam())), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SelfCorrectionResolverTest,
    ::testing::Values(
        StageCase { "CommaMarkerInMiddle", QStringLiteral("Let's meet Tuesday, no, I mean Wednesday"),
                    QStringLiteral("Wednesday") },
        StageCase { "EmDash", QStringLiteral("Send it to Anna \u2014 actually make that Ben"), QStringLiteral("Ben") },
        StageCase { "MarkerAtEndDropped", QStringLiteral("Buy milk, scratch that"), QStringLiteral("Buy milk") },
        StageCase { "MarkerAtEndWithMarksAndSpaces", QStringLiteral("Buy milk ;  scratch that. "),
                    QStringLiteral("Buy milk") },
        StageCase { "MarkerAtStart", QStringLiteral("Scratch that. Let's start again"),
                    QStringLiteral("Let's start again") },
        StageCase { "MarkerAlone", QStringLiteral("Scratch that."), QString() },
        StageCase { "NoPauseNoCorrection", QStringLiteral("I said no I mean it"),
                    QStringLiteral("I said no I mean it") },
        StageCase { "BareMarkerUnchanged", QStringLiteral("scratch that"), QStringLiteral("scratch that") },
        StageCase { "RepeatedMarkerKeepsLast", QStringLiteral("A, no I mean B, no I mean C"), QStringLiteral("C") },
        StageCase { "MeantToSay", QStringLiteral("Red, I meant to say blue"), QStringLiteral("blue") },
        StageCase { "CaseInsensitive", QStringLiteral("left; SCRATCH THAT right"), QStringLiteral("right") },
        StageCase { "WholeWordsOnly", QStringLiteral("Oh, scratch thatch roof"),
                    QStringLiteral("Oh, scratch thatch roof") },
        // Only the rightmost qualifying occurrence is taken, then the text is
        // searched again.
        StageCase { "UnqualifiedLaterMatchSkipped", QStringLiteral("one, scratch that two scratch that three"),
                    QStringLiteral("two scratch that three") },
        StageCase { "MarkersInTurn", QStringLiteral("a, scratch that b. Actually make that c"), QStringLiteral("c") },
        StageCase { "NonAsciiText", QStringLiteral("Größe zehn, no, I mean elf Äpfel"), QStringLiteral("elf Äpfel") },
        StageCase { "AfterTextStartsWithMarksAndBreaks", QStringLiteral("x, scratch that ,\n\u2014 y"),
                    QStringLiteral("y") }),
    stageCaseName);

struct GuardCase
{
    const char *name;
    QString input;
    double seconds;
    QString expected;
};

void PrintTo(const GuardCase &row, std::ostream *os)
{
    *os << row.name;
}

class HallucinationGuardTest : public ::testing::TestWithParam<GuardCase>
{
};

TEST_P(HallucinationGuardTest, Filters)
{
    EXPECT_EQ(HallucinationGuard::filter(GetParam().input, GetParam().seconds), GetParam().expected);
}

const double nan = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Table, HallucinationGuardTest,
    ::testing::Values(
        GuardCase { "BlankAudioShort", QStringLiteral("  [BLANK_AUDIO]  "), 0.5, QString() },
        GuardCase { "BlankAudioLong", QStringLiteral("[BLANK_AUDIO]\n"), 60, QString() },
        GuardCase { "SilenceMarkers", QStringLiteral("(Silence)"), 10, QString() },
        GuardCase { "SpacedSilenceMarker", QStringLiteral("[ SILENCE ]"), 10, QString() },
        GuardCase { "PhantomAtLimit", QStringLiteral("Thanks for watching!"), 2.0, QString() },
        GuardCase { "PhantomKeptJustOver", QStringLiteral("Thanks for watching!"), 2.5,
                    QStringLiteral("Thanks for watching!") },
        GuardCase { "ThankYouShort", QStringLiteral("Thank you."), 1.5, QString() },
        GuardCase { "ThankYouLong", QStringLiteral("Thank you."), 3.0, QStringLiteral("Thank you.") },
        GuardCase { "YouShort", QStringLiteral(" you\n"), 1.0, QString() },
        GuardCase { "UnknownLengthCountsShort", QStringLiteral("Bye"), nan, QString() },
        GuardCase { "OnlyWholeTranscript", QStringLiteral("thank you for coming"), 1.0,
                    QStringLiteral("thank you for coming") },
        GuardCase { "YouKnowWhatKept", QStringLiteral("You know what"), 1.0, QStringLiteral("You know what") },
        GuardCase { "PunctuationVariantKept", QStringLiteral("Okay!"), 1.0, QStringLiteral("Okay!") },
        GuardCase { "TrimsKeptText", QStringLiteral("\t hello there \r\n"), 5, QStringLiteral("hello there") },
        GuardCase { "WhitespaceOnly", QStringLiteral(" \n\t"), 1.0, QString() }),
    [](const ::testing::TestParamInfo<GuardCase> &info) { return std::string(info.param.name); });

TEST(HallucinationGuard, ServesAsTheEnginesFilter)
{
    const std::function<QString(const QString &, double)> filter = HallucinationGuard::filter;
    EXPECT_EQ(filter(QStringLiteral("okay"), 1.0), QString());
    EXPECT_EQ(filter(QStringLiteral(" okay "), 4.0), QStringLiteral("okay"));
}

} // namespace
