#pragma once

#include "LLMClient.h"
#include "LLMProvider.h"
#include "SecretStoring.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <chrono>
#include <memory>
#include <optional>

namespace parlowind {

// The non-secret choices of AI polish, stored as "llm.json". Keys live in the
// secret store, never here.
struct LLMSettings
{
    enum class Kind { none, anthropic, openAICompatible };
    static constexpr std::array<Kind, 3> allKinds { Kind::none, Kind::anthropic, Kind::openAICompatible };

    static QString rawValue(Kind kind);
    static std::optional<Kind> kindFromRawValue(const QString &raw);
    static QString displayName(Kind kind);
    // Account of the kind's key in the secret store; empty for none.
    static QString keychainAccount(Kind kind);
    static bool needsAPIKey(Kind kind) { return kind == Kind::anthropic; }
    static bool needsBaseURL(Kind kind) { return kind == Kind::openAICompatible; }

    static QString defaultModel() { return QStringLiteral("claude-haiku-4-5"); }
    static QString defaultBaseURL() { return QStringLiteral("http://127.0.0.1:11434/v1"); }

    // The polish state shown to the user.
    struct PolishStatus
    {
        enum class Case { active, disabled, offlineOnly, notConfigured };
        Case status = Case::disabled;
        QString provider; // active only
        QString model; // active only

        QString summary() const;
        bool isActive() const { return status == Case::active; }
        friend bool operator==(const PolishStatus &, const PolishStatus &) = default;
    };

    bool isEnabled = false;
    Kind kind = Kind::none;
    QString model = defaultModel();
    QString baseURL = defaultBaseURL();
    double timeoutSeconds = 3.0;

    friend bool operator==(const LLMSettings &, const LLMSettings &) = default;

    // Lenient: unreadable JSON, or a present key of the wrong type, gives the
    // defaults; a missing key or an unknown kind gives that field's default.
    static LLMSettings fromJson(const QByteArray &json);
    // Every key, compact.
    QByteArray toJson() const;

    // timeoutSeconds as whole milliseconds (truncated).
    std::chrono::milliseconds timeout() const;
    // The provider these settings describe, ignoring isEnabled; nothing when
    // the kind is none, the model is blank or the base URL is unusable.
    std::shared_ptr<const LLMProvider> makeProvider() const;
    // makeProvider() when enabled.
    std::shared_ptr<const LLMProvider> activeProvider() const;
    PolishStatus status(bool offlineOnly) const;
};

// The client's key lookup for `kind`: reads its account from `store`. A store
// that cannot be asked gives no key (the request then fails as not
// configured); `onError` hears why, or else the failure is logged.
LLMClient::KeyLookup makeKeyLookup(SecretStoring &store, LLMSettings::Kind kind,
                                   std::function<void(const KeychainError &)> onError = {});

} // namespace parlowind
