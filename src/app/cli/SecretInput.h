#pragma once

#include <QString>

namespace parlowind::cli {

// Reads one line from standard input. When it is a terminal, `prompt` goes to
// stderr and typing is not echoed; the terminal is restored on every path,
// including an interrupt.
QString readSecretLine(const QString &prompt);

} // namespace parlowind::cli
