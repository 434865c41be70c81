#include "FakeTranscriptionEngine.h"

#include "FakeError.h"

namespace parlowind::test {

Transcript FakeTranscriptionEngine::transcriptOf(QString text)
{
    Transcript transcript;
    transcript.segments.append(Transcript::Segment { QLatin1Char(' ') + text, 0, 1 });
    transcript.text = std::move(text);
    return transcript;
}

QCoro::Task<Transcript> FakeTranscriptionEngine::transcribe(std::vector<float> samples, std::optional<QString> language,
                                                            std::optional<QString> initialPrompt)
{
    if (m_log)
        m_log->record(QStringLiteral("engine.transcribe"));
    auto result = std::make_shared<ManualCompletion<Transcript>>();
    m_calls.push_back(Call { std::move(samples), std::move(language), std::move(initialPrompt), result });
    if (!m_scripts.empty()) {
        const Script script = m_scripts.front();
        m_scripts.pop_front();
        if (script.failure)
            result->fail(std::make_exception_ptr(FakeError(*script.failure)));
        else
            result->succeed(transcriptOf(script.text.value_or(QString())));
    }
    return ManualCompletion<Transcript>::wait(result);
}

void FakeTranscriptionEngine::scriptText(QString text)
{
    m_scripts.push_back(Script { std::move(text), std::nullopt });
}

void FakeTranscriptionEngine::scriptFailure(QString description)
{
    m_scripts.push_back(Script { std::nullopt, std::move(description) });
}

void FakeTranscriptionEngine::complete(std::size_t index, QString text)
{
    // The resumed task may call again and grow the list: hold the completion.
    const auto result = m_calls.at(index).result;
    result->succeed(transcriptOf(std::move(text)));
}

void FakeTranscriptionEngine::fail(std::size_t index, QString description)
{
    const auto result = m_calls.at(index).result;
    result->fail(std::make_exception_ptr(FakeError(std::move(description))));
}

void FakeTranscriptionEngine::failAllPending()
{
    for (std::size_t i = 0; i < m_calls.size(); ++i)
        if (!m_calls[i].result->isDone())
            fail(i, QStringLiteral("test ended"));
}

std::size_t FakeTranscriptionEngine::pendingCount() const
{
    std::size_t pending = 0;
    for (const auto &call : m_calls)
        pending += call.result->isDone() ? 0 : 1;
    return pending;
}

} // namespace parlowind::test
