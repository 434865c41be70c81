#include "LLMSettings.h"

#include "AnthropicProvider.h"
#include "OpenAICompatibleProvider.h"
#include "support/Log.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

#include <cmath>

namespace parlowind {

QString LLMSettings::rawValue(Kind kind)
{
    switch (kind) {
    case Kind::none:
        return QStringLiteral("none");
    case Kind::anthropic:
        return QStringLiteral("anthropic");
    case Kind::openAICompatible:
        return QStringLiteral("openAICompatible");
    }
    return QStringLiteral("none");
}

std::optional<LLMSettings::Kind> LLMSettings::kindFromRawValue(const QString &raw)
{
    for (Kind kind : allKinds)
        if (rawValue(kind) == raw)
            return kind;
    return std::nullopt;
}

QString LLMSettings::displayName(Kind kind)
{
    switch (kind) {
    case Kind::none:
        return QStringLiteral("None (rules only, fully offline)");
    case Kind::anthropic:
        return QStringLiteral("Anthropic");
    case Kind::openAICompatible:
        return QStringLiteral("OpenAI-compatible (incl. local Ollama)");
    }
    return {};
}

QString LLMSettings::keychainAccount(Kind kind)
{
    switch (kind) {
    case Kind::none:
        return {};
    case Kind::anthropic:
        return QStringLiteral("anthropic");
    case Kind::openAICompatible:
        return QStringLiteral("openai-compatible");
    }
    return {};
}

QString LLMSettings::PolishStatus::summary() const
{
    switch (status) {
    case Case::active:
        return QStringLiteral("On — ") + provider + QStringLiteral(" (") + model + QStringLiteral(")");
    case Case::disabled:
        return QStringLiteral("Off — enable AI polish to use it");
    case Case::offlineOnly:
        return QStringLiteral("Off — “Offline only” is on in General");
    case Case::notConfigured:
        return QStringLiteral("Off — finish the configuration below");
    }
    return {};
}

LLMSettings LLMSettings::fromJson(const QByteArray &json)
{
    const LLMSettings defaults;
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject())
        return defaults;
    const QJsonObject object = document.object();

    LLMSettings settings;
    auto present = [&object](const char *key) {
        const QJsonValue value = object.value(QLatin1String(key));
        return !value.isUndefined() && !value.isNull();
    };
    auto value = [&object](const char *key) { return object.value(QLatin1String(key)); };

    if (present("isEnabled")) {
        if (!value("isEnabled").isBool())
            return defaults;
        settings.isEnabled = value("isEnabled").toBool();
    }
    if (present("kind")) {
        if (!value("kind").isString())
            return defaults;
        settings.kind = kindFromRawValue(value("kind").toString()).value_or(Kind::none);
    }
    if (present("model")) {
        if (!value("model").isString())
            return defaults;
        settings.model = value("model").toString();
    }
    if (present("baseURL")) {
        if (!value("baseURL").isString())
            return defaults;
        settings.baseURL = value("baseURL").toString();
    }
    if (present("timeoutSeconds")) {
        if (!value("timeoutSeconds").isDouble())
            return defaults;
        settings.timeoutSeconds = value("timeoutSeconds").toDouble();
    }
    return settings;
}

QByteArray LLMSettings::toJson() const
{
    QJsonObject object;
    object.insert(QStringLiteral("isEnabled"), isEnabled);
    object.insert(QStringLiteral("kind"), rawValue(kind));
    object.insert(QStringLiteral("model"), model);
    object.insert(QStringLiteral("baseURL"), baseURL);
    object.insert(QStringLiteral("timeoutSeconds"), timeoutSeconds);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::chrono::milliseconds LLMSettings::timeout() const
{
    const double ms = timeoutSeconds * 1000.0;
    // A hand-edited file could hold anything; a negative or absurd limit is
    // treated as no time at all or clamped, never as undefined behaviour.
    if (!(ms > 0))
        return std::chrono::milliseconds(0);
    if (ms > 86'400'000.0)
        return std::chrono::milliseconds(86'400'000);
    return std::chrono::milliseconds(qint64(std::trunc(ms)));
}

std::shared_ptr<const LLMProvider> LLMSettings::makeProvider() const
{
    const QString trimmedModel = llm::trimSpacesAndTabs(model);
    if (trimmedModel.isEmpty() || kind == Kind::none)
        return nullptr;
    if (kind == Kind::anthropic)
        return std::make_shared<AnthropicProvider>(trimmedModel);

    const QString address = llm::trimSpacesAndTabs(baseURL);
    if (address.isEmpty())
        return nullptr;
    const QUrl url(address, QUrl::StrictMode);
    // Only addresses the transport can reach: "localhost:11434" parses with
    // "localhost" as its scheme and would fail on every request.
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QStringLiteral("http") && scheme != QStringLiteral("https"))
        || url.host().isEmpty())
        return nullptr;
    return std::make_shared<OpenAICompatibleProvider>(url, trimmedModel);
}

std::shared_ptr<const LLMProvider> LLMSettings::activeProvider() const
{
    return isEnabled ? makeProvider() : nullptr;
}

LLMSettings::PolishStatus LLMSettings::status(bool offlineOnly) const
{
    if (!isEnabled)
        return { PolishStatus::Case::disabled, {}, {} };
    if (offlineOnly)
        return { PolishStatus::Case::offlineOnly, {}, {} };
    const auto provider = makeProvider();
    if (!provider)
        return { PolishStatus::Case::notConfigured, {}, {} };
    return { PolishStatus::Case::active, provider->displayName(), llm::trimSpacesAndTabs(model) };
}

namespace {
QCoro::Task<std::optional<QString>> lookUpKey(SecretStoring *store, QString account,
                                              std::function<void(const KeychainError &)> onError)
{
    if (account.isEmpty())
        co_return std::nullopt;
    try {
        QCoro::Task<std::optional<QString>> read = store->read(account);
        std::optional<QString> key = co_await read;
        co_return key;
    } catch (const KeychainError &error) {
        if (onError)
            onError(error);
        else
            log(QStringLiteral("WARNING: LLMClient: no API key: ") + error.logDescription());
        co_return std::nullopt;
    }
}
} // namespace

LLMClient::KeyLookup makeKeyLookup(SecretStoring &store, LLMSettings::Kind kind,
                                   std::function<void(const KeychainError &)> onError)
{
    const QString account = LLMSettings::keychainAccount(kind);
    return [store = &store, account, onError] { return lookUpKey(store, account, onError); };
}

} // namespace parlowind
