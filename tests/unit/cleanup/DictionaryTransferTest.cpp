#include "cleanup/DictionaryTransfer.h"
#include "CleanupTestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QUuid>

#include <gtest/gtest.h>

using namespace parlowind;
using ImportCase = DictionaryImportError::Case;

namespace {

DictionaryTerm termNamed(const QString &spelling, QStringList heard = {}, int priority = 0)
{
    return DictionaryTerm { QUuid::createUuid(), spelling, std::move(heard), priority };
}

// Spelling and heard forms only: imported plain-text terms get fresh ids.
QList<std::pair<QString, QStringList>> shapes(const QList<DictionaryTerm> &terms)
{
    QList<std::pair<QString, QStringList>> result;
    for (const DictionaryTerm &term : terms)
        result.append({ term.term, term.spokenAs });
    return result;
}

TEST(DictionaryTransferParse, PlainTextListWithCommentsDuplicatesAndQuotes)
{
    const QByteArray file = "# my terms\n"
                            "Kubernetes, cube and eighties\n"
                            "\n"
                            "kubernetes, kuber nets\n"
                            "\"PostgreSQL\", \"post gres\"";
    const QList<DictionaryTerm> terms = DictionaryTransfer::parse(file);
    EXPECT_EQ(shapes(terms),
              (QList<std::pair<QString, QStringList>> {
                  { QStringLiteral("Kubernetes"), { QStringLiteral("cube and eighties") } },
                  { QStringLiteral("PostgreSQL"), { QStringLiteral("post gres") } } }));
    for (const DictionaryTerm &term : terms) {
        EXPECT_EQ(term.priority, 0);
        EXPECT_FALSE(term.id.isNull());
    }
    EXPECT_NE(terms[0].id, terms[1].id);
}

TEST(DictionaryTransferParse, PlainTextLineRules)
{
    // Windows and Unicode line breaks, tabs, empty heard forms, a blank first
    // part, a byte-order mark, non-ASCII terms.
    const QByteArray file = "\xEF\xBB\xBF"
                            "Zoë\t,\t, zoey ,\r\n"
                            "   \t\n"
                            "  # indented comment\n"
                            ", orphan form\n"
                            "Ærø\xE2\x80\xA8"
                            "C#, see sharp";
    EXPECT_EQ(shapes(DictionaryTransfer::parse(file)),
              (QList<std::pair<QString, QStringList>> { { QStringLiteral("Zoë"), { QStringLiteral("zoey") } },
                                                        { QStringLiteral("Ærø"), {} },
                                                        { QStringLiteral("C#"), { QStringLiteral("see sharp") } } }));
}

TEST(DictionaryTransferParse, JsonExportRoundTrip)
{
    const QList<DictionaryTerm> terms { termNamed(QStringLiteral("GitHub"), { QStringLiteral("git hub") }, 7),
                                        termNamed(QStringLiteral("Zoë"), {}, 0) };
    const QByteArray exported = DictionaryTransfer::exportData(terms);
    EXPECT_EQ(DictionaryTransfer::parse(exported), terms);
    // Readable by people: indented, keys sorted.
    EXPECT_TRUE(exported.contains("\n    {\n        \"id\": "));
    EXPECT_LT(exported.indexOf("\"id\""), exported.indexOf("\"priority\""));
    EXPECT_LT(exported.indexOf("\"priority\""), exported.indexOf("\"spokenAs\""));
    EXPECT_LT(exported.indexOf("\"spokenAs\""), exported.indexOf("\"term\""));
}

TEST(DictionaryTransferParse, JsonDropsBlankTermsAndHasNoLimit)
{
    QList<DictionaryTerm> terms { termNamed(QStringLiteral(" \t ")), termNamed(QStringLiteral("kept")) };
    EXPECT_EQ(DictionaryTransfer::parse(DictionaryTransfer::exportData(terms)), QList<DictionaryTerm> { terms[1] });

    QList<DictionaryTerm> many;
    for (int i = 0; i < 2500; ++i)
        many.append(termNamed(QStringLiteral("t%1").arg(i)));
    EXPECT_EQ(DictionaryTransfer::parse(DictionaryTransfer::exportData(many)).size(), 2500);
}

QByteArray listOf(int count)
{
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text += "term" + QByteArray::number(i) + "\n";
    return text;
}

TEST(DictionaryTransferParse, PlainTextLimit)
{
    EXPECT_EQ(DictionaryTransfer::parse(listOf(2000)).size(), 2000);
    // Duplicates do not count towards the limit.
    EXPECT_EQ(DictionaryTransfer::parse(listOf(2000) + "TERM5\n").size(), 2000);
}

struct RejectCase
{
    const char *name;
    QByteArray data;
    ImportCase expected;
};

void PrintTo(const RejectCase &row, std::ostream *os)
{
    *os << row.name;
}

class DictionaryTransferRejectTest : public ::testing::TestWithParam<RejectCase>
{
};

TEST_P(DictionaryTransferRejectTest, Rejects)
{
    try {
        DictionaryTransfer::parse(GetParam().data);
        ADD_FAILURE() << "parsed";
    } catch (const DictionaryImportError &error) {
        EXPECT_EQ(error.errorCase(), GetParam().expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, DictionaryTransferRejectTest,
    ::testing::Values(
        RejectCase { "Empty", "", ImportCase::noTerms },
        RejectCase { "OnlyBlankLines", " \n\t\r\n ", ImportCase::noTerms },
        RejectCase { "OnlyComments", "# nothing here\n#nor here", ImportCase::unreadable },
        RejectCase { "TooManyTerms", listOf(2001), ImportCase::unreadable },
        RejectCase { "InvalidUtf8", "Zo\xEB\n", ImportCase::unreadable },
        RejectCase { "BinaryThatDecodes", QByteArray(64, '\0'), ImportCase::unreadable },
        RejectCase { "EmptyJsonArray", "[]", ImportCase::noTerms },
        RejectCase { "JsonOfBlankTerms",
                     R"([{"id":"0E1F7A39-2B8C-4A8E-9E63-6C2B9F0C1D22","term":"  ","spokenAs":[],"priority":0}])",
                     ImportCase::noTerms },
        // A damaged export is not read line by line into terms such as "{".
        RejectCase { "JsonRecordMissingKey", R"([{"term":"A","spokenAs":[],"priority":0}])", ImportCase::unreadable },
        RejectCase { "TruncatedJson", "[\n  {\n    \"id\": \"0E1F7A39", ImportCase::unreadable },
        RejectCase { "JsonObject", R"({"terms":[]})", ImportCase::unreadable }),
    [](const ::testing::TestParamInfo<RejectCase> &info) { return std::string(info.param.name); });

TEST(DictionaryImportError, Descriptions)
{
    EXPECT_EQ(DictionaryImportError(ImportCase::unreadable).description(),
              QStringLiteral("That does not look like a dictionary file"));
    EXPECT_EQ(DictionaryImportError(ImportCase::noTerms).description(), QStringLiteral("That file has no terms in it"));
}

TEST(DictionaryTransferMerging, JoinsSameSpellingAppendsOthers)
{
    const DictionaryTerm github = termNamed(QStringLiteral("github"), { QStringLiteral("git hub") }, 2);
    const QList<DictionaryTerm> existing { github };

    // Spelling and heard form both match in another case: nothing new.
    EXPECT_EQ(DictionaryTransfer::merging({ termNamed(QStringLiteral("GitHub"), { QStringLiteral("Git Hub") }, 1) },
                                          existing),
              existing);

    const QList<DictionaryTerm> merged = DictionaryTransfer::merging(
        { termNamed(QStringLiteral("GitHub"), { QStringLiteral("get hub"), QStringLiteral("git hub") }, 5),
          termNamed(QStringLiteral("Zoë"), { QStringLiteral("zoey") }, 0),
          termNamed(QStringLiteral("GITHUB"), { QStringLiteral("gith ub") }, 0) },
        existing);
    ASSERT_EQ(merged.size(), 2);
    EXPECT_EQ(merged[0].id, github.id);
    EXPECT_EQ(merged[0].term, QStringLiteral("github"));
    EXPECT_EQ(merged[0].spokenAs,
              QStringList({ QStringLiteral("git hub"), QStringLiteral("get hub"), QStringLiteral("gith ub") }));
    EXPECT_EQ(merged[0].priority, 5);
    EXPECT_EQ(merged[1].term, QStringLiteral("Zoë"));

    EXPECT_EQ(DictionaryTransfer::merging({}, existing), existing);
}

TEST(DictionaryTransferMerging, ReimportingAnExportAddsNothing)
{
    const QList<DictionaryTerm> terms { termNamed(QStringLiteral("A"), { QStringLiteral("a") }, 1),
                                        termNamed(QStringLiteral("B"), {}, 0) };
    const QList<DictionaryTerm> imported = DictionaryTransfer::parse(DictionaryTransfer::exportData(terms));
    const QList<DictionaryTerm> merged = DictionaryTransfer::merging(imported, terms);
    EXPECT_EQ(merged, terms);
    EXPECT_EQ(DictionaryTransfer::importSummary(imported.size(), merged.size() - terms.size()),
              QStringLiteral("Already had all 2 terms"));
    EXPECT_EQ(DictionaryTransfer::importSummary(5, 2), QStringLiteral("Added 2 of 5"));
}

} // namespace
