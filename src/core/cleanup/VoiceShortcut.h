#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QUuid>

#include <optional>

namespace parlowind {

// A spoken phrase replaced by the text the user typed for it.
struct VoiceShortcut
{
    QUuid id;
    QString phrase;
    QString expansion;

    bool operator==(const VoiceShortcut &) const = default;

    // "id" (upper-case UUID), "phrase", "expansion".
    QJsonObject toJson() const;
    static std::optional<VoiceShortcut> fromJson(const QJsonValue &value);
};

QJsonArray toJson(const QList<VoiceShortcut> &shortcuts);
std::optional<QList<VoiceShortcut>> voiceShortcutsFromJson(const QJsonValue &value);

} // namespace parlowind
