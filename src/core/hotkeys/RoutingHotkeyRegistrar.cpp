#include "RoutingHotkeyRegistrar.h"

#include "HotkeyError.h"

namespace parlowind {

RoutingHotkeyRegistrar::RoutingHotkeyRegistrar(HotkeyRegistering &chords, FnHotkeyMonitor &fn)
    : m_chords(chords)
    , m_fn(fn)
    , m_onEvent(std::make_shared<EventHandler>())
{
    installForwarders();
}

RoutingHotkeyRegistrar::~RoutingHotkeyRegistrar() = default;

void RoutingHotkeyRegistrar::installForwarders()
{
    const std::weak_ptr<EventHandler> weak = m_onEvent;
    const auto forward = [weak](HotkeyID id, HotkeyPhase phase) {
        const auto handler = weak.lock();
        if (handler && *handler)
            (*handler)(id, phase);
    };
    m_chords.setOnEvent(forward);
    m_fn.setOnEvent(forward);
}

void RoutingHotkeyRegistrar::setOnEvent(EventHandler handler)
{
    // A fresh holder, so a handler running right now keeps its own copy alive.
    m_onEvent = std::make_shared<EventHandler>(std::move(handler));
    installForwarders();
}

void RoutingHotkeyRegistrar::registerBinding(const HotkeyBinding &binding, HotkeyID id)
{
    if (m_routes.contains(id))
        throw HotkeyError::alreadyRegistered(id);
    if (binding.isFn()) {
        if (m_fn.ids().contains(id))
            throw HotkeyError::alreadyRegistered(id);
        m_fn.startIfNeeded();
        m_fn.ids().insert(id);
    } else {
        m_chords.registerBinding(binding, id);
    }
    m_routes.insert_or_assign(id, binding);
}

void RoutingHotkeyRegistrar::unregister(HotkeyID id)
{
    const auto route = m_routes.find(id);
    if (route == m_routes.end())
        return;
    const bool wasFn = route->second.isFn();
    m_routes.erase(route);
    if (wasFn) {
        m_fn.ids().erase(id);
        if (m_fn.ids().empty())
            m_fn.stop();
    } else {
        m_chords.unregister(id);
    }
}

void RoutingHotkeyRegistrar::unregisterAll()
{
    m_routes.clear();
    m_chords.unregisterAll();
    m_fn.ids().clear();
    m_fn.stop();
}

bool RoutingHotkeyRegistrar::deliver(HotkeyID id, HotkeyPhase phase)
{
    if (!m_routes.contains(id))
        return false;
    const auto handler = m_onEvent;
    if (*handler)
        (*handler)(id, phase);
    return true;
}

} // namespace parlowind
