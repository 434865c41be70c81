// `parlowind transcribe` and `parlowind models` as a user runs them, with
// generated models, the shared recordings and a local download server.
#include "IsolatedHome.h"
#include "LocalHttpServer.h"
#include "Rigs.h"

#include "WhisperModelGenerator.h"
#include "support/AppPaths.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <numbers>

namespace {

using namespace parlowind;
using parlowind::test::HttpExchange;
using parlowind::test::HttpRequest;
using parlowind::test::LocalHttpServer;

struct CommandRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs the binary while this thread's event loop keeps serving HTTP.
CommandRun runParlowind(const QStringList &arguments,
                        const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(90'000, &loop, &QEventLoop::quit);
    process.start(QStringLiteral(PARLOWIND_BINARY), arguments);
    process.closeWriteChannel();
    loop.exec();
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
        return { -1, {}, QStringLiteral("timed out") };
    }
    return { process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
             QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError()) };
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// 16-bit stereo WAV at 44.1 kHz: a tone, to exercise the conversion.
QByteArray stereoWav(double seconds)
{
    const int rate = 44100;
    const int frames = int(seconds * rate);
    QByteArray data;
    for (int i = 0; i < frames; ++i) {
        const auto value = qint16(8000 * std::sin(2 * std::numbers::pi * 300 * i / rate));
        char b[2];
        qToLittleEndian(value, b);
        data.append(b, 2).append(b, 2);
    }
    auto u32 = [](quint32 v) {
        char b[4];
        qToLittleEndian(v, b);
        return QByteArray(b, 4);
    };
    auto u16 = [](quint16 v) {
        char b[2];
        qToLittleEndian(v, b);
        return QByteArray(b, 2);
    };
    const QByteArray fmt = u16(1) + u16(2) + u32(rate) + u32(rate * 4) + u16(4) + u16(16);
    const QByteArray body = "WAVEfmt " + u32(16) + fmt + "data" + u32(quint32(data.size())) + data;
    return "RIFF" + u32(quint32(body.size())) + body;
}

class SpeechCommandsTest : public parlowind::test::IsolatedTest
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = new QTemporaryDir;
        s_model = s_dir->filePath(QStringLiteral("ggml-reduced.bin"));
        tools::writeRandomWhisperModel(QFile::encodeName(s_model).toStdString(),
                                       *tools::WhisperModelShape::named("reduced"), 3);
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
    }

    QString modelsDir() const { return AppPaths::supportPath(QStringLiteral("models")); }
    QString jfk() const { return parlowind::test::testDataDirectory() + QStringLiteral("/jfk.wav"); }

    static inline QTemporaryDir *s_dir = nullptr;
    static inline QString s_model;
};

TEST_F(SpeechCommandsTest, TranscribesWavFilesOfAnyRateWithAModelFileAsJson)
{
    PARLOWIND_REQUIRE_RIG(QFile::exists(jfk()), "jfk.wav in the test data");
    const QString tone = s_dir->filePath(QStringLiteral("tone.wav"));
    writeFile(tone, stereoWav(2.0));

    const CommandRun run = runParlowind({ QStringLiteral("transcribe"), jfk(), tone, QStringLiteral("--model"), s_model,
                                          QStringLiteral("--json"), QStringLiteral("--no-cleanup") });
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << run.out.toStdString();
    for (int i = 0; i < 2; ++i) {
        const QJsonObject object = QJsonDocument::fromJson(lines[i].toUtf8()).object();
        EXPECT_EQ(object.value(QStringLiteral("file")).toString(), i == 0 ? jfk() : tone);
        ASSERT_TRUE(object.value(QStringLiteral("segments")).isArray());
        QString joined;
        for (const QJsonValue &segment : object.value(QStringLiteral("segments")).toArray()) {
            joined += segment[QStringLiteral("text")].toString();
            EXPECT_LE(segment[QStringLiteral("start")].toDouble(), segment[QStringLiteral("end")].toDouble());
        }
        EXPECT_EQ(object.value(QStringLiteral("text")).toString(), joined.trimmed());
    }
}

