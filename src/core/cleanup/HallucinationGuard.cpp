#include "HallucinationGuard.h"

#include "TextCharacters.h"

namespace parlowind {

const QStringList &HallucinationGuard::markers()
{
    static const QStringList list { QStringLiteral("[blank_audio]"), QStringLiteral("[silence]"),
                                    QStringLiteral("(silence)"), QStringLiteral("[ silence ]") };
    return list;
}

const QStringList &HallucinationGuard::shortClipPhantoms()
{
    static const QStringList list { QStringLiteral("thank you"),
                                    QStringLiteral("thank you."),
                                    QStringLiteral("thanks for watching"),
                                    QStringLiteral("thanks for watching!"),
                                    QStringLiteral("you"),
                                    QStringLiteral("bye"),
                                    QStringLiteral("okay"),
                                    QStringLiteral("please subscribe") };
    return list;
}

QString HallucinationGuard::filter(const QString &text, double durationSeconds)
{
    const QString trimmed = TextCharacters::trimmedWhitespace(text);
    if (trimmed.isEmpty())
        return {};
    const QString key = TextCharacters::trimmedSpacesAndTabs(trimmed.toLower());
    if (markers().contains(key))
        return {};
    // NaN compares false, so a clip of unknown length counts as short.
    if (durationSeconds > shortClipSeconds)
        return trimmed;
    return shortClipPhantoms().contains(key) ? QString() : trimmed;
}

} // namespace parlowind
