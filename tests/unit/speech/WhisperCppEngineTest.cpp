#include "FakeWhisperLibrary.h"

#include "speech/TranscriptionError.h"
#include "speech/WhisperCppEngine.h"
#include "support/BlockingWait.h"

#include <QCoro/QCoroTask>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using namespace parlowind;
using parlowind::test::FakeWhisperLibrary;

template<typename F> TranscriptionError caughtTranscriptionError(F &&f)
{
    try {
        f();
    } catch (const TranscriptionError &error) {
        return error;
    }
    ADD_FAILURE() << "no TranscriptionError thrown";
    return TranscriptionError::notLoaded();
}

class WhisperCppEngineTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        modelPath = m_dir.filePath(QStringLiteral("model.bin"));
        vadPath = m_dir.filePath(QStringLiteral("vad.bin"));
        touch(modelPath);
    }

    static void touch(const QString &path)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("x");
    }

    std::unique_ptr<WhisperCppEngine> makeEngine(std::optional<QString> vad = std::nullopt,
                                                 WhisperCppEngine::TextFilter filter = {})
    {
        return std::make_unique<WhisperCppEngine>(modelPath, std::move(vad), std::move(filter), library);
    }

    Transcript transcribe(WhisperCppEngine &engine, std::vector<float> samples = std::vector<float>(16000, 0.1f),
                          std::optional<QString> language = std::nullopt, std::optional<QString> prompt = std::nullopt)
    {
        return waitForTask(engine.transcribe(std::move(samples), std::move(language), std::move(prompt)));
    }

    std::shared_ptr<FakeWhisperLibrary> library = std::make_shared<FakeWhisperLibrary>();
    QString modelPath;
    QString vadPath;

private:
    QTemporaryDir m_dir;
};

TEST_F(WhisperCppEngineTest, TranscribeBeforeLoadThrowsNotLoaded)
{
    auto engine = makeEngine();
    EXPECT_EQ(caughtTranscriptionError([&] { transcribe(*engine); }), TranscriptionError::notLoaded());
    EXPECT_TRUE(library->calls.empty());
}

TEST_F(WhisperCppEngineTest, MissingModelFileThrowsModelNotFoundWithItsExactLocation)
{
    const QString missing = modelPath + QStringLiteral(".gone");
    WhisperCppEngine engine(missing, std::nullopt, {}, library);
    EXPECT_EQ(caughtTranscriptionError([&] { waitForTask(engine.load()); }),
              TranscriptionError::modelNotFound(missing));
    EXPECT_TRUE(library->loadedPaths.empty());
}

TEST_F(WhisperCppEngineTest, RefusedModelThrowsModelLoadFailedAndStaysUnloaded)
{
    library->refuseLoad = true;
    auto engine = makeEngine();
    EXPECT_EQ(caughtTranscriptionError([&] { waitForTask(engine->load()); }),
              TranscriptionError::modelLoadFailed(modelPath));
    EXPECT_EQ(caughtTranscriptionError([&] { transcribe(*engine); }), TranscriptionError::notLoaded());
}

TEST_F(WhisperCppEngineTest, LoadRequestsGpuAndFlashAttentionAndKeepsOtherDefaults)
{
    auto engine = makeEngine();
    waitForTask(engine->load());
    ASSERT_EQ(library->loadParams.size(), 1u);
    const whisper_context_params defaults = whisper_context_default_params();
    const whisper_context_params &params = library->loadParams[0];
    EXPECT_TRUE(params.use_gpu);
    EXPECT_TRUE(params.flash_attn);
    EXPECT_EQ(params.gpu_device, defaults.gpu_device);
    EXPECT_EQ(params.dtw_token_timestamps, defaults.dtw_token_timestamps);
    EXPECT_EQ(library->loadedPaths[0], QFile::encodeName(modelPath));
}

TEST_F(WhisperCppEngineTest, ReloadFreesTheOldContextAndAFailedReloadKeepsTheLoadedModel)
{
    {
        auto engine = makeEngine();
        waitForTask(engine->load());
        waitForTask(engine->load());
        EXPECT_EQ(library->freed.size(), 1u);
        EXPECT_EQ(library->liveContexts(), 1);

        library->refuseLoad = true;
        EXPECT_EQ(caughtTranscriptionError([&] { waitForTask(engine->load()); }),
                  TranscriptionError::modelLoadFailed(modelPath));
        transcribe(*engine);
        ASSERT_EQ(library->calls.size(), 1u);
        EXPECT_NE(library->calls[0].context, nullptr);
        EXPECT_NE(library->calls[0].context, library->freed[0]); // the reloaded model, not the freed one
    }
    // Dropping the engine frees the model.
    EXPECT_EQ(library->liveContexts(), 0);
    EXPECT_EQ(library->freed.size(), 2u);
}

