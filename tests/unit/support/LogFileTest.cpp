#include "support/LogFile.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace parlowind;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList lines(const QString &path)
{
    return QString::fromUtf8(readAll(path)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void writeBytes(const QString &path, qint64 size, char fill = 'x')
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(QByteArray(size, fill)), size);
}

const QRegularExpression linePattern(QStringLiteral(R"(^(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\.\d{3}) (.*)$)"));

class LogFileTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("Parlowind/parlowind.log")); }
};

TEST_F(LogFileTest, FirstWriteCreatesFolderAndOneTimestampedLine)
{
    LogFile log(path());
    log.write(QStringLiteral("AudioCapture: started 100% — ünïcode %s"));

    const QByteArray content = readAll(path());
    ASSERT_TRUE(content.endsWith('\n'));
    const QStringList all = lines(path());
    ASSERT_EQ(all.size(), 1);
    const auto match = linePattern.match(all.first());
    ASSERT_TRUE(match.hasMatch()) << all.first().toStdString();
    EXPECT_EQ(match.captured(2), QStringLiteral("AudioCapture: started 100% — ünïcode %s"));
}

TEST_F(LogFileTest, MultiLineMessageCarriesOneTimestamp)
{
    LogFile log(path());
    log.write(QStringLiteral("first\nsecond"));
    const QStringList all = lines(path());
    ASSERT_EQ(all.size(), 2);
    EXPECT_TRUE(linePattern.match(all[0]).hasMatch());
    EXPECT_EQ(all[1], QStringLiteral("second"));
}

TEST_F(LogFileTest, AppendsToExistingFile)
{
    LogFile log(path());
    log.write(QStringLiteral("one"));
    log.write(QStringLiteral("two"));
    const QStringList all = lines(path());
    ASSERT_EQ(all.size(), 2);
    EXPECT_TRUE(all[0].endsWith(QStringLiteral(" one")));
    EXPECT_TRUE(all[1].endsWith(QStringLiteral(" two")));
}

struct RotationCase
{
    const char *name;
    qint64 existingBytes;
    bool rotates;
};

class LogRotationTest : public LogFileTest, public ::testing::WithParamInterface<RotationCase>
{
};

TEST_P(LogRotationTest, RotatesOnlyPastTheLimit)
{
    const RotationCase c = GetParam();
    LogFile log(path());
    writeBytes(path(), c.existingBytes);
    writeBytes(log.previousPath(), 10, 'o'); // an older generation to be replaced

    log.write(QStringLiteral("after"));

    if (c.rotates) {
        EXPECT_EQ(readAll(log.previousPath()), QByteArray(c.existingBytes, 'x'));
        const QStringList all = lines(path());
        ASSERT_EQ(all.size(), 1);
        EXPECT_TRUE(all.first().endsWith(QStringLiteral(" after")));
    } else {
        EXPECT_EQ(readAll(log.previousPath()), QByteArray(10, 'o'));
        const QByteArray content = readAll(path());
        EXPECT_TRUE(content.startsWith(QByteArray(c.existingBytes, 'x')));
        EXPECT_TRUE(content.endsWith(" after\n"));
    }
}

INSTANTIATE_TEST_SUITE_P(Limits, LogRotationTest,
                         ::testing::Values(RotationCase { "below", 1000, false },
                                           RotationCase { "exactlyAtLimit", 524288, false },
                                           RotationCase { "oneByteOver", 524289, true }),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(LogFileTest, PreviousLogIsNamedAfterTheCurrentOne)
{
    LogFile log(path());
    EXPECT_EQ(log.previousPath(), dir.filePath(QStringLiteral("Parlowind/parlowind.previous.log")));
}

TEST_F(LogFileTest, FileOrFolderRemovedUnderneathIsRecreated)
{
    LogFile log(path());
    log.write(QStringLiteral("one"));
    ASSERT_TRUE(QFile::remove(path()));
    log.write(QStringLiteral("two"));
    EXPECT_EQ(lines(path()).size(), 1);

    ASSERT_TRUE(QDir(dir.filePath(QStringLiteral("Parlowind"))).removeRecursively());
    log.write(QStringLiteral("three"));
    const QStringList all = lines(path());
    ASSERT_EQ(all.size(), 1);
    EXPECT_TRUE(all.first().endsWith(QStringLiteral(" three")));
}

TEST_F(LogFileTest, UnwritableLocationIsSilentlyIgnored)
{
    // A regular file where the folder should be: nothing can be created below it.
    writeBytes(dir.filePath(QStringLiteral("blocker")), 1);
    LogFile log(dir.filePath(QStringLiteral("blocker/Parlowind/parlowind.log")));
    log.write(QStringLiteral("lost"));
    EXPECT_FALSE(QFile::exists(log.path()));
}

TEST_F(LogFileTest, ConcurrentWritersLoseAndInterleaveNothing)
{
    constexpr int threads = 8;
    constexpr int perThread = 400;
    LogFile log(path());
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&log, t] {
            for (int i = 0; i < perThread; ++i)
                log.write(QStringLiteral("writer %1 line %2 %3").arg(t).arg(i).arg(QString(40, QLatin1Char('z'))));
        });
    }
    for (auto &worker : workers)
        worker.join();

    const QStringList all = lines(path());
    ASSERT_EQ(all.size(), threads * perThread);
    std::vector<int> next(threads, 0);
    const QRegularExpression body(QStringLiteral(R"(^writer (\d+) line (\d+) z{40}$)"));
    for (const QString &line : all) {
        const auto outer = linePattern.match(line);
        ASSERT_TRUE(outer.hasMatch()) << line.toStdString();
        const auto inner = body.match(outer.captured(2));
        ASSERT_TRUE(inner.hasMatch()) << line.toStdString();
        // Each writer's lines appear whole and in its own order.
        const int writer = inner.captured(1).toInt();
        EXPECT_EQ(inner.captured(2).toInt(), next[writer]++);
    }
}

TEST_F(LogFileTest, ConcurrentWritersAcrossRotationKeepEveryLine)
{
    // A tiny limit forces many rotations while threads append.
    LogFile log(path(), 2048);
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t)
        workers.emplace_back([&log] {
            for (int i = 0; i < 200; ++i)
                log.write(QStringLiteral("rotating line"));
        });
    for (auto &worker : workers)
        worker.join();

    for (const QString &file : { path(), log.previousPath() }) {
        const QByteArray content = readAll(file);
        ASSERT_FALSE(content.isEmpty());
        EXPECT_TRUE(content.endsWith('\n'));
        for (const QString &line : lines(file))
            EXPECT_TRUE(linePattern.match(line).hasMatch()) << line.toStdString();
    }
    // Bounded: the current file exceeds the limit by at most one line.
    EXPECT_LE(QFile(path()).size(), 2048 + 64);
}

} // namespace
