#include "OpenAICompatibleProvider.h"

#include "LLMError.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace parlowind {

OpenAICompatibleProvider::OpenAICompatibleProvider(QUrl baseURL, QString model)
    : m_baseURL(std::move(baseURL))
    , m_model(std::move(model))
{ }

bool OpenAICompatibleProvider::isConfigured() const
{
    return !llm::trimSpacesAndTabs(m_model).isEmpty();
}

HTTPRequest OpenAICompatibleProvider::buildRequest(const LLMRequest &request,
                                                   const std::optional<QString> &apiKey) const
{
    QString address = m_baseURL.toString(QUrl::FullyEncoded);
    while (address.endsWith(QLatin1Char('/')))
        address.chop(1);
    const QUrl url(address + QStringLiteral("/chat/completions"), QUrl::StrictMode);
    if (address.isEmpty() || !url.isValid() || url.scheme().isEmpty())
        throw LLMError(LLMError::Case::notConfigured);

    QJsonObject system;
    system.insert(QStringLiteral("role"), QStringLiteral("system"));
    system.insert(QStringLiteral("content"), request.system);
    QJsonObject user;
    user.insert(QStringLiteral("role"), QStringLiteral("user"));
    user.insert(QStringLiteral("content"), request.user);
    QJsonObject body;
    body.insert(QStringLiteral("model"), m_model);
    body.insert(QStringLiteral("max_tokens"), request.maxTokens);
    body.insert(QStringLiteral("temperature"), request.temperature);
    body.insert(QStringLiteral("messages"), QJsonArray { system, user });

    HTTPRequest http;
    http.method = "POST";
    http.url = url;
    http.headers = { { "content-type", "application/json" } };
    const QString key = apiKey ? llm::trimSpacesAndTabs(*apiKey) : QString();
    if (!key.isEmpty())
        http.headers.append({ "Authorization", "Bearer " + key.toUtf8() });
    http.body = QJsonDocument(body).toJson(QJsonDocument::Compact);
    return http;
}

QString OpenAICompatibleProvider::parseResponse(const QByteArray &body, int status) const
{
    llm::checkStatus(status);
    const LLMError malformed(LLMError::Case::malformedResponse);
    const QJsonDocument document = QJsonDocument::fromJson(body);
    if (!document.isObject() || !document.object().value(QStringLiteral("choices")).isArray())
        throw malformed;
    const QJsonArray choices = document.object().value(QStringLiteral("choices")).toArray();
    if (choices.isEmpty())
        throw malformed;
    // Every choice must decode, as a whole-document decoder would demand.
    for (const QJsonValue &choice : choices) {
        const QJsonValue message = choice.toObject().value(QStringLiteral("message"));
        if (!choice.isObject() || !message.isObject()
            || !message.toObject().value(QStringLiteral("content")).isString())
            throw malformed;
    }
    return choices.first()
        .toObject()
        .value(QStringLiteral("message"))
        .toObject()
        .value(QStringLiteral("content"))
        .toString();
}

} // namespace parlowind
