#pragma once

#include "CleanupStage.h"

class QRegularExpression;

namespace parlowind {

// Repairs what speech recognition and the earlier stages leave behind: a space
// before a comma or full stop, missing sentence capitals, a lower-case "i".
// It only ever raises case; nothing is lower-cased.
class PunctuationFixer final : public CleanupStage
{
public:
    // "i" standing as a word of its own; nothing if it could not be compiled.
    static const QRegularExpression *standaloneIRegex();

    QString name() const override { return QStringLiteral("punctuation"); }
    QString apply(const QString &text, const CleanupContext &context) const override;
};

} // namespace parlowind
