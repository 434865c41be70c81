#include "Command.h"
#include "ModelResolution.h"
#include "UserCleanup.h"

#include "audio/AudioFormat.h"
#include "cleanup/HallucinationGuard.h"
#include "cleanup/TextCharacters.h"
#include "settings/SettingsStore.h"

#include "speech/ModelStore.h"
#include "speech/TranscriptionError.h"
#include "speech/WavReader.h"
#include "speech/WhisperCppEngine.h"
#include "support/BlockingWait.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <whisper.h>

namespace parlowind::cli {

namespace {

struct TranscribeOptions
{
    QStringList files;
    std::optional<QString> model; // an id of the catalogue or a path
    bool cleanup = true;
    bool json = false;
};

TranscribeOptions parseOptions(const QStringList &arguments)
{
    TranscribeOptions options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == QStringLiteral("--model")) {
            if (i + 1 >= arguments.size())
                throw CommandError(QStringLiteral("--model needs a model id or a file"), ExitCode::usage);
            options.model = arguments[++i];
        } else if (argument.startsWith(QStringLiteral("--model="))) {
            options.model = argument.mid(8);
        } else if (argument == QStringLiteral("--no-cleanup")) {
            options.cleanup = false;
        } else if (argument == QStringLiteral("--json")) {
            options.json = true;
        } else if (argument.startsWith(QStringLiteral("--"))) {
            throw CommandError(QStringLiteral("transcribe: unknown option %1").arg(argument), ExitCode::usage);
        } else {
            options.files << argument;
        }
    }
    if (options.files.isEmpty())
        throw CommandError(QStringLiteral("transcribe needs at least one WAV file"), ExitCode::usage);
    return options;
}

QString missingModelMessage(const WhisperModel &model)
{
    return QStringLiteral("the speech model \"%1\" (%2) is not downloaded; get it with: parlowind models download %1")
        .arg(model.id, model.displayName);
}

// A catalogue id names a downloaded model of the store; anything else is a
// model file's path.
QString modelFile(const ModelStore &store, const std::optional<QString> &requested)
{
    if (!requested) {
        const WhisperModel model = preferredModel(store);
        if (!store.isDownloaded(model))
            throw CommandError(missingModelMessage(model), ExitCode::unavailable);
        return store.localURL(model);
    }
    if (const std::optional<WhisperModel> model = WhisperModel::find(*requested)) {
        if (*requested == WhisperModel::sileroVAD.id)
            throw CommandError(QStringLiteral("\"%1\" is the voice-activity model, not a speech model").arg(*requested),
                               ExitCode::usage);
        if (!store.isDownloaded(*model))
            throw CommandError(missingModelMessage(*model), ExitCode::unavailable);
        return store.localURL(*model);
    }
    if (!QFileInfo(*requested).isFile())
        throw CommandError(
            QStringLiteral("no model file at %1 (models of the catalogue: parlowind models list)").arg(*requested),
            ExitCode::unavailable);
    return QFileInfo(*requested).absoluteFilePath();
}

// The same rules dictation applies: the user's dictionary and shortcuts, the
// preferred filler level.
QString finishText(const QString &text, bool cleanup, double durationSeconds)
{
    if (!cleanup)
        return text;
    const CleanupContext context { SettingsStore().fillerAggressiveness(), durationSeconds };
    return userCleanupPipeline().run(TextCharacters::trimmedWhitespace(text), context);
}

QJsonObject toJson(const QString &file, const QString &text, const Transcript &transcript)
{
    QJsonArray segments;
    for (const Transcript::Segment &segment : transcript.segments)
        segments.append(QJsonObject { { QStringLiteral("text"), segment.text },
                                      { QStringLiteral("start"), segment.start },
                                      { QStringLiteral("end"), segment.end } });
    return QJsonObject { { QStringLiteral("file"), file },
                         { QStringLiteral("text"), text },
                         { QStringLiteral("segments"), segments } };
}

void quietLibraryLog(ggml_log_level, const char *, void *) { }

ExitCode runTranscribe(const QStringList &arguments)
{
    const TranscribeOptions options = parseOptions(arguments);
    if (!qEnvironmentVariableIsSet("PARLOWIND_WHISPER_LOG"))
        whisper_log_set(quietLibraryLog, nullptr);

    const ModelStore store(ModelStore::defaultDirectory());
    const QString model = modelFile(store, options.model);
    std::optional<QString> vadModel;
    if (store.isDownloaded(WhisperModel::sileroVAD))
        vadModel = store.localURL(WhisperModel::sileroVAD);

    WhisperCppEngine engine(model, vadModel, HallucinationGuard::filter);
    try {
        waitForTask(engine.load());
    } catch (const TranscriptionError &error) {
        throw CommandError(error.description(), ExitCode::unavailable);
    }

    QTextStream out(stdout);
    QTextStream err(stderr);
    bool allRead = true;
    for (const QString &file : options.files) {
        std::vector<float> samples;
        try {
            samples = toEngineSamples(readWavFile(file));
        } catch (const WavReadError &error) {
            err << "parlowind: " << error.description() << Qt::endl;
            allRead = false;
            continue;
        }
        const double durationSeconds = double(samples.size()) / whisperFormat.sampleRate;
        const Transcript transcript = waitForTask(engine.transcribe(std::move(samples), std::nullopt));
        const QString text = finishText(transcript.text, options.cleanup, durationSeconds);
        if (options.json)
            out << QJsonDocument(toJson(file, text, transcript)).toJson(QJsonDocument::Compact) << '\n';
        else
            out << text << '\n';
        out.flush();
    }
    return allRead ? ExitCode::ok : ExitCode::failure;
}

} // namespace

Command transcribeCommand()
{
    return Command {
        QStringLiteral("transcribe"),
        QStringLiteral("transcribe FILE.wav... [--model ID|PATH] [--no-cleanup] [--json]"),
        QStringLiteral("transcribe WAV files on this computer; one text (or JSON line) per file"),
        runTranscribe,
    };
}

} // namespace parlowind::cli
