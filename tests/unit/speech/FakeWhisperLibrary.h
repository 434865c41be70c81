#pragma once

#include "speech/WhisperLibrary.h"

#include <QByteArray>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace parlowind::test {

// whisper.cpp as a script: records what the engine asked for and answers
// with the scripted status and segments. Contexts are counted, never real.
class FakeWhisperLibrary final : public WhisperLibrary
{
public:
    struct Segment
    {
        std::optional<std::string> text; // nullopt: the library gives no text
        std::int64_t t0 = 0;
        std::int64_t t1 = 0;
    };

    // What one whisper_full call received; strings copied during the call.
    struct FullCall
    {
        whisper_full_params params {};
        std::optional<std::string> language;
        std::optional<std::string> initialPrompt;
        std::optional<std::string> vadModelPath;
        std::vector<float> samples;
        whisper_context *context = nullptr;
    };

    // --- script
    bool refuseLoad = false;
    int status = 0;
    std::vector<Segment> segments;

    // --- record (read after the awaited call returned)
    std::vector<QByteArray> loadedPaths;
    std::vector<whisper_context_params> loadParams;
    std::vector<whisper_context *> freed;
    std::vector<FullCall> calls;

    // Makes whisper_full wait until release(); for concurrency tests.
    void holdInference()
    {
        std::lock_guard lock(m_mutex);
        m_held = true;
    }
    void release()
    {
        {
            std::lock_guard lock(m_mutex);
            m_held = false;
        }
        m_changed.notify_all();
    }
    // Blocks until `count` whisper_full calls have started.
    void waitForStartedCalls(int count)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_started >= count; });
    }
    int startedCalls() const { return m_started.load(); }
    int maxConcurrentCalls() const { return m_maxConcurrent.load(); }
    int liveContexts() const { return m_live.load(); }

    whisper_context_params contextDefaultParams() override { return whisper_context_default_params(); }
    whisper_context *initFromFile(const QByteArray &path, whisper_context_params params) override
    {
        loadedPaths.push_back(path);
        loadParams.push_back(params);
        if (refuseLoad)
            return nullptr;
        ++m_live;
        // Distinct, never dereferenced.
        return reinterpret_cast<whisper_context *>(std::uintptr_t(0x1000 + 0x10 * loadedPaths.size()));
    }
    void free(whisper_context *context) override
    {
        freed.push_back(context);
        --m_live;
    }
    whisper_full_params fullDefaultParams(whisper_sampling_strategy strategy) override
    {
        return whisper_full_default_params(strategy);
    }
    int full(whisper_context *context, whisper_full_params params, const float *samples, int count) override
    {
        const int running = ++m_running;
        int seen = m_maxConcurrent.load();
        while (running > seen && !m_maxConcurrent.compare_exchange_weak(seen, running)) { }
        {
            std::unique_lock lock(m_mutex);
            ++m_started;
            m_changed.notify_all();
            FullCall call;
            call.params = params;
            call.context = context;
            if (params.language)
                call.language = params.language;
            if (params.initial_prompt)
                call.initialPrompt = params.initial_prompt;
            if (params.vad_model_path)
                call.vadModelPath = params.vad_model_path;
            call.samples.assign(samples, samples + count);
            calls.push_back(std::move(call));
            m_changed.wait(lock, [&] { return !m_held; });
        }
        --m_running;
        return status;
    }
    int segmentCount(whisper_context *) override { return int(segments.size()); }
    const char *segmentText(whisper_context *, int i) override
    {
        const auto &text = segments[std::size_t(i)].text;
        return text ? text->c_str() : nullptr;
    }
    std::int64_t segmentStart(whisper_context *, int i) override { return segments[std::size_t(i)].t0; }
    std::int64_t segmentEnd(whisper_context *, int i) override { return segments[std::size_t(i)].t1; }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_held = false;
    std::atomic<int> m_started = 0;
    std::atomic<int> m_running = 0;
    std::atomic<int> m_maxConcurrent = 0;
    std::atomic<int> m_live = 0;
};

} // namespace parlowind::test
