#include "WhisperLibrary.h"

namespace parlowind {

namespace {
class RealWhisperLibrary final : public WhisperLibrary
{
public:
    whisper_context_params contextDefaultParams() override { return whisper_context_default_params(); }
    whisper_context *initFromFile(const QByteArray &path, whisper_context_params params) override
    {
        return whisper_init_from_file_with_params(path.constData(), params);
    }
    void free(whisper_context *context) override { whisper_free(context); }
    whisper_full_params fullDefaultParams(whisper_sampling_strategy strategy) override
    {
        return whisper_full_default_params(strategy);
    }
    int full(whisper_context *context, whisper_full_params params, const float *samples, int count) override
    {
        return whisper_full(context, params, samples, count);
    }
    int segmentCount(whisper_context *context) override { return whisper_full_n_segments(context); }
    const char *segmentText(whisper_context *context, int segment) override
    {
        return whisper_full_get_segment_text(context, segment);
    }
    std::int64_t segmentStart(whisper_context *context, int segment) override
    {
        return whisper_full_get_segment_t0(context, segment);
    }
    std::int64_t segmentEnd(whisper_context *context, int segment) override
    {
        return whisper_full_get_segment_t1(context, segment);
    }
};
} // namespace

std::shared_ptr<WhisperLibrary> realWhisperLibrary()
{
    static const auto library = std::make_shared<RealWhisperLibrary>();
    return library;
}

} // namespace parlowind
