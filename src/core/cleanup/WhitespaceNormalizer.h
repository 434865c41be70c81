#pragma once

#include "CleanupStage.h"

namespace parlowind {

// Collapses every run of whitespace (line breaks and tabs included) into one
// space and trims both ends. Runs first, to give the other stages single
// spaces, and last, to tidy what they left.
class WhitespaceNormalizer final : public CleanupStage
{
public:
    QString name() const override { return QStringLiteral("whitespace"); }
    QString apply(const QString &text, const CleanupContext &context) const override;
};

} // namespace parlowind
