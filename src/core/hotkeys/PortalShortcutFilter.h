#pragma once

#include "HotkeyBinding.h"

#include <optional>
#include <set>

namespace parlowind {

// The desktop shortcuts portal sends Activated again and again while a
// shortcut is held and one Deactivated at the end. This keeps the first
// Activated as the press and the Deactivated that follows as the release, so
// a held shortcut gives exactly one of each.
class PortalShortcutFilter final
{
public:
    std::optional<HotkeyPhase> activated(HotkeyID id)
    {
        if (!m_active.insert(id).second)
            return std::nullopt;
        return HotkeyPhase::pressed;
    }
    std::optional<HotkeyPhase> deactivated(HotkeyID id)
    {
        if (m_active.erase(id) == 0)
            return std::nullopt;
        return HotkeyPhase::released;
    }
    // The shortcut is gone: a later Deactivated for it means nothing.
    void forget(HotkeyID id) { m_active.erase(id); }
    void forgetAll() { m_active.clear(); }

private:
    std::set<HotkeyID> m_active;
};

} // namespace parlowind
