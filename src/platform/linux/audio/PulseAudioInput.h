#pragma once

#include "audio/AudioInputEngine.h"

#include <QString>

namespace parlowind {

// Microphone engines over PulseAudio (or pipewire-pulse): each engine is a
// private server connection and one record stream from the default source,
// at the source's own rate and channel count, as 32-bit float.
class PulseAudioInput final : public AudioInputEngineFactory
{
public:
    // `streamName` is what the sound settings show for the recording.
    explicit PulseAudioInput(QString streamName = QStringLiteral("Dictation"));
    std::unique_ptr<AudioInputEngine> makeEngine() override;

private:
    QString m_streamName;
};

} // namespace parlowind
