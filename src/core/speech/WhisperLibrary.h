#pragma once

#include <whisper.h>

#include <QByteArray>

#include <cstdint>
#include <memory>

namespace parlowind {

// The whisper.cpp calls the engine makes, behind one seam so that tests can
// script what the library returns and see the parameters it was given.
class WhisperLibrary
{
public:
    virtual ~WhisperLibrary() = default;

    virtual whisper_context_params contextDefaultParams() = 0;
    virtual whisper_context *initFromFile(const QByteArray &path, whisper_context_params params) = 0;
    virtual void free(whisper_context *context) = 0;
    virtual whisper_full_params fullDefaultParams(whisper_sampling_strategy strategy) = 0;
    virtual int full(whisper_context *context, whisper_full_params params, const float *samples, int count) = 0;
    virtual int segmentCount(whisper_context *context) = 0;
    virtual const char *segmentText(whisper_context *context, int segment) = 0;
    virtual std::int64_t segmentStart(whisper_context *context, int segment) = 0;
    virtual std::int64_t segmentEnd(whisper_context *context, int segment) = 0;
};

// The library itself.
std::shared_ptr<WhisperLibrary> realWhisperLibrary();

} // namespace parlowind
