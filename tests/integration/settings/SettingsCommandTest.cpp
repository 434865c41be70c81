#include "IsolatedHome.h"
#include "ProcessRunner.h"
#include "support/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace parlowind {
namespace {

test::ProcessResult parlowind(const QStringList &arguments)
{
    return test::runProcess(QStringLiteral(PARLOWIND_BINARY), arguments);
}

QStringList settings(const QString &action, const QString &key = {}, const QString &value = {})
{
    QStringList arguments { QStringLiteral("settings"), action };
    if (!key.isNull())
        arguments << key;
    if (!value.isNull())
        arguments << value;
    return arguments;
}

class SettingsCommandTest : public test::IsolatedTest
{
protected:
    QByteArray fileContents() const
    {
        QFile file(AppPaths::settingsFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

TEST_F(SettingsCommandTest, ListShowsEveryDefault)
{
    const test::ProcessResult run = parlowind(settings(QStringLiteral("list")));
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out,
              QStringLiteral("dictationHotkey={\"kind\":\"fn\"}\n"
                             "hudPosition=bottomCenter\n"
                             "storeHistory=true\n"
                             "historyRetentionDays=30\n"
                             "playDictationSounds=true\n"
                             "dictationSoundVolume=0.7\n"
                             "offlineOnly=false\n"
                             "activeModelID=large-v3-turbo\n"
                             "fillerAggressiveness=conservative\n"));
    EXPECT_FALSE(QFileInfo::exists(AppPaths::settingsFile()));
}

TEST_F(SettingsCommandTest, SetThenGetInAnotherProcess)
{
    const QString chord = QStringLiteral(R"({"keyCode":57,"kind":"chord","modifiers":2})");
    for (const auto &[key, value] : { std::pair { QStringLiteral("historyRetentionDays"), QStringLiteral("45") },
                                      std::pair { QStringLiteral("dictationSoundVolume"), QStringLiteral("0.25") },
                                      std::pair { QStringLiteral("offlineOnly"), QStringLiteral("true") },
                                      std::pair { QStringLiteral("hudPosition"), QStringLiteral("topCenter") },
                                      std::pair { QStringLiteral("dictationHotkey"), chord } }) {
        const test::ProcessResult set = parlowind(settings(QStringLiteral("set"), key, value));
        EXPECT_EQ(set.exitCode, 0) << set.err.toStdString();
        const test::ProcessResult get = parlowind(settings(QStringLiteral("get"), key));
        EXPECT_EQ(get.exitCode, 0) << get.err.toStdString();
        EXPECT_EQ(get.out, value + QLatin1Char('\n'));
    }
}

TEST_F(SettingsCommandTest, RefusedValuesChangeNothing)
{
    ASSERT_EQ(parlowind(settings(QStringLiteral("set"), QStringLiteral("historyRetentionDays"), QStringLiteral("60")))
                  .exitCode,
              0);
    const QByteArray before = fileContents();
    for (const QStringList &arguments :
         { settings(QStringLiteral("set"), QStringLiteral("historyRetentionDays"), QStringLiteral("0")),
           settings(QStringLiteral("set"), QStringLiteral("historyRetentionDays"), QStringLiteral("400")),
           settings(QStringLiteral("set"), QStringLiteral("dictationSoundVolume"), QStringLiteral("2")),
           settings(QStringLiteral("set"), QStringLiteral("storeHistory"), QStringLiteral("perhaps")),
           settings(QStringLiteral("set"), QStringLiteral("colour"), QStringLiteral("blue")),
           settings(QStringLiteral("get"), QStringLiteral("colour")),
           settings(QStringLiteral("set"), QStringLiteral("hudPosition")), settings(QStringLiteral("frobnicate")) }) {
        const test::ProcessResult run = parlowind(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(run.err.count(QLatin1Char('\n')), 1) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_EQ(fileContents(), before);
    }
}

TEST_F(SettingsCommandTest, HandEditedGarbageReadsAsDefaults)
{
    QDir().mkpath(QFileInfo(AppPaths::settingsFile()).absolutePath());
    QFile file(AppPaths::settingsFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[General]\nhistoryRetentionDays=lots\ndictationSoundVolume=-3\nhudPosition=middle\n"
               "dictationHotkey={broken\nstoreHistory=\n");
    file.close();

    const test::ProcessResult run = parlowind(settings(QStringLiteral("list")));
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("historyRetentionDays=30\n")));
    EXPECT_TRUE(run.out.contains(QStringLiteral("dictationSoundVolume=0\n")));
    EXPECT_TRUE(run.out.contains(QStringLiteral("hudPosition=bottomCenter\n")));
    EXPECT_TRUE(run.out.contains(QStringLiteral("dictationHotkey={\"kind\":\"fn\"}\n")));
    EXPECT_TRUE(run.out.contains(QStringLiteral("storeHistory=true\n")));
}

} // namespace
} // namespace parlowind
