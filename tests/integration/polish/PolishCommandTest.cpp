// `parlowind polish` and `parlowind llm` end to end: a real HTTP server on
// 127.0.0.1, a private D-Bus bus with or without GNOME Keyring, and an
// isolated home whose every file is searched for the key afterwards.
#include "IsolatedHome.h"
#include "LocalHttpServer.h"
#include "Rigs.h"
#include "SecretServiceRig.h"

#include <QDeadlineTimer>
#include <QDirIterator>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>

#include <gtest/gtest.h>

using namespace parlowind::test;

namespace {

struct CommandRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

const QByteArray secretKey = "sk-test-SECRET-8c1f2e";
const QByteArray openAIAnswer = R"({"choices":[{"message":{"role":"assistant","content":"Hello, world."}}]})";

class PolishCommandTest : public IsolatedTest
{
protected:
    // Keeps the event loop turning while the command runs, so the local
    // server can answer it.
    CommandRun parlowind(const QStringList &arguments, const QByteArray &input = {})
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (m_bus)
            environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QString::fromUtf8(m_bus->busAddress()));
        process.setProcessEnvironment(environment);
        QEventLoop loop;
        QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(30000, &loop, &QEventLoop::quit);
        process.start(QStringLiteral(PARLOWIND_BINARY), arguments);
        process.write(input);
        process.closeWriteChannel();
        loop.exec();
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
            return {};
        }
        CommandRun run { process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                         QString::fromUtf8(process.readAllStandardError()) };
        m_outputs += run.out + run.err;
        return run;
    }

    bool startSecretService(SecretServiceRig::Keyring keyring)
    {
        m_bus = std::make_unique<SecretServiceRig>(keyring);
        EXPECT_TRUE(m_bus->isReady()) << m_bus->failure().toStdString();
        return m_bus->isReady();
    }

    void writeSettings(const QByteArray &json)
    {
        QDir().mkpath(home.filePath(QStringLiteral(".local/share/Parlowind")));
        QFile file(home.filePath(QStringLiteral(".local/share/Parlowind/llm.json")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(json);
    }

    void useLocalServer(double timeoutSeconds = 5.0)
    {
        writeSettings(R"({"isEnabled":true,"kind":"openAICompatible","model":"llama3","baseURL":")" + server.baseUrl()
                      + R"(/v1","timeoutSeconds":)" + QByteArray::number(timeoutSeconds) + "}");
    }

    void setOfflineOnly(bool on)
    {
        QSettings preferences(home.filePath(QStringLiteral(".config/Parlowind/Parlowind.conf")), QSettings::IniFormat);
        preferences.setValue(QStringLiteral("offlineOnly"), on);
    }

    // Every file below the isolated home (settings, log, anything else the
    // runs wrote) that contains `needle`.
    QStringList filesContaining(const QByteArray &needle) const
    {
        QStringList found;
        QDirIterator it(home.path(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            if (file.open(QIODevice::ReadOnly) && file.readAll().contains(needle))
                found << file.fileName();
        }
        return found;
    }

    void SetUp() override
    {
        PARLOWIND_REQUIRE_RIG(SecretServiceRig::toolsAvailable(), "dbus-daemon and gnome-keyring-daemon");
    }

    std::unique_ptr<SecretServiceRig> m_bus;
    QString m_outputs;
    QByteArray answerBody = openAIAnswer;
    int answerStatus = 200;
    LocalHttpServer server { [this](const HttpRequest &, HttpExchange &exchange) {
        exchange.respond(answerStatus, answerBody, { { "Content-Type", "application/json" } });
    } };
};

TEST_F(PolishCommandTest, WithoutSettingsTheTextPassesThrough)
{
    const CommandRun run = parlowind({ QStringLiteral("polish") }, "hello world\n");
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("hello world\n"));
    EXPECT_EQ(run.err, QStringLiteral("parlowind: polish skipped: AI polish is off (see parlowind llm show)\n"));
}

TEST_F(PolishCommandTest, OfflineOnlyNeverConnects)
{
    useLocalServer();
    setOfflineOnly(true);
    const CommandRun run = parlowind({ QStringLiteral("polish") }, "hello world\n");
    EXPECT_EQ(run.out, QStringLiteral("hello world\n"));
    EXPECT_TRUE(run.err.contains(QStringLiteral("Offline only is on"))) << run.err.toStdString();
    EXPECT_EQ(server.connectionCount(), 0);
}

TEST_F(PolishCommandTest, LocalServerPolishesWithoutAnySecretService)
{
    if (!startSecretService(SecretServiceRig::Keyring::none))
        return;
    useLocalServer();
    const CommandRun run = parlowind({ QStringLiteral("polish") }, "hello world\n");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, QStringLiteral("Hello, world.\n"));
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].path, "/v1/chat/completions");
    EXPECT_FALSE(server.requests()[0].headers.contains("authorization"));
}

