#include "Command.h"

#include "settings/SettingsStore.h"

#include <QTextStream>

namespace parlowind::cli {

namespace {
const QString usage = QStringLiteral("usage: parlowind settings list | get KEY | set KEY VALUE");

// Wrong keys and values are the caller's mistake: a usage error.
template<typename Action> ExitCode guarded(Action action)
{
    try {
        action();
    } catch (const SettingsError &error) {
        throw CommandError(error.description(),
                           error.kind() == SettingsError::Kind::writeFailed ? ExitCode::failure : ExitCode::usage);
    }
    return ExitCode::ok;
}
} // namespace

Command settingsCommand()
{
    return Command {
        QStringLiteral("settings"),
        QStringLiteral("settings list | get KEY | set KEY VALUE"),
        QStringLiteral("show or change the preferences"),
        [](const QStringList &arguments) {
            const QString action = arguments.value(0);
            SettingsStore store;
            QTextStream out(stdout);
            if (action == QStringLiteral("list") && arguments.size() == 1) {
                for (const QString &key : SettingsStore::keys())
                    out << key << '=' << store.valueText(key) << '\n';
                return ExitCode::ok;
            }
            if (action == QStringLiteral("get") && arguments.size() == 2)
                return guarded([&] { out << store.valueText(arguments.at(1)) << '\n'; });
            if (action == QStringLiteral("set") && arguments.size() == 3)
                return guarded([&] { store.setValueText(arguments.at(1), arguments.at(2)); });
            throw CommandError(usage, ExitCode::usage);
        },
    };
}

} // namespace parlowind::cli
