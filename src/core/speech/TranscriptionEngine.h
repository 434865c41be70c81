#pragma once

#include "Transcript.h"

#include <QCoro/QCoroTask>
#include <QString>

#include <optional>
#include <vector>

namespace parlowind {

// Speech to text. Implementations run one transcription at a time; callers
// await their turn without blocking the UI thread. Failures are thrown as
// TranscriptionError.
class TranscriptionEngine
{
public:
    virtual ~TranscriptionEngine() = default;

    // `samples` are 16 kHz mono floats. `language` is a code such as "en";
    // `initialPrompt` is passed to the model unchanged.
    virtual QCoro::Task<Transcript> transcribe(std::vector<float> samples, std::optional<QString> language,
                                               std::optional<QString> initialPrompt)
        = 0;

    // The same without an initial prompt.
    QCoro::Task<Transcript> transcribe(std::vector<float> samples, std::optional<QString> language)
    {
        return transcribe(std::move(samples), std::move(language), std::nullopt);
    }
};

} // namespace parlowind
