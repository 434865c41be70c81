#pragma once

class QObject;

namespace parlowind {

// Turns SIGTERM and SIGINT (logout, `kill`, Ctrl+C in a terminal) into a
// normal quit, so the termination sequence releases the keys and the
// microphone instead of the process just vanishing.
void quitOnTerminationSignals(QObject *context);

} // namespace parlowind
