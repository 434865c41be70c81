#include "IsolatedHome.h"

#include "cleanup/CleanupSettingsStore.h"
#include "cleanup/DictionaryTransfer.h"
#include "support/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QUuid>

#include <gtest/gtest.h>

using namespace parlowind;

namespace {

struct ProcessResult
{
    int exitCode;
    QString out;
    QString err;
};

ProcessResult runParlowind(const QStringList &arguments, const QByteArray &input = {})
{
    QProcess process;
    process.start(QStringLiteral(PARLOWIND_BINARY), arguments);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(30000))
        return { -1, {}, QStringLiteral("timed out") };
    return { process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
             QString::fromUtf8(process.readAllStandardError()) };
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &data)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(data);
}

bool isOneLineError(const ProcessResult &run)
{
    return run.exitCode != 0 && run.out.isEmpty() && run.err.count(QLatin1Char('\n')) == 1
        && run.err.startsWith(QStringLiteral("parlowind: "));
}

// Every test runs against its own home, as a user's first start would.
class CleanupCommandsTest : public test::IsolatedTest
{
protected:
    CleanupSettingsStore store;
};

TEST_F(CleanupCommandsTest, CleanUsesTheUsersDictionaryAndShortcuts)
{
    store.saveTerms(
        { { QUuid::createUuid(), QStringLiteral("Kubernetes"), { QStringLiteral("cube and eighties") }, 0 } });
    store.saveShortcuts({ { QUuid::createUuid(), QStringLiteral("my sign off"), QStringLiteral("Best,\nAnn") } });
    const ProcessResult run
        = runParlowind({ QStringLiteral("clean") }, "um  deploy to cube and eighties,\nscratch that\n");
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("Deploy to Kubernetes\n"));

    const ProcessResult signOff = runParlowind({ QStringLiteral("clean") }, "thanks. my sign off");
    EXPECT_EQ(signOff.out, QStringLiteral("Thanks. Best, Ann\n"));
}

struct LevelCase
{
    const char *name;
    QStringList arguments;
    QString preference; // empty: not set
    QString expected;
};

void PrintTo(const LevelCase &row, std::ostream *os)
{
    *os << row.name;
}

class CleanLevelTest : public CleanupCommandsTest, public ::testing::WithParamInterface<LevelCase>
{
};

TEST_P(CleanLevelTest, PicksTheFillerLevel)
{
    if (!GetParam().preference.isEmpty()) {
        QSettings settings(AppPaths::settingsFile(), QSettings::IniFormat);
        settings.setValue(QStringLiteral("fillerAggressiveness"), GetParam().preference);
    }
    const ProcessResult run
        = runParlowind(QStringList { QStringLiteral("clean") } + GetParam().arguments, "um, it looks like rain");
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, GetParam().expected + QLatin1Char('\n'));
}

INSTANTIATE_TEST_SUITE_P(
    Table, CleanLevelTest,
    ::testing::Values(
        LevelCase { "DefaultConservative", {}, {}, QStringLiteral(", It looks like rain") },
        LevelCase { "PreferenceAggressive", {}, QStringLiteral("aggressive"), QStringLiteral(", It looks rain") },
        LevelCase { "UnknownPreference", {}, QStringLiteral("loud"), QStringLiteral(", It looks like rain") },
        LevelCase { "OptionBeatsPreference",
                    { QStringLiteral("--filler"), QStringLiteral("off") },
                    QStringLiteral("aggressive"),
                    QStringLiteral("Um, it looks like rain") },
        LevelCase {
            "OptionWithEquals", { QStringLiteral("--filler=aggressive") }, {}, QStringLiteral(", It looks rain") }),
    [](const ::testing::TestParamInfo<LevelCase> &info) { return std::string(info.param.name); });

TEST_F(CleanupCommandsTest, CleanOfNothingPrintsNothing)
{
    const ProcessResult run = runParlowind({ QStringLiteral("clean") }, "  \n");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.isEmpty());
}

TEST_F(CleanupCommandsTest, CleanRejectsBadArguments)
{
    for (const QStringList &arguments :
         { QStringList { QStringLiteral("clean"), QStringLiteral("--filler"), QStringLiteral("loud") },
           QStringList { QStringLiteral("clean"), QStringLiteral("--filler") },
           QStringList { QStringLiteral("clean"), QStringLiteral("extra") } }) {
        const ProcessResult run = runParlowind(arguments, "um");
        EXPECT_EQ(run.exitCode, 2) << arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(isOneLineError(run)) << run.err.toStdString();
    }
}

TEST_F(CleanupCommandsTest, ExportThenImportRoundTrip)
{
    const QList<DictionaryTerm> terms {
        { QUuid::createUuid(), QStringLiteral("Zoë"), { QStringLiteral("zoey") }, 4 },
        { QUuid::createUuid(), QStringLiteral("GitHub"), { QStringLiteral("git hub") }, 0 },
    };
    store.saveTerms(terms);
    const QString exported = home.filePath(QStringLiteral("parlowind-dictionary.json"));

    const ProcessResult out = runParlowind({ QStringLiteral("dictionary"), QStringLiteral("export"), exported });
    EXPECT_EQ(out.exitCode, 0) << out.err.toStdString();
    EXPECT_EQ(out.out, QStringLiteral("Exported 2 terms\n"));
    EXPECT_EQ(DictionaryTransfer::parse(readAll(exported)), terms);

    const ProcessResult again = runParlowind({ QStringLiteral("dictionary"), QStringLiteral("import"), exported });
    EXPECT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_EQ(again.out, QStringLiteral("Already had all 2 terms\n"));
    EXPECT_EQ(store.loadTerms(), terms);

    // Into an empty dictionary the same file brings the terms back whole.
    QFile::remove(store.termsPath());
    const ProcessResult restored = runParlowind({ QStringLiteral("dictionary"), QStringLiteral("import"), exported });
    EXPECT_EQ(restored.out, QStringLiteral("Added 2 of 2\n"));
    EXPECT_EQ(store.loadTerms(), terms);
}

