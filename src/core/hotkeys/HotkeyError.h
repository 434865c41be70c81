#pragma once

#include "HotkeyBinding.h"
#include "support/Error.h"

namespace parlowind {

// Why a key could not be claimed.
class HotkeyError final : public Error
{
public:
    enum class Kind {
        registrationFailed, // the desktop refused the key; `status` says how
        alreadyRegistered, // `id` is already registered with this registrar
        requiresEventTap, // a lone-key binding was given to the chord engine
        eventTapUnavailable, // the lone-key watch cannot read the keyboard
    };

    static HotkeyError registrationFailed(int status) { return HotkeyError(Kind::registrationFailed, status, {}); }
    static HotkeyError alreadyRegistered(HotkeyID id) { return HotkeyError(Kind::alreadyRegistered, 0, id); }
    static HotkeyError requiresEventTap() { return HotkeyError(Kind::requiresEventTap, 0, {}); }
    static HotkeyError eventTapUnavailable() { return HotkeyError(Kind::eventTapUnavailable, 0, {}); }

    Kind kind() const { return m_kind; }
    int status() const { return m_status; }
    HotkeyID id() const { return m_id; }

    QString logDescription() const override;
    QString description() const override;

    bool operator==(const HotkeyError &other) const
    {
        return m_kind == other.m_kind && m_status == other.m_status && m_id == other.m_id;
    }

private:
    HotkeyError(Kind kind, int status, HotkeyID id)
        : m_kind(kind)
        , m_status(status)
        , m_id(id)
    { }

    Kind m_kind;
    int m_status;
    HotkeyID m_id = HotkeyID::dictation;
};

} // namespace parlowind