TEST_F(SpeechCommandsTest, PrintsOneTextPerFileAndAOneLineErrorForABadFile)
{
    PARLOWIND_REQUIRE_RIG(QFile::exists(jfk()), "jfk.wav in the test data");
    const QString notWav = s_dir->filePath(QStringLiteral("notes.wav"));
    writeFile(notWav, "just text");
    const QString missing = s_dir->filePath(QStringLiteral("missing.wav"));

    const CommandRun run
        = runParlowind({ QStringLiteral("transcribe"), notWav, jfk(), missing, QStringLiteral("--model"), s_model });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out.count(QLatin1Char('\n')), 1) << run.out.toStdString();
    const QStringList errors = run.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(errors.size(), 2) << run.err.toStdString();
    EXPECT_TRUE(errors[0].contains(notWav) && errors[0].contains(QStringLiteral("not a WAV file")));
    EXPECT_TRUE(errors[1].contains(missing));
}

TEST_F(SpeechCommandsTest, AMissingModelSaysWhichAndHowToGetIt)
{
    const CommandRun byId
        = runParlowind({ QStringLiteral("transcribe"), jfk(), QStringLiteral("--model"), QStringLiteral("tiny.en") });
    EXPECT_EQ(byId.exitCode, 3);
    EXPECT_EQ(byId.err.count(QLatin1Char('\n')), 1);
    EXPECT_TRUE(byId.err.contains(QStringLiteral("\"tiny.en\""))) << byId.err.toStdString();
    EXPECT_TRUE(byId.err.contains(QStringLiteral("parlowind models download tiny.en")));

    // Without --model the default choice is named.
    const CommandRun byDefault = runParlowind({ QStringLiteral("transcribe"), jfk() });
    EXPECT_EQ(byDefault.exitCode, 3);
    EXPECT_TRUE(byDefault.err.contains(QStringLiteral("parlowind models download large-v3-turbo")));

    const CommandRun byPath = runParlowind(
        { QStringLiteral("transcribe"), jfk(), QStringLiteral("--model"), s_model + QStringLiteral(".x") });
    EXPECT_EQ(byPath.exitCode, 3);
    EXPECT_TRUE(byPath.err.contains(s_model + QStringLiteral(".x")));

    const CommandRun notAModel
        = runParlowind({ QStringLiteral("transcribe"), jfk(), QStringLiteral("--model"), jfk() });
    EXPECT_EQ(notAModel.exitCode, 3);
    EXPECT_TRUE(notAModel.err.contains(QStringLiteral("could not be loaded"))) << notAModel.err.toStdString();
}

TEST_F(SpeechCommandsTest, UsesTheInstalledModelAndVoiceModelOfTheModelsFolder)
{
    PARLOWIND_REQUIRE_RIG(QFile::exists(jfk()), "jfk.wav in the test data");
    writeFile(modelsDir() + QStringLiteral("/ggml-tiny.en.bin"), readFile(s_model));
    writeFile(modelsDir() + QStringLiteral("/ggml-silero-v5.1.2.bin"),
              readFile(parlowind::test::testDataDirectory() + QStringLiteral("/ggml-silero-v6.2.0.bin")));
    const CommandRun run = runParlowind({ QStringLiteral("transcribe"), jfk() });
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out.count(QLatin1Char('\n')), 1);

    const CommandRun list = runParlowind({ QStringLiteral("models"), QStringLiteral("list") });
    EXPECT_EQ(list.exitCode, 0);
    const QStringList lines = list.out.split(QLatin1Char('\n'));
    ASSERT_GE(lines.size(), 4);
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("large-v3-turbo"))
                && lines[1].endsWith(QStringLiteral("not installed")));
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("tiny.en"))
                && lines[2].endsWith(QStringLiteral("installed, not verified")))
        << lines[2].toStdString();
    EXPECT_TRUE(lines[3].startsWith(QStringLiteral("silero-v5.1.2")));
}

