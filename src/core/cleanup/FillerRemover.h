#pragma once

#include "CleanupStage.h"

#include <QSet>
#include <QStringList>

namespace parlowind {

// Drops spoken fillers ("um", "uh", and at the aggressive level "like",
// "you know", "I mean"). A filler's attached punctuation survives on its own,
// so a clause boundary is not lost with the word.
class FillerRemover final : public CleanupStage
{
public:
    static const QSet<QString> &basic();
    static const QSet<QString> &aggressive();
    static const QStringList &aggressivePhrases();

    QString name() const override { return QStringLiteral("filler"); }
    QString apply(const QString &text, const CleanupContext &context) const override;
};

// The six marks that cling to a word: ",.!?;:".
bool isAttachedPunctuation(QStringView character);

} // namespace parlowind
