#pragma once

#include "FnHotkeyMonitor.h"
#include "HotkeyRegistering.h"

#include <map>
#include <memory>

namespace parlowind {

// The registrar the application uses: chords go to the desktop's chord
// engine (X11 grabs, the shortcuts portal), the `fn` binding to the lone-key
// monitor. Callers never need to know which mechanism holds a key.
class RoutingHotkeyRegistrar final : public HotkeyRegistering
{
public:
    RoutingHotkeyRegistrar(HotkeyRegistering &chords, FnHotkeyMonitor &fn);
    ~RoutingHotkeyRegistrar() override;
    RoutingHotkeyRegistrar(const RoutingHotkeyRegistrar &) = delete;
    RoutingHotkeyRegistrar &operator=(const RoutingHotkeyRegistrar &) = delete;

    void setOnEvent(EventHandler handler) override;
    void registerBinding(const HotkeyBinding &binding, HotkeyID id) override;
    void unregister(HotkeyID id) override;
    void unregisterAll() override;

    bool isRegistered(HotkeyID id) const { return m_routes.contains(id); }

    // A phase that arrived some other way than a key (the control channel),
    // delivered exactly as a key's would be. Only identifiers that are
    // registered get it, as with a key; returns whether it was delivered.
    bool deliver(HotkeyID id, HotkeyPhase phase);

private:
    void installForwarders();

    HotkeyRegistering &m_chords;
    FnHotkeyMonitor &m_fn;
    // Shared with the forwarders the engines hold, which see it die with us.
    std::shared_ptr<EventHandler> m_onEvent;
    std::map<HotkeyID, HotkeyBinding> m_routes;
};

} // namespace parlowind
