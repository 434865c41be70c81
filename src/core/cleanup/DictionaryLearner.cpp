#include "DictionaryLearner.h"

#include "CleanupSettingsStore.h"
#include "DictionaryStore.h"
#include "TextCharacters.h"
#include "support/Log.h"

#include <QUuid>

#include <algorithm>
#include <limits>
#include <vector>

namespace parlowind {

namespace {
QString joinedText(const QList<DictionaryLearner::Token> &run)
{
    QStringList words;
    for (const DictionaryLearner::Token &token : run)
        words.append(token.text);
    return words.join(QLatin1Char(' '));
}
} // namespace

QList<DictionaryLearner::Token> DictionaryLearner::tokens(const QString &text)
{
    QList<Token> result;
    for (const QString &piece : TextCharacters::splitAtWhitespace(text)) {
        QString cased;
        for (const QString &character : TextCharacters::split(piece)) {
            if (TextCharacters::isLetter(character) || TextCharacters::isNumber(character)
                || character == QLatin1String("'"))
                cased += character;
        }
        result.append(Token { piece, cased, cased.toLower() });
    }
    return result;
}

QList<DictionaryLearner::Edit> DictionaryLearner::substitutions(const QList<Token> &heard, const QList<Token> &intended)
{
    const qsizetype h = heard.size();
    const qsizetype n = intended.size();
    // lcs[i][j]: longest common subsequence of heard[i..] and intended[j..].
    std::vector<std::vector<int>> lcs(h + 1, std::vector<int>(n + 1, 0));
    for (qsizetype i = h - 1; i >= 0; --i)
        for (qsizetype j = n - 1; j >= 0; --j)
            lcs[i][j] = heard[i].normalised == intended[j].normalised ? lcs[i + 1][j + 1] + 1
                                                                      : std::max(lcs[i + 1][j], lcs[i][j + 1]);

    QList<Edit> edits;
    Edit pending;
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < h) {
        if (j == n) {
            pending.heard.append(heard.mid(i));
            break;
        }
        if (heard[i].normalised == intended[j].normalised) {
            if (!pending.heard.isEmpty() && !pending.intended.isEmpty())
                edits.append(pending);
            pending = Edit();
            if (heard[i].cased != intended[j].cased)
                edits.append(Edit { { heard[i] }, { intended[j] } });
            ++i;
            ++j;
        } else if (lcs[i + 1][j] < lcs[i][j + 1]) {
            pending.intended.append(intended[j++]);
        } else {
            pending.heard.append(heard[i++]);
        }
    }
    pending.intended.append(intended.mid(j));
    if (!pending.heard.isEmpty() && !pending.intended.isEmpty())
        edits.append(pending);
    return edits;
}

QList<DictionaryLearner::Correction> DictionaryLearner::corrections(const QString &heard, const QString &intended)
{
    const QList<Token> heardTokens = tokens(heard);
    const QList<Token> intendedTokens = tokens(intended);
    if (heardTokens.isEmpty() || intendedTokens.isEmpty())
        return {};

    const auto casedForms = [](const QList<Token> &list) {
        QStringList forms;
        for (const Token &token : list)
            forms.append(token.cased);
        return forms;
    };
    if (casedForms(heardTokens) == casedForms(intendedTokens))
        return {};

    const QList<Edit> edits = substitutions(heardTokens, intendedTokens);
    if (edits.isEmpty())
        return {};

    qsizetype changed = 0;
    for (const Edit &edit : edits)
        changed += std::max(edit.heard.size(), edit.intended.size());
    if (double(changed) / double(heardTokens.size()) > maximumChangedFraction)
        return {};

    QList<Correction> result;
    for (const Edit &edit : edits) {
        if (edit.heard.size() > maximumWordsPerEntry || edit.intended.size() > maximumWordsPerEntry)
            continue;
        const QString heardText = joinedText(edit.heard);
        const QString intendedText = joinedText(edit.intended);
        if (!heardText.isEmpty() && !intendedText.isEmpty() && heardText != intendedText)
            result.append(Correction { heardText, intendedText });
    }
    return result;
}

QList<DictionaryTerm> DictionaryLearner::merging(const QList<Correction> &corrections, QList<DictionaryTerm> terms)
{
    for (const Correction &correction : corrections) {
        auto existing = std::find_if(terms.begin(), terms.end(), [&](const DictionaryTerm &term) {
            return term.term.compare(correction.intended, Qt::CaseInsensitive) == 0;
        });
        if (existing == terms.end()) {
            terms.append(DictionaryTerm { QUuid::createUuid(), correction.intended, { correction.heard }, 1 });
            continue;
        }
        if (existing->spokenAs.contains(correction.heard, Qt::CaseInsensitive))
            continue;
        existing->spokenAs.append(correction.heard);
        if (existing->priority < std::numeric_limits<int>::max())
            existing->priority += 1;
    }
    return terms;
}

QString DictionaryLearner::note(const QList<Correction> &learned)
{
    if (learned.isEmpty())
        return QStringLiteral("Nothing learned \u2014 that looked like a rewrite rather than a fix");
    if (learned.size() == 1)
        return QStringLiteral("Learned \u201c%1\u201d \u2014 it works from your next dictation")
            .arg(learned.first().intended);
    QStringList words;
    for (const Correction &correction : learned)
        words.append(correction.intended);
    return QStringLiteral("Learned %1 words: %2").arg(learned.size()).arg(words.join(QStringLiteral(", ")));
}

QString DictionaryLearner::learn(const QString &heard, const QString &intended, const CleanupSettingsStore &settings,
                                 DictionaryStore &running)
{
    const QList<Correction> learned = corrections(heard, intended);
    if (learned.isEmpty())
        return note(learned);
    const QList<DictionaryTerm> merged = merging(learned, settings.loadTerms());
    try {
        settings.saveTerms(merged);
    } catch (const std::exception &error) {
        logError(QStringLiteral("could not save the learned dictionary terms"), error);
        return QStringLiteral("Could not save that");
    }
    running.replace(merged);
    return note(learned);
}

} // namespace parlowind
