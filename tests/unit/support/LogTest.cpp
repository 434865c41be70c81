#include "support/Log.h"
#include "support/AppPaths.h"
#include "support/Error.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <stdexcept>

using namespace parlowind;

namespace {

class SampleError final : public Error
{
public:
    QString description() const override { return QStringLiteral("The disk is full."); }
    QString logDescription() const override { return QStringLiteral("writeFailed(code: 28)"); }
};

QString lastLine()
{
    QFile file(Log::fileUrl());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QStringList all = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return all.isEmpty() ? QString() : all.last();
}

QString afterTimestamp(const QString &line)
{
    return line.mid(24); // "yyyy-MM-dd HH:mm:ss.zzz "
}

class LogTest : public ::testing::Test
{
protected:
    void TearDown() override { Log::setFileLoggingEnabled(false); }
};

// The test process's home is a temporary folder set up by the test main.
TEST_F(LogTest, FileLivesInTheStateFolder)
{
    EXPECT_EQ(Log::fileUrl(), QDir(AppPaths::logsDirectory()).filePath(QStringLiteral("parlowind.log")));
    EXPECT_TRUE(Log::fileUrl().contains(QStringLiteral("/Parlowind/")));
}

TEST_F(LogTest, NothingIsWrittenUnlessTheApplicationTurnsTheFileOn)
{
    QFile::remove(Log::fileUrl());
    log(QStringLiteral("console only"));
    EXPECT_FALSE(QFile::exists(Log::fileUrl()));

    Log::setFileLoggingEnabled(true);
    log(QStringLiteral("to the file"));
    EXPECT_EQ(afterTimestamp(lastLine()), QStringLiteral("to the file"));
}

TEST_F(LogTest, LogErrorNamesContextAndError)
{
    Log::setFileLoggingEnabled(true);
    logError(QStringLiteral("Saving history"), SampleError());
    EXPECT_EQ(afterTimestamp(lastLine()), QStringLiteral("ERROR: Saving history: writeFailed(code: 28)"));

    logError(QStringLiteral("Reading"), std::runtime_error("plain failure"));
    EXPECT_EQ(afterTimestamp(lastLine()), QStringLiteral("ERROR: Reading: plain failure"));
}

TEST_F(LogTest, PercentSignsArriveUnchanged)
{
    Log::setFileLoggingEnabled(true);
    log(QStringLiteral("100%s done %d %n %1"));
    EXPECT_EQ(afterTimestamp(lastLine()), QStringLiteral("100%s done %d %n %1"));
}

TEST(ErrorTest, WhatCarriesTheLogDescription)
{
    SampleError error;
    EXPECT_STREQ(error.what(), "writeFailed(code: 28)");
    EXPECT_EQ(describeForLog(error), QStringLiteral("writeFailed(code: 28)"));
}

} // namespace