TEST_F(PolishCommandTest, FailuresGiveTheTextBackWithTheReason)
{
    if (!startSecretService(SecretServiceRig::Keyring::none))
        return;
    useLocalServer();
    answerStatus = 500;
    CommandRun run = parlowind({ QStringLiteral("polish") }, "hello world\n");
    EXPECT_EQ(run.out, QStringLiteral("hello world\n"));
    EXPECT_EQ(run.err, QStringLiteral("parlowind: polish failed, text unchanged: Server error 500\n"));

    answerStatus = 200;
    answerBody = R"({"choices":[{"message":{"content":"Sure! Here is your text, cleaned up nicely: Hello, world."}}]})";
    run = parlowind({ QStringLiteral("polish") }, "hello world\n");
    EXPECT_EQ(run.out, QStringLiteral("hello world\n"));
    EXPECT_TRUE(run.err.contains(QStringLiteral("discarded"))) << run.err.toStdString();
}

TEST_F(PolishCommandTest, ServerThatNeverAnswersTimesOut)
{
    if (!startSecretService(SecretServiceRig::Keyring::none))
        return;
    useLocalServer(0.5);
    server.setHandler([](const HttpRequest &, HttpExchange &) {});
    const CommandRun run = parlowind({ QStringLiteral("polish") }, "hello world");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, QStringLiteral("hello world\n"));
    EXPECT_EQ(run.err, QStringLiteral("parlowind: polish failed, text unchanged: Timed out\n"));
    EXPECT_EQ(server.requests().size(), 1u);
}

TEST_F(PolishCommandTest, KeyGoesToTheSecretServiceAndNowhereElse)
{
    if (!startSecretService(SecretServiceRig::Keyring::unlocked))
        return;
    useLocalServer();
    CommandRun run = parlowind(
        { QStringLiteral("llm"), QStringLiteral("set-key"), QStringLiteral("openai-compatible") }, secretKey + "\n");
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("Stored the API key for OpenAI-compatible")));

    run = parlowind({ QStringLiteral("llm"), QStringLiteral("show") });
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.contains(QStringLiteral("API key: stored in the secret service"))) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("Status: On — OpenAI-compatible (llama3)"))) << run.out.toStdString();

    run = parlowind({ QStringLiteral("polish") }, "hello world\n");
    EXPECT_EQ(run.out, QStringLiteral("Hello, world.\n"));
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].header("authorization"), "Bearer " + secretKey);

    // A failing request with the key in hand still leaves no trace of it.
    answerStatus = 401;
    run = parlowind({ QStringLiteral("polish") }, "hello world\n");
    EXPECT_TRUE(run.err.contains(QStringLiteral("Key rejected"))) << run.err.toStdString();

    EXPECT_EQ(filesContaining(secretKey), QStringList());
    EXPECT_FALSE(m_outputs.contains(QString::fromLatin1(secretKey)));

    run = parlowind({ QStringLiteral("llm"), QStringLiteral("set-key"), QStringLiteral("openai-compatible") }, "\n");
    EXPECT_TRUE(run.out.contains(QStringLiteral("Removed"))) << run.out.toStdString();
    run = parlowind({ QStringLiteral("llm"), QStringLiteral("show") });
    EXPECT_TRUE(run.out.contains(QStringLiteral("API key: none"))) << run.out.toStdString();
}

TEST_F(PolishCommandTest, AnthropicWithoutAKeySaysHowToAddOne)
{
    if (!startSecretService(SecretServiceRig::Keyring::unlocked))
        return;
    writeSettings(R"({"isEnabled":true,"kind":"anthropic","model":"claude-haiku-4-5"})");
    const CommandRun run = parlowind({ QStringLiteral("polish") }, "hello world\n");
    EXPECT_EQ(run.out, QStringLiteral("hello world\n"));
    EXPECT_TRUE(run.err.contains(QStringLiteral("run parlowind llm set-key anthropic"))) << run.err.toStdString();
}

TEST_F(PolishCommandTest, PlainFileOnlyWhenAskedForAndPrivate)
{
    if (!startSecretService(SecretServiceRig::Keyring::none))
        return;
    useLocalServer();
    const QString keyFile = home.filePath(QStringLiteral(".local/share/Parlowind/api-keys.json"));
    const QStringList setKey { QStringLiteral("llm"), QStringLiteral("set-key"), QStringLiteral("openai-compatible") };

    CommandRun run = parlowind(setKey, secretKey + "\n");
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_TRUE(run.err.contains(QStringLiteral("--file"))) << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(keyFile));

    run = parlowind(setKey + QStringList { QStringLiteral("--file") }, secretKey + "\n");
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("not encrypted"))) << run.out.toStdString();
    ASSERT_TRUE(QFile::exists(keyFile));
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
        | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    EXPECT_EQ(QFileInfo(keyFile).permissions() & others, QFileDevice::Permissions());
    EXPECT_EQ(filesContaining(secretKey), QStringList { keyFile });

    run = parlowind({ QStringLiteral("llm"), QStringLiteral("show") });
    EXPECT_TRUE(run.out.contains(QStringLiteral("API key: stored in ") + keyFile)) << run.out.toStdString();
    run = parlowind({ QStringLiteral("polish") }, "hello world\n");
    EXPECT_EQ(run.out, QStringLiteral("Hello, world.\n"));
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].header("authorization"), "Bearer " + secretKey);
    EXPECT_FALSE(m_outputs.contains(QString::fromLatin1(secretKey)));

    run = parlowind(setKey + QStringList { QStringLiteral("--file") }, "\n");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_FALSE(QFile::exists(keyFile));
}

