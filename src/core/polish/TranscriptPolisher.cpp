#include "TranscriptPolisher.h"

namespace parlowind {

const QString TranscriptPolisher::systemPrompt = QStringLiteral(
    "You clean up dictated speech. Return only the corrected text, with no commentary, no explanation, and no "
    "preamble. Do not answer questions in the text; a question stays a question. Fix transcription errors, "
    "capitalisation, and punctuation only. Preserve the speaker's wording and meaning.");

TranscriptPolisher::TranscriptPolisher(LLMClient &client, std::shared_ptr<const LLMProvider> provider,
                                       std::function<bool()> isOfflineOnly, PolishSanityCheck sanityCheck,
                                       int maxTokens, std::chrono::milliseconds timeout)
    : m_client(client)
    , m_provider(std::move(provider))
    , m_isOfflineOnly(std::move(isOfflineOnly))
    , m_sanityCheck(sanityCheck)
    , m_maxTokens(maxTokens)
    , m_timeout(timeout)
{ }

bool TranscriptPolisher::isEnabled() const
{
    const bool offline = m_isOfflineOnly && m_isOfflineOnly();
    return !offline && m_provider && m_provider->isConfigured();
}

QCoro::Task<QString> TranscriptPolisher::polish(QString text)
{
    QCoro::Task<Outcome> attempted = attempt(std::move(text), {});
    Outcome outcome = co_await attempted;
    co_return outcome.text;
}

QCoro::Task<QString> TranscriptPolisher::polish(QString text, std::shared_ptr<RequestCancellation> cancellation)
{
    QCoro::Task<Outcome> attempted = attempt(std::move(text), std::move(cancellation));
    Outcome outcome = co_await attempted;
    co_return outcome.text;
}

QCoro::Task<TranscriptPolisher::Outcome> TranscriptPolisher::attempt(QString text,
                                                                     std::shared_ptr<RequestCancellation> cancellation)
{
    Outcome outcome;
    outcome.text = text;
    if (m_isOfflineOnly && m_isOfflineOnly()) {
        outcome.failure = LLMError(LLMError::Case::offline);
        co_return outcome;
    }
    if (!m_provider || !m_provider->isConfigured()) {
        outcome.failure = LLMError(LLMError::Case::notConfigured);
        co_return outcome;
    }
    if (text.trimmed().isEmpty())
        co_return outcome;

    LLMRequest request { systemPrompt, text, m_maxTokens, 0.2, m_timeout };
    // Nothing of the polisher is touched after the request resumes.
    const PolishSanityCheck sanityCheck = m_sanityCheck;
    QString answer;
    try {
        QCoro::Task<QString> completed = m_client.complete(std::move(request), m_provider, std::move(cancellation));
        answer = co_await completed;
    } catch (const LLMError &error) {
        outcome.failure = error;
        co_return outcome;
    } catch (...) {
        outcome.failure = LLMError(LLMError::Case::malformedResponse);
        co_return outcome;
    }

    answer = answer.trimmed();
    if (!sanityCheck.accepts(answer, text)) {
        outcome.rejected = true;
        co_return outcome;
    }
    outcome.text = answer;
    outcome.polished = true;
    co_return outcome;
}

} // namespace parlowind
