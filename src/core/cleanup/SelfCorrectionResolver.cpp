#include "SelfCorrectionResolver.h"

#include "TextCharacters.h"

#include <QRegularExpression>

#include <optional>

namespace parlowind {

namespace {
bool isPauseOrWhitespace(QStringView character)
{
    return TextCharacters::isWhitespace(character) || SelfCorrectionResolver::isPausePunctuation(character);
}

bool isCorrection(const QString &text, const QRegularExpressionMatch &match)
{
    const QString before = TextCharacters::trimmedSpacesAndTabs(text.left(match.capturedStart()));
    const QString after = TextCharacters::trimmedSpacesAndTabs(text.mid(match.capturedEnd()));
    if (!before.isEmpty() && SelfCorrectionResolver::isPausePunctuation(TextCharacters::split(before).constLast()))
        return true;
    return !after.isEmpty() && SelfCorrectionResolver::isPausePunctuation(TextCharacters::split(after).constFirst());
}

// The text after the rightmost marker that stands at a pause, or nothing.
std::optional<QString> resolveOnce(const QString &text, const QRegularExpression &marker)
{
    QList<QRegularExpressionMatch> matches;
    for (auto it = marker.globalMatch(text); it.hasNext();)
        matches.append(it.next());
    for (auto match = matches.crbegin(); match != matches.crend(); ++match) {
        if (!isCorrection(text, *match))
            continue;
        const QString after = TextCharacters::trimmedStart(text.mid(match->capturedEnd()), isPauseOrWhitespace);
        if (!after.isEmpty())
            return after;
        // A marker at the very end only takes itself back.
        return TextCharacters::trimmedEnd(text.left(match->capturedStart()), isPauseOrWhitespace);
    }
    return std::nullopt;
}
} // namespace

const QStringList &SelfCorrectionResolver::markers()
{
    static const QStringList list { QStringLiteral("scratch that"), QStringLiteral("no i mean"),
                                    QStringLiteral("no, i mean"), QStringLiteral("actually make that"),
                                    QStringLiteral("i meant to say") };
    return list;
}

bool SelfCorrectionResolver::isPausePunctuation(QStringView character)
{
    return character.size() == 1 && QStringView(u",.;:\u2014").contains(character[0]);
}

QString SelfCorrectionResolver::apply(const QString &text, const CleanupContext &) const
{
    QString current = text;
    const QString &b = TextCharacters::wordBoundary();
    for (const QString &marker : markers()) {
        const QRegularExpression pattern(b + QRegularExpression::escape(marker) + b,
                                         QRegularExpression::CaseInsensitiveOption
                                             | QRegularExpression::UseUnicodePropertiesOption);
        if (!pattern.isValid())
            continue;
        // Each resolution drops text, so this ends.
        while (std::optional<QString> resolved = resolveOnce(current, pattern))
            current = *resolved;
    }
    return current;
}

} // namespace parlowind
