// The application end to end: the real `parlowind` under Xvfb with a window
// manager, AT-SPI on a private session bus and a real PulseAudio daemon whose
// pipe source plays a recording. Keys go through XTest like a keyboard's.
#include "AtspiAccessibility.h"
#include "PulseRig.h"
#include "Rigs.h"
#include "TargetProcess.h"
#include "WhisperModelGenerator.h"
#include "settings/SettingsStore.h"
#include "speech/WavReader.h"
#include "support/AppPaths.h"
#include "support/Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>

namespace parlowind {
namespace {

using test::TargetProcess;

// The target and the application need the real X server.
const bool s_platformChosen = [] {
    qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("DISPLAY") ? "offscreen" : "xcb");
    return true;
}();

bool xdotool(const QStringList &arguments)
{
    return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
}

QStringList readLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

class DictationEndToEndTest : public testing::Test
{
protected:
    void SetUp() override
    {
        PARLOWIND_REQUIRE_RIG(!qEnvironmentVariableIsEmpty("DISPLAY"), "an X server (DISPLAY)");
        PARLOWIND_REQUIRE_RIG(!qEnvironmentVariableIsEmpty("PULSE_SERVER"), "a PulseAudio daemon (PULSE_SERVER)");
        PARLOWIND_REQUIRE_RIG(AtspiAccessibility::verifyWorks(), "AT-SPI switched on");
        PARLOWIND_REQUIRE_RIG(QFileInfo::exists(speechPath()) && QFileInfo::exists(vadPath()),
                              "test data in " + test::testDataDirectory().toStdString());
        PARLOWIND_REQUIRE_RIG(QProcess::execute(QStringLiteral("xdotool"), { QStringLiteral("version") }) == 0,
                              "xdotool");

        // A generated model stands in for the downloaded one: random weights
        // give text nobody can predict, so the test follows it through the
        // history file instead of expecting words.
        const QString models = AppPaths::supportDirectory() + QStringLiteral("/models");
        QDir().mkpath(models);
        const QString model = models + QStringLiteral("/ggml-tiny.en.bin");
        tools::writeRandomWhisperModel(QFile::encodeName(model).toStdString(),
                                       *tools::WhisperModelShape::named("reduced"), 7);
        writeVerified(model);
        const QString vad = models + QStringLiteral("/ggml-silero-v5.1.2.bin");
        QFile::remove(vad);
        ASSERT_TRUE(QFile::copy(vadPath(), vad));
        writeVerified(vad);
        SettingsStore settings;
        settings.setActiveModelID(QStringLiteral("tiny.en"));
        settings.setPlayDictationSounds(false);

        m_microphone = std::make_unique<test::PipeMicrophone>(QStringLiteral("parlowind_e2e_mic"), 16000, 1);
        ASSERT_TRUE(m_microphone->isValid());
        const WavAudio speech = readWavFile(speechPath());
        ASSERT_EQ(speech.sampleRate, 16000);
        ASSERT_EQ(speech.channels, 1);
        m_speech = speech.samples;

        m_target = std::make_unique<TargetProcess>(TargetProcess::Kind::qtLine, TargetProcess::Options {});
        ASSERT_TRUE(m_target->isReady()) << m_target->failure().toStdString();

        m_app.setProgram(QStringLiteral(PARLOWIND_BINARY));
        m_app.setProcessChannelMode(QProcess::MergedChannels);
        m_app.setStandardOutputFile(QStringLiteral(PARLOWIND_ARTIFACT_DIR "/parlowind-e2e.out"));
        m_app.start();
        ASSERT_TRUE(m_app.waitForStarted(10000));
        ASSERT_TRUE(waitForLog(QStringLiteral("Ready. Hold Right Ctrl"), 90)) << logText().toStdString();
    }

    void TearDown() override
    {
        if (m_app.state() != QProcess::NotRunning) {
            m_app.terminate();
            if (!m_app.waitForFinished(10000))
                m_app.kill();
        }
        m_target.reset();
        m_microphone.reset();
    }

    static QString speechPath() { return test::testDataDirectory() + QStringLiteral("/jfk.wav"); }
    static QString vadPath() { return test::testDataDirectory() + QStringLiteral("/ggml-silero-v6.2.0.bin"); }

    static void writeVerified(const QString &path)
    {
        QFile record(path + QStringLiteral(".verified"));
        ASSERT_TRUE(record.open(QIODevice::WriteOnly | QIODevice::Truncate));
        record.write(QByteArray::number(QFileInfo(path).size()));
    }

    QString logText() const { return readLines(Log::fileUrl()).join(QLatin1Char('\n')); }

