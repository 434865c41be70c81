#include "Command.h"

#include "cleanup/CleanupSettingsStore.h"
#include "cleanup/DictionaryTransfer.h"
#include "cleanup/JsonSettingsFile.h"

#include <QFile>
#include <QTextStream>

namespace parlowind::cli {

namespace {
ExitCode exportDictionary(const QString &path)
{
    const CleanupSettingsStore settings;
    const QList<DictionaryTerm> terms = settings.loadTerms();
    const QByteArray data = DictionaryTransfer::exportData(terms);
    // Whole or not at all, so a failed export never leaves half a file over
    // an older one.
    try {
        JsonSettingsFile::writeAtomically(path, data);
    } catch (const SettingsFileError &error) {
        throw CommandError(QStringLiteral("could not write %1: %2").arg(path, error.reason()));
    }
    QTextStream(stdout) << DictionaryTransfer::exportSummary(terms.size()) << '\n';
    return ExitCode::ok;
}

ExitCode importDictionary(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw CommandError(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw CommandError(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));

    QList<DictionaryTerm> imported;
    try {
        imported = DictionaryTransfer::parse(data);
    } catch (const DictionaryImportError &error) {
        throw CommandError(QStringLiteral("%1: %2").arg(path, error.description()));
    }

    const CleanupSettingsStore settings;
    const QList<DictionaryTerm> existing = settings.loadTerms();
    const QList<DictionaryTerm> merged = DictionaryTransfer::merging(imported, existing);
    if (merged != existing) {
        try {
            settings.saveTerms(merged);
        } catch (const Error &error) {
            throw CommandError(QStringLiteral("could not save the dictionary: %1").arg(error.description()));
        }
    }
    QTextStream(stdout) << DictionaryTransfer::importSummary(imported.size(), merged.size() - existing.size()) << '\n';
    return ExitCode::ok;
}
} // namespace

Command dictionaryCommand()
{
    return Command {
        QStringLiteral("dictionary"),
        QStringLiteral("dictionary import|export FILE"),
        QStringLiteral("add terms from a JSON export or a word list, or export your dictionary as JSON"),
        [](const QStringList &arguments) {
            if (arguments.size() != 2)
                throw CommandError(QStringLiteral("usage: parlowind dictionary import|export FILE"), ExitCode::usage);
            if (arguments[0] == QStringLiteral("export"))
                return exportDictionary(arguments[1]);
            if (arguments[0] == QStringLiteral("import"))
                return importDictionary(arguments[1]);
            throw CommandError(
                QStringLiteral("unknown dictionary action \"%1\"; use import or export").arg(arguments[0]),
                ExitCode::usage);
        },
    };
}

} // namespace parlowind::cli
