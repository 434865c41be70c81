#pragma once

#include <QString>

#include <optional>

namespace parlowind {

// How a text reached its target. The raw values are what logs and stored
// records show.
enum class InjectionTier { ax, paste, clipboard, none };

inline QString rawValue(InjectionTier tier)
{
    switch (tier) {
    case InjectionTier::ax:
        return QStringLiteral("ax");
    case InjectionTier::paste:
        return QStringLiteral("paste");
    case InjectionTier::clipboard:
        return QStringLiteral("clipboard");
    case InjectionTier::none:
        break;
    }
    return QStringLiteral("none");
}

inline std::optional<InjectionTier> injectionTierFromRawValue(const QString &raw)
{
    for (InjectionTier tier :
         { InjectionTier::ax, InjectionTier::paste, InjectionTier::clipboard, InjectionTier::none })
        if (rawValue(tier) == raw)
            return tier;
    return std::nullopt;
}

} // namespace parlowind
