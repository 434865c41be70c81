#pragma once

#include <QString>

namespace parlowind {

// This platform's "accessibility permission": the AT-SPI bus must answer on
// the session bus and accessibility must be switched on, because Qt and
// Chromium applications expose their text fields only then. Nothing fails:
// every check answers false when the bus does not.
class AtspiAccessibility final
{
public:
    AtspiAccessibility() = delete;

    // org.a11y.Bus answers with the address of the accessibility bus.
    static bool isBusReachable();

    // org.a11y.Status.IsEnabled.
    static bool isEnabled();

    // Switches accessibility on for the session (running Qt applications
    // pick it up); returns whether it is on afterwards.
    static bool enable();

    // The grant is effective: the bus answers and accessibility is on.
    static bool verifyWorks() { return isBusReachable() && isEnabled(); }

    // What the user is told when verifyWorks() is false.
    static QString problemDescription();
};

} // namespace parlowind
