#pragma once

#include "CleanupStage.h"
#include "DictionaryTerm.h"
#include "InitialPromptProviding.h"

#include <QList>

#include <mutex>

namespace parlowind {

// The running personal dictionary: rewrites heard forms into their correct
// spelling as a cleanup stage, and gives the speech engine its initial prompt.
// Shared by the pipeline, the coordinator and the windows; the list is swapped
// whole under a lock, and each call works on its own copy, so a `replace`
// during a running `apply` acts from the next call. Nothing here touches disk
// (CleanupSettingsStore does).
class DictionaryStore final : public CleanupStage, public InitialPromptProviding
{
public:
    explicit DictionaryStore(QList<DictionaryTerm> terms = {});
    DictionaryStore(const DictionaryStore &) = delete;
    DictionaryStore &operator=(const DictionaryStore &) = delete;

    QList<DictionaryTerm> terms() const;
    void replace(QList<DictionaryTerm> terms);

    QString name() const override { return QStringLiteral("dictionary"); }
    QString apply(const QString &text, const CleanupContext &context) const override;

    // Terms by priority (stable), ", "-separated, within 4 characters a token.
    std::optional<QString> initialPrompt(int maxTokens) const override;

private:
    mutable std::mutex m_lock;
    QList<DictionaryTerm> m_storedTerms;
};

} // namespace parlowind
