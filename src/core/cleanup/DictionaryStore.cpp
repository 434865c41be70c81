#include "DictionaryStore.h"

#include "TextCharacters.h"
#include "TextReplacement.h"

#include <algorithm>

namespace parlowind {

DictionaryStore::DictionaryStore(QList<DictionaryTerm> terms)
    : m_storedTerms(std::move(terms))
{ }

QList<DictionaryTerm> DictionaryStore::terms() const
{
    std::lock_guard lock(m_lock);
    return m_storedTerms;
}

void DictionaryStore::replace(QList<DictionaryTerm> terms)
{
    std::lock_guard lock(m_lock);
    // The old list leaves with `terms`, after the lock is released.
    m_storedTerms.swap(terms);
}

QString DictionaryStore::apply(const QString &text, const CleanupContext &) const
{
    const QList<DictionaryTerm> snapshot = terms();
    QString result = text;
    for (const DictionaryTerm &term : snapshot)
        for (const QString &heard : term.spokenAs)
            result = replacingCaseInsensitive(result, heard, term.term, term.term);
    return result;
}

std::optional<QString> DictionaryStore::initialPrompt(int maxTokens) const
{
    QList<DictionaryTerm> sorted = terms();
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const DictionaryTerm &a, const DictionaryTerm &b) { return a.priority > b.priority; });
    const qint64 budget = 4 * qint64(maxTokens);
    if (sorted.isEmpty() || budget < 1)
        return std::nullopt;

    QString prompt;
    qsizetype length = 0;
    for (const DictionaryTerm &term : sorted) {
        const QString piece = prompt.isEmpty() ? term.term : QStringLiteral(", ") + term.term;
        const qsizetype pieceLength = TextCharacters::length(piece);
        if (length + pieceLength > budget) {
            if (prompt.isEmpty())
                prompt = TextCharacters::left(term.term, budget);
            break;
        }
        prompt += piece;
        length += pieceLength;
    }
    if (prompt.isEmpty())
        return std::nullopt;
    return prompt;
}

} // namespace parlowind
