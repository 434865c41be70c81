#include "IsolatedHome.h"
#include "ProcessRunner.h"
#include "history/HistoryStore.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

namespace parlowind {
namespace {

test::ProcessResult parlowind(const QStringList &arguments)
{
    return test::runProcess(QStringLiteral(PARLOWIND_BINARY), arguments);
}

HistoryEntry entry(const QString &text, int day, std::optional<QString> app = QStringLiteral("Editor"))
{
    return HistoryEntry { QUuid::createUuid(),
                          QDateTime(QDate(2025, 1, day), QTime(9, 30, 0), Qt::UTC),
                          text,
                          QStringLiteral("org.example.Editor"),
                          app,
                          QStringLiteral("paste") };
}

class HistoryCommandTest : public test::IsolatedTest
{
protected:
    void SetUp() override
    {
        HistoryStore store(HistoryStore::defaultFilePath(), true, 365);
        for (const HistoryEntry &e : entries)
            store.record(e);
    }

    QByteArray fileContents() const
    {
        QFile file(HistoryStore::defaultFilePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    const QList<HistoryEntry> entries { entry(QStringLiteral("Oldest note about Kubernetes"), 1),
                                        entry(QStringLiteral("Zweite Straße\nmit Umbruch"), 2, std::nullopt),
                                        entry(QStringLiteral("Newest KUBERNETES rollout"), 3) };
};

TEST_F(HistoryCommandTest, ListsNewestFirstOneLinePerEntry)
{
    const test::ProcessResult run = parlowind({ QStringLiteral("history") });
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << run.out.toStdString();
    EXPECT_TRUE(lines.at(0).endsWith(QStringLiteral("Newest KUBERNETES rollout")));
    EXPECT_TRUE(lines.at(0).contains(entries.at(2).idText()));
    EXPECT_TRUE(lines.at(0).contains(QStringLiteral("Editor")));
    EXPECT_TRUE(lines.at(1).endsWith(QStringLiteral("Zweite Straße ⏎ mit Umbruch")));
    EXPECT_TRUE(lines.at(1).contains(QStringLiteral("org.example.Editor")));
    EXPECT_TRUE(lines.at(2).endsWith(QStringLiteral("Oldest note about Kubernetes")));
}

TEST_F(HistoryCommandTest, JsonIsTheStoredLinesOldestFirst)
{
    const test::ProcessResult run = parlowind({ QStringLiteral("history"), QStringLiteral("--json") });
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out.toUtf8(), fileContents());
}

TEST_F(HistoryCommandTest, SearchAndLimit)
{
    test::ProcessResult run = parlowind({ QStringLiteral("history"), QStringLiteral("--search"),
                                          QStringLiteral("kubernetes"), QStringLiteral("--json") });
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out.toUtf8(), entries.at(0).toJsonLine() + '\n' + entries.at(2).toJsonLine() + '\n');

    run = parlowind({ QStringLiteral("history"), QStringLiteral("--search"), QStringLiteral("STRASSE") });
    EXPECT_EQ(run.out.count(QLatin1Char('\n')), 1);
    EXPECT_TRUE(run.out.contains(entries.at(1).idText()));

    run = parlowind(
        { QStringLiteral("history"), QStringLiteral("--limit"), QStringLiteral("1"), QStringLiteral("--json") });
    EXPECT_EQ(run.out.toUtf8(), entries.at(2).toJsonLine() + '\n');
}

TEST_F(HistoryCommandTest, WrongArgumentsAreOneLineUsageErrors)
{
    for (const QStringList &arguments :
         { QStringList { QStringLiteral("history"), QStringLiteral("--limit"), QStringLiteral("0") },
           QStringList { QStringLiteral("history"), QStringLiteral("--limit") },
           QStringList { QStringLiteral("history"), QStringLiteral("--colour") },
           QStringList { QStringLiteral("history"), QStringLiteral("delete"), QStringLiteral("not-an-id") },
           QStringList { QStringLiteral("history"), QStringLiteral("clear"), QStringLiteral("now") } }) {
        const test::ProcessResult run = parlowind(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(run.err.count(QLatin1Char('\n')), 1) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
    }
    EXPECT_EQ(fileContents().count('\n'), 3);
}

TEST_F(HistoryCommandTest, DeleteRemovesOneEntry)
{
    const QByteArray before = fileContents();
    test::ProcessResult run
        = parlowind({ QStringLiteral("history"), QStringLiteral("delete"), QUuid::createUuid().toString() });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err.count(QLatin1Char('\n')), 1);
    EXPECT_EQ(fileContents(), before);

    run = parlowind({ QStringLiteral("history"), QStringLiteral("delete"), entries.at(1).idText().toLower() });
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(fileContents(), entries.at(0).toJsonLine() + '\n' + entries.at(2).toJsonLine() + '\n');
}

TEST_F(HistoryCommandTest, ClearEmptiesTheFile)
{
    test::ProcessResult run = parlowind({ QStringLiteral("history"), QStringLiteral("clear") });
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("Deleted 3 dictations\n"));
    EXPECT_TRUE(QFile::exists(HistoryStore::defaultFilePath()));
    EXPECT_TRUE(fileContents().isEmpty());

    run = parlowind({ QStringLiteral("history") });
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.isEmpty());
}

// The application records while a terminal deletes: both are real writers
// of one file, in two processes.
TEST_F(HistoryCommandTest, DeletesFromTheTerminalKeepWhatTheApplicationRecords)
{
    HistoryStore app(HistoryStore::defaultFilePath(), true, 365);
    QList<HistoryEntry> recorded;
    for (const HistoryEntry &doomed : entries) {
        QProcess terminal;
        terminal.start(QStringLiteral(PARLOWIND_BINARY),
                       { QStringLiteral("history"), QStringLiteral("delete"), doomed.idText() });
        for (int i = 0; i < 15; ++i) {
            recorded.append(entry(QStringLiteral("recorded while deleting"), 10));
            app.record(recorded.last());
        }
        ASSERT_TRUE(terminal.waitForFinished(30000));
        EXPECT_EQ(terminal.exitCode(), 0) << terminal.readAllStandardError().toStdString();
    }
    EXPECT_EQ(HistoryStore(HistoryStore::defaultFilePath(), false, 365).all(), recorded);
}

} // namespace
} // namespace parlowind
