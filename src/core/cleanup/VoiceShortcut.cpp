#include "VoiceShortcut.h"

#include "JsonFields.h"

namespace parlowind {

QJsonObject VoiceShortcut::toJson() const
{
    return QJsonObject {
        { QStringLiteral("id"), JsonFields::uuidString(id) },
        { QStringLiteral("phrase"), phrase },
        { QStringLiteral("expansion"), expansion },
    };
}

std::optional<VoiceShortcut> VoiceShortcut::fromJson(const QJsonValue &value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    const std::optional<QUuid> id = JsonFields::uuid(object.value(QStringLiteral("id")));
    const std::optional<QString> phrase = JsonFields::string(object.value(QStringLiteral("phrase")));
    const std::optional<QString> expansion = JsonFields::string(object.value(QStringLiteral("expansion")));
    if (!id || !phrase || !expansion)
        return std::nullopt;
    return VoiceShortcut { *id, *phrase, *expansion };
}

QJsonArray toJson(const QList<VoiceShortcut> &shortcuts)
{
    QJsonArray array;
    for (const VoiceShortcut &shortcut : shortcuts)
        array.append(shortcut.toJson());
    return array;
}

std::optional<QList<VoiceShortcut>> voiceShortcutsFromJson(const QJsonValue &value)
{
    return JsonFields::list<VoiceShortcut>(value, VoiceShortcut::fromJson);
}

} // namespace parlowind
