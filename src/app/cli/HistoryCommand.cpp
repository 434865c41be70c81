#include "Command.h"

#include "history/HistoryStore.h"

#include <QTextStream>

namespace parlowind::cli {

namespace {
QString listSynopsis()
{
    return QStringLiteral("history [--search TEXT] [--json] [--limit N]");
}

// The terminal form: local time, id, tier, application, and the text on one
// line (line breaks shown as ⏎ so that one entry stays one line).
QString terminalLine(const HistoryEntry &entry)
{
    QString text = entry.text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" ⏎ "));
    text.replace(QLatin1Char('\n'), QStringLiteral(" ⏎ "));
    text.replace(QLatin1Char('\r'), QStringLiteral(" ⏎ "));
    const QString app = entry.appName.value_or(entry.appBundleIdentifier.value_or(QStringLiteral("-")));
    return entry.timestamp.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QStringLiteral("  ")
        + entry.idText() + QStringLiteral("  ") + entry.tier.leftJustified(9) + QStringLiteral("  ") + app
        + QStringLiteral("  ") + text;
}

ExitCode list(const QStringList &arguments)
{
    QString query;
    bool json = false;
    std::optional<int> limit;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        const auto valueOf = [&](const QString &option) {
            if (i + 1 >= arguments.size())
                throw CommandError(option + QStringLiteral(" needs a value"), ExitCode::usage);
            return arguments.at(++i);
        };
        if (argument == QStringLiteral("--json")) {
            json = true;
        } else if (argument == QStringLiteral("--search")) {
            query = valueOf(argument);
        } else if (argument == QStringLiteral("--limit")) {
            bool ok = false;
            const int value = valueOf(argument).toInt(&ok);
            if (!ok || value < 1)
                throw CommandError(QStringLiteral("--limit needs a whole number of at least 1"), ExitCode::usage);
            limit = value;
        } else {
            throw CommandError(
                QStringLiteral("unexpected argument \"%1\"; usage: parlowind %2").arg(argument, listSynopsis()),
                ExitCode::usage);
        }
    }

    // Listing must not create folders or files: a disabled store only reads.
    const HistoryStore store(HistoryStore::defaultFilePath(), false, 365);
    QList<HistoryEntry> entries = store.search(query);
    if (limit && entries.size() > *limit)
        entries = entries.mid(entries.size() - *limit); // the newest N

    QTextStream out(stdout);
    if (json) {
        // Oldest first, each line as the history file holds it.
        for (const HistoryEntry &entry : entries)
            out << QString::fromUtf8(entry.toJsonLine()) << '\n';
    } else {
        for (auto it = entries.crbegin(); it != entries.crend(); ++it)
            out << terminalLine(*it) << '\n';
    }
    return ExitCode::ok;
}

ExitCode deleteOne(const QStringList &arguments)
{
    if (arguments.size() != 1)
        throw CommandError(QStringLiteral("usage: parlowind history delete ID"), ExitCode::usage);
    const QUuid id = QUuid::fromString(arguments.first().trimmed());
    if (id.isNull())
        throw CommandError(QStringLiteral("\"%1\" is not a dictation id").arg(arguments.first()), ExitCode::usage);
    HistoryStore store(HistoryStore::defaultFilePath(), false, 365);
    if (!store.deleteEntry(id))
        throw CommandError(QStringLiteral("no dictation with id %1").arg(id.toString(QUuid::WithoutBraces).toUpper()));
    QTextStream(stdout) << "Deleted " << id.toString(QUuid::WithoutBraces).toUpper() << '\n';
    return ExitCode::ok;
}

ExitCode clear(const QStringList &arguments)
{
    if (!arguments.isEmpty())
        throw CommandError(QStringLiteral("history clear takes no arguments"), ExitCode::usage);
    HistoryStore store(HistoryStore::defaultFilePath(), false, 365);
    const int removed = store.deleteAll();
    QTextStream(stdout) << "Deleted " << removed << (removed == 1 ? " dictation" : " dictations") << '\n';
    return ExitCode::ok;
}
} // namespace

Command historyCommand()
{
    return Command {
        QStringLiteral("history"),
        QStringLiteral("history [OPTIONS] | delete ID | clear"),
        QStringLiteral("list past dictations newest first (--search TEXT, --json, --limit N), or delete them"),
        [](const QStringList &arguments) {
            if (!arguments.isEmpty() && arguments.first() == QStringLiteral("delete"))
                return deleteOne(arguments.mid(1));
            if (!arguments.isEmpty() && arguments.first() == QStringLiteral("clear"))
                return clear(arguments.mid(1));
            return list(arguments);
        },
    };
}

} // namespace parlowind::cli
