#pragma once

#include "CleanupStage.h"

#include <QStringList>

namespace parlowind {

// Acts on spoken corrections: "buy milk, scratch that, buy bread" keeps only
// "buy bread". A marker counts only next to a pause mark, so "I said no I mean
// it" is an ordinary sentence.
class SelfCorrectionResolver final : public CleanupStage
{
public:
    // Tried in this order: "no i mean" before "no, i mean".
    static const QStringList &markers();
    // ",", ".", ";", ":" and the em dash.
    static bool isPausePunctuation(QStringView character);

    QString name() const override { return QStringLiteral("self-correction"); }
    QString apply(const QString &text, const CleanupContext &context) const override;
};

} // namespace parlowind
