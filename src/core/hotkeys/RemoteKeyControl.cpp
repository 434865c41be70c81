#include "RemoteKeyControl.h"

namespace parlowind {

std::optional<RemoteKeyCommand> remoteKeyCommandFromName(const QString &name)
{
    for (RemoteKeyCommand command :
         { RemoteKeyCommand::press, RemoteKeyCommand::release, RemoteKeyCommand::toggle, RemoteKeyCommand::cancel })
        if (nameOf(command) == name)
            return command;
    return std::nullopt;
}

QString nameOf(RemoteKeyCommand command)
{
    switch (command) {
    case RemoteKeyCommand::press:
        return QStringLiteral("press");
    case RemoteKeyCommand::release:
        return QStringLiteral("release");
    case RemoteKeyCommand::toggle:
        return QStringLiteral("toggle");
    case RemoteKeyCommand::cancel:
        break;
    }
    return QStringLiteral("cancel");
}

std::vector<RemoteKeyControl::Event> RemoteKeyControl::apply(RemoteKeyCommand command)
{
    switch (command) {
    case RemoteKeyCommand::press:
        if (m_held)
            return {};
        m_held = true;
        return { { HotkeyID::dictation, HotkeyPhase::pressed } };
    case RemoteKeyCommand::release:
        if (!m_held)
            return {};
        m_held = false;
        return { { HotkeyID::dictation, HotkeyPhase::released } };
    case RemoteKeyCommand::toggle:
        return apply(m_held ? RemoteKeyCommand::release : RemoteKeyCommand::press);
    case RemoteKeyCommand::cancel:
        m_held = false;
        return { { HotkeyID::cancel, HotkeyPhase::pressed }, { HotkeyID::cancel, HotkeyPhase::released } };
    }
    return {};
}

} // namespace parlowind
