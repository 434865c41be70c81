#include "ClipboardOnlyInjector.h"

#include "InjectionError.h"
#include "support/Log.h"

namespace parlowind {

ClipboardOnlyInjector::ClipboardOnlyInjector(PasteboardWriting *pasteboard, FallbackHandler onFallback)
    : m_pasteboard(pasteboard)
    , m_onFallback(onFallback ? std::move(onFallback) : FallbackHandler(&ClipboardOnlyInjector::logFallback))
{
    Q_ASSERT(m_pasteboard);
}

QCoro::Task<> ClipboardOnlyInjector::inject(QString text, FocusContext)
{
    if (text.isEmpty())
        throw InjectionError(InjectionError::Kind::emptyText);
    m_pasteboard->write(text);
    m_onFallback(text);
    co_return;
}

void ClipboardOnlyInjector::logFallback(const QString &text)
{
    log(QStringLiteral("Injection failed — text is on the clipboard, press Ctrl+V: ") + text);
}

} // namespace parlowind
