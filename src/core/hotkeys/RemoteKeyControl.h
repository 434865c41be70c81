#pragma once

#include "HotkeyBinding.h"

#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace parlowind {

// What `parlowind ptt` asks of a running instance.
enum class RemoteKeyCommand { press, release, toggle, cancel };

std::optional<RemoteKeyCommand> remoteKeyCommandFromName(const QString &name);
QString nameOf(RemoteKeyCommand command);

// Turns control-channel commands into the key phases a real dictation key
// would give: a press is only followed by a release, never by another press,
// so a repeated `press` or a stray `release` changes nothing. `toggle` is for
// bindings that only report the key going down (it alternates press and
// release); `cancel` acts like a tap of Escape and forgets the held state, so
// the next `toggle` starts afresh.
class RemoteKeyControl final
{
public:
    using Event = std::pair<HotkeyID, HotkeyPhase>;

    std::vector<Event> apply(RemoteKeyCommand command);
    bool isHeld() const { return m_held; }

private:
    bool m_held = false;
};

} // namespace parlowind
