#include "CleanupTestSupport.h"

#include "cleanup/FillerRemover.h"
#include "cleanup/PunctuationFixer.h"
#include "cleanup/WhitespaceNormalizer.h"

using namespace parlowind;
using Level = FillerAggressiveness;

namespace {

class WhitespaceNormalizerTest : public ::testing::TestWithParam<StageCase>
{
};

TEST_P(WhitespaceNormalizerTest, Normalises)
{
    EXPECT_EQ(WhitespaceNormalizer().apply(GetParam().input, contextFor(GetParam())), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, WhitespaceNormalizerTest,
    ::testing::Values(StageCase { "MixedRuns", QStringLiteral("  a \n\t b  "), QStringLiteral("a b") },
                      StageCase { "OnlySpaces", QStringLiteral("   "), QString() },
                      StageCase { "Empty", QString(), QString() },
                      StageCase { "CarriageReturnLineFeed", QStringLiteral("one\r\ntwo"), QStringLiteral("one two") },
                      StageCase { "UnicodeSpaces", QStringLiteral("a\u00A0\u2003b\u2028c\u3000"),
                                  QStringLiteral("a b c") },
                      // Not whitespace: a zero-width space is a format character.
                      StageCase { "ZeroWidthSpaceKept", QStringLiteral("a\u200Bb"), QStringLiteral("a\u200Bb") },
                      StageCase { "CombiningMarksKept", QStringLiteral(" cafe\u0301  ole\u0301 "),
                                  QStringLiteral("cafe\u0301 ole\u0301") }),
    stageCaseName);

class FillerRemoverTest : public ::testing::TestWithParam<StageCase>
{
};

TEST_P(FillerRemoverTest, RemovesFillers)
{
    EXPECT_EQ(FillerRemover().apply(GetParam().input, contextFor(GetParam())), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FillerRemoverTest,
    ::testing::Values(
        // Off changes nothing at all, whitespace included.
        StageCase { "OffLeavesEverything", QStringLiteral("um  so\nyes"), QStringLiteral("um  so\nyes"), Level::off },
        StageCase { "ConservativeWords", QStringLiteral("so um I think uh yes"), QStringLiteral("so I think yes") },
        StageCase { "AllBasicWords", QStringLiteral("er erm uhm ok"), QStringLiteral("ok") },
        StageCase { "TrailingMarkSurvives", QStringLiteral("I think um."), QStringLiteral("I think .") },
        StageCase { "LeadingFillerKeepsComma", QStringLiteral("Um, I think"), QStringLiteral(", I think") },
        StageCase { "CaseAndEllipsis", QStringLiteral("UM, yes um... no"), QStringLiteral(", yes ... no") },
        StageCase { "LeadingMarksToo", QStringLiteral("well ,um yes"), QStringLiteral("well , yes") },
        StageCase { "NearMissesKept", QStringLiteral("umm uh-huh ums likes"), QStringLiteral("umm uh-huh ums likes") },
        StageCase { "InnerPunctuationNotStripped", QStringLiteral("u.m. um's"), QStringLiteral("u.m. um's") },
        StageCase { "ConservativeKeepsLike", QStringLiteral("it looks like a bug"),
                    QStringLiteral("it looks like a bug") },
        StageCase { "AggressiveDropsLike", QStringLiteral("it looks like a bug"), QStringLiteral("it looks a bug"),
                    Level::aggressive },
        StageCase { "PhraseWithCommaBeforeText", QStringLiteral("you know, it works"), QStringLiteral("it works"),
                    Level::aggressive },
        StageCase { "PhraseAtEndLeavesMark", QStringLiteral("it works, you know."), QStringLiteral("it works, ."),
                    Level::aggressive },
        StageCase { "PhraseCaseInsensitive", QStringLiteral("I MEAN it"), QStringLiteral("it"), Level::aggressive },
        StageCase { "PhraseOnlyAsWholeWords", QStringLiteral("you knowledge"), QStringLiteral("you knowledge"),
                    Level::aggressive },
        // A letter with a combining accent belongs to the word.
        StageCase { "PhraseNotBeforeCombiningMark", QStringLiteral("I mean\u0301 it"),
                    QStringLiteral("I mean\u0301 it"), Level::aggressive },
        StageCase { "NonAsciiNeighbours", QStringLiteral("çava um über"), QStringLiteral("çava über") },
        StageCase { "CollapsesSpacing", QStringLiteral(" a \n b "), QStringLiteral("a b") }),
    stageCaseName);

class PunctuationFixerTest : public ::testing::TestWithParam<StageCase>
{
};

TEST_P(PunctuationFixerTest, Repairs)
{
    EXPECT_EQ(PunctuationFixer().apply(GetParam().input, contextFor(GetParam())), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PunctuationFixerTest,
    ::testing::Values(
        StageCase { "SpacesCapitalsAndI", QStringLiteral("hello , world . this is i"),
                    QStringLiteral("Hello, world. This is I") },
        StageCase { "RemovedFillerMark", QStringLiteral("I think ."), QStringLiteral("I think.") },
        StageCase { "OnlyOneSpaceRemoved", QStringLiteral("a  ,b"), QStringLiteral("A ,b") },
        StageCase { "MarkAfterMark", QStringLiteral("it works, ."), QStringLiteral("It works,.") },
        StageCase { "DigitThenLetter", QStringLiteral("3 apples"), QStringLiteral("3 Apples") },
        StageCase { "DecimalPointIsNoSentenceEnd", QStringLiteral("pi is 3.14 roughly"),
                    QStringLiteral("Pi is 3.14 roughly") },
        StageCase { "Contraction", QStringLiteral("yes i'm sure"), QStringLiteral("Yes I'm sure") },
        StageCase { "Abbreviation", QStringLiteral("i.e. this"), QStringLiteral("I.e. This") },
        StageCase { "AccentedCapital", QStringLiteral("éclair"), QStringLiteral("Éclair") },
        StageCase { "DecomposedAccentStaysWhole", QStringLiteral("e\u0301clair"), QStringLiteral("E\u0301clair") },
        StageCase { "QuoteBeforeLetter", QStringLiteral("\"hi\" she said! (ok) yes? no"),
                    QStringLiteral("\"Hi\" she said! (Ok) yes? No") },
        StageCase { "CapitalsStayAndClearFlag", QStringLiteral("NASA works. iOS too"),
                    QStringLiteral("NASA works. IOS too") },
        StageCase { "NeverLowerCases", QStringLiteral("McDonald. mIXED"), QStringLiteral("McDonald. MIXED") },
        StageCase { "IInsideWordsKept", QStringLiteral("if it is i, hi"), QStringLiteral("If it is I, hi") },
        StageCase { "IAfterNonAsciiLetterKept", QStringLiteral("naïve Hawaiʻi"), QStringLiteral("Naïve Hawaiʻi") },
        StageCase { "IWithCombiningMarkKept", QStringLiteral("so i\u0301 ok"), QStringLiteral("So i\u0301 ok") },
        StageCase { "LineBreakEndsSentence", QStringLiteral("done.\nnext"), QStringLiteral("Done.\nNext") },
        StageCase { "Empty", QString(), QString() }),
    stageCaseName);

TEST(StageNames, AreFixed)
{
    EXPECT_EQ(WhitespaceNormalizer().name(), QStringLiteral("whitespace"));
    EXPECT_EQ(FillerRemover().name(), QStringLiteral("filler"));
    EXPECT_EQ(PunctuationFixer().name(), QStringLiteral("punctuation"));
}

} // namespace
