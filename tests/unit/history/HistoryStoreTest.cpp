#include "history/HistoryStore.h"
#include "IsolatedHome.h"
#include "LogCapture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include "FileSizeLimit.h"

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <optional>
#include <sys/resource.h>
#include <thread>

namespace parlowind {
namespace {

const QDateTime startOf2025(QDate(2025, 1, 1), QTime(0, 0), Qt::UTC);

HistoryEntry makeEntry(const QString &text, QDateTime when = startOf2025)
{
    return HistoryEntry {
        QUuid::createUuid(), when, text, QStringLiteral("org.example.Editor"), QStringLiteral("Editor"),
        QStringLiteral("ax")
    };
}

class HistoryStoreTest : public test::IsolatedTest
{
protected:
    QString path() const { return HistoryStore::defaultFilePath(); }

    void writeRaw(const QByteArray &contents) const
    {
        QDir().mkpath(QFileInfo(path()).absolutePath());
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(contents);
    }

    QByteArray readRaw() const
    {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QStringList texts(const QList<HistoryEntry> &entries) const
    {
        QStringList result;
        for (const HistoryEntry &entry : entries)
            result << entry.text;
        return result;
    }

    QList<HistoryEntry> reload() const { return HistoryStore(path(), false, 30).all(); }
};

TEST_F(HistoryStoreTest, RecordsReloadAtWholeSeconds)
{
    HistoryStore store(path(), true, 30);
    HistoryEntry first = makeEntry(QStringLiteral("first\nwith a line break"),
                                   QDateTime(QDate(2025, 3, 1), QTime(10, 0, 0, 999), Qt::UTC));
    HistoryEntry second = makeEntry(QStringLiteral("second"));
    second.appName.reset();
    second.appBundleIdentifier.reset();
    store.record(first);
    store.record(second);

    first.timestamp = QDateTime(QDate(2025, 3, 1), QTime(10, 0, 0), Qt::UTC);
    const QList<HistoryEntry> expected { first, second };
    EXPECT_EQ(store.all(), expected);
    EXPECT_EQ(reload(), expected);
    EXPECT_EQ(readRaw().count('\n'), 2);
    EXPECT_FALSE(readRaw().split('\n').at(1).contains("appName"));
}

TEST_F(HistoryStoreTest, DamagedLinesAreSkippedAndTheRestKept)
{
    HistoryStore writer(path(), true, 30);
    writer.record(makeEntry(QStringLiteral("kept one")));
    writer.record(makeEntry(QStringLiteral("kept two")));
    const QList<QByteArray> good = readRaw().split('\n');
    writeRaw(
        good.at(0) + "\n{not json\n\n\n"
        + R"({"id":"3F2504E0-4F89-41D3-9A0C-0305E82C3301","timestamp":"2025-01-31T14:05:09.5Z","text":"x","tier":"ax"})"
        + "\n" + good.at(1) + "\n" + good.at(0).left(20)); // a partial last line

    EXPECT_EQ(texts(reload()), (QStringList { QStringLiteral("kept one"), QStringLiteral("kept two") }));
}

TEST_F(HistoryStoreTest, AppendAfterACrashedPartialLineLosesNothing)
{
    HistoryStore writer(path(), true, 30);
    writer.record(makeEntry(QStringLiteral("before the crash")));
    writeRaw(readRaw() + R"({"id":"3F2504E0-4F89-41D3-9A0C-0305E82C3301","timest)");

    HistoryStore afterRestart(path(), true, 30);
    afterRestart.record(makeEntry(QStringLiteral("after the restart")));
    EXPECT_EQ(texts(reload()),
              (QStringList { QStringLiteral("before the crash"), QStringLiteral("after the restart") }));
}

TEST_F(HistoryStoreTest, DisabledStoreWritesNothingButLoadsAndPrunes)
{
    {
        HistoryStore disabled(path(), false, 30);
        disabled.record(makeEntry(QStringLiteral("ignored")));
        EXPECT_TRUE(disabled.all().isEmpty());
        EXPECT_FALSE(QFileInfo::exists(QFileInfo(path()).absolutePath())) << "no folder for a disabled history";
    }

    HistoryStore writer(path(), true, 30);
    writer.record(makeEntry(QStringLiteral("old"), startOf2025));
    writer.record(makeEntry(QStringLiteral("recent"), startOf2025.addDays(40)));

    HistoryStore disabled(path(), false, 30);
    EXPECT_EQ(disabled.all().size(), 2);
    EXPECT_EQ(disabled.prune(startOf2025.addDays(41)), 1);
    EXPECT_EQ(texts(reload()), QStringList { QStringLiteral("recent") });
}

TEST_F(HistoryStoreTest, PruneKeepsTheEntryExactlyAtTheBoundary)
{
    const QDateTime now(QDate(2025, 6, 30), QTime(12, 0, 0), Qt::UTC);
    HistoryStore store(path(), true, 30);
    store.record(makeEntry(QStringLiteral("a second too old"), now.addDays(-30).addSecs(-1)));
    store.record(makeEntry(QStringLiteral("exactly thirty days"), now.addDays(-30)));
    store.record(makeEntry(QStringLiteral("today"), now));

    test::LogCapture logs;
    EXPECT_EQ(HistoryStore(path(), true, 30).pruneAtStartup(now), 1);
    EXPECT_EQ(logs.lines(), QStringList { QStringLiteral("Pruned 1 history entries past retention") });
    EXPECT_EQ(texts(reload()), (QStringList { QStringLiteral("exactly thirty days"), QStringLiteral("today") }));

    const QByteArray before = readRaw();
    EXPECT_EQ(HistoryStore(path(), true, 30).pruneAtStartup(now), 0);
    EXPECT_EQ(readRaw(), before);
    EXPECT_EQ(logs.lines().size(), 1) << "nothing pruned, nothing logged";
}

TEST_F(HistoryStoreTest, DeleteByIdRewritesOnlyWhenFound)
{
    HistoryStore store(path(), true, 30);
    const HistoryEntry keep = makeEntry(QStringLiteral("keep"));
    const HistoryEntry drop = makeEntry(QStringLiteral("drop"));
    store.record(keep);
    store.record(drop);
    // A damaged line stays until something rewrites the file.
    writeRaw(readRaw() + "garbage\n");
    const QByteArray before = readRaw();

    EXPECT_FALSE(store.deleteEntry(QUuid::createUuid()));
    EXPECT_EQ(readRaw(), before);

    EXPECT_TRUE(store.deleteEntry(drop.id));
    EXPECT_EQ(store.all(), QList<HistoryEntry> { keep });
    EXPECT_FALSE(readRaw().contains(drop.idText().toUtf8()));
    EXPECT_FALSE(readRaw().contains("garbage"));
    EXPECT_EQ(reload(), QList<HistoryEntry> { keep });
}

TEST_F(HistoryStoreTest, DeleteAllLeavesAnEmptyFile)
{
    HistoryStore empty(path(), true, 30);
    EXPECT_EQ(empty.deleteAll(), 0);
    EXPECT_FALSE(QFileInfo::exists(path())) << "nothing to clear, nothing written";

    empty.record(makeEntry(QStringLiteral("one")));
    empty.record(makeEntry(QStringLiteral("two")));
    EXPECT_EQ(empty.deleteAll(), 2);
    EXPECT_TRUE(QFileInfo::exists(path()));
    EXPECT_TRUE(readRaw().isEmpty());
    EXPECT_TRUE(empty.all().isEmpty());
}

TEST_F(HistoryStoreTest, SearchIgnoresCaseInAnyScriptAndOnlyLooksAtText)
{
    HistoryStore store(path(), true, 30);
    for (const char *text : { "Deploy to Kubernetes", "Une école à Paris", "Die Straße ist lang", "ΟΔΟΣ ΑΘΗΝΑΣ",
                              "Москва зимой", "Editor notes" })
        store.record(makeEntry(QString::fromUtf8(text)));

    const auto found = [&](const char *query) { return texts(store.search(QString::fromUtf8(query))); };
    EXPECT_EQ(found("").size(), 6);
    EXPECT_EQ(found("kubernetes"), QStringList { QStringLiteral("Deploy to Kubernetes") });
    EXPECT_EQ(found("ÉCOLE"), QStringList { QString::fromUtf8("Une école à Paris") });
    EXPECT_EQ(found("e\u0301cole"), QStringList { QString::fromUtf8("Une école à Paris") }) << "decomposed query";
    EXPECT_TRUE(found("ecole").isEmpty()) << "accents still count";
    EXPECT_EQ(found("STRASSE"), QStringList { QString::fromUtf8("Die Straße ist lang") });
    EXPECT_EQ(found("οδος"), QStringList { QString::fromUtf8("ΟΔΟΣ ΑΘΗΝΑΣ") });
    EXPECT_EQ(found("МОСКВА"), QStringList { QString::fromUtf8("Москва зимой") });
    EXPECT_EQ(found("editor"), QStringList { QStringLiteral("Editor notes") }) << "never the application name";
}

TEST_F(HistoryStoreTest, FailedWritesLeaveFileAndMemoryAsTheyWere)
{
    HistoryStore store(path(), true, 30);
    for (int i = 0; i < 20; ++i)
        store.record(makeEntry(QStringLiteral("entry %1").arg(i), startOf2025.addDays(i)));
    const QByteArray before = readRaw();
    const QList<HistoryEntry> inMemory = store.all();

    const auto failureOf = [](const std::function<void()> &change) {
        try {
            change();
        } catch (const HistoryStoreError &error) {
            return std::optional(error.kind());
        }
        return std::optional<HistoryStoreError::Kind>();
    };
    {
        // Room for the lock file, not for the rewritten history.
        const test::FileSizeLimit limit(512);
        EXPECT_EQ(failureOf([&] { store.deleteEntry(inMemory.at(3).id); }), HistoryStoreError::Kind::writeFailed);
        EXPECT_EQ(failureOf([&] { store.prune(startOf2025.addDays(40)); }), HistoryStoreError::Kind::writeFailed);
    }
    {
        // An append that only partly fits is taken back whole.
        const test::FileSizeLimit limit(before.size() + 10);
        EXPECT_EQ(failureOf([&] { store.record(makeEntry(QStringLiteral("no room"))); }),
                  HistoryStoreError::Kind::writeFailed);
    }
    EXPECT_EQ(readRaw(), before);
    EXPECT_EQ(store.all(), inMemory);
    EXPECT_EQ(QDir(QFileInfo(path()).absolutePath()).entryList(QDir::Files | QDir::Hidden),
              QStringList { QStringLiteral("history.jsonl") })
        << "no temporary file left behind";

    EXPECT_TRUE(store.deleteEntry(inMemory.at(3).id)) << "works again once there is room";
}

TEST_F(HistoryStoreTest, FailedAppendKeepsMemoryAndThrows)
{
    // The history's folder is a regular file: nothing can be created below it.
    const QString blocker = home.filePath(QStringLiteral("not-a-folder"));
    QFile file(blocker);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    HistoryStore store(blocker + QStringLiteral("/history.jsonl"), true, 30);
    EXPECT_THROW(store.record(makeEntry(QStringLiteral("lost?"))), HistoryStoreError);
    EXPECT_TRUE(store.all().isEmpty());
}

TEST_F(HistoryStoreTest, UnreadableFileIsNeverReplaced)
{
    HistoryStore store(path(), true, 30);
    store.record(makeEntry(QStringLiteral("one")));
    // Swap the file for a folder: a rewrite cannot read what is there, so it
    // must refuse instead of writing what it has in memory.
    QFile::remove(path());
    QDir().mkpath(path());
    EXPECT_THROW(store.deleteEntry(store.all().first().id), HistoryStoreError);
    EXPECT_THROW(store.record(makeEntry(QStringLiteral("two"))), HistoryStoreError);
    EXPECT_TRUE(QFileInfo(path()).isDir());
}

TEST_F(HistoryStoreTest, RewriteKeepsWhatAnotherWriterAppended)
{
    HistoryStore app(path(), true, 30);
    const HistoryEntry old = makeEntry(QStringLiteral("old"));
    app.record(old);

    // A second writer (another process in real life) whose list is stale.
    HistoryStore terminal(path(), true, 30);
    app.record(makeEntry(QStringLiteral("recorded after the terminal loaded")));
    EXPECT_TRUE(terminal.deleteEntry(old.id));

    EXPECT_EQ(texts(reload()), QStringList { QStringLiteral("recorded after the terminal loaded") });
    EXPECT_EQ(texts(terminal.all()), QStringList { QStringLiteral("recorded after the terminal loaded") });
}

TEST_F(HistoryStoreTest, ConcurrentWritersLoseNothing)
{
    HistoryStore seed(path(), true, 30);
    QList<QUuid> toDelete;
    for (int i = 0; i < 40; ++i) {
        const HistoryEntry entry = makeEntry(QStringLiteral("doomed %1").arg(i));
        seed.record(entry);
        toDelete.append(entry.id);
    }

    constexpr int threadsPerStore = 3;
    constexpr int appendsPerThread = 40;
    HistoryStore first(path(), true, 30);
    HistoryStore second(path(), true, 30);
    QMutex idsMutex;
    QSet<QUuid> appended;
    std::vector<std::thread> threads;
    for (HistoryStore *store : { &first, &second }) {
        for (int t = 0; t < threadsPerStore; ++t) {
            threads.emplace_back([&, store] {
                for (int i = 0; i < appendsPerThread; ++i) {
                    const HistoryEntry entry = makeEntry(QStringLiteral("appended"));
                    store->record(entry);
                    QMutexLocker locker(&idsMutex);
                    appended.insert(entry.id);
                }
            });
        }
    }
    // Rewrites race the appends.
    threads.emplace_back([&] {
        for (const QUuid &id : toDelete)
            EXPECT_TRUE((id.data1 % 2 ? first : second).deleteEntry(id));
    });
    for (std::thread &thread : threads)
        thread.join();

    QSet<QUuid> onDisk;
    for (const HistoryEntry &entry : reload())
        onDisk.insert(entry.id);
    EXPECT_EQ(appended.size(), 2 * threadsPerStore * appendsPerThread);
    EXPECT_EQ(onDisk, appended);
}

} // namespace
} // namespace parlowind
