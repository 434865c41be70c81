// The engine with whisper.cpp itself: generated models with random weights
// (meaningless text, real tensor layout) and the real Silero voice model.
#include "Rigs.h"

#include "WhisperModelGenerator.h"
#include "speech/TranscriptionError.h"
#include "speech/WavReader.h"
#include "speech/WhisperCppEngine.h"
#include "support/BlockingWait.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace parlowind;
using parlowind::test::testDataDirectory;

QString vadModelPath()
{
    return testDataDirectory() + QStringLiteral("/ggml-silero-v6.2.0.bin");
}

QString speechPath()
{
    return testDataDirectory() + QStringLiteral("/jfk.wav");
}

class WhisperEngineModelTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = new QTemporaryDir;
        s_reducedModel = s_dir->filePath(QStringLiteral("ggml-reduced.bin"));
        tools::writeRandomWhisperModel(QFile::encodeName(s_reducedModel).toStdString(),
                                       *tools::WhisperModelShape::named("reduced"), 7);
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
    }

    void SetUp() override
    {
        PARLOWIND_REQUIRE_RIG(QFileInfo::exists(vadModelPath()) && QFileInfo::exists(speechPath()),
                              "test data in " + testDataDirectory().toStdString());
    }

    static TranscriptionError loadError(WhisperCppEngine &engine)
    {
        try {
            waitForTask(engine.load());
        } catch (const TranscriptionError &error) {
            return error;
        }
        ADD_FAILURE() << "loaded";
        return TranscriptionError::notLoaded();
    }

    static inline QTemporaryDir *s_dir = nullptr;
    static inline QString s_reducedModel;
};

TEST_F(WhisperEngineModelTest, FilesThatAreNotModelsFailToLoadWithTheirLocation)
{
    const QString text = s_dir->filePath(QStringLiteral("notes.bin"));
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("this is not a whisper model\n");
    file.close();
    for (const QString &path : { speechPath(), text }) {
        WhisperCppEngine engine(path, std::nullopt);
        EXPECT_EQ(loadError(engine), TranscriptionError::modelLoadFailed(path));
    }
}

TEST_F(WhisperEngineModelTest, MissingModelIsNotFound)
{
    const QString missing = s_dir->filePath(QStringLiteral("absent.bin"));
    WhisperCppEngine engine(missing, vadModelPath());
    EXPECT_EQ(loadError(engine), TranscriptionError::modelNotFound(missing));
}

TEST_F(WhisperEngineModelTest, DigitalSilenceWithVoiceDetectionGivesAnEmptyTranscript)
{
    WhisperCppEngine engine(s_reducedModel, vadModelPath());
    waitForTask(engine.load());
    const Transcript transcript
        = waitForTask(engine.transcribe(std::vector<float>(5 * 16000, 0.0f), QStringLiteral("en")));
    EXPECT_EQ(transcript, Transcript::empty());
}

TEST_F(WhisperEngineModelTest, TranscribesARecordingIntoTimedSegmentsThroughTheFilter)
{
    const WavAudio audio = readWavFile(speechPath());
    const std::vector<float> samples = toEngineSamples(audio);
    double filteredDuration = 0;
    QString filterInput;
    WhisperCppEngine engine(s_reducedModel, vadModelPath(), [&](const QString &text, double duration) {
        filterInput = text;
        filteredDuration = duration;
        return QStringLiteral("filtered:") + text;
    });
    waitForTask(engine.load());
    const Transcript transcript = waitForTask(engine.transcribe(samples, QStringLiteral("en")));

    EXPECT_NEAR(filteredDuration, 11.0, 0.01);
    QString joined;
    for (const Transcript::Segment &segment : transcript.segments) {
        joined += segment.text;
        EXPECT_GE(segment.start, 0.0);
        EXPECT_LE(segment.start, segment.end);
    }
    EXPECT_EQ(filterInput, joined.trimmed());
    EXPECT_EQ(transcript.text, QStringLiteral("filtered:") + joined.trimmed());
}

} // namespace
