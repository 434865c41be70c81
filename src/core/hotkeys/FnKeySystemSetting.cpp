#include "FnKeySystemSetting.h"

#include <QStringList>

namespace parlowind {

QString displayName(FnKeyUsage usage)
{
    switch (usage) {
    case FnKeyUsage::doNothing:
        return QStringLiteral("Do Nothing");
    case FnKeyUsage::composeKey:
        return QStringLiteral("Compose Key");
    case FnKeyUsage::changeInputSource:
        return QStringLiteral("Change Input Source");
    case FnKeyUsage::thirdLevel:
        return QStringLiteral("Third-Level Chooser");
    case FnKeyUsage::remapped:
        break;
    }
    return QStringLiteral("Another Key");
}

bool conflictsWithHoldToDictate(FnKeyUsage usage)
{
    return usage != FnKeyUsage::doNothing;
}

namespace FnKeySystemSetting {

std::optional<FnKeyUsage> fromXkbOptions(const std::optional<QString> &options)
{
    if (!options)
        return std::nullopt;
    for (const QString &option : options->split(u',', Qt::SkipEmptyParts)) {
        const QString trimmed = option.trimmed();
        if (!trimmed.contains(QStringLiteral("rctrl")) && !trimmed.contains(QStringLiteral("rctl")))
            continue;
        if (trimmed.startsWith(QStringLiteral("compose:")))
            return FnKeyUsage::composeKey;
        if (trimmed.startsWith(QStringLiteral("grp:")))
            return FnKeyUsage::changeInputSource;
        if (trimmed.startsWith(QStringLiteral("lv3:")) || trimmed.startsWith(QStringLiteral("lv5:")))
            return FnKeyUsage::thirdLevel;
        return FnKeyUsage::remapped;
    }
    return FnKeyUsage::doNothing;
}

bool shouldWarn(const HotkeyBinding &binding, std::optional<FnKeyUsage> usage)
{
    return binding.isFn() && usage != FnKeyUsage::doNothing;
}

QString warning(std::optional<FnKeyUsage> usage)
{
    const QString start = usage
        ? QStringLiteral("Your keyboard settings use Right Ctrl as “%1”.").arg(displayName(*usage))
        : QStringLiteral("The system may already use Right Ctrl.");
    return start + QStringLiteral(" Holding it will do that as well as dictating.");
}

QString hint()
{
    return QStringLiteral("Remove that option from your keyboard layout settings to use Right Ctrl for dictation "
                          "only.");
}

} // namespace FnKeySystemSetting
} // namespace parlowind
