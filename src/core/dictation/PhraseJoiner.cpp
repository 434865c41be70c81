#include "PhraseJoiner.h"

#include <QStringList>
#include <QTextBoundaryFinder>

namespace parlowind::PhraseJoiner {

namespace {

// After these a new phrase needs no inserted full stop.
bool isTerminator(char32_t c)
{
    switch (c) {
    case U'.':
    case U'!':
    case U'?':
    case U'\u2026': // …
    case U':':
    case U';':
    case U',':
    case U'\u2014': // —
    case U'-':
        return true;
    default:
        return false;
    }
}

char32_t firstCodePoint(const QString &text)
{
    const auto points = QStringView(text).left(2).toUcs4();
    return points.isEmpty() ? 0 : points.first();
}

char32_t lastCodePoint(const QString &text)
{
    const auto points = QStringView(text).right(2).toUcs4();
    return points.isEmpty() ? 0 : points.last();
}

} // namespace

QString separator(const std::optional<QString> &previous, const QString &next)
{
    if (!previous)
        return {};
    const QString before = previous->trimmed();
    const QString after = next.trimmed();
    const QString space = QStringLiteral(" ");
    if (before.isEmpty() || after.isEmpty())
        return space;
    const char32_t first = firstCodePoint(after);
    if (isTerminator(lastCodePoint(before)) || QChar::isPunct(first))
        return space;
    if (QChar::isLetter(first) && QChar::isLower(first))
        return space;
    return QStringLiteral(". ");
}

QString promptTail(const QString &text, int limit)
{
    const QString trimmed = text.trimmed();
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, trimmed);
    QList<qsizetype> starts; // where each user-perceived character begins
    for (qsizetype at = 0; at >= 0 && at < trimmed.size(); at = graphemes.toNextBoundary())
        starts.append(at);
    if (limit >= starts.size())
        return trimmed;
    const QString window = limit > 0 ? trimmed.mid(starts.at(starts.size() - limit)) : QString();
    const qsizetype space = window.indexOf(QLatin1Char(' '));
    return space < 0 ? window : window.mid(space + 1);
}

std::optional<QString> prompt(const std::optional<QString> &terms, const std::optional<QString> &previousTail)
{
    QStringList parts;
    for (const auto &part : { terms, previousTail }) {
        if (!part)
            continue;
        const QString trimmed = part->trimmed();
        if (!trimmed.isEmpty())
            parts.append(trimmed);
    }
    if (parts.isEmpty())
        return std::nullopt;
    return parts.join(QLatin1Char(' '));
}

} // namespace parlowind::PhraseJoiner
