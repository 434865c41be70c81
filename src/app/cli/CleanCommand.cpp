#include "Command.h"
#include "UserCleanup.h"
#include "settings/SettingsStore.h"

#include "cleanup/CleanupPipeline.h"
#include "cleanup/TextCharacters.h"

#include <QFile>
#include <QTextStream>

namespace parlowind::cli {

namespace {
// The level dictation uses: the "fillerAggressiveness" preference, conservative
// when it is missing or unknown.
FillerAggressiveness parseLevel(const QString &raw)
{
    if (std::optional<FillerAggressiveness> level = fillerAggressivenessFromRawValue(raw))
        return *level;
    throw CommandError(QStringLiteral("unknown filler level \"%1\"; use off, conservative or aggressive").arg(raw),
                       ExitCode::usage);
}

FillerAggressiveness levelFromArguments(const QStringList &arguments)
{
    std::optional<FillerAggressiveness> level;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (level)
            throw CommandError(QStringLiteral("clean takes --filler once and no other arguments"), ExitCode::usage);
        if (argument == QStringLiteral("--filler")) {
            if (i + 1 == arguments.size())
                throw CommandError(QStringLiteral("--filler needs a level: off, conservative or aggressive"),
                                   ExitCode::usage);
            level = parseLevel(arguments[++i]);
        } else if (argument.startsWith(QStringLiteral("--filler="))) {
            level = parseLevel(argument.mid(9));
        } else {
            throw CommandError(QStringLiteral("unknown argument \"%1\" for clean").arg(argument), ExitCode::usage);
        }
    }
    return level.value_or(SettingsStore().fillerAggressiveness());
}

QString readStandardInput()
{
    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly))
        throw CommandError(QStringLiteral("cannot read standard input: %1").arg(input.errorString()));
    return QString::fromUtf8(input.readAll());
}
} // namespace

Command cleanCommand()
{
    return Command {
        QStringLiteral("clean"),
        QStringLiteral("clean [--filler LEVEL]"),
        QStringLiteral("clean text on stdin as dictation does (LEVEL: off, conservative, aggressive)"),
        [](const QStringList &arguments) {
            const CleanupContext context { levelFromArguments(arguments), 0 };
            const CleanupPipeline pipeline = userCleanupPipeline();
            // Dictation trims the transcript before its stages run.
            const QString cleaned = pipeline.run(TextCharacters::trimmedWhitespace(readStandardInput()), context);
            QTextStream out(stdout);
            if (!cleaned.isEmpty())
                out << cleaned << '\n';
            return ExitCode::ok;
        },
    };
}

} // namespace parlowind::cli
