#pragma once

#include <QString>

#include <optional>

namespace parlowind {

// Where a dictation's text should go: the application that had the focus
// when recording began. On Linux the "bundle identifier" is the application
// id (the X11 WM_CLASS class, or the AT-SPI application name on Wayland).
struct FocusContext
{
    std::optional<QString> bundleIdentifier;
    std::optional<QString> appName;
    bool hasElement = false; // a focused accessible text element was captured

    static FocusContext unknown() { return {}; }

    // "Name (identifier)", or "unknown app" unless both are known.
    QString description() const
    {
        if (appName && bundleIdentifier)
            return *appName + QStringLiteral(" (") + *bundleIdentifier + QLatin1Char(')');
        return QStringLiteral("unknown app");
    }

    bool operator==(const FocusContext &) const = default;
};

} // namespace parlowind
