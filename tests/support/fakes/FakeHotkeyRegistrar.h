#pragma once

#include "CallLog.h"
#include "hotkeys/HotkeyRegistering.h"

#include <map>
#include <memory>
#include <set>

namespace parlowind::test {

// A registrar that keeps its claims in a map and lets the test press keys.
// Like the real one, claiming an identifier twice fails with
// alreadyRegistered. Records "hotkeys.setOnEvent", "hotkeys.clearOnEvent",
// "hotkeys.register <id>", "hotkeys.unregister <id>" and
// "hotkeys.unregisterAll" in the shared log.
class FakeHotkeyRegistrar final : public HotkeyRegistering
{
public:
    explicit FakeHotkeyRegistrar(std::shared_ptr<CallLog> log = {})
        : m_log(std::move(log))
    { }

    void setOnEvent(EventHandler handler) override;
    void registerBinding(const HotkeyBinding &binding, HotkeyID id) override;
    void unregister(HotkeyID id) override;
    void unregisterAll() override;

    // Delivers a phase to the installed handler, as the desktop would; does
    // nothing for an identifier that is not registered or without a handler.
    void press(HotkeyID id) { deliver(id, HotkeyPhase::pressed); }
    void release(HotkeyID id) { deliver(id, HotkeyPhase::released); }

    // The next registration of `id` fails with registrationFailed(status).
    void failRegistration(HotkeyID id, int status = -1) { m_failures[id] = status; }

    bool hasHandler() const { return bool(m_handler); }
    bool isRegistered(HotkeyID id) const { return m_registered.count(id) != 0; }
    std::optional<HotkeyBinding> binding(HotkeyID id) const;

private:
    void deliver(HotkeyID id, HotkeyPhase phase);

    std::shared_ptr<CallLog> m_log;
    EventHandler m_handler;
    std::map<HotkeyID, HotkeyBinding> m_registered;
    std::map<HotkeyID, int> m_failures;
};

} // namespace parlowind::test
