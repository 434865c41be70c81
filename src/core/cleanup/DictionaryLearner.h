#pragma once

#include "DictionaryTerm.h"

#include <QList>
#include <QString>

namespace parlowind {

class CleanupSettingsStore;
class DictionaryStore;

// Learns misheard words from a corrected dictation: compares the dictated text
// with the user's fixed copy word by word and keeps only small, local
// substitutions, and only when the edit as a whole looks like a fix rather
// than a rewrite.
class DictionaryLearner final
{
public:
    DictionaryLearner() = delete;

    // Largest share of the dictated words an edit may touch.
    static constexpr double maximumChangedFraction = 0.34;
    // Largest number of words on either side of one learned substitution.
    static constexpr qsizetype maximumWordsPerEntry = 2;

    struct Token
    {
        QString text; // as written, punctuation included
        QString cased; // letters, numbers and "'" only
        QString normalised; // `cased` lower-cased; what the alignment compares
        bool operator==(const Token &) const = default;
    };

    struct Edit
    {
        QList<Token> heard;
        QList<Token> intended;
        bool operator==(const Edit &) const = default;
    };

    struct Correction
    {
        QString heard;
        QString intended;
        bool operator==(const Correction &) const = default;
    };

    static QList<Correction> corrections(const QString &heard, const QString &intended);
    // Each correction becomes a heard form of the term it spells (added with
    // priority 1 when there is none yet).
    static QList<DictionaryTerm> merging(const QList<Correction> &corrections, QList<DictionaryTerm> terms);

    // The "Fix a word" flow of the history: learns from the entry's text and
    // the user's corrected copy, merges into the dictionary file (not the
    // running list, which may lag behind it), saves, and only then hands the
    // result to the running dictionary. Returns the note shown to the user.
    static QString learn(const QString &heard, const QString &intended, const CleanupSettingsStore &settings,
                         DictionaryStore &running);
    static QString note(const QList<Correction> &learned);

    static QList<Token> tokens(const QString &text);
    // Runs of words replaced by other words, in text order, aligned on the
    // longest common subsequence of normalised words. Pure insertions and
    // deletions are not edits; neither is an unchanged word.
    static QList<Edit> substitutions(const QList<Token> &heard, const QList<Token> &intended);
};

} // namespace parlowind
