#pragma once

#include <QFlags>
#include <QJsonObject>
#include <QString>

#include <cstdint>
#include <optional>

namespace parlowind {

// Linux input event codes (linux/input-event-codes.h) used by the bindings.
namespace KeyCode {
inline constexpr std::uint32_t escape = 1;
inline constexpr std::uint32_t space = 57;
inline constexpr std::uint32_t rightCtrl = 97;
inline constexpr std::uint32_t fn = 464; // KEY_FN, where a keyboard reports it
} // namespace KeyCode

// What the user holds to dictate: a chord of modifiers and one key, or the
// lone dictation key (`fn`; on Linux, Right Ctrl held alone or a reported Fn
// key). Key codes are Linux input event codes.
class HotkeyBinding
{
public:
    enum class Modifier : std::uint8_t { control = 1, option = 2, shift = 4, command = 8 };
    Q_DECLARE_FLAGS(Modifiers, Modifier)

    static HotkeyBinding chord(std::uint32_t keyCode, Modifiers modifiers)
    {
        return HotkeyBinding(false, keyCode, modifiers);
    }
    static HotkeyBinding fn() { return HotkeyBinding(true, 0, {}); }

    static HotkeyBinding defaultDictation() { return fn(); }
    static HotkeyBinding cancel() { return chord(KeyCode::escape, {}); }
    static HotkeyBinding defaultCommandMode();

    bool isFn() const { return m_isFn; }
    bool needsEventTap() const { return m_isFn; }
    std::optional<std::uint32_t> keyCode() const { return m_isFn ? std::nullopt : std::optional(m_keyCode); }
    std::optional<Modifiers> modifiers() const { return m_isFn ? std::nullopt : std::optional(m_modifiers); }

    // "Right Ctrl" for fn; otherwise "Ctrl+Alt+Shift+Super+" (the flags set,
    // in that order) and the key's name, e.g. "Alt+Space", "Escape", "Key99".
    QString displayString() const;

    // {"kind": "fn"} or {"kind": "chord", "keyCode": n, "modifiers": bits}.
    QJsonObject toJson() const;
    // A missing "kind" reads as a chord; a chord needs both numbers.
    static std::optional<HotkeyBinding> fromJson(const QJsonObject &object);

    // Name of a key code as shown to the user ("Space", "A", "Key99").
    static QString keyName(std::uint32_t keyCode);

    bool operator==(const HotkeyBinding &other) const
    {
        return m_isFn == other.m_isFn && (m_isFn || (m_keyCode == other.m_keyCode && m_modifiers == other.m_modifiers));
    }

private:
    HotkeyBinding(bool isFn, std::uint32_t keyCode, Modifiers modifiers)
        : m_isFn(isFn)
        , m_keyCode(keyCode)
        , m_modifiers(modifiers)
    { }

    bool m_isFn;
    std::uint32_t m_keyCode;
    Modifiers m_modifiers;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(HotkeyBinding::Modifiers)

// The system's hot-key slots.
enum class HotkeyID : std::uint32_t { dictation = 1, commandMode = 2, cancel = 3 };

std::optional<HotkeyID> hotkeyIdFromRawValue(std::uint32_t raw);
QString rawName(HotkeyID id); // "dictation", "commandMode", "cancel"

// Always delivered pressed, then released, on the UI thread.
enum class HotkeyPhase { pressed, released };

} // namespace parlowind
