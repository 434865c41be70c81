#include "MenuBarPresentation.h"

#include "dictation/DictationState.h"

#include "HUDPresentation.h"

#include <algorithm>
#include <cmath>

namespace parlowind {

namespace {
const QString prefix = QStringLiteral("Parlowind — ");
}

MenuBarPresentation MenuBarPresentation::make(const DictationState &state, bool isEnabled)
{
    using Kind = DictationState::Kind;
    if (state.is(Kind::failed))
        return { QStringLiteral("exclamationmark.triangle"), prefix + state.message() };
    if (!isEnabled)
        return { QStringLiteral("mic.slash"), prefix + QStringLiteral("disabled") };
    switch (state.kind()) {
    case Kind::listening:
        if (state.isTranscribing())
            return { QStringLiteral("mic.fill"), prefix + QStringLiteral("listening, transcribing the last phrase") };
        return { QStringLiteral("mic.fill"), prefix + QStringLiteral("listening continuously (tap the key to stop)") };
    case Kind::cancelled:
        return {
            QStringLiteral("waveform.and.mic"),
            prefix + HUDPresentation::cancelLabel(state.cancelReason().value_or(DictationCancelReason::userCancelled))
        };
    case Kind::recording:
        return { QStringLiteral("mic.fill"), prefix + QStringLiteral("listening") };
    case Kind::transcribing:
        return { QStringLiteral("waveform"), prefix + QStringLiteral("transcribing") };
    case Kind::idle:
    case Kind::failed:
        break;
    }
    return { QStringLiteral("waveform.and.mic"), prefix + QStringLiteral("ready") };
}

MenuBarPresentation MenuBarPresentation::preparing(std::optional<double> fraction)
{
    const QString symbol = QStringLiteral("arrow.down.circle");
    if (!fraction)
        return { symbol, prefix + QStringLiteral("getting ready") };
    // NaN fails every comparison and counts as no progress.
    const double f = *fraction;
    const long percent = f > 0 ? std::lround(std::min(f, 1.0) * 100) : 0;
    return { symbol, prefix + QStringLiteral("getting ready (") + QString::number(percent) + QStringLiteral("%)") };
}

} // namespace parlowind
