#pragma once

#include "FnPressTracker.h"
#include "HotkeyRegistering.h"
#include "LoneKeySource.h"

#include <memory>
#include <set>

namespace parlowind {

// Watches the lone dictation key (the `fn` binding) without grabbing it, so
// the key keeps its normal effect everywhere, and reports its press and
// release to every identifier registered here. Runs only while at least one
// identifier is registered.
class FnHotkeyMonitor final
{
public:
    explicit FnHotkeyMonitor(std::unique_ptr<LoneKeySource> source);
    ~FnHotkeyMonitor();
    FnHotkeyMonitor(const FnHotkeyMonitor &) = delete;
    FnHotkeyMonitor &operator=(const FnHotkeyMonitor &) = delete;

    void setOnEvent(HotkeyRegistering::EventHandler handler) { m_onEvent = std::move(handler); }

    // The identifiers reported to; the routing registrar edits it directly.
    std::set<HotkeyID> &ids() { return m_ids; }

    // Throws alreadyRegistered, or eventTapUnavailable from startIfNeeded().
    void registerId(HotkeyID id);
    void unregister(HotkeyID id);
    void unregisterAll();

    // Starts watching unless already watching; throws eventTapUnavailable.
    void startIfNeeded();
    // Stops watching. A press in progress gets its release first, so the
    // coordinator is never left recording with no key down.
    void stop();
    bool isRunning() const { return m_running; }

private:
    void handle(const KeyEvent &event);
    void report(HotkeyPhase phase);

    std::unique_ptr<LoneKeySource> m_source;
    HotkeyRegistering::EventHandler m_onEvent;
    std::set<HotkeyID> m_ids;
    LoneKeyState m_keys;
    FnPressTracker m_tracker;
    bool m_running = false;
};

} // namespace parlowind
