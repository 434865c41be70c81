#include "HistoryEntry.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace parlowind {

namespace {
const QString idKey = QStringLiteral("id");
const QString timestampKey = QStringLiteral("timestamp");
const QString textKey = QStringLiteral("text");
const QString bundleKey = QStringLiteral("appBundleIdentifier");
const QString nameKey = QStringLiteral("appName");
const QString tierKey = QStringLiteral("tier");

// An optional string: absent or null is "not there", any other type fails.
bool readOptional(const QJsonObject &object, const QString &key, std::optional<QString> &out)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull())
        return true;
    if (!value.isString())
        return false;
    out = value.toString();
    return true;
}
} // namespace

QString HistoryEntry::timestampText(const QDateTime &timestamp)
{
    return timestamp.toUTC().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss'Z'"));
}

std::optional<QDateTime> HistoryEntry::timestampFromText(const QString &text)
{
    static const QRegularExpression form(QStringLiteral(R"(^\d{4}-\d{2}-\d{2}T\d{2}:\d{2}:\d{2}Z$)"));
    if (!form.match(text).hasMatch())
        return std::nullopt;
    // Date and time apart, so no local-time rule can get in the way.
    const QDate date = QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd"));
    const QTime time = QTime::fromString(text.mid(11, 8), QStringLiteral("HH:mm:ss"));
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(date, time, Qt::UTC);
}

QString HistoryEntry::idText() const
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

QByteArray HistoryEntry::toJsonLine() const
{
    QJsonObject object {
        { idKey, idText() },
        { timestampKey, timestampText(timestamp) },
        { textKey, text },
        { tierKey, tier },
    };
    if (appBundleIdentifier)
        object.insert(bundleKey, *appBundleIdentifier);
    if (appName)
        object.insert(nameKey, *appName);
    // Line feeds inside the text are escaped, so one entry is one line.
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<HistoryEntry> HistoryEntry::fromJsonLine(QByteArrayView line)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(line.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();

    const QJsonValue id = object.value(idKey);
    const QJsonValue timestamp = object.value(timestampKey);
    const QJsonValue text = object.value(textKey);
    const QJsonValue tier = object.value(tierKey);
    if (!id.isString() || !timestamp.isString() || !text.isString() || !tier.isString())
        return std::nullopt;

    // The hyphenated form only, in either case; no braces.
    const QString idString = id.toString();
    if (idString.size() != 36)
        return std::nullopt;
    const QUuid uuid = QUuid::fromString(idString);
    if (uuid.isNull())
        return std::nullopt;

    const std::optional<QDateTime> when = timestampFromText(timestamp.toString());
    if (!when)
        return std::nullopt;

    HistoryEntry entry { uuid, *when, text.toString(), std::nullopt, std::nullopt, tier.toString() };
    if (!readOptional(object, bundleKey, entry.appBundleIdentifier) || !readOptional(object, nameKey, entry.appName))
        return std::nullopt;
    return entry;
}

} // namespace parlowind
