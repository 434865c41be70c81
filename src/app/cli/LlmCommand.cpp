#include "support/BlockingWait.h"
#include "Command.h"
#include "KeychainStore.h"
#include "OfflinePreference.h"
#include "SecretFileStore.h"
#include "SecretInput.h"
#include "polish/LLMSettingsFile.h"

#include <QTextStream>

namespace parlowind::cli {

namespace {

LLMSettings::Kind providerNamed(const QString &name)
{
    const QString lower = name.toLower();
    if (lower == QStringLiteral("anthropic"))
        return LLMSettings::Kind::anthropic;
    if (lower == QStringLiteral("openaicompatible") || lower == QStringLiteral("openai-compatible")
        || lower == QStringLiteral("openai"))
        return LLMSettings::Kind::openAICompatible;
    throw CommandError(QStringLiteral("unknown provider \"%1\"; use anthropic or openai-compatible").arg(name),
                       ExitCode::usage);
}

ExitCode setKey(QStringList arguments)
{
    const bool toFile = arguments.removeAll(QStringLiteral("--file")) > 0;
    if (arguments.size() != 1)
        throw CommandError(
            QStringLiteral("usage: parlowind llm set-key anthropic|openai-compatible [--file] (key on stdin)"),
            ExitCode::usage);
    const LLMSettings::Kind kind = providerNamed(arguments.first());
    const QString name = LLMSettings::displayName(kind);
    const QString account = LLMSettings::keychainAccount(kind);
    const QString key = readSecretLine(QStringLiteral("API key for %1 (not shown; empty removes it): ").arg(name));

    KeychainStore keychain;
    SecretFileStore file;
    FallbackSecretStore store(keychain, file);
    QTextStream out(stdout);
    if (toFile) {
        // Asked for explicitly: the file is private to the user but not encrypted.
        try {
            waitForTask(file.save(key, account));
        } catch (const KeychainError &error) {
            throw CommandError(error.description());
        }
        if (key.isEmpty())
            out << QStringLiteral("Removed the API key for %1 from %2.\n").arg(name, file.path());
        else
            out << QStringLiteral("Stored the API key for %1 in %2, readable only by you and not encrypted.\n")
                       .arg(name, file.path());
        return ExitCode::ok;
    }

    try {
        if (key.isEmpty())
            waitForTask(store.remove(account));
        else
            waitForTask(store.save(key, account));
    } catch (const KeychainError &error) {
        QString message = error.description();
        if (error.errorCase() != KeychainError::Case::unexpectedStatus && !key.isEmpty())
            message += QStringLiteral(" (Or keep the key in a file readable only by you, not encrypted: "
                                      "parlowind llm set-key %1 --file)")
                           .arg(LLMSettings::rawValue(kind));
        throw CommandError(message, ExitCode::unavailable);
    }
    out << (key.isEmpty() ? QStringLiteral("Removed the API key for %1.\n")
                          : QStringLiteral("Stored the API key for %1 in the secret service.\n"))
               .arg(name);
    return ExitCode::ok;
}

QString keyState(LLMSettings::Kind kind)
{
    if (kind == LLMSettings::Kind::none)
        return QStringLiteral("not used");
    const QString account = LLMSettings::keychainAccount(kind);
    SecretFileStore file;
    if (waitForTask(file.read(account)))
        return QStringLiteral("stored in %1 (not encrypted)").arg(file.path());
    KeychainStore keychain;
    try {
        if (waitForTask(keychain.read(account)))
            return QStringLiteral("stored in the secret service");
        return LLMSettings::needsAPIKey(kind)
            ? QStringLiteral("missing (parlowind llm set-key %1)").arg(LLMSettings::rawValue(kind))
            : QStringLiteral("none (fine for a local server)");
    } catch (const KeychainError &error) {
        return QStringLiteral("unavailable: ") + error.description();
    }
}

ExitCode show(const QStringList &arguments)
{
    if (!arguments.isEmpty())
        throw CommandError(QStringLiteral("llm show takes no arguments"), ExitCode::usage);
    const LLMSettingsFile file;
    const LLMSettings settings = file.load();

    QTextStream out(stdout);
    out << "Status: " << settings.status(readOfflineOnlyPreference()).summary() << '\n'
        << "AI polish: " << (settings.isEnabled ? "on" : "off") << '\n'
        << "Provider: " << LLMSettings::displayName(settings.kind) << " (" << LLMSettings::rawValue(settings.kind)
        << ")\n"
        << "Model: " << settings.model << '\n'
        << "Base URL: " << settings.baseURL << '\n'
        << "Timeout: " << QString::number(settings.timeoutSeconds, 'f', 1) << " s\n"
        << "API key: " << keyState(settings.kind) << '\n'
        << "Settings file: " << file.path() << '\n';
    return ExitCode::ok;
}

ExitCode runLlm(const QStringList &arguments)
{
    const QString sub = arguments.value(0);
    if (sub == QStringLiteral("set-key"))
        return setKey(arguments.mid(1));
    if (sub == QStringLiteral("show"))
        return show(arguments.mid(1));
    throw CommandError(QStringLiteral("usage: parlowind llm show | parlowind llm set-key PROVIDER"), ExitCode::usage);
}

} // namespace

Command llmCommand()
{
    return Command {
        QStringLiteral("llm"),
        QStringLiteral("llm show|set-key PROVIDER [--file]"),
        QStringLiteral("show the AI polish settings, or store a provider's API key (read from stdin)"),
        runLlm,
    };
}

} // namespace parlowind::cli
