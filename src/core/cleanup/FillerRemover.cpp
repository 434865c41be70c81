#include "FillerRemover.h"

#include "TextCharacters.h"

#include <QRegularExpression>

namespace parlowind {

namespace {
struct StrippedPiece
{
    QString core;
    QString punctuation; // leading marks followed by trailing marks
};

StrippedPiece stripAttachedPunctuation(const QString &piece)
{
    const QStringList characters = TextCharacters::split(piece);
    qsizetype first = 0;
    qsizetype end = characters.size();
    while (first < end && isAttachedPunctuation(characters[first]))
        ++first;
    while (end > first && isAttachedPunctuation(characters[end - 1]))
        --end;
    StrippedPiece result;
    for (qsizetype i = 0; i < characters.size(); ++i)
        (i >= first && i < end ? result.core : result.punctuation) += characters[i];
    return result;
}

QString removePhrase(const QString &text, const QString &phrase)
{
    // The phrase with one attached mark when more text follows (so "you know,
    // it works" loses the comma too), otherwise the bare phrase.
    const QString &b = TextCharacters::wordBoundary();
    const QString literal = QRegularExpression::escape(phrase);
    const QRegularExpression pattern(QStringLiteral("%1%2%1[,.!?;:](?=\\s*\\S)|%1%2%1").arg(b, literal),
                                     QRegularExpression::CaseInsensitiveOption
                                         | QRegularExpression::UseUnicodePropertiesOption);
    if (!pattern.isValid())
        return text;
    QString result = text;
    return result.replace(pattern, QString());
}
} // namespace

bool isAttachedPunctuation(QStringView character)
{
    return character.size() == 1 && QStringView(u",.!?;:").contains(character[0]);
}

const QSet<QString> &FillerRemover::basic()
{
    static const QSet<QString> words { QStringLiteral("um"), QStringLiteral("uh"), QStringLiteral("er"),
                                       QStringLiteral("erm"), QStringLiteral("uhm") };
    return words;
}

const QSet<QString> &FillerRemover::aggressive()
{
    static const QSet<QString> words { QStringLiteral("like") };
    return words;
}

const QStringList &FillerRemover::aggressivePhrases()
{
    static const QStringList phrases { QStringLiteral("you know"), QStringLiteral("i mean") };
    return phrases;
}

QString FillerRemover::apply(const QString &text, const CleanupContext &context) const
{
    if (context.fillerAggressiveness == FillerAggressiveness::off)
        return text;

    QString current = text;
    const bool isAggressive = context.fillerAggressiveness == FillerAggressiveness::aggressive;
    if (isAggressive) {
        for (const QString &phrase : aggressivePhrases())
            current = removePhrase(current, phrase);
    }

    QStringList emitted;
    for (const QString &piece : TextCharacters::splitAtWhitespace(current)) {
        const StrippedPiece stripped = stripAttachedPunctuation(piece);
        const QString key = stripped.core.toLower();
        const bool isFiller = !key.isEmpty() && (basic().contains(key) || (isAggressive && aggressive().contains(key)));
        if (!isFiller)
            emitted.append(piece);
        else if (!stripped.punctuation.isEmpty())
            emitted.append(stripped.punctuation);
    }
    return emitted.join(QLatin1Char(' '));
}

} // namespace parlowind
