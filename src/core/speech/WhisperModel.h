#pragma once

#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

namespace parlowind {

// A model file that Parlowind knows how to fetch: a speech model or the
// voice-activity model the engine loads beside it.
struct WhisperModel
{
    QString id; // stable; stored in the activeModelID preference
    QString filename; // inside the models folder
    QString displayName;
    qint64 approximateBytes = 0; // progress denominator when the server sends no length
    QUrl downloadURL;

    bool operator==(const WhisperModel &) const = default;

    static const WhisperModel largeV3Turbo;
    static const WhisperModel tinyEn;
    static const WhisperModel sileroVAD;

    // The speech-to-text models the activeModelID preference may name.
    static QList<WhisperModel> transcriptionModels();
    // The transcription models and the voice-activity model.
    static QList<WhisperModel> allKnown();
    static std::optional<WhisperModel> find(const QString &id);
};

} // namespace parlowind
