#pragma once

#include <QString>

namespace parlowind {

// This platform's "microphone permission": Linux has no grant outside
// sandboxes, so what can stop dictation is a sound server that does not
// answer or has nothing to record from.
struct MicrophoneCheck
{
    bool isAvailable = false;
    // What is wrong and what to do about it; empty when available.
    QString reason;

    // Asks the audio server; blocks for at most about `timeoutSeconds`.
    static MicrophoneCheck run(double timeoutSeconds = 2.0);
};

} // namespace parlowind
