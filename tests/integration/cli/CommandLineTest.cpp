#include "IsolatedHome.h"

#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

struct ProcessResult
{
    int exitCode;
    QString out;
    QString err;
};

ProcessResult runParlowind(const QStringList &arguments,
                           const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(PARLOWIND_BINARY), arguments);
    process.closeWriteChannel();
    if (!process.waitForFinished(30000))
        return { -1, {}, QStringLiteral("timed out") };
    return { process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
             QString::fromUtf8(process.readAllStandardError()) };
}

class CommandLineTest : public parlowind::test::IsolatedTest
{
};

TEST_F(CommandLineTest, VersionNamesParlowindAndWhisper)
{
    for (const QString &flag : { QStringLiteral("--version"), QStringLiteral("version") }) {
        const ProcessResult run = runParlowind({ flag });
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_TRUE(run.out.contains(QRegularExpression(QStringLiteral(R"(^Parlowind \d+\.\d+\.\d+\n)"))))
            << run.out.toStdString();
        EXPECT_TRUE(run.out.contains(QStringLiteral("whisper.cpp 1.9.1"))) << run.out.toStdString();
    }
}

TEST_F(CommandLineTest, HelpListsCommands)
{
    const ProcessResult run = runParlowind({ QStringLiteral("--help") });
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.contains(QStringLiteral("Usage: parlowind")));
    EXPECT_TRUE(run.out.contains(QStringLiteral("--version")));
    EXPECT_TRUE(run.out.contains(QStringLiteral("\n  version ")));
}

TEST_F(CommandLineTest, UnknownCommandIsAOneLineUsageError)
{
    const ProcessResult run = runParlowind({ QStringLiteral("frobnicate") });
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_EQ(run.err.count(QLatin1Char('\n')), 1) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("frobnicate")));
}

TEST_F(CommandLineTest, TheTrayApplicationWithoutADisplaySaysSoInsteadOfAborting)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    const ProcessResult run = runParlowind({}, environment);
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(run.err.count(QLatin1Char('\n')), 1) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("no graphical session"))) << run.err.toStdString();
}

} // namespace