TEST(WhisperCppEngineThreads, LeavesTwoProcessorsButUsesAtLeastOne)
{
    EXPECT_EQ(WhisperCppEngine::threadCount(1), 1);
    EXPECT_EQ(WhisperCppEngine::threadCount(2), 1);
    EXPECT_EQ(WhisperCppEngine::threadCount(3), 1);
    EXPECT_EQ(WhisperCppEngine::threadCount(10), 8);
}

TEST_F(WhisperCppEngineTest, FixedDecodingParameters)
{
    auto engine = makeEngine();
    waitForTask(engine->load());
    transcribe(*engine);
    ASSERT_EQ(library->calls.size(), 1u);
    const whisper_full_params &p = library->calls[0].params;
    const whisper_full_params greedy = whisper_full_default_params(WHISPER_SAMPLING_GREEDY);
    EXPECT_EQ(p.strategy, WHISPER_SAMPLING_GREEDY);
    EXPECT_EQ(p.n_threads, WhisperCppEngine::threadCount(QThread::idealThreadCount()));
    EXPECT_FALSE(p.translate);
    EXPECT_TRUE(p.no_context);
    EXPECT_FALSE(p.single_segment);
    EXPECT_FALSE(p.print_special);
    EXPECT_FALSE(p.print_progress);
    EXPECT_FALSE(p.print_realtime);
    EXPECT_FALSE(p.print_timestamps);
    EXPECT_TRUE(p.suppress_blank);
    EXPECT_FLOAT_EQ(p.no_speech_thold, 0.6f);
    // The greedy defaults stay: fallback, thresholds, best-of, timestamps.
    EXPECT_FLOAT_EQ(p.temperature, greedy.temperature);
    EXPECT_FLOAT_EQ(p.temperature_inc, greedy.temperature_inc);
    EXPECT_FLOAT_EQ(p.entropy_thold, greedy.entropy_thold);
    EXPECT_FLOAT_EQ(p.logprob_thold, greedy.logprob_thold);
    EXPECT_EQ(p.greedy.best_of, greedy.greedy.best_of);
    EXPECT_EQ(p.no_timestamps, greedy.no_timestamps);
    EXPECT_EQ(p.suppress_nst, greedy.suppress_nst);
    EXPECT_EQ(p.max_tokens, greedy.max_tokens);
    EXPECT_EQ(library->calls[0].samples.size(), 16000u);
}

struct PromptAndLanguageCase
{
    const char *name;
    std::optional<QString> language;
    std::optional<QString> prompt;
    std::optional<std::string> expectedLanguage;
    std::optional<std::string> expectedPrompt;
};

void PrintTo(const PromptAndLanguageCase &c, std::ostream *os)
{
    *os << c.name;
}

class WhisperCppEnginePromptTest : public WhisperCppEngineTest,
                                   public ::testing::WithParamInterface<PromptAndLanguageCase>
{
};

TEST_P(WhisperCppEnginePromptTest, PassesPromptAndLanguageOnlyWhenGiven)
{
    auto engine = makeEngine();
    waitForTask(engine->load());
    transcribe(*engine, std::vector<float>(800, 0.0f), GetParam().language, GetParam().prompt);
    ASSERT_EQ(library->calls.size(), 1u);
    EXPECT_EQ(library->calls[0].language, GetParam().expectedLanguage);
    EXPECT_EQ(library->calls[0].initialPrompt, GetParam().expectedPrompt);
}

