#pragma once

#include <QJsonArray>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <optional>

namespace parlowind {

// Strict readers of the values in our JSON files: a value of the wrong type
// (a fractional priority, a number where a string belongs) yields nothing, so
// a record decodes whole or not at all.
namespace JsonFields {
// The upper-case hyphenated form used in the files.
QString uuidString(const QUuid &id);
std::optional<QUuid> uuid(const QJsonValue &value);
std::optional<QString> string(const QJsonValue &value);
std::optional<int> integer(const QJsonValue &value);
std::optional<QStringList> strings(const QJsonValue &value);

// Decodes every element of an array with `decode`; nothing if any fails.
template<typename T, typename Decode> std::optional<QList<T>> list(const QJsonValue &value, Decode decode)
{
    if (!value.isArray())
        return std::nullopt;
    const QJsonArray array = value.toArray();
    QList<T> result;
    result.reserve(array.size());
    for (const QJsonValue &element : array) {
        std::optional<T> item = decode(element);
        if (!item)
            return std::nullopt;
        result.append(std::move(*item));
    }
    return result;
}
} // namespace JsonFields

} // namespace parlowind
