#pragma once

#include "injection/InjectionTier.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QUuid>

#include <optional>

namespace parlowind {

// One delivered dictation, as kept in the history file (one JSON line).
struct HistoryEntry
{
    QUuid id;
    QDateTime timestamp; // UTC, whole seconds
    QString text;
    std::optional<QString> appBundleIdentifier;
    std::optional<QString> appName;
    QString tier; // "ax", "paste", "clipboard" or "none"

    bool operator==(const HistoryEntry &) const = default;

    // One compact JSON object without the line feed. The id is upper-case
    // and hyphenated, the timestamp "2025-01-31T14:05:09Z" (any fraction of
    // a second is dropped); absent application fields are omitted.
    QByteArray toJsonLine() const;

    // Nothing when a required key is missing, a value has the wrong type or
    // the timestamp is in any other form (fractional seconds included).
    static std::optional<HistoryEntry> fromJsonLine(QByteArrayView line);

    // "2025-01-31T14:05:09Z"; the form the history file uses.
    static QString timestampText(const QDateTime &timestamp);
    static std::optional<QDateTime> timestampFromText(const QString &text);

    // The id as the file writes it.
    QString idText() const;
};

} // namespace parlowind
