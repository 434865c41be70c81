#include "AnthropicProvider.h"

#include "LLMError.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace parlowind {

QUrl AnthropicProvider::defaultMessagesUrl()
{
    return QUrl(QStringLiteral("https://api.anthropic.com/v1/messages"));
}

AnthropicProvider::AnthropicProvider(QString model, QUrl messagesUrl)
    : m_model(std::move(model))
    , m_messagesUrl(std::move(messagesUrl))
{ }

bool AnthropicProvider::isConfigured() const
{
    return !llm::trimSpacesAndTabs(m_model).isEmpty();
}

HTTPRequest AnthropicProvider::buildRequest(const LLMRequest &request, const std::optional<QString> &apiKey) const
{
    const QString key = apiKey ? llm::trimSpacesAndTabs(*apiKey) : QString();
    if (key.isEmpty())
        throw LLMError(LLMError::Case::notConfigured);

    QJsonObject message;
    message.insert(QStringLiteral("role"), QStringLiteral("user"));
    message.insert(QStringLiteral("content"), request.user);
    QJsonObject body;
    body.insert(QStringLiteral("model"), m_model);
    body.insert(QStringLiteral("max_tokens"), request.maxTokens);
    body.insert(QStringLiteral("system"), request.system);
    body.insert(QStringLiteral("messages"), QJsonArray { message });

    HTTPRequest http;
    http.method = "POST";
    http.url = m_messagesUrl;
    http.headers = {
        { "x-api-key", key.toUtf8() },
        { "anthropic-version", "2023-06-01" },
        { "content-type", "application/json" },
    };
    http.body = QJsonDocument(body).toJson(QJsonDocument::Compact);
    return http;
}

QString AnthropicProvider::parseResponse(const QByteArray &body, int status) const
{
    llm::checkStatus(status);
    const LLMError malformed(LLMError::Case::malformedResponse);
    const QJsonDocument document = QJsonDocument::fromJson(body);
    if (!document.isObject() || !document.object().value(QStringLiteral("content")).isArray())
        throw malformed;

    // Every block must decode (a "type" string, an optional "text" string)
    // before the first text block counts.
    std::optional<QString> answer;
    bool sawTextBlock = false;
    for (const QJsonValue &value : document.object().value(QStringLiteral("content")).toArray()) {
        if (!value.isObject() || !value.toObject().value(QStringLiteral("type")).isString())
            throw malformed;
        const QJsonObject block = value.toObject();
        const QJsonValue text = block.value(QStringLiteral("text"));
        if (!text.isUndefined() && !text.isNull() && !text.isString())
            throw malformed;
        if (!sawTextBlock && block.value(QStringLiteral("type")).toString() == QStringLiteral("text")) {
            sawTextBlock = true;
            if (text.isString())
                answer = text.toString();
        }
    }
    if (!answer)
        throw malformed;
    return *answer;
}

} // namespace parlowind
