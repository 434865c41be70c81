#include "polish/PolishSanityCheck.h"

#include <gtest/gtest.h>

using namespace parlowind;

namespace {

struct SanityCase
{
    const char *name;
    QString answer;
    QString input;
    bool accepted;
};

class PolishSanityCheckTest : public ::testing::TestWithParam<SanityCase>
{
};

TEST_P(PolishSanityCheckTest, AcceptsAnswersBetweenHalfAndTwiceTheInput)
{
    const SanityCase &row = GetParam();
    EXPECT_EQ(PolishSanityCheck(2.0).accepts(row.answer, row.input), row.accepted);
}

const QString tenCharacters = QStringLiteral("abcdefghij");

// `count` family emoji: one character each, eleven UTF-16 units each.
QString families(int count)
{
    const char32_t family[] = { 0x1F468, 0x200D, 0x1F469, 0x200D, 0x1F467, 0x200D, 0x1F466 };
    return QString::fromUcs4(family, std::size(family)).repeated(count);
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, PolishSanityCheckTest,
    ::testing::Values(SanityCase { "HalfIsAccepted", QStringLiteral("abcde"), tenCharacters, true },
                      SanityCase { "TwiceIsAccepted", QString(20, QLatin1Char('x')), tenCharacters, true },
                      SanityCase { "JustUnderHalfIsRejected", QStringLiteral("abcd"), tenCharacters, false },
                      SanityCase { "JustOverTwiceIsRejected", QString(21, QLatin1Char('x')), tenCharacters, false },
                      SanityCase { "EmptyAnswerIsRejected", QString(), tenCharacters, false },
                      SanityCase { "WhitespaceAnswerIsRejected", QStringLiteral(" \n\t "), tenCharacters, false },
                      SanityCase { "EmptyInputIsRejected", QStringLiteral("Hello."), QStringLiteral("  "), false },
                      SanityCase { "SurroundingWhitespaceIsNotCounted", QStringLiteral("   abcde   \n\n\n\n\n\n"),
                                   tenCharacters, true },
                      // Five family emoji are 5 characters but 55 UTF-16 units: the input
                      // of 10 letters is twice as long, so it passes; 4 of them do not.
                      SanityCase { "CountsUserPerceivedCharacters", families(5), tenCharacters, true },
                      SanityCase { "FourClustersAreTooFew", families(4), tenCharacters, false },
                      // Six UTF-16 units but three characters: too short for ten.
                      SanityCase { "CombiningMarksCountOnce", QStringLiteral("e\u0301e\u0301e\u0301"), tenCharacters,
                                   false }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(PolishSanityCheckFactorTest, FactorIsUsedInBothDirections)
{
    const PolishSanityCheck strict(1.0);
    EXPECT_TRUE(strict.accepts(QStringLiteral("abc"), QStringLiteral("xyz")));
    EXPECT_FALSE(strict.accepts(QStringLiteral("abcd"), QStringLiteral("xyz")));
    EXPECT_FALSE(strict.accepts(QStringLiteral("ab"), QStringLiteral("xyz")));
}

} // namespace