TEST_F(CleanupCommandsTest, ImportAWordListMergesAndActsOnClean)
{
    store.saveTerms({ { QUuid::createUuid(), QStringLiteral("github"), { QStringLiteral("git hub") }, 1 } });
    const QString list = home.filePath(QStringLiteral("words.txt"));
    writeAll(list, "# team words\nGitHub, get hub\nKubernetes, cube and eighties\n");

    const ProcessResult run = runParlowind({ QStringLiteral("dictionary"), QStringLiteral("import"), list });
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("Added 1 of 2\n"));
    const QList<DictionaryTerm> terms = store.loadTerms();
    ASSERT_EQ(terms.size(), 2);
    EXPECT_EQ(terms[0].spokenAs, QStringList({ QStringLiteral("git hub"), QStringLiteral("get hub") }));

    const ProcessResult cleaned = runParlowind({ QStringLiteral("clean") }, "push to get hub and cube and eighties");
    EXPECT_EQ(cleaned.out, QStringLiteral("Push to github and Kubernetes\n"));
}

struct BadImportCase
{
    const char *name;
    QByteArray content; // written to the import file unless `missing`
    bool missing;
    QString message;
};

void PrintTo(const BadImportCase &row, std::ostream *os)
{
    *os << row.name;
}

class BadImportTest : public CleanupCommandsTest, public ::testing::WithParamInterface<BadImportCase>
{
};

TEST_P(BadImportTest, FailsInOneLineAndLeavesTheDictionary)
{
    store.saveTerms({ { QUuid::createUuid(), QStringLiteral("Keep"), { QStringLiteral("keep me") }, 0 } });
    const QByteArray before = readAll(store.termsPath());
    const QString path = home.filePath(QStringLiteral("import.txt"));
    if (!GetParam().missing)
        writeAll(path, GetParam().content);

    const ProcessResult run = runParlowind({ QStringLiteral("dictionary"), QStringLiteral("import"), path });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(isOneLineError(run)) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(GetParam().message)) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(path)) << run.err.toStdString();
    EXPECT_EQ(readAll(store.termsPath()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Table, BadImportTest,
    ::testing::Values(BadImportCase { "Missing", {}, true, QStringLiteral("cannot read") },
                      BadImportCase { "Binary", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), false,
                                      QStringLiteral("That does not look like a dictionary file") },
                      BadImportCase { "Empty", {}, false, QStringLiteral("That file has no terms in it") },
                      BadImportCase { "DamagedJson", "[{\"term\": \"x\"", false,
                                      QStringLiteral("That does not look like a dictionary file") }),
    [](const ::testing::TestParamInfo<BadImportCase> &info) { return std::string(info.param.name); });

// The damaged file never loaded, so the import starts from nothing; what the
// user had is kept beside the new file rather than overwritten.
TEST_F(CleanupCommandsTest, ImportOverADamagedDictionaryKeepsTheOldBytes)
{
    writeAll(store.termsPath(), "[{\"term\": \"hand edited\",}]");
    const QString list = home.filePath(QStringLiteral("words.txt"));
    writeAll(list, "Kubernetes\n");

    const ProcessResult run = runParlowind({ QStringLiteral("dictionary"), QStringLiteral("import"), list });
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("Added 1 of 1\n"));
    ASSERT_EQ(store.loadTerms().size(), 1);
    EXPECT_EQ(readAll(store.termsPath() + QStringLiteral(".damaged")), QByteArray("[{\"term\": \"hand edited\",}]"));
}

TEST_F(CleanupCommandsTest, ImportOfAFolderFails)
{
    const ProcessResult run = runParlowind({ QStringLiteral("dictionary"), QStringLiteral("import"), home.path() });
    EXPECT_TRUE(isOneLineError(run)) << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(store.termsPath()));
}

TEST_F(CleanupCommandsTest, ExportToAnUnwritablePlaceFails)
{
    const ProcessResult run = runParlowind(
        { QStringLiteral("dictionary"), QStringLiteral("export"), QStringLiteral("/proc/parlowind/x.json") });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(isOneLineError(run)) << run.err.toStdString();
}

TEST_F(CleanupCommandsTest, DictionaryUsage)
{
    for (const QStringList &arguments :
         { QStringList { QStringLiteral("dictionary") },
           QStringList { QStringLiteral("dictionary"), QStringLiteral("list"), QStringLiteral("x") },
           QStringList { QStringLiteral("dictionary"), QStringLiteral("import") } }) {
        const ProcessResult run = runParlowind(arguments);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(isOneLineError(run)) << run.err.toStdString();
    }
}

} // namespace