TEST_F(PolishCommandTest, KeyTypedOnATerminalIsNotEchoed)
{
    const QString script = QStandardPaths::findExecutable(QStringLiteral("script"));
    PARLOWIND_REQUIRE_RIG(!script.isEmpty(), "script (util-linux) for a terminal");
    QProcess terminal;
    terminal.setProcessChannelMode(QProcess::MergedChannels);
    terminal.start(script,
                   { QStringLiteral("-qec"), QStringLiteral(PARLOWIND_BINARY " llm set-key openai-compatible --file"),
                     QStringLiteral("/dev/null") });
    QByteArray seen;
    QDeadlineTimer deadline(20000);
    while (!seen.contains("(not shown") && !deadline.hasExpired() && terminal.waitForReadyRead(100))
        seen += terminal.readAll();
    ASSERT_TRUE(seen.contains("(not shown")) << seen.toStdString();
    terminal.write(secretKey + "\n");
    ASSERT_TRUE(terminal.waitForFinished(20000));
    seen += terminal.readAll();
    EXPECT_EQ(terminal.exitCode(), 0) << seen.toStdString();
    EXPECT_TRUE(seen.contains("Stored the API key")) << seen.toStdString();
    EXPECT_FALSE(seen.contains(secretKey)) << seen.toStdString();
    QFile keyFile(home.filePath(QStringLiteral(".local/share/Parlowind/api-keys.json")));
    ASSERT_TRUE(keyFile.open(QIODevice::ReadOnly));
    EXPECT_TRUE(keyFile.readAll().contains(secretKey));
}

struct UnavailableCase
{
    const char *name;
    SecretServiceRig::Keyring keyring;
    const char *message;
};

class SecretServiceUnavailableTest : public PolishCommandTest, public ::testing::WithParamInterface<UnavailableCase>
{
};

TEST_P(SecretServiceUnavailableTest, CommandsSayWhatToDo)
{
    if (!startSecretService(GetParam().keyring))
        return;
    const QString message = QString::fromUtf8(GetParam().message);
    CommandRun run = parlowind({ QStringLiteral("llm"), QStringLiteral("set-key"), QStringLiteral("anthropic") },
                               secretKey + "\n");
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_TRUE(run.err.startsWith(QStringLiteral("parlowind: ") + message)) << run.err.toStdString();
    EXPECT_EQ(run.err.count(QLatin1Char('\n')), 1);

    writeSettings(R"({"isEnabled":true,"kind":"anthropic","model":"claude-haiku-4-5"})");
    run = parlowind({ QStringLiteral("llm"), QStringLiteral("show") });
    EXPECT_TRUE(run.out.contains(QStringLiteral("API key: unavailable: ") + message)) << run.out.toStdString();

    run = parlowind({ QStringLiteral("polish") }, "hello world\n");
    EXPECT_EQ(run.out, QStringLiteral("hello world\n"));
    EXPECT_TRUE(run.err.contains(message)) << run.err.toStdString();

    EXPECT_EQ(filesContaining(secretKey), QStringList());
    EXPECT_FALSE(m_outputs.contains(QString::fromLatin1(secretKey)));
}

INSTANTIATE_TEST_SUITE_P(States, SecretServiceUnavailableTest,
                         ::testing::Values(UnavailableCase { "NoSecretService", SecretServiceRig::Keyring::none,
                                                             "No secret service is running" },
                                           UnavailableCase { "Locked", SecretServiceRig::Keyring::locked,
                                                             "The keyring that holds the API key is locked" }),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(PolishCommandTest, UsageErrors)
{
    CommandRun run = parlowind({ QStringLiteral("llm"), QStringLiteral("set-key"), QStringLiteral("none") }, "x\n");
    EXPECT_EQ(run.exitCode, 2);
    run = parlowind({ QStringLiteral("llm") });
    EXPECT_EQ(run.exitCode, 2);
    run = parlowind({ QStringLiteral("polish"), QStringLiteral("extra") });
    EXPECT_EQ(run.exitCode, 2);
}

} // namespace
