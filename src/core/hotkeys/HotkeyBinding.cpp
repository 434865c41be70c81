#include "HotkeyBinding.h"

#include <QJsonValue>

#include <array>
#include <utility>

namespace parlowind {

namespace {
const std::array<std::pair<std::uint32_t, const char *>, 16> keyNames { {
    { 57, "Space" },
    { 28, "Return" },
    { 15, "Tab" },
    { 1, "Escape" },
    { 30, "A" },
    { 31, "S" },
    { 32, "D" },
    { 18, "E" },
    { 33, "F" },
    { 34, "G" },
    { 35, "H" },
    { 46, "C" },
    { 47, "V" },
    { 48, "B" },
    { 17, "W" },
    { 19, "R" },
} };
} // namespace

HotkeyBinding HotkeyBinding::defaultCommandMode()
{
    return chord(KeyCode::space, Modifier::option | Modifier::shift);
}

QString HotkeyBinding::keyName(std::uint32_t keyCode)
{
    for (const auto &[code, name] : keyNames)
        if (code == keyCode)
            return QString::fromLatin1(name);
    return QStringLiteral("Key%1").arg(keyCode);
}

QString HotkeyBinding::displayString() const
{
    if (m_isFn)
        return QStringLiteral("Right Ctrl");
    QString text;
    if (m_modifiers & Modifier::control)
        text += QStringLiteral("Ctrl+");
    if (m_modifiers & Modifier::option)
        text += QStringLiteral("Alt+");
    if (m_modifiers & Modifier::shift)
        text += QStringLiteral("Shift+");
    if (m_modifiers & Modifier::command)
        text += QStringLiteral("Super+");
    return text + keyName(m_keyCode);
}

QJsonObject HotkeyBinding::toJson() const
{
    if (m_isFn)
        return QJsonObject { { QStringLiteral("kind"), QStringLiteral("fn") } };
    return QJsonObject {
        { QStringLiteral("kind"), QStringLiteral("chord") },
        { QStringLiteral("keyCode"), qint64(m_keyCode) },
        { QStringLiteral("modifiers"), int(m_modifiers.toInt()) },
    };
}

std::optional<HotkeyBinding> HotkeyBinding::fromJson(const QJsonObject &object)
{
    const QJsonValue kind = object.value(QStringLiteral("kind"));
    if (kind.isString() && kind.toString() == QStringLiteral("fn"))
        return fn();
    if (!kind.isUndefined() && !(kind.isString() && kind.toString() == QStringLiteral("chord")))
        return std::nullopt;

    const QJsonValue code = object.value(QStringLiteral("keyCode"));
    const QJsonValue mods = object.value(QStringLiteral("modifiers"));
    if (!code.isDouble() || !mods.isDouble())
        return std::nullopt;
    const double codeValue = code.toDouble();
    const double modsValue = mods.toDouble();
    // Unsigned integers only: 32 bits for the key, 8 for the modifier flags.
    if (codeValue < 0 || codeValue > 4294967295.0 || codeValue != qint64(codeValue))
        return std::nullopt;
    if (modsValue < 0 || modsValue > 255 || modsValue != int(modsValue))
        return std::nullopt;
    return chord(std::uint32_t(codeValue), Modifiers::fromInt(int(modsValue) & 0x0f));
}

std::optional<HotkeyID> hotkeyIdFromRawValue(std::uint32_t raw)
{
    if (raw >= 1 && raw <= 3)
        return HotkeyID(raw);
    return std::nullopt;
}

QString rawName(HotkeyID id)
{
    switch (id) {
    case HotkeyID::dictation:
        return QStringLiteral("dictation");
    case HotkeyID::commandMode:
        return QStringLiteral("commandMode");
    case HotkeyID::cancel:
        break;
    }
    return QStringLiteral("cancel");
}

} // namespace parlowind
