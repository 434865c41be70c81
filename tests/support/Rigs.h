#pragma once

#include <QString>
#include <QtGlobal>

#include <gtest/gtest.h>

// Integration tests need real components (an X server, a D-Bus session, an
// audio daemon). Where one is missing the test skips with the reason, except
// under .ci/run (PARLOWIND_REQUIRE_RIGS=1), where a missing rig is a failure.
#define PARLOWIND_REQUIRE_RIG(available, what)                                                                        \
    do {                                                                                                               \
        if (!(available)) {                                                                                            \
            if (qEnvironmentVariableIntValue("PARLOWIND_REQUIRE_RIGS") == 1)                                           \
                FAIL() << "required rig is missing: " << (what);                                                       \
            GTEST_SKIP() << "rig not running: " << (what);                                                             \
        }                                                                                                              \
    } while (false)

namespace parlowind::test {

inline bool hasX11() { return !qEnvironmentVariableIsEmpty("DISPLAY"); }
inline bool hasSessionBus() { return !qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"); }
inline bool hasPulseServer() { return !qEnvironmentVariableIsEmpty("PULSE_SERVER"); }

// The folder of shared recordings and models (jfk.wav, the voice-activity model).
inline QString testDataDirectory() { return QStringLiteral(PARLOWIND_TEST_DATA_DIR); }

} // namespace parlowind::test
