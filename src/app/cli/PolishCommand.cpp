#include "support/BlockingWait.h"
#include "Command.h"
#include "KeychainStore.h"
#include "OfflinePreference.h"
#include "SecretFileStore.h"
#include "polish/LLMSettingsFile.h"
#include "polish/NetworkAccessTransport.h"
#include "polish/TranscriptPolisher.h"
#include "support/MonotonicClock.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QTextStream>

#include <optional>

namespace parlowind::cli {

namespace {

QString skippedBecause(const LLMSettings::PolishStatus &status)
{
    switch (status.status) {
    case LLMSettings::PolishStatus::Case::disabled:
        return QStringLiteral("AI polish is off (see parlowind llm show)");
    case LLMSettings::PolishStatus::Case::offlineOnly:
        return QStringLiteral("Offline only is on");
    case LLMSettings::PolishStatus::Case::notConfigured:
        return QStringLiteral("AI polish is not configured (see parlowind llm show)");
    case LLMSettings::PolishStatus::Case::active:
        break;
    }
    return {};
}

QString failureReason(const TranscriptPolisher::Outcome &outcome, const LLMSettings &settings,
                      const std::optional<KeychainError> &keyError)
{
    if (outcome.rejected)
        return QStringLiteral("the answer was much longer or shorter than the text and was discarded");
    if (!outcome.failure)
        return {};
    if (outcome.failure->errorCase() == LLMError::Case::notConfigured) {
        if (keyError)
            return keyError->description();
        if (LLMSettings::needsAPIKey(settings.kind))
            return QStringLiteral("no API key is stored for %1; run parlowind llm set-key %2")
                .arg(LLMSettings::displayName(settings.kind), LLMSettings::rawValue(settings.kind));
    }
    return outcome.failure->description();
}

ExitCode runPolish(const QStringList &arguments)
{
    if (!arguments.isEmpty())
        throw CommandError(QStringLiteral("polish takes no arguments; it reads the text on standard input"),
                           ExitCode::usage);

    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly))
        throw CommandError(QStringLiteral("cannot read standard input"));
    QString text = QString::fromUtf8(input.readAll());
    // The shell's line end is not part of the text.
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(text.endsWith(QStringLiteral("\r\n")) ? 2 : 1);

    QTextStream out(stdout);
    QTextStream err(stderr);
    const LLMSettings settings = LLMSettingsFile().load();
    const LLMSettings::PolishStatus status = settings.status(readOfflineOnlyPreference());
    if (!status.isActive()) {
        out << text << '\n';
        err << "parlowind: polish skipped: " << skippedBecause(status) << Qt::endl;
        return ExitCode::ok;
    }

    KeychainStore keychain;
    SecretFileStore keyFile;
    FallbackSecretStore keys(keychain, keyFile);
    NetworkAccessTransport transport;
    SystemClock clock;
    std::optional<KeychainError> keyError;
    LLMClient client(transport, clock, readOfflineOnlyPreference,
                     makeKeyLookup(keys, settings.kind, [&keyError](const KeychainError &error) { keyError = error; }));
    TranscriptPolisher polisher(client, settings.activeProvider(), readOfflineOnlyPreference, PolishSanityCheck(2.0),
                                1024, settings.timeout());

    const TranscriptPolisher::Outcome outcome = waitForTask(polisher.attempt(text));
    // What is left of the request ends within a moment of the answer.
    QDeadlineTimer deadline(2000);
    while (client.pendingWork() > 0 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);

    out << outcome.text << '\n';
    if (!outcome.polished && !text.trimmed().isEmpty())
        err << "parlowind: polish failed, text unchanged: " << failureReason(outcome, settings, keyError) << Qt::endl;
    return ExitCode::ok;
}

} // namespace

Command polishCommand()
{
    return Command {
        QStringLiteral("polish"),
        QStringLiteral("polish"),
        QStringLiteral("polish the text on stdin with the configured language model"),
        runPolish,
    };
}

} // namespace parlowind::cli
