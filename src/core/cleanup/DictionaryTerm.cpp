#include "DictionaryTerm.h"

#include "JsonFields.h"

namespace parlowind {

QJsonObject DictionaryTerm::toJson() const
{
    return QJsonObject {
        { QStringLiteral("id"), JsonFields::uuidString(id) },
        { QStringLiteral("term"), term },
        { QStringLiteral("spokenAs"), QJsonArray::fromStringList(spokenAs) },
        { QStringLiteral("priority"), priority },
    };
}

std::optional<DictionaryTerm> DictionaryTerm::fromJson(const QJsonValue &value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    const std::optional<QUuid> id = JsonFields::uuid(object.value(QStringLiteral("id")));
    const std::optional<QString> term = JsonFields::string(object.value(QStringLiteral("term")));
    const std::optional<QStringList> spokenAs = JsonFields::strings(object.value(QStringLiteral("spokenAs")));
    const std::optional<int> priority = JsonFields::integer(object.value(QStringLiteral("priority")));
    if (!id || !term || !spokenAs || !priority)
        return std::nullopt;
    return DictionaryTerm { *id, *term, *spokenAs, *priority };
}

QJsonArray toJson(const QList<DictionaryTerm> &terms)
{
    QJsonArray array;
    for (const DictionaryTerm &term : terms)
        array.append(term.toJson());
    return array;
}

std::optional<QList<DictionaryTerm>> dictionaryTermsFromJson(const QJsonValue &value)
{
    return JsonFields::list<DictionaryTerm>(value, DictionaryTerm::fromJson);
}

} // namespace parlowind
