#include "AboutPresentation.h"

#include <QStringList>

#include <algorithm>

namespace parlowind {

AboutPresentation AboutPresentation::make(const QString &version, const QString &build, const QString &system,
                                          const std::optional<QString> &model, bool microphoneGranted,
                                          bool accessibilityWorking, const QString &logPath)
{
    AboutPresentation presentation;
    presentation.version = version;
    presentation.facts = {
        { QStringLiteral("Version"), version + QStringLiteral(" (") + build + QStringLiteral(")"), false },
        { QStringLiteral("System"), system, false },
        { QStringLiteral("Speech model"), model.value_or(QStringLiteral("not loaded")), !model.has_value() },
        { QStringLiteral("Microphone"), microphoneGranted ? QStringLiteral("allowed") : QStringLiteral("not allowed"),
          !microphoneGranted },
        { QStringLiteral("Accessibility"),
          accessibilityWorking ? QStringLiteral("working") : QStringLiteral("not working"), !accessibilityWorking },
        { QStringLiteral("Log"), logPath, false },
    };
    return presentation;
}

QString AboutPresentation::diagnostics() const
{
    QStringList lines { QStringLiteral("Parlowind diagnostics") };
    for (const Fact &fact : facts)
        lines << fact.label + QStringLiteral(": ") + fact.value;
    return lines.join(QLatin1Char('\n'));
}

bool AboutPresentation::hasProblem() const
{
    return std::any_of(facts.cbegin(), facts.cend(), [](const Fact &fact) { return fact.needsAttention; });
}

} // namespace parlowind
