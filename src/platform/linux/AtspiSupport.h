#pragma once

#include <QString>

typedef struct _AtspiAccessible AtspiAccessible;
typedef struct _GError GError;

namespace parlowind::atspi {

// Initialises libatspi once per process and bounds how long a call may wait
// for an application that does not answer. False when the accessibility bus
// cannot be reached.
bool ensureInitialised();

// Frees the error (if any) and says whether there was one.
bool consumeError(GError *&error);

// Takes ownership of a g_malloc'ed UTF-8 string.
QString takeString(char *text);

} // namespace parlowind::atspi
