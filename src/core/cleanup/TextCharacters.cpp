#include "TextCharacters.h"

#include <QTextBoundaryFinder>

#include <utility>

namespace parlowind::TextCharacters {

namespace {
char32_t firstCodePoint(QStringView character)
{
    if (character.isEmpty())
        return 0;
    if (character.size() > 1 && character[0].isHighSurrogate() && character[1].isLowSurrogate())
        return QChar::surrogateToUcs4(character[0], character[1]);
    return character[0].unicode();
}

// Offsets of every character boundary, including 0 and the text's size.
QList<qsizetype> boundaries(const QString &text)
{
    QList<qsizetype> result;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    for (qsizetype position = 0; position != -1; position = finder.toNextBoundary())
        result.append(position);
    if (result.last() != text.size())
        result.append(text.size());
    return result;
}
} // namespace

QStringList split(const QString &text)
{
    QStringList characters;
    if (text.isEmpty())
        return characters;
    const QList<qsizetype> cuts = boundaries(text);
    characters.reserve(cuts.size() - 1);
    for (qsizetype i = 0; i + 1 < cuts.size(); ++i)
        characters.append(text.mid(cuts[i], cuts[i + 1] - cuts[i]));
    return characters;
}

qsizetype length(const QString &text)
{
    return text.isEmpty() ? 0 : boundaries(text).size() - 1;
}

QString left(const QString &text, qsizetype count)
{
    if (count <= 0)
        return {};
    const QList<qsizetype> cuts = boundaries(text);
    if (count >= cuts.size() - 1)
        return text;
    return text.left(cuts[count]);
}

bool isWhitespace(QStringView character)
{
    const char32_t first = firstCodePoint(character);
    return first != 0 && QChar::isSpace(first);
}

bool isSpaceOrTab(QStringView character)
{
    const char32_t first = firstCodePoint(character);
    return first == U'\t' || (first != 0 && QChar::category(first) == QChar::Separator_Space);
}

bool isLetter(QStringView character)
{
    const char32_t first = firstCodePoint(character);
    return first != 0 && QChar::isLetter(first);
}

bool isNumber(QStringView character)
{
    const char32_t first = firstCodePoint(character);
    return first != 0 && QChar::isNumber(first);
}

QStringList splitAtWhitespace(const QString &text)
{
    QStringList pieces;
    QString current;
    for (const QString &character : split(text)) {
        if (isWhitespace(character)) {
            if (!current.isEmpty())
                pieces.append(std::exchange(current, QString()));
        } else {
            current += character;
        }
    }
    if (!current.isEmpty())
        pieces.append(current);
    return pieces;
}

QString trimmedStart(const QString &text, const Predicate &drop)
{
    const QStringList characters = split(text);
    qsizetype offset = 0;
    for (const QString &character : characters) {
        if (!drop(character))
            break;
        offset += character.size();
    }
    return text.mid(offset);
}

QString trimmedEnd(const QString &text, const Predicate &drop)
{
    const QStringList characters = split(text);
    qsizetype size = text.size();
    for (auto it = characters.crbegin(); it != characters.crend(); ++it) {
        if (!drop(*it))
            break;
        size -= it->size();
    }
    return text.left(size);
}

QString trimmed(const QString &text, const Predicate &drop)
{
    return trimmedEnd(trimmedStart(text, drop), drop);
}

QString trimmedWhitespace(const QString &text)
{
    return trimmed(text, isWhitespace);
}

QString trimmedSpacesAndTabs(const QString &text)
{
    return trimmed(text, isSpaceOrTab);
}

const QString &wordBoundary()
{
    // The word characters of ICU, whose "\b" the rules were written for.
    static const QString boundary = [] {
        const QString word = QStringLiteral(R"([\p{Alphabetic}\p{M}\p{Nd}\p{Pc}\x{200C}\x{200D}])");
        return QStringLiteral("(?:(?<=%1)(?!%1)|(?<!%1)(?=%1))").arg(word);
    }();
    return boundary;
}

} // namespace parlowind::TextCharacters
