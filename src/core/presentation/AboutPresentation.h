#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace parlowind {

// The About window's diagnostic summary: what a user pastes into a bug report.
struct AboutPresentation
{
    struct Fact
    {
        QString label;
        QString value;
        bool needsAttention = false;

        bool operator==(const Fact &) const = default;
    };

    QString version;
    QList<Fact> facts;

    static AboutPresentation make(const QString &version, const QString &build, const QString &system,
                                  const std::optional<QString> &model, bool microphoneGranted,
                                  bool accessibilityWorking, const QString &logPath);

    // "Parlowind diagnostics" and one "label: value" line per fact, joined by
    // line feeds, without a trailing one.
    QString diagnostics() const;

    bool hasProblem() const;

    bool operator==(const AboutPresentation &) const = default;
};

} // namespace parlowind
