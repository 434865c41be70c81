#include "CleanupTestSupport.h"

#include "cleanup/CleanupPipeline.h"
#include "cleanup/DictionaryStore.h"
#include "cleanup/ShortcutStore.h"

#include <QUuid>

using namespace parlowind;
using Level = FillerAggressiveness;

namespace {

std::shared_ptr<DictionaryStore> dictionary()
{
    return std::make_shared<DictionaryStore>(QList<DictionaryTerm> {
        { QUuid::createUuid(), QStringLiteral("Kubernetes"), { QStringLiteral("cube and eighties") }, 0 },
        { QUuid::createUuid(), QStringLiteral("iPhone"), { QStringLiteral("i phone") }, 0 },
        { QUuid::createUuid(), QStringLiteral("zürich"), { QStringLiteral("zurich") }, 0 },
    });
}

std::shared_ptr<ShortcutStore> shortcuts()
{
    return std::make_shared<ShortcutStore>(QList<VoiceShortcut> {
        { QUuid::createUuid(), QStringLiteral("my sign off"), QStringLiteral("cheers,  ann") },
        { QUuid::createUuid(), QStringLiteral("insert date"), QStringLiteral("see . below") },
    });
}

class StandardPipelineTest : public ::testing::TestWithParam<StageCase>
{
};

TEST_P(StandardPipelineTest, Cleans)
{
    const CleanupPipeline pipeline = CleanupPipeline::standard(dictionary(), shortcuts());
    EXPECT_EQ(pipeline.run(GetParam().input, contextFor(GetParam())), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, StandardPipelineTest,
    ::testing::Values(
        StageCase { "FillerAndSpacing", QStringLiteral("um   hello world"), QStringLiteral("Hello world") },
        StageCase { "RemovedFillerMarkRejoins", QStringLiteral("I think um."), QStringLiteral("I think.") },
        StageCase { "CorrectionBeforeFillers", QStringLiteral("buy milk, um, scratch that"),
                    QStringLiteral("Buy milk,") },
        StageCase { "CorrectionThenCapital", QStringLiteral("tuesday, no, I mean wednesday works"),
                    QStringLiteral("Wednesday works") },
        StageCase { "DictionaryTermCapitalisedAtSentenceStart", QStringLiteral("zurich is nice. we fly to zurich"),
                    QStringLiteral("Zürich is nice. We fly to zürich") },
        StageCase { "DictionaryTermKeepsItsCaseMidSentence", QStringLiteral("my i phone died"),
                    QStringLiteral("My iPhone died") },
        StageCase { "SpokenFormAfterLineBreaks", QStringLiteral("deploy\nto Cube  and\teighties"),
                    // Whitespace is collapsed before the dictionary looks.
                    QStringLiteral("Deploy to Kubernetes") },
        // Expansions are not capitalised or re-punctuated, only re-spaced.
        StageCase { "ShortcutExpandedAfterCapitals", QStringLiteral("thanks. my sign off"),
                    QStringLiteral("Thanks. cheers, ann") },
        StageCase { "ShortcutPunctuationUntouched", QStringLiteral("insert date"), QStringLiteral("see . below") },
        StageCase { "AggressivePhrase", QStringLiteral("you know, it works, you know."), QStringLiteral("It works,."),
                    Level::aggressive },
        StageCase { "OffKeepsFillers", QStringLiteral("um  so"), QStringLiteral("Um so"), Level::off },
        StageCase { "NothingLeft", QStringLiteral("Scratch that."), QString() },
        StageCase { "Empty", QStringLiteral("  \n "), QString() }),
    stageCaseName);

TEST(CleanupPipeline, StandardOrder)
{
    const CleanupPipeline pipeline = CleanupPipeline::standard(dictionary(), shortcuts());
    QStringList names;
    for (const auto &stage : pipeline.stages())
        names.append(stage->name());
    EXPECT_EQ(names,
              QStringList({ QStringLiteral("whitespace"), QStringLiteral("self-correction"), QStringLiteral("filler"),
                            QStringLiteral("dictionary"), QStringLiteral("punctuation"), QStringLiteral("shortcuts"),
                            QStringLiteral("whitespace") }));
}

TEST(CleanupPipeline, SharesTheRunningDictionary)
{
    const auto terms = std::make_shared<DictionaryStore>();
    const CleanupPipeline pipeline = CleanupPipeline::standard(terms, std::make_shared<ShortcutStore>());
    EXPECT_EQ(pipeline.run(QStringLiteral("hi kate"), {}), QStringLiteral("Hi kate"));
    terms->replace({ { QUuid::createUuid(), QStringLiteral("Cait"), { QStringLiteral("kate") }, 1 } });
    EXPECT_EQ(pipeline.run(QStringLiteral("hi kate"), {}), QStringLiteral("Hi Cait"));
}

TEST(CleanupPipeline, NoStagesReturnsTextUnchanged)
{
    EXPECT_EQ(CleanupPipeline().run(QStringLiteral(" a  b "), {}), QStringLiteral(" a  b "));
}

} // namespace
