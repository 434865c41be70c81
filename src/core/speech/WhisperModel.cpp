#include "WhisperModel.h"

namespace parlowind {

namespace {
// The whisper.cpp project publishes its converted models here, and the ggml
// organisation the voice-activity model; both answer byte-range requests.
const QString speechModelBase = QStringLiteral("https://huggingface.co/ggerganov/whisper.cpp/resolve/main/");
const QString vadModelBase = QStringLiteral("https://huggingface.co/ggml-org/whisper-vad/resolve/main/");

WhisperModel makeModel(const char *id, const char *filename, const char *displayName, qint64 bytes, const QString &base)
{
    const QString file = QString::fromLatin1(filename);
    return WhisperModel { QString::fromLatin1(id), file, QString::fromLatin1(displayName), bytes, QUrl(base + file) };
}
} // namespace

const WhisperModel WhisperModel::largeV3Turbo
    = makeModel("large-v3-turbo", "ggml-large-v3-turbo.bin", "Large v3 Turbo", 1'624'000'000, speechModelBase);
const WhisperModel WhisperModel::tinyEn
    = makeModel("tiny.en", "ggml-tiny.en.bin", "Tiny (English)", 77'700'000, speechModelBase);
const WhisperModel WhisperModel::sileroVAD
    = makeModel("silero-v5.1.2", "ggml-silero-v5.1.2.bin", "Silero VAD", 2'300'000, vadModelBase);

QList<WhisperModel> WhisperModel::transcriptionModels()
{
    return { largeV3Turbo, tinyEn };
}

QList<WhisperModel> WhisperModel::allKnown()
{
    return { largeV3Turbo, tinyEn, sileroVAD };
}

std::optional<WhisperModel> WhisperModel::find(const QString &id)
{
    for (const WhisperModel &model : allKnown())
        if (model.id == id)
            return model;
    return std::nullopt;
}

} // namespace parlowind
