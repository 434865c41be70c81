#pragma once

#include "injection/InjectionTier.h"

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
};

} // namespace parlowind
