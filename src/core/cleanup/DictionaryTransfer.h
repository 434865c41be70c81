#pragma once

#include "DictionaryTerm.h"
#include "support/Error.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace parlowind {

// An imported file could not be used; nothing was changed.
class DictionaryImportError final : public Error
{
public:
    enum class Case {
        unreadable, // not text, not a dictionary, or too long a list
        noTerms, // empty, or no usable term in it
    };
    explicit DictionaryImportError(Case errorCase)
        : m_case(errorCase)
    { }
    Case errorCase() const { return m_case; }
    QString description() const override;
    QString logDescription() const override;

private:
    Case m_case;
};

// Moving the personal dictionary in and out of the application as a file.
// Import takes this application's JSON export, or a plain list with one term a
// line and optional comma-separated heard forms ("Kubernetes, cube and
// eighties"), so a list the user already has works as it is.
class DictionaryTransfer final
{
public:
    DictionaryTransfer() = delete;

    using ImportError = DictionaryImportError;

    // The most terms a plain-text import may yield.
    static constexpr qsizetype maximumEntries = 2000;
    // What the export is suggested to be called.
    static QString suggestedFileName() { return QStringLiteral("parlowind-dictionary.json"); }

    // The terms of an imported file, or DictionaryImportError.
    static QList<DictionaryTerm> parse(const QByteArray &data);
    // The plain-text form; possibly no terms.
    static QList<DictionaryTerm> parseLines(const QString &text);
    // The export file: the terms as a JSON array, indented, keys sorted.
    static QByteArray exportData(const QList<DictionaryTerm> &terms);
    // Imported terms join an existing term of the same spelling (any case) as
    // new heard forms, or are appended.
    static QList<DictionaryTerm> merging(const QList<DictionaryTerm> &imported, QList<DictionaryTerm> existing);

    // "Added 2 of 5", or "Already had all 5 terms" when nothing was added.
    static QString importSummary(qsizetype parsedCount, qsizetype addedCount);
    static QString exportSummary(qsizetype count);
};

} // namespace parlowind
