#pragma once

#include <QString>

#include <array>
#include <optional>

namespace parlowind {

// The two listening cues: the microphone opened, the microphone closed.
enum class DictationCue { start, stop };

inline constexpr std::array<DictationCue, 2> allDictationCues { DictationCue::start, DictationCue::stop };

// "listen-start" / "listen-stop": also the cue's sound file name without extension.
inline QString rawValue(DictationCue cue)
{
    return cue == DictationCue::start ? QStringLiteral("listen-start") : QStringLiteral("listen-stop");
}

inline std::optional<DictationCue> dictationCueFromRawValue(const QString &raw)
{
    for (DictationCue cue : allDictationCues)
        if (rawValue(cue) == raw)
            return cue;
    return std::nullopt;
}

} // namespace parlowind
