#include "WhisperCppEngine.h"

#include "TranscriptionError.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <limits>

namespace parlowind {

namespace {
constexpr double sampleRate = 16000.0;
} // namespace

// Owns a whisper.cpp context and frees it when released.
class WhisperCppEngine::ContextBox
{
public:
    ContextBox(std::shared_ptr<WhisperLibrary> library, whisper_context *pointer)
        : m_library(std::move(library))
        , pointer(pointer)
    { }
    ~ContextBox() { m_library->free(pointer); }
    ContextBox(const ContextBox &) = delete;
    ContextBox &operator=(const ContextBox &) = delete;

private:
    std::shared_ptr<WhisperLibrary> m_library;

public:
    whisper_context *const pointer;
};

WhisperCppEngine::WhisperCppEngine(QString modelURL, std::optional<QString> vadModelURL, TextFilter textFilter,
                                   std::shared_ptr<WhisperLibrary> library)
    : m_modelURL(std::move(modelURL))
    , m_vadModelURL(std::move(vadModelURL))
    , m_textFilter(std::move(textFilter))
    , m_library(std::move(library))
{ }

WhisperCppEngine::~WhisperCppEngine() = default;

int WhisperCppEngine::threadCount(int activeProcessors)
{
    return std::max(activeProcessors - 2, 1);
}

QCoro::Task<> WhisperCppEngine::load()
{
    auto job = m_worker.run([this] { loadNow(); });
    co_await job;
}

QCoro::Task<Transcript> WhisperCppEngine::transcribe(std::vector<float> samples, std::optional<QString> language,
                                                     std::optional<QString> initialPrompt)
{
    auto job = m_worker.run(
        [this, samples = std::move(samples), language = std::move(language), initialPrompt = std::move(initialPrompt)] {
            return transcribeNow(samples, language, initialPrompt);
        });
    co_return co_await job;
}

void WhisperCppEngine::loadNow()
{
    if (!QFileInfo::exists(m_modelURL))
        throw TranscriptionError::modelNotFound(m_modelURL);

    whisper_context_params params = m_library->contextDefaultParams();
    params.use_gpu = true; // whisper.cpp falls back to the CPU by itself
    params.flash_attn = true;
    whisper_context *context = m_library->initFromFile(QFile::encodeName(m_modelURL), params);
    if (!context)
        throw TranscriptionError::modelLoadFailed(m_modelURL);
    m_contextBox = std::make_unique<ContextBox>(m_library, context);
}

Transcript WhisperCppEngine::transcribeNow(const std::vector<float> &samples, const std::optional<QString> &language,
                                           const std::optional<QString> &initialPrompt)
{
    if (!m_contextBox)
        throw TranscriptionError::notLoaded();
    // whisper.cpp counts samples in an int; far beyond any dictation or phrase.
    if (samples.size() > size_t(std::numeric_limits<int>::max()))
        throw TranscriptionError::inferenceFailed(-1);

    // The strings the parameters point to live until whisper_full returns.
    const QByteArray languageBytes = language ? language->toUtf8() : QByteArray();
    const QByteArray promptBytes = initialPrompt ? initialPrompt->toUtf8() : QByteArray();
    const bool useVAD = m_vadModelURL && QFileInfo::exists(*m_vadModelURL);
    const QByteArray vadPathBytes = useVAD ? QFile::encodeName(*m_vadModelURL) : QByteArray();

    whisper_full_params params = m_library->fullDefaultParams(WHISPER_SAMPLING_GREEDY);
    params.n_threads = threadCount(QThread::idealThreadCount());
    params.translate = false;
    params.no_context = true;
    params.single_segment = false;
    params.print_special = false;
    params.print_progress = false;
    params.print_realtime = false;
    params.print_timestamps = false;
    params.suppress_blank = true;
    params.no_speech_thold = 0.6f;
    params.language = language ? languageBytes.constData() : nullptr;
    params.initial_prompt = promptBytes.isEmpty() ? nullptr : promptBytes.constData();
    if (useVAD) {
        params.vad = true;
        params.vad_model_path = vadPathBytes.constData();
        params.vad_params.threshold = 0.5f;
        params.vad_params.min_speech_duration_ms = 250;
        params.vad_params.min_silence_duration_ms = 100;
        params.vad_params.speech_pad_ms = 30;
        params.vad_params.samples_overlap = 0.1f;
    }
    if (m_parameterOverride)
        m_parameterOverride(params);

    whisper_context *context = m_contextBox->pointer;
    const int status = m_library->full(context, params, samples.data(), int(samples.size()));
    if (status != 0)
        throw TranscriptionError::inferenceFailed(status);

    Transcript transcript;
    QString joined;
    const int count = m_library->segmentCount(context);
    for (int i = 0; i < count; ++i) {
        const char *text = m_library->segmentText(context, i);
        if (!text)
            continue;
        Transcript::Segment segment;
        segment.text = QString::fromUtf8(text);
        segment.start = double(m_library->segmentStart(context, i)) / 100.0;
        segment.end = double(m_library->segmentEnd(context, i)) / 100.0;
        joined += segment.text;
        transcript.segments.append(std::move(segment));
    }

    const QString trimmed = joined.trimmed();
    const double duration = double(samples.size()) / sampleRate;
    transcript.text = m_textFilter ? m_textFilter(trimmed, duration) : trimmed;
    return transcript;
}

} // namespace parlowind
