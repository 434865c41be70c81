#pragma once

#include "FocusContext.h"
#include "InjectionTier.h"

#include <QCoro/QCoroTask>
#include <QString>

namespace parlowind {

// One way of putting text into the focused application. `inject` completes
// when the text is in place or throws InjectionError. Awaitable: a paste has
// to keep the event loop running while the target reads the clipboard.
class TextInjecting
{
public:
    virtual ~TextInjecting() = default;
    virtual InjectionTier tier() const = 0;
    virtual QCoro::Task<> inject(QString text, FocusContext context) = 0;
};

} // namespace parlowind
