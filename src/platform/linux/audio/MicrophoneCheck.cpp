#include "MicrophoneCheck.h"

#include "PulseConnection.h"

#include <algorithm>

namespace parlowind {

MicrophoneCheck MicrophoneCheck::run(double timeoutSeconds)
{
    try {
        PulseConnection connection(QByteArrayLiteral("Parlowind microphone check"));
        connection.connect(timeoutSeconds);
        PulseConnection::Lock lock(connection);
        const auto sources = connection.sources(timeoutSeconds);
        const bool hasMicrophone
            = std::any_of(sources.begin(), sources.end(), [](const auto &source) { return !source.isMonitor; });
        if (!hasMicrophone)
            return { false,
                     QStringLiteral("No microphone was found. Plug one in, or turn it on in the sound settings.") };
        const QByteArray defaultName = connection.defaultSourceName(timeoutSeconds);
        const auto chosen = std::find_if(sources.begin(), sources.end(),
                                         [&](const auto &source) { return source.name == defaultName; });
        if (chosen == sources.end())
            return { false,
                     QStringLiteral("No input device is selected. Choose your microphone as the input in the "
                                    "sound settings.") };
        if (chosen->isMonitor)
            return { false,
                     QStringLiteral("The selected input is \"%1\", which records what the speakers play. "
                                    "Choose your microphone as the input in the sound settings.")
                         .arg(chosen->description) };
        return { true, {} };
    } catch (const PulseError &) {
        return { false,
                 QStringLiteral("The sound server does not answer. Start it (for example with "
                                "\"systemctl --user start pipewire-pulse\" or \"pulseaudio --start\") "
                                "and try again.") };
    }
}

} // namespace parlowind
