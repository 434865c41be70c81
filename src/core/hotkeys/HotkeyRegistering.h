#pragma once

#include "HotkeyBinding.h"

#include <functional>

namespace parlowind {

// Claims global keys and reports their press and release. Failures are
// thrown as HotkeyError.
class HotkeyRegistering
{
public:
    using EventHandler = std::function<void(HotkeyID, HotkeyPhase)>;

    virtual ~HotkeyRegistering() = default;

    // Called on the UI thread for every press and release of a registered key.
    virtual void setOnEvent(EventHandler handler) = 0;

    // Claims the binding's key for `id`. ("register" is a C++ keyword.)
    virtual void registerBinding(const HotkeyBinding &binding, HotkeyID id) = 0;

    // Releases the key of `id`; does nothing if it is not registered.
    virtual void unregister(HotkeyID id) = 0;

    virtual void unregisterAll() = 0;
};

} // namespace parlowind
