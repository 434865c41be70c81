#include "dictation/PhraseJoiner.h"

#include <gtest/gtest.h>

#include <ostream>

using namespace parlowind;

namespace {

struct SeparatorCase
{
    const char *name;
    friend void PrintTo(const SeparatorCase &row, std::ostream *out) { *out << row.name; }
    std::optional<QString> previous;
    QString next;
    QString separator;
};

class SeparatorTest : public ::testing::TestWithParam<SeparatorCase>
{
};

TEST_P(SeparatorTest, JoinsPhrasesLikeSentences)
{
    const auto &row = GetParam();
    EXPECT_EQ(PhraseJoiner::separator(row.previous, row.next), row.separator);
}

const QString space = QStringLiteral(" ");
const QString stop = QStringLiteral(". ");

INSTANTIATE_TEST_SUITE_P(
    Rule, SeparatorTest,
    ::testing::Values(
        SeparatorCase { "FirstPhrase", std::nullopt, QStringLiteral("Hello"), QString() },
        SeparatorCase { "AfterFullStop", QStringLiteral("It works."), QStringLiteral("Then"), space },
        SeparatorCase { "AfterEmDash", QStringLiteral("It works \u2014"), QStringLiteral("Then"), space },
        SeparatorCase { "AfterEllipsisWithTrailingSpace", QStringLiteral("Well\u2026 \n"), QStringLiteral("Then"),
                        space },
        SeparatorCase { "LowercaseContinues", QStringLiteral("it works"), QStringLiteral("and then"), space },
        SeparatorCase { "AccentedLowercaseContinues", QStringLiteral("it works"), QStringLiteral("\u00e9t\u00e9"),
                        space },
        SeparatorCase { "CapitalStartsASentence", QStringLiteral("it works"), QStringLiteral("Then"), stop },
        SeparatorCase { "DigitStartsASentence", QStringLiteral("it works"), QStringLiteral("42 times"), stop },
        SeparatorCase { "SymbolStartsASentence", QStringLiteral("it works"), QStringLiteral("$5"), stop },
        SeparatorCase { "QuotationMarkNeedsNoStop", QStringLiteral("it works"), QStringLiteral("\u201cThen"), space },
        SeparatorCase { "EmptyPrevious", QStringLiteral("  "), QStringLiteral("Then"), space },
        SeparatorCase { "EmptyNext", QStringLiteral("it works"), QStringLiteral(" "), space }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(PhraseJoinerTest, PromptTailOfALongPhraseStartsAfterAWordBoundary)
{
    QString words;
    while (words.size() < 250)
        words += QStringLiteral("word%1 ").arg(words.size());
    words = words.left(250);
    const QString tail = PhraseJoiner::promptTail(words, 100);
    EXPECT_LE(tail.size(), 100);
    EXPECT_TRUE(words.endsWith(tail));
    // It starts right after the first space of the 100-character window.
    const QString window = words.right(100);
    EXPECT_EQ(tail, window.mid(window.indexOf(QLatin1Char(' ')) + 1));
    EXPECT_FALSE(tail.startsWith(QLatin1Char(' ')));
}

TEST(PhraseJoinerTest, PromptTailKeepsAShortPhraseWhole)
{
    const QString phrase = QStringLiteral("  forty characters of text, give or take\n");
    EXPECT_EQ(PhraseJoiner::promptTail(phrase, 100), phrase.trimmed());
}

TEST(PhraseJoinerTest, PromptTailWithoutSpacesIsTheLastCharacters)
{
    const QString phrase(150, QLatin1Char('x'));
    EXPECT_EQ(PhraseJoiner::promptTail(phrase + QStringLiteral("yz"), 100),
              QString(98, QLatin1Char('x')) + QStringLiteral("yz"));
}

TEST(PhraseJoinerTest, PromptTailCountsUserPerceivedCharacters)
{
    // Each flag is one character made of four UTF-16 units.
    const QString flag = QStringLiteral("\U0001F1EB\U0001F1F7");
    QString phrase;
    for (int i = 0; i < 5; ++i)
        phrase += flag;
    EXPECT_EQ(PhraseJoiner::promptTail(phrase, 5), phrase);
    EXPECT_EQ(PhraseJoiner::promptTail(phrase, 2), flag + flag);
}

TEST(PhraseJoinerTest, PromptJoinsWhatIsThere)
{
    EXPECT_EQ(PhraseJoiner::prompt(std::nullopt, std::nullopt), std::nullopt);
    EXPECT_EQ(PhraseJoiner::prompt(QStringLiteral(" Kubernetes, Parlowind "), QStringLiteral("  \n")),
              QStringLiteral("Kubernetes, Parlowind"));
    EXPECT_EQ(PhraseJoiner::prompt(QStringLiteral("Kubernetes "), QStringLiteral(" we deployed it")),
              QStringLiteral("Kubernetes we deployed it"));
    EXPECT_EQ(PhraseJoiner::prompt(std::nullopt, QStringLiteral("tail only")), QStringLiteral("tail only"));
    EXPECT_EQ(PhraseJoiner::prompt(QStringLiteral(""), QStringLiteral(" ")), std::nullopt);
}

} // namespace
