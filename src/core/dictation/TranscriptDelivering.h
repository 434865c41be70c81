#pragma once

#include "injection/FocusContext.h"
#include "injection/InjectionTier.h"

#include <QCoro/QCoroTask>
#include <QString>

namespace parlowind {

// The last step of a dictation: puts the finished text where the user was
// typing and records it. Never fails; the result says which tier delivered
// it (callers may ignore it). Awaitable because a synthetic paste has to let
// the event loop serve the clipboard while the target reads it.
class TranscriptDelivering
{
public:
    virtual ~TranscriptDelivering() = default;
    virtual QCoro::Task<InjectionTier> deliver(QString text, FocusContext context) = 0;
};

} // namespace parlowind
