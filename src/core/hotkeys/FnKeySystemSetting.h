#pragma once

#include "HotkeyBinding.h"

#include <QString>

#include <optional>

namespace parlowind {

// What the keyboard settings already make the lone dictation key (Right
// Ctrl) do, read from the XKB options in effect.
enum class FnKeyUsage {
    doNothing, // plain Right Ctrl
    composeKey, // compose:rctrl...
    changeInputSource, // a grp: option switching layouts with it
    thirdLevel, // lv3:/lv5: chooser
    remapped, // ctrl:/altwin: options that turn it into another key
};

QString displayName(FnKeyUsage usage);
bool conflictsWithHoldToDictate(FnKeyUsage usage);

namespace FnKeySystemSetting {

// The usage the comma-separated XKB options give Right Ctrl; nothing when
// the options could not be read (Wayland compositors keep them to
// themselves).
std::optional<FnKeyUsage> fromXkbOptions(const std::optional<QString> &options);

// True for the lone-key binding unless Right Ctrl is known to be plain.
bool shouldWarn(const HotkeyBinding &binding, std::optional<FnKeyUsage> usage);

// The General pane's warning and hint.
QString warning(std::optional<FnKeyUsage> usage);
QString hint();

} // namespace FnKeySystemSetting
} // namespace parlowind
