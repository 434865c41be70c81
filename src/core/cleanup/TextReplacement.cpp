#include "TextReplacement.h"

#include <QList>
#include <QTextBoundaryFinder>

#include <algorithm>

namespace parlowind {

namespace {
struct Range
{
    qsizetype start;
    qsizetype end;
};

// Case-insensitive occurrences of `search` that start and end on character
// boundaries, left to right, without overlaps.
QList<Range> occurrences(const QString &text, const QString &search)
{
    QList<Range> found;
    if (search.isEmpty() || text.isEmpty())
        return found;
    QTextBoundaryFinder boundaries(QTextBoundaryFinder::Grapheme, text);
    const auto isBoundary = [&boundaries](qsizetype position) {
        boundaries.setPosition(position);
        return boundaries.isAtBoundary();
    };
    qsizetype from = 0;
    while (true) {
        const qsizetype start = text.indexOf(search, from, Qt::CaseInsensitive);
        if (start < 0)
            break;
        // Case folding keeps UTF-16 lengths, so the match is as long as the search.
        const qsizetype end = start + search.size();
        if (isBoundary(start) && isBoundary(end)) {
            found.append({ start, end });
            from = end;
        } else {
            from = start + 1;
        }
    }
    return found;
}
} // namespace

QString replacingCaseInsensitive(const QString &text, const QString &search, const QString &replacement,
                                 const QString &keep)
{
    const QList<Range> matches = occurrences(text, search);
    if (matches.isEmpty())
        return text;
    const QList<Range> kept = keep.size() > search.size() ? occurrences(text, keep) : QList<Range>();
    const auto insideKept = [&kept](const Range &match) {
        return std::any_of(kept.cbegin(), kept.cend(), [&match](const Range &range) {
            return range.start <= match.start && match.end <= range.end;
        });
    };

    QString result;
    qsizetype cursor = 0;
    for (const Range &match : matches) {
        if (insideKept(match))
            continue;
        result += QStringView(text).mid(cursor, match.start - cursor);
        result += replacement;
        cursor = match.end;
    }
    result += QStringView(text).mid(cursor);
    return result;
}

} // namespace parlowind