TEST_F(SpeechCommandsTest, DownloadResumesAfterAnIncompleteTransferAndListsTheModelAsVerified)
{
    const QByteArray content = readFile(s_model);
    ASSERT_GT(content.size(), 4'000'000);
    bool cutShort = true;
    LocalHttpServer server([&](const HttpRequest &request, HttpExchange &exchange) {
        const QByteArray range = request.header("range");
        const qsizetype start = range.startsWith("bytes=") ? range.mid(6, range.size() - 7).toLongLong() : 0;
        const QByteArray body = content.mid(start);
        if (cutShort) {
            exchange.sendRaw("HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size())
                             + "\r\nConnection: close\r\n\r\n" + body.left(3'000'000));
            exchange.close();
            return;
        }
        exchange.respond(start > 0 ? 206 : 200, body);
    });
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PARLOWIND_MODELS_URL"), QString::fromLatin1(server.baseUrl() + "/mirror"));

    const CommandRun first = runParlowind(
        { QStringLiteral("models"), QStringLiteral("download"), QStringLiteral("tiny.en") }, environment);
    EXPECT_EQ(first.exitCode, 1);
    EXPECT_TRUE(first.err.contains(QStringLiteral("incomplete"))) << first.err.toStdString();
    const QString partial = modelsDir() + QStringLiteral("/ggml-tiny.en.bin.partial");
    const QByteArray kept = readFile(partial);
    EXPECT_GT(kept.size(), 0);
    EXPECT_LE(kept.size(), 3'000'000);
    EXPECT_EQ(kept, content.left(kept.size()));

    cutShort = false;
    const CommandRun second = runParlowind(
        { QStringLiteral("models"), QStringLiteral("download"), QStringLiteral("tiny.en") }, environment);
    EXPECT_EQ(second.exitCode, 0) << second.err.toStdString();
    ASSERT_EQ(server.requests().size(), 2u);
    EXPECT_EQ(server.requests()[0].path, "/mirror/ggml-tiny.en.bin");
    EXPECT_EQ(server.requests()[1].header("range"), "bytes=" + QByteArray::number(kept.size()) + '-');
    EXPECT_EQ(readFile(modelsDir() + QStringLiteral("/ggml-tiny.en.bin")), content);

    const CommandRun list = runParlowind({ QStringLiteral("models"), QStringLiteral("list") });
    EXPECT_TRUE(list.out.contains(QRegularExpression(QStringLiteral("\ntiny\\.en .* installed, verified\n"))))
        << list.out.toStdString();
}

TEST_F(SpeechCommandsTest, CtrlCStopsADownloadThatTheNextRunResumes)
{
    const QByteArray content = readFile(s_model);
    const qsizetype sentBeforeStall = 1'500'000;
    bool stall = true;
    LocalHttpServer server([&](const HttpRequest &request, HttpExchange &exchange) {
        const QByteArray range = request.header("range");
        const qsizetype start = range.startsWith("bytes=") ? range.mid(6, range.size() - 7).toLongLong() : 0;
        if (stall) {
            // Announce the whole file, send part of it, then go silent.
            exchange.sendRaw("HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(content.size()) + "\r\n\r\n"
                             + content.left(sentBeforeStall));
            return;
        }
        exchange.respond(start > 0 ? 206 : 200, content.mid(start));
    });
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PARLOWIND_MODELS_URL"), QString::fromLatin1(server.baseUrl()));
    const QString partial = modelsDir() + QStringLiteral("/ggml-tiny.en.bin.partial");

    QProcess process;
    process.setProcessEnvironment(environment);
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer poll;
    // Interrupt once the first whole MiB is on disk.
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (QFileInfo(partial).size() >= 1'048'576 && process.state() == QProcess::Running) {
            ::kill(pid_t(process.processId()), SIGINT);
            poll.stop();
        }
    });
    poll.start(20);
    QTimer::singleShot(60'000, &loop, &QEventLoop::quit);
    process.start(QStringLiteral(PARLOWIND_BINARY),
                  { QStringLiteral("models"), QStringLiteral("download"), QStringLiteral("tiny.en") });
    loop.exec();
    ASSERT_EQ(process.state(), QProcess::NotRunning) << "the download did not stop";
    EXPECT_EQ(process.exitCode(), 130) << process.readAllStandardError().toStdString();
    EXPECT_TRUE(QString::fromUtf8(process.readAllStandardError()).contains(QStringLiteral("resume")));
    const QByteArray kept = readFile(partial);
    EXPECT_GE(kept.size(), 1'048'576);
    EXPECT_EQ(kept, content.left(kept.size()));

    stall = false;
    const CommandRun again = runParlowind(
        { QStringLiteral("models"), QStringLiteral("download"), QStringLiteral("tiny.en") }, environment);
    EXPECT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_EQ(server.requests().back().header("range"), "bytes=" + QByteArray::number(kept.size()) + '-');
    EXPECT_EQ(readFile(modelsDir() + QStringLiteral("/ggml-tiny.en.bin")), content);
}

TEST_F(SpeechCommandsTest, UsageErrors)
{
    for (const QStringList &arguments :
         { QStringList { QStringLiteral("transcribe") },
           QStringList { QStringLiteral("transcribe"), QStringLiteral("a.wav"), QStringLiteral("--fast") },
           QStringList { QStringLiteral("models") },
           QStringList { QStringLiteral("models"), QStringLiteral("download"), QStringLiteral("huge") } }) {
        const CommandRun run = runParlowind(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(run.err.count(QLatin1Char('\n')), 1) << run.err.toStdString();
    }
}

} // namespace
