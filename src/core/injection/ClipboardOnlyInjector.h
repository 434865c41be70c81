#pragma once

#include "PasteboardWriting.h"
#include "TextInjecting.h"

#include <functional>

namespace parlowind {

// The last tier: leaves the text on the clipboard and tells the user to paste
// it. Cannot fail for a non-empty text.
class ClipboardOnlyInjector final : public TextInjecting
{
public:
    using FallbackHandler = std::function<void(const QString &text)>;

    // Without a handler the fallback is logged (logFallback). The pasteboard
    // must outlive this object.
    explicit ClipboardOnlyInjector(PasteboardWriting *pasteboard, FallbackHandler onFallback = {});

    InjectionTier tier() const override { return InjectionTier::clipboard; }
    QCoro::Task<> inject(QString text, FocusContext context) override;

    // Logs "Injection failed — text is on the clipboard, press Ctrl+V: <text>".
    static void logFallback(const QString &text);

private:
    PasteboardWriting *m_pasteboard;
    FallbackHandler m_onFallback;
};

} // namespace parlowind
