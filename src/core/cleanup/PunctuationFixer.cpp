#include "PunctuationFixer.h"

#include "FillerRemover.h"
#include "TextCharacters.h"

#include <QRegularExpression>

#include <optional>

namespace parlowind {

namespace {
bool isSentenceEnd(QStringView character)
{
    return character.size() == 1 && QStringView(u".!?").contains(character[0]);
}

QString removeSpaceBeforePunctuation(const QStringList &characters)
{
    QString output;
    for (qsizetype i = 0; i < characters.size(); ++i) {
        if (i > 0 && isAttachedPunctuation(characters[i]) && characters[i - 1] == QLatin1String(" "))
            output.chop(1);
        output += characters[i];
    }
    return output;
}

QString capitaliseSentences(const QStringList &characters)
{
    QString output;
    bool capitaliseNext = true;
    for (qsizetype i = 0; i < characters.size(); ++i) {
        const QString &character = characters[i];
        if (capitaliseNext && TextCharacters::isLetter(character)) {
            output += character.toUpper();
            capitaliseNext = false;
            continue;
        }
        output += character;
        if (isSentenceEnd(character))
            capitaliseNext = i + 1 == characters.size() || TextCharacters::isWhitespace(characters[i + 1]);
    }
    return output;
}
} // namespace

const QRegularExpression *PunctuationFixer::standaloneIRegex()
{
    static const std::optional<QRegularExpression> regex = []() -> std::optional<QRegularExpression> {
        const QString &b = TextCharacters::wordBoundary();
        QRegularExpression compiled(b + QStringLiteral("i") + b, QRegularExpression::UseUnicodePropertiesOption);
        if (!compiled.isValid())
            return std::nullopt;
        compiled.optimize();
        return compiled;
    }();
    return regex ? &*regex : nullptr;
}

QString PunctuationFixer::apply(const QString &text, const CleanupContext &) const
{
    if (text.isEmpty())
        return text;
    const QString spaced = removeSpaceBeforePunctuation(TextCharacters::split(text));
    QString result = capitaliseSentences(TextCharacters::split(spaced));
    if (const QRegularExpression *standaloneI = standaloneIRegex())
        result.replace(*standaloneI, QStringLiteral("I"));
    return result;
}

} // namespace parlowind