INSTANTIATE_TEST_SUITE_P(Cases, WhisperCppEnginePromptTest,
                         ::testing::Values(PromptAndLanguageCase { "NoLanguageNoPrompt", std::nullopt, std::nullopt,
                                                                   std::nullopt, std::nullopt },
                                           PromptAndLanguageCase { "EmptyPromptIsNoPrompt", std::nullopt, QString(),
                                                                   std::nullopt, std::nullopt },
                                           PromptAndLanguageCase { "LanguageAndPrompt", QStringLiteral("de"),
                                                                   QStringLiteral("Grüße, Zoë."), "de",
                                                                   "Grüße, Zoë." }),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(WhisperCppEngineTest, VoiceActivityDetectionOnWithTheModelPresent)
{
    touch(vadPath);
    auto engine = makeEngine(vadPath);
    waitForTask(engine->load());
    transcribe(*engine);
    ASSERT_EQ(library->calls.size(), 1u);
    const whisper_full_params &p = library->calls[0].params;
    EXPECT_TRUE(p.vad);
    EXPECT_EQ(library->calls[0].vadModelPath, QFile::encodeName(vadPath).toStdString());
    EXPECT_FLOAT_EQ(p.vad_params.threshold, 0.5f);
    EXPECT_EQ(p.vad_params.min_speech_duration_ms, 250);
    EXPECT_EQ(p.vad_params.min_silence_duration_ms, 100);
    EXPECT_EQ(p.vad_params.speech_pad_ms, 30);
    EXPECT_FLOAT_EQ(p.vad_params.samples_overlap, 0.1f);
    EXPECT_EQ(p.vad_params.max_speech_duration_s, whisper_vad_default_params().max_speech_duration_s);
}

TEST_F(WhisperCppEngineTest, VoiceActivityDetectionOffWithoutAModelOrWithItsFileMissing)
{
    for (const std::optional<QString> &vad : { std::optional<QString>(), std::optional<QString>(vadPath) }) {
        library->calls.clear();
        auto engine = makeEngine(vad);
        waitForTask(engine->load());
        transcribe(*engine);
        ASSERT_EQ(library->calls.size(), 1u);
        EXPECT_FALSE(library->calls[0].params.vad);
        EXPECT_FALSE(library->calls[0].vadModelPath.has_value());
    }
}

TEST_F(WhisperCppEngineTest, SegmentTimesAreHundredthsOfASecond)
{
    library->segments = { { " Hello.", 150, 320 } };
    auto engine = makeEngine();
    waitForTask(engine->load());
    const Transcript transcript = transcribe(*engine);
    ASSERT_EQ(transcript.segments.size(), 1);
    EXPECT_DOUBLE_EQ(transcript.segments[0].start, 1.5);
    EXPECT_DOUBLE_EQ(transcript.segments[0].end, 3.2);
    EXPECT_EQ(transcript.segments[0].text, QStringLiteral(" Hello."));
}

TEST_F(WhisperCppEngineTest, JoinsSegmentTextsTrimsThemAndSkipsSegmentsWithoutText)
{
    library->segments = { { " Ask not", 0, 120 }, { std::nullopt, 120, 130 }, { " what your country\n", 130, 300 } };
    QString filteredInput;
    double filteredDuration = -1;
    auto engine = makeEngine(std::nullopt, [&](const QString &text, double duration) {
        filteredInput = text;
        filteredDuration = duration;
        return text.toUpper();
    });
    waitForTask(engine->load());
    const Transcript transcript = transcribe(*engine, std::vector<float>(24000, 0.0f));

    EXPECT_EQ(filteredInput, QStringLiteral("Ask not what your country"));
    EXPECT_DOUBLE_EQ(filteredDuration, 1.5);
    EXPECT_EQ(transcript.text, QStringLiteral("ASK NOT WHAT YOUR COUNTRY"));
    // The segments stay as the model produced them.
    ASSERT_EQ(transcript.segments.size(), 2);
    EXPECT_EQ(transcript.segments[0], (Transcript::Segment { QStringLiteral(" Ask not"), 0.0, 1.2 }));
    EXPECT_EQ(transcript.segments[1], (Transcript::Segment { QStringLiteral(" what your country\n"), 1.3, 3.0 }));
}

TEST_F(WhisperCppEngineTest, NoSegmentsGiveAnEmptyTranscript)
{
    auto engine = makeEngine();
    waitForTask(engine->load());
    EXPECT_EQ(transcribe(*engine), Transcript::empty());
}

TEST_F(WhisperCppEngineTest, NonZeroStatusThrowsInferenceFailedWithoutAResult)
{
    library->status = -6;
    library->segments = { { " partial", 0, 100 } };
    auto engine = makeEngine();
    waitForTask(engine->load());
    EXPECT_EQ(caughtTranscriptionError([&] { transcribe(*engine); }), TranscriptionError::inferenceFailed(-6));
}

TEST_F(WhisperCppEngineTest, RunsOneTranscriptionAtATimeWithoutBlockingTheCallingThread)
{
    library->segments = { { " one", 0, 100 } };
    auto engine = makeEngine();
    waitForTask(engine->load());
    library->holdInference();

    std::vector<QString> finished;
    auto run = [&](QString tag) -> QCoro::Task<> {
        auto task = engine->transcribe(std::vector<float>(1600, 0.0f), tag);
        Transcript transcript = co_await task;
        finished.push_back(tag + transcript.text);
    };
    auto first = run(QStringLiteral("a"));
    auto second = run(QStringLiteral("b"));

    // The calling thread's event loop keeps running while inference is held:
    // this timer fires, sees only one call inside the library, and releases it.
    int startedWhileHeld = -1;
    QTimer::singleShot(0, [&] {
        library->waitForStartedCalls(1);
        QThread::msleep(50); // give a wrongly parallel second call the chance to start
        startedWhileHeld = library->startedCalls();
        library->release();
    });
    waitForTask(std::move(first));
    waitForTask(std::move(second));

    EXPECT_EQ(startedWhileHeld, 1);
    EXPECT_EQ(library->maxConcurrentCalls(), 1);
    EXPECT_EQ(finished, (std::vector<QString> { QStringLiteral("aone"), QStringLiteral("bone") }));
    ASSERT_EQ(library->calls.size(), 2u);
    EXPECT_EQ(library->calls[0].language, "a");
    EXPECT_EQ(library->calls[1].language, "b");
}

} // namespace
