#pragma once

#include "LLMProvider.h"

#include <QUrl>

namespace parlowind {

// The Messages API: system prompt beside one user message, key in "x-api-key".
class AnthropicProvider final : public LLMProvider
{
public:
    static QUrl defaultMessagesUrl();

    explicit AnthropicProvider(QString model, QUrl messagesUrl = defaultMessagesUrl());

    QString model() const { return m_model; }
    QUrl messagesUrl() const { return m_messagesUrl; }

    QString displayName() const override { return QStringLiteral("Anthropic"); }
    bool isConfigured() const override;
    HTTPRequest buildRequest(const LLMRequest &request, const std::optional<QString> &apiKey) const override;
    QString parseResponse(const QByteArray &body, int status) const override;

private:
    QString m_model;
    QUrl m_messagesUrl;
};

} // namespace parlowind
