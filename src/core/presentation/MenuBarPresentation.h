#pragma once

#include <QString>

#include <optional>

namespace parlowind {

class DictationState;

// The tray icon and tooltip for one state. `symbolName` names one of our
// icons (resources/icons/<symbolName>.svg).
struct MenuBarPresentation
{
    QString symbolName;
    QString tooltip;

    static MenuBarPresentation make(const DictationState &state, bool isEnabled);
    // The look while the speech model downloads; the fraction is capped at 1
    // and rounded to a whole percent, halves away from zero.
    static MenuBarPresentation preparing(std::optional<double> fraction);

    bool operator==(const MenuBarPresentation &) const = default;
};

} // namespace parlowind
