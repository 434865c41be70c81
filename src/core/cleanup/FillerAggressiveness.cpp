#include "FillerAggressiveness.h"

namespace parlowind {

QString rawValue(FillerAggressiveness level)
{
    switch (level) {
    case FillerAggressiveness::off:
        return QStringLiteral("off");
    case FillerAggressiveness::conservative:
        return QStringLiteral("conservative");
    case FillerAggressiveness::aggressive:
        break;
    }
    return QStringLiteral("aggressive");
}

std::optional<FillerAggressiveness> fillerAggressivenessFromRawValue(const QString &raw)
{
    for (FillerAggressiveness level : allFillerAggressiveness)
        if (rawValue(level) == raw)
            return level;
    return std::nullopt;
}

QString displayName(FillerAggressiveness level)
{
    switch (level) {
    case FillerAggressiveness::off:
        return QStringLiteral("Off");
    case FillerAggressiveness::conservative:
        return QStringLiteral("Conservative (um, uh, er)");
    case FillerAggressiveness::aggressive:
        break;
    }
    return QStringLiteral("Aggressive (also like, you know)");
}

QString shortName(FillerAggressiveness level)
{
    switch (level) {
    case FillerAggressiveness::off:
        return QStringLiteral("Off");
    case FillerAggressiveness::conservative:
        return QStringLiteral("Conservative");
    case FillerAggressiveness::aggressive:
        break;
    }
    return QStringLiteral("Aggressive");
}

QString explanation(FillerAggressiveness level)
{
    switch (level) {
    case FillerAggressiveness::off:
        return QStringLiteral("Filler words are left exactly as spoken.");
    case FillerAggressiveness::conservative:
        return QStringLiteral("Removes \u201cum\u201d, \u201cuh\u201d, and \u201cer\u201d.");
    case FillerAggressiveness::aggressive:
        break;
    }
    return QStringLiteral(
        "Also removes \u201clike\u201d, \u201cyou know\u201d, and \u201cI mean\u201d. These are often "
        "load-bearing in real speech (\u201cit looks like a bug\u201d), so this can change meaning.");
}

} // namespace parlowind
