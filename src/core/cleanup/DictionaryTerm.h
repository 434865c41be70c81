#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <optional>

namespace parlowind {

// One word or name of the personal dictionary: its correct spelling and the
// ways the speech engine mishears it.
struct DictionaryTerm
{
    QUuid id;
    QString term; // inserted verbatim
    QStringList spokenAs; // heard forms, tried in this order
    int priority = 0; // higher terms come first in the engine's prompt

    bool operator==(const DictionaryTerm &) const = default;

    // "id" (upper-case UUID), "term", "spokenAs", "priority".
    QJsonObject toJson() const;
    // Nothing when a key is missing or has the wrong type.
    static std::optional<DictionaryTerm> fromJson(const QJsonValue &value);
};

QJsonArray toJson(const QList<DictionaryTerm> &terms);
// The whole array or nothing: one bad record fails it all.
std::optional<QList<DictionaryTerm>> dictionaryTermsFromJson(const QJsonValue &value);

} // namespace parlowind
