#pragma once

#include "LLMProvider.h"

#include <QUrl>

namespace parlowind {

// Chat completions at any base URL: a hosted service or a local server (which
// needs no key, so the Authorization header is sent only with one).
class OpenAICompatibleProvider final : public LLMProvider
{
public:
    OpenAICompatibleProvider(QUrl baseURL, QString model);

    QUrl baseURL() const { return m_baseURL; }
    QString model() const { return m_model; }

    QString displayName() const override { return QStringLiteral("OpenAI-compatible"); }
    bool isConfigured() const override;
    HTTPRequest buildRequest(const LLMRequest &request, const std::optional<QString> &apiKey) const override;
    QString parseResponse(const QByteArray &body, int status) const override;

private:
    QUrl m_baseURL;
    QString m_model;
};

} // namespace parlowind