    // Waits for a log line containing `text` after the first `skip` lines.
    bool waitForLog(const QString &text, double seconds, int skip = 0)
    {
        return test::pumpUntil(
            [&] {
                const QStringList lines = readLines(Log::fileUrl());
                for (int i = skip; i < lines.size(); ++i) {
                    if (lines.at(i).contains(text))
                        return true;
                }
                return false;
            },
            seconds);
    }

    int logLineCount() const { return int(readLines(Log::fileUrl()).size()); }

    QStringList historyTexts() const
    {
        QStringList texts;
        for (const QString &line : readLines(AppPaths::supportDirectory() + QStringLiteral("/history.jsonl")))
            texts << QJsonDocument::fromJson(line.toUtf8()).object().value(QStringLiteral("text")).toString();
        return texts;
    }

    void tap()
    {
        xdotool({ QStringLiteral("keydown"), QStringLiteral("Control_R") });
        QThread::msleep(60);
        xdotool({ QStringLiteral("keyup"), QStringLiteral("Control_R") });
    }

    std::unique_ptr<test::PipeMicrophone> m_microphone;
    std::vector<float> m_speech;
    std::unique_ptr<TargetProcess> m_target;
    QProcess m_app;
};

TEST_F(DictationEndToEndTest, HoldSpeakReleaseTypesTheTranscriptThenEscapeAndContinuousListening)
{
    // Hold, speak, let go: the transcript reaches the focused Qt field.
    int mark = logLineCount();
    ASSERT_TRUE(xdotool({ QStringLiteral("keydown"), QStringLiteral("Control_R") }));
    ASSERT_TRUE(waitForLog(QStringLiteral("state: recording"), 10, mark)) << logText().toStdString();
    m_microphone->write(m_speech);
    test::pumpFor(1.0);
    QProcess::execute(QStringLiteral("import"),
                      { QStringLiteral("-window"), QStringLiteral("root"),
                        QStringLiteral(PARLOWIND_ARTIFACT_DIR "/hud-recording.png") });
    ASSERT_TRUE(xdotool({ QStringLiteral("keyup"), QStringLiteral("Control_R") }));
    ASSERT_TRUE(test::pumpUntil([&] { return !historyTexts().isEmpty(); }, 90)) << logText().toStdString();
    const QString delivered = historyTexts().constLast();
    EXPECT_FALSE(delivered.isEmpty());
    EXPECT_TRUE(test::pumpUntil([&] { return m_target->text() == delivered; }, 10))
        << "target has " << m_target->text().toStdString() << ", history has " << delivered.toStdString();
    EXPECT_TRUE(waitForLog(QStringLiteral("TRANSCRIPT: "), 5, mark));
    ASSERT_TRUE(waitForLog(QStringLiteral("state: idle"), 10, mark));

    // A double tap starts continuous listening; Escape ends it with nothing delivered.
    const QString before = m_target->text();
    const int deliveries = int(historyTexts().size());
    mark = logLineCount();
    tap();
    QThread::msleep(80);
    tap();
    ASSERT_TRUE(waitForLog(QStringLiteral("state: listening"), 10, mark)) << logText().toStdString();
    m_microphone->write(std::vector<float>(m_speech.begin(), m_speech.begin() + 16000 * 2));
    ASSERT_TRUE(xdotool({ QStringLiteral("key"), QStringLiteral("Escape") }));
    ASSERT_TRUE(waitForLog(QStringLiteral("state: cancelled(userCancelled)"), 10, mark)) << logText().toStdString();
    test::pumpFor(3.0);
    EXPECT_EQ(int(historyTexts().size()), deliveries);
    EXPECT_EQ(m_target->text(), before);

    // A double tap starts continuous listening again; one more press ends it.
    test::pumpFor(1.0);
    mark = logLineCount();
    tap();
    QThread::msleep(80);
    tap();
    ASSERT_TRUE(waitForLog(QStringLiteral("state: listening(isTranscribing: false)"), 10, mark))
        << logText().toStdString();
    test::pumpFor(1.0);
    tap();
    EXPECT_TRUE(waitForLog(QStringLiteral("state: idle"), 60, mark)) << logText().toStdString();
}

TEST_F(DictationEndToEndTest, WithoutATrayItSaysHowToReachItAndASecondStartHandsOver)
{
    // The rig's X server has no tray.
    EXPECT_TRUE(waitForLog(QStringLiteral("WARNING: no tray on this desktop"), 1));

    QProcess second;
    second.start(QStringLiteral(PARLOWIND_BINARY), {});
    ASSERT_TRUE(second.waitForFinished(30000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardOutput().contains("already running"));
    EXPECT_EQ(m_app.state(), QProcess::Running);

    // A termination signal runs the orderly shutdown: the process ends by itself.
    m_app.terminate();
    ASSERT_TRUE(m_app.waitForFinished(20000));
    EXPECT_EQ(m_app.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_app.exitCode(), 0);
}

} // namespace
} // namespace parlowind
