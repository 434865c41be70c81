#pragma once

#include <QString>

#include <optional>

namespace parlowind {

class DictationState;
enum class DictationCancelReason;

// The look of the floating HUD for one dictation state; the panel only draws it.
struct HUDPresentation
{
    enum class Style { recording, working, success, error };

    bool isVisible = false;
    QString label;
    Style style = Style::success;
    bool showsWaveform = false;
    bool showsCloudGlyph = false;
    // Whole seconds after which the panel hides itself.
    std::optional<int> autoDismissAfter;

    // `isSendingRemotely`: a polish request is out; matters only while transcribing.
    static HUDPresentation make(const DictationState &state, bool isSendingRemotely);

    // The HUD text of a cancel reason, shared with the tray tooltip.
    static QString cancelLabel(DictationCancelReason reason);

    bool operator==(const HUDPresentation &) const = default;
};

} // namespace parlowind
