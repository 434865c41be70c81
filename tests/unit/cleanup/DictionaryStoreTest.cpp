#include "CleanupTestSupport.h"

#include "cleanup/DictionaryStore.h"
#include "cleanup/ShortcutStore.h"

#include <QUuid>

#include <atomic>
#include <thread>
#include <vector>

using namespace parlowind;

namespace {

DictionaryTerm term(const QString &spelling, QStringList heard = {}, int priority = 0)
{
    return DictionaryTerm { QUuid::createUuid(), spelling, std::move(heard), priority };
}

const CleanupContext context;

struct DictionaryCase
{
    const char *name;
    QList<DictionaryTerm> terms;
    QString input;
    QString expected;
};

void PrintTo(const DictionaryCase &row, std::ostream *os)
{
    *os << row.name;
}

class DictionaryApplyTest : public ::testing::TestWithParam<DictionaryCase>
{
};

TEST_P(DictionaryApplyTest, Replaces)
{
    const DictionaryStore store(GetParam().terms);
    EXPECT_EQ(store.apply(GetParam().input, context), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DictionaryApplyTest,
    ::testing::Values(
        DictionaryCase { "SpokenFormAnyCase",
                         { term(QStringLiteral("Kubernetes"), { QStringLiteral("cube and eighties") }) },
                         QStringLiteral("deploy to Cube And Eighties today"),
                         QStringLiteral("deploy to Kubernetes today") },
        DictionaryCase { "EveryOccurrence",
                         { term(QStringLiteral("Cait"), { QStringLiteral("kate") }) },
                         QStringLiteral("Kate met kate"),
                         QStringLiteral("Cait met Cait") },
        DictionaryCase {
            "HeardFormsInOrder",
            { term(QStringLiteral("PostgreSQL"), { QStringLiteral("post gres"), QStringLiteral("postgres") }) },
            QStringLiteral("post gres and postgres"),
            // The first form's output is searched by the second.
            QStringLiteral("PostgreSQL and PostgreSQL") },
        DictionaryCase { "LaterTermSeesEarlierOutput",
                         { term(QStringLiteral("New York"), { QStringLiteral("new your") }),
                           term(QStringLiteral("NYC"), { QStringLiteral("new york") }) },
                         QStringLiteral("in new your now"),
                         QStringLiteral("in NYC now") },
        DictionaryCase { "OwnSpellingAmongHeardForms",
                         { term(QStringLiteral("GitHub"), { QStringLiteral("git hub"), QStringLiteral("github") }) },
                         QStringLiteral("push to git hub"),
                         QStringLiteral("push to GitHub") },
        DictionaryCase { "OwnSpellingFixesCase",
                         { term(QStringLiteral("GitHub"), { QStringLiteral("git hub"), QStringLiteral("github") }) },
                         QStringLiteral("github and GITHUB"),
                         QStringLiteral("GitHub and GitHub") },
        // A heard form inside its own term never grows a correctly heard term.
        DictionaryCase { "CorrectTermNotGrown",
                         { term(QStringLiteral("Kubernetes"), { QStringLiteral("kube") }) },
                         QStringLiteral("kube on Kubernetes and kubernetes"),
                         QStringLiteral("Kubernetes on Kubernetes and kubernetes") },
        DictionaryCase { "NoWordBoundaries",
                         { term(QStringLiteral("dog"), { QStringLiteral("cat") }) },
                         QStringLiteral("concatenate"),
                         QStringLiteral("condogenate") },
        DictionaryCase { "EmptyHeardFormIgnored",
                         { term(QStringLiteral("X"), { QString() }) },
                         QStringLiteral("abc"),
                         QStringLiteral("abc") },
        DictionaryCase { "EmptyDictionary", {}, QStringLiteral("Left alone"), QStringLiteral("Left alone") },
        DictionaryCase { "NonAsciiCaseFolding",
                         { term(QStringLiteral("Ærø"), { QStringLiteral("æRØ") }) },
                         QStringLiteral("ferry to ÆRØ"),
                         QStringLiteral("ferry to Ærø") },
        DictionaryCase { "NeverSplitsACharacter",
                         { term(QStringLiteral("E"), { QStringLiteral("e") }) },
                         QStringLiteral("cafe\u0301 e"),
                         QStringLiteral("cafe\u0301 E") }),
    [](const ::testing::TestParamInfo<DictionaryCase> &info) { return std::string(info.param.name); });

TEST(DictionaryStore, ReplaceActsFromTheNextCall)
{
    DictionaryStore store({ term(QStringLiteral("A"), { QStringLiteral("x") }) });
    EXPECT_EQ(store.apply(QStringLiteral("x y"), context), QStringLiteral("A y"));
    store.replace({ term(QStringLiteral("B"), { QStringLiteral("y") }) });
    EXPECT_EQ(store.apply(QStringLiteral("x y"), context), QStringLiteral("x B"));
    EXPECT_EQ(store.terms().size(), 1);
    EXPECT_EQ(store.name(), QStringLiteral("dictionary"));
}

struct PromptCase
{
    const char *name;
    QList<DictionaryTerm> terms;
    int maxTokens;
    std::optional<QString> expected;
};

void PrintTo(const PromptCase &row, std::ostream *os)
{
    *os << row.name;
}

class InitialPromptTest : public ::testing::TestWithParam<PromptCase>
{
};

TEST_P(InitialPromptTest, Builds)
{
    const DictionaryStore store(GetParam().terms);
    EXPECT_EQ(store.initialPrompt(GetParam().maxTokens), GetParam().expected);
}

const QString longTerm = QString(900, QLatin1Char('x'));
// 300 letters with a combining accent: 600 UTF-16 units, 300 characters.
const QString accentedTerm = QStringLiteral("e\u0301").repeated(300);

INSTANTIATE_TEST_SUITE_P(
    Table, InitialPromptTest,
    ::testing::Values(
        PromptCase {
            "PriorityThenUserOrder",
            { term(QStringLiteral("A"), {}, 0), term(QStringLiteral("B"), {}, 5), term(QStringLiteral("C"), {}, 5) },
            224,
            QStringLiteral("B, C, A") },
        PromptCase { "NoTerms", {}, 224, std::nullopt },
        PromptCase { "NoBudget", { term(QStringLiteral("A")) }, 0, std::nullopt },
        PromptCase { "HeardFormsNeverInPrompt",
                     { term(QStringLiteral("Cait"), { QStringLiteral("Kate") }) },
                     224,
                     QStringLiteral("Cait") },
        PromptCase {
            "LongFirstTermCut", { term(longTerm), term(QStringLiteral("B")) }, 224, QString(896, QLatin1Char('x')) },
        // "aaaa" fits the budget of 8; ", bbbb" would reach 10 and ends the
        // list although ", c" would still fit.
        PromptCase { "StopsAtFirstOverflow",
                     { term(QStringLiteral("aaaa")), term(QStringLiteral("bbbb")), term(QStringLiteral("c")) },
                     2,
                     QStringLiteral("aaaa") },
        PromptCase {
            "ExactFit", { term(QStringLiteral("aa")), term(QStringLiteral("bbbb")) }, 2, QStringLiteral("aa, bbbb") },
        PromptCase { "CountsCharactersNotUnits",
                     { term(accentedTerm), term(QStringLiteral("z")) },
                     76,
                     accentedTerm + QStringLiteral(", z") },
        PromptCase { "CutsOnCharacterBoundary", { term(accentedTerm) }, 1, QStringLiteral("e\u0301").repeated(4) }),
    [](const ::testing::TestParamInfo<PromptCase> &info) { return std::string(info.param.name); });

TEST(ShortcutStore, ExpandsEveryPhraseCaseInsensitively)
{
    const ShortcutStore store({
        VoiceShortcut { QUuid::createUuid(), QStringLiteral("my address"), QStringLiteral("1 Main St\nSpringfield") },
        VoiceShortcut { QUuid::createUuid(), QString(), QStringLiteral("never") },
        VoiceShortcut { QUuid::createUuid(), QStringLiteral("sig"), QStringLiteral("-- sig") },
    });
    EXPECT_EQ(store.apply(QStringLiteral("Send to My Address. sig"), context),
              QStringLiteral("Send to 1 Main St\nSpringfield. -- sig"));
    EXPECT_EQ(store.name(), QStringLiteral("shortcuts"));
    // An expansion containing its phrase is not expanded again.
    const ShortcutStore growing(
        { VoiceShortcut { QUuid::createUuid(), QStringLiteral("ab"), QStringLiteral("abab") } });
    EXPECT_EQ(growing.apply(QStringLiteral("AB ab"), context), QStringLiteral("abab abab"));
    EXPECT_EQ(store.shortcuts().size(), 3);
}

// Readers (the dictation task, the engine's prompt) run while the settings
// swap lists: every reader must see one whole list, never a mix or a torn one.
TEST(DictionaryStore, ReadersSeeWholeListsWhileAWriterReplaces)
{
    const QList<DictionaryTerm> first { term(QStringLiteral("Alpha"), { QStringLiteral("a1") }),
                                        term(QStringLiteral("Beta"), { QStringLiteral("b1") }) };
    const QList<DictionaryTerm> second { term(QStringLiteral("Gamma"), { QStringLiteral("a1") }),
                                         term(QStringLiteral("Delta"), { QStringLiteral("b1") }) };
    DictionaryStore store(first);

    std::atomic<bool> stop = false;
    std::atomic<int> mixed = 0;
    std::atomic<int> reads = 0;
    std::vector<std::thread> readers;
    for (int r = 0; r < 3; ++r) {
        readers.emplace_back([&] {
            while (!stop) {
                const QString cleaned = store.apply(QStringLiteral("a1 b1"), context);
                const std::optional<QString> prompt = store.initialPrompt(224);
                if (cleaned != QStringLiteral("Alpha Beta") && cleaned != QStringLiteral("Gamma Delta"))
                    ++mixed;
                if (prompt != QStringLiteral("Alpha, Beta") && prompt != QStringLiteral("Gamma, Delta"))
                    ++mixed;
                ++reads;
            }
        });
    }
    for (int i = 0; i < 2000 || reads < 200; ++i)
        store.replace(i % 2 ? first : second);
    stop = true;
    for (std::thread &reader : readers)
        reader.join();
    EXPECT_EQ(mixed, 0);
    EXPECT_GT(reads, 0);
}

} // namespace
