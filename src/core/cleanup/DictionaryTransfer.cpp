#include "DictionaryTransfer.h"

#include "TextCharacters.h"

#include <QJsonDocument>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QUuid>

#include <algorithm>

namespace parlowind {

QString DictionaryImportError::description() const
{
    switch (m_case) {
    case Case::unreadable:
        return QStringLiteral("That does not look like a dictionary file");
    case Case::noTerms:
        break;
    }
    return QStringLiteral("That file has no terms in it");
}

QString DictionaryImportError::logDescription() const
{
    return m_case == Case::unreadable ? QStringLiteral("DictionaryImportError.unreadable")
                                      : QStringLiteral("DictionaryImportError.noTerms");
}

namespace {
std::optional<QString> decodeText(const QByteArray &data)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(data);
    if (decoder.hasError())
        return std::nullopt;
    // Valid UTF-8 is not yet text: a file of zero bytes or other control
    // characters is binary data that happens to decode.
    const bool hasControl = std::any_of(text.cbegin(), text.cend(), [](QChar c) {
        return c.category() == QChar::Other_Control && !QStringView(u"\t\n\v\f\r\u0085").contains(c);
    });
    if (hasControl)
        return std::nullopt;
    return text;
}

bool isDoubleQuote(QStringView character)
{
    return character == QLatin1String("\"");
}

QString cleanedPart(const QString &part)
{
    return TextCharacters::trimmed(TextCharacters::trimmedSpacesAndTabs(part), isDoubleQuote);
}
} // namespace

QList<DictionaryTerm> DictionaryTransfer::parseLines(const QString &text)
{
    static const QRegularExpression lineBreak(QStringLiteral("\\r\\n|[\\n\\v\\f\\r\\x{85}\\x{2028}\\x{2029}]"));
    QList<DictionaryTerm> terms;
    QSet<QString> seen;
    for (const QString &line : text.split(lineBreak)) {
        const QString trimmedLine = TextCharacters::trimmedSpacesAndTabs(line);
        if (trimmedLine.isEmpty() || trimmedLine.startsWith(QLatin1Char('#')))
            continue;
        const QStringList parts = line.split(QLatin1Char(','));
        const QString term = cleanedPart(parts.first());
        if (term.isEmpty())
            continue;
        const QString key = term.toLower();
        if (seen.contains(key))
            continue;
        seen.insert(key);
        QStringList heard;
        for (qsizetype i = 1; i < parts.size(); ++i) {
            const QString form = cleanedPart(parts[i]);
            if (!form.isEmpty())
                heard.append(form);
        }
        terms.append(DictionaryTerm { QUuid::createUuid(), term, heard, 0 });
    }
    return terms;
}

QList<DictionaryTerm> DictionaryTransfer::parse(const QByteArray &data)
{
    const std::optional<QString> text = decodeText(data);
    if (!text)
        throw DictionaryImportError(DictionaryImportError::Case::unreadable);

    QJsonParseError jsonError;
    // From the decoded text, so a byte-order mark does not spoil it.
    const QJsonDocument document = QJsonDocument::fromJson(text->toUtf8(), &jsonError);
    const QString trimmed = TextCharacters::trimmedWhitespace(*text);
    const bool looksLikeJson = trimmed.startsWith(QLatin1Char('[')) || trimmed.startsWith(QLatin1Char('{'));
    if (jsonError.error == QJsonParseError::NoError || looksLikeJson) {
        // A damaged export must not be read line by line into terms like "{".
        const std::optional<QList<DictionaryTerm>> decoded
            = jsonError.error == QJsonParseError::NoError && document.isArray()
            ? dictionaryTermsFromJson(document.array())
            : std::nullopt;
        if (!decoded)
            throw DictionaryImportError(DictionaryImportError::Case::unreadable);
        QList<DictionaryTerm> terms;
        for (const DictionaryTerm &term : *decoded)
            if (!TextCharacters::trimmedSpacesAndTabs(term.term).isEmpty())
                terms.append(term);
        if (terms.isEmpty())
            throw DictionaryImportError(DictionaryImportError::Case::noTerms);
        return terms;
    }

    const QList<DictionaryTerm> terms = parseLines(*text);
    if (terms.size() > maximumEntries)
        throw DictionaryImportError(DictionaryImportError::Case::unreadable);
    if (terms.isEmpty())
        throw DictionaryImportError(trimmed.isEmpty() ? DictionaryImportError::Case::noTerms
                                                      : DictionaryImportError::Case::unreadable);
    return terms;
}

QByteArray DictionaryTransfer::exportData(const QList<DictionaryTerm> &terms)
{
    // QJsonObject keeps its keys sorted.
    return QJsonDocument(toJson(terms)).toJson(QJsonDocument::Indented);
}

QList<DictionaryTerm> DictionaryTransfer::merging(const QList<DictionaryTerm> &imported, QList<DictionaryTerm> existing)
{
    for (const DictionaryTerm &incoming : imported) {
        auto match = std::find_if(existing.begin(), existing.end(), [&](const DictionaryTerm &term) {
            return term.term.compare(incoming.term, Qt::CaseInsensitive) == 0;
        });
        if (match == existing.end()) {
            existing.append(incoming);
            continue;
        }
        for (const QString &form : incoming.spokenAs)
            if (!match->spokenAs.contains(form, Qt::CaseInsensitive))
                match->spokenAs.append(form);
        match->priority = std::max(match->priority, incoming.priority);
    }
    return existing;
}

QString DictionaryTransfer::importSummary(qsizetype parsedCount, qsizetype addedCount)
{
    if (addedCount == 0)
        return QStringLiteral("Already had all %1 terms").arg(parsedCount);
    return QStringLiteral("Added %1 of %2").arg(addedCount).arg(parsedCount);
}

QString DictionaryTransfer::exportSummary(qsizetype count)
{
    return QStringLiteral("Exported %1 terms").arg(count);
}

} // namespace parlowind
