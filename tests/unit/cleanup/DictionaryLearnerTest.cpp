#include "cleanup/DictionaryLearner.h"
#include "CleanupTestSupport.h"
#include "cleanup/CleanupSettingsStore.h"
#include "cleanup/DictionaryStore.h"

#include <QFile>
#include <QTemporaryDir>
#include <QUuid>

#include <gtest/gtest.h>

using namespace parlowind;
using Correction = DictionaryLearner::Correction;

namespace {

struct LearnCase
{
    const char *name;
    QString heard;
    QString intended;
    QList<Correction> expected;
};

void PrintTo(const LearnCase &row, std::ostream *os)
{
    *os << row.name;
}

class CorrectionsTest : public ::testing::TestWithParam<LearnCase>
{
};

TEST_P(CorrectionsTest, Learns)
{
    EXPECT_EQ(DictionaryLearner::corrections(GetParam().heard, GetParam().intended), GetParam().expected);
}

Correction fix(const char *heard, const char *intended)
{
    return Correction { QString::fromUtf8(heard), QString::fromUtf8(intended) };
}

INSTANTIATE_TEST_SUITE_P(
    Table, CorrectionsTest,
    ::testing::Values(
        LearnCase { "MisheardName",
                    QStringLiteral("I met Kate at the cafe"),
                    QStringLiteral("I met Cait at the cafe"),
                    { fix("Kate", "Cait") } },
        LearnCase { "HalfTheWordsIsARewrite", QStringLiteral("Kate said"), QStringLiteral("Cait said"), {} },
        LearnCase { "OneOfThreeIsAFix",
                    QStringLiteral("Kate said hi"),
                    QStringLiteral("Cait said hi"),
                    { fix("Kate", "Cait") } },
        LearnCase { "ThreeWordRunNotLearned",
                    QStringLiteral("we use the new york city office daily now please"),
                    QStringLiteral("we use the NYC office daily now please"),
                    {} },
        LearnCase { "TwoWordRunLearned",
                    QStringLiteral("we use the new york office daily now please"),
                    QStringLiteral("we use the NYC office daily now please"),
                    { fix("new york", "NYC") } },
        LearnCase { "CaseOnly",
                    QStringLiteral("I love my iphone today"),
                    QStringLiteral("I love my iPhone today"),
                    { fix("iphone", "iPhone") } },
        LearnCase { "PunctuationOnly", QStringLiteral("see you there."), QStringLiteral("see you there"), {} },
        LearnCase { "SpacingOnly", QStringLiteral("see  you there"), QStringLiteral("see you\nthere"), {} },
        LearnCase { "KeepsTheFullStop",
                    QStringLiteral("I will call Kate."),
                    QStringLiteral("I will call Cait."),
                    { fix("Kate.", "Cait.") } },
        LearnCase { "DeletionLearnsNothing",
                    QStringLiteral("please send the the report"),
                    QStringLiteral("please send the report"),
                    {} },
        LearnCase { "InsertionLearnsNothing",
                    QStringLiteral("please send report now"),
                    QStringLiteral("please send the report now"),
                    {} },
        LearnCase { "TwoFixesInTextOrder",
                    QStringLiteral("Kate and Jon went to the shop to buy some bread"),
                    QStringLiteral("Cait and John went to the shop to buy some bread"),
                    { fix("Kate", "Cait"), fix("Jon", "John") } },
        LearnCase { "NonAsciiWords",
                    QStringLiteral("wir treffen Jurgen morgen früh"),
                    QStringLiteral("wir treffen Jürgen morgen früh"),
                    { fix("Jurgen", "Jürgen") } },
        LearnCase { "EmptySide", QStringLiteral("   "), QStringLiteral("anything"), {} },
        LearnCase { "Identical", QStringLiteral("same text here"), QStringLiteral("same text here"), {} }),
    [](const ::testing::TestParamInfo<LearnCase> &info) { return std::string(info.param.name); });

TEST(DictionaryLearnerTokens, KeepLettersNumbersAndApostrophes)
{
    const QList<DictionaryLearner::Token> tokens
        = DictionaryLearner::tokens(QStringLiteral(" Don't, 3rd-rate — Zoë! "));
    ASSERT_EQ(tokens.size(), 4);
    EXPECT_EQ(
        tokens[0],
        (DictionaryLearner::Token { QStringLiteral("Don't,"), QStringLiteral("Don't"), QStringLiteral("don't") }));
    EXPECT_EQ(tokens[1].cased, QStringLiteral("3rdrate"));
    EXPECT_EQ(tokens[2].cased, QString()); // punctuation only
    EXPECT_EQ(tokens[3].normalised, QStringLiteral("zoë"));
}

TEST(DictionaryLearnerAlignment, PendingRunsCloseAtAnchors)
{
    using Token = DictionaryLearner::Token;
    const auto edits = DictionaryLearner::substitutions(DictionaryLearner::tokens(QStringLiteral("a b c d")),
                                                        DictionaryLearner::tokens(QStringLiteral("a X Y d Z")));
    ASSERT_EQ(edits.size(), 1);
    EXPECT_EQ(edits[0].heard,
              (QList<Token> { { QStringLiteral("b"), QStringLiteral("b"), QStringLiteral("b") },
                              { QStringLiteral("c"), QStringLiteral("c"), QStringLiteral("c") } }));
    EXPECT_EQ(edits[0].intended.size(), 2);
}

DictionaryTerm termNamed(const QString &spelling, QStringList heard, int priority)
{
    return DictionaryTerm { QUuid::createUuid(), spelling, std::move(heard), priority };
}

TEST(DictionaryLearnerMerging, AddsANewTermWithPriorityOne)
{
    const QList<DictionaryTerm> existing { termNamed(QStringLiteral("Other"), {}, 0) };
    const QList<DictionaryTerm> merged = DictionaryLearner::merging({ fix("Kate", "Cait") }, existing);
    ASSERT_EQ(merged.size(), 2);
    EXPECT_EQ(merged[0], existing[0]);
    EXPECT_EQ(merged[1].term, QStringLiteral("Cait"));
    EXPECT_EQ(merged[1].spokenAs, QStringList { QStringLiteral("Kate") });
    EXPECT_EQ(merged[1].priority, 1);
    EXPECT_FALSE(merged[1].id.isNull());
}

TEST(DictionaryLearnerMerging, SameCorrectionTwiceChangesNothingNewFormRaisesPriority)
{
    const QList<DictionaryTerm> once = DictionaryLearner::merging({ fix("Kate", "Cait") }, {});
    EXPECT_EQ(DictionaryLearner::merging({ fix("kate", "cait") }, once), once);

    const QList<DictionaryTerm> twice = DictionaryLearner::merging({ fix("Kait", "Cait") }, once);
    ASSERT_EQ(twice.size(), 1);
    EXPECT_EQ(twice[0].id, once[0].id);
    EXPECT_EQ(twice[0].spokenAs, QStringList({ QStringLiteral("Kate"), QStringLiteral("Kait") }));
    EXPECT_EQ(twice[0].priority, 2);
}

TEST(DictionaryLearnerMerging, EachCorrectionSeesThePrevious)
{
    const QList<DictionaryTerm> merged
        = DictionaryLearner::merging({ fix("Kate", "Cait"), fix("Kait", "cait"), fix("Jon", "John") }, {});
    ASSERT_EQ(merged.size(), 2);
    EXPECT_EQ(merged[0].spokenAs, QStringList({ QStringLiteral("Kate"), QStringLiteral("Kait") }));
    EXPECT_EQ(merged[0].priority, 2);
    EXPECT_EQ(merged[1].term, QStringLiteral("John"));
}

// The whole road: a correction learned from a history entry rewrites the
// next dictation.
TEST(DictionaryLearner, LearnedWordActsOnTheNextDictation)
{
    DictionaryStore running;
    const QString heard = QStringLiteral("I met Kate at the cafe");
    running.replace(DictionaryLearner::merging(
        DictionaryLearner::corrections(heard, QStringLiteral("I met Cait at the cafe")), running.terms()));
    EXPECT_EQ(running.apply(QStringLiteral("call kate today"), {}), QStringLiteral("call Cait today"));

    // A rewrite teaches nothing.
    const QList<DictionaryTerm> before = running.terms();
    running.replace(DictionaryLearner::merging(
        DictionaryLearner::corrections(heard, QStringLiteral("We had coffee with Cait yesterday")), running.terms()));
    EXPECT_EQ(running.terms(), before);
}

class LearnFlowTest : public ::testing::Test
{
protected:
    QTemporaryDir root;
    CleanupSettingsStore settings { root.path() };
    DictionaryStore running;
};

// The file, not the running list, is what the learned word is merged into:
// terms saved by the settings since the start are kept.
TEST_F(LearnFlowTest, SavesToTheFileThenUpdatesTheRunningDictionary)
{
    const DictionaryTerm saved = termNamed(QStringLiteral("Kubernetes"), { QStringLiteral("cube") }, 0);
    settings.saveTerms({ saved });

    EXPECT_EQ(DictionaryLearner::learn(QStringLiteral("I met Kate at the cafe"),
                                       QStringLiteral("I met Cait at the cafe"), settings, running),
              QStringLiteral("Learned \u201cCait\u201d \u2014 it works from your next dictation"));
    const QList<DictionaryTerm> onDisk = settings.loadTerms();
    ASSERT_EQ(onDisk.size(), 2);
    EXPECT_EQ(onDisk[0], saved);
    EXPECT_EQ(onDisk[1].term, QStringLiteral("Cait"));
    EXPECT_EQ(running.terms(), onDisk);
}

TEST_F(LearnFlowTest, TwoWordsInOneNote)
{
    EXPECT_EQ(DictionaryLearner::learn(QStringLiteral("Kate and Jon went to the shop to buy some bread"),
                                       QStringLiteral("Cait and John went to the shop to buy some bread"), settings,
                                       running),
              QStringLiteral("Learned 2 words: Cait, John"));
}

TEST_F(LearnFlowTest, ARewriteChangesNothing)
{
    EXPECT_EQ(DictionaryLearner::learn(QStringLiteral("Kate said"), QStringLiteral("Cait said"), settings, running),
              QStringLiteral("Nothing learned \u2014 that looked like a rewrite rather than a fix"));
    EXPECT_FALSE(QFile::exists(settings.termsPath()));
    EXPECT_TRUE(running.terms().isEmpty());
}

TEST_F(LearnFlowTest, AFailedSaveLeavesTheRunningDictionary)
{
    const CleanupSettingsStore unwritable(QStringLiteral("/proc/parlowind-cannot-exist"));
    running.replace({ termNamed(QStringLiteral("Old"), {}, 0) });
    const QList<DictionaryTerm> before = running.terms();
    EXPECT_EQ(
        DictionaryLearner::learn(QStringLiteral("Kate said hi"), QStringLiteral("Cait said hi"), unwritable, running),
        QStringLiteral("Could not save that"));
    EXPECT_EQ(running.terms(), before);
}

} // namespace
