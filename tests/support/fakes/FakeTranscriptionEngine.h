#pragma once

#include "CallLog.h"
#include "ManualCompletion.h"
#include "speech/TranscriptionEngine.h"

#include <deque>
#include <memory>
#include <vector>

namespace parlowind::test {

// A speech engine whose answers the test gives. Scripted answers are returned
// at once, in order; once they run out, a call waits until the test completes
// or fails it by hand. Records "engine.transcribe" in the shared log.
class FakeTranscriptionEngine final : public TranscriptionEngine
{
public:
    struct Call
    {
        std::vector<float> samples;
        std::optional<QString> language;
        std::optional<QString> initialPrompt;
        std::shared_ptr<ManualCompletion<Transcript>> result;
    };

    explicit FakeTranscriptionEngine(std::shared_ptr<CallLog> log = {})
        : m_log(std::move(log))
    { }

    QCoro::Task<Transcript> transcribe(std::vector<float> samples, std::optional<QString> language,
                                       std::optional<QString> initialPrompt) override;

    void scriptText(QString text);
    void scriptFailure(QString description);

    // Hands a result to call `index` (in the order the calls came).
    void complete(std::size_t index, QString text);
    void fail(std::size_t index, QString description);
    // Fails every call still waiting, so no task is left suspended.
    void failAllPending();

    const std::vector<Call> &calls() const { return m_calls; }
    std::size_t pendingCount() const;

    static Transcript transcriptOf(QString text);

private:
    struct Script
    {
        std::optional<QString> text;
        std::optional<QString> failure;
    };

    std::shared_ptr<CallLog> m_log;
    std::deque<Script> m_scripts;
    std::vector<Call> m_calls;
};

} // namespace parlowind::test
