#pragma once

#include "TranscriptionEngine.h"
#include "WhisperLibrary.h"
#include "support/Worker.h"

#include <QCoro/QCoroTask>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace parlowind {

// Speech to text on this machine with whisper.cpp. Holds one loaded model and
// runs its operations strictly one after another on a worker thread of its
// own; callers await their turn without blocking their thread. The text of
// every transcript passes through `textFilter` (the hallucination guard in
// the application) on that worker.
class WhisperCppEngine final : public TranscriptionEngine
{
public:
    // Gets the joined, trimmed text and the clip's duration in seconds.
    using TextFilter = std::function<QString(const QString &text, double durationSeconds)>;

    // Stores the locations; loads nothing. Voice-activity detection is on
    // while a file exists at `vadModelURL`. Without a filter the text is only
    // trimmed.
    WhisperCppEngine(QString modelURL, std::optional<QString> vadModelURL, TextFilter textFilter = {},
                     std::shared_ptr<WhisperLibrary> library = realWhisperLibrary());
    ~WhisperCppEngine() override;
    WhisperCppEngine(const WhisperCppEngine &) = delete;
    WhisperCppEngine &operator=(const WhisperCppEngine &) = delete;

    const QString &modelURL() const { return m_modelURL; }
    const std::optional<QString> &vadModelURL() const { return m_vadModelURL; }

    // Loads (or reloads) the model. Throws TranscriptionError: modelNotFound
    // or modelLoadFailed, leaving any previously loaded model in place.
    QCoro::Task<> load();

    // Throws TranscriptionError: notLoaded or inferenceFailed.
    QCoro::Task<Transcript> transcribe(std::vector<float> samples, std::optional<QString> language,
                                       std::optional<QString> initialPrompt) override;
    using TranscriptionEngine::transcribe;

    // Leaves two processors to the UI and audio threads, but uses at least one.
    static int threadCount(int activeProcessors);

    // Changes the decoding parameters after the engine has set them. Only for
    // models with random weights in tests and benchmarks, whose decoding must
    // be capped; the application never sets it.
    using ParameterOverride = std::function<void(whisper_full_params &)>;
    void setParameterOverride(ParameterOverride override) { m_parameterOverride = std::move(override); }

private:
    class ContextBox;

    void loadNow();
    Transcript transcribeNow(const std::vector<float> &samples, const std::optional<QString> &language,
                             const std::optional<QString> &initialPrompt);

    const QString m_modelURL;
    const std::optional<QString> m_vadModelURL;
    const TextFilter m_textFilter;
    const std::shared_ptr<WhisperLibrary> m_library;
    ParameterOverride m_parameterOverride;
    std::unique_ptr<ContextBox> m_contextBox; // touched only on m_worker
    // Last, so it finishes the queued work before anything above goes away.
    SerialWorker m_worker;
};

} // namespace parlowind
