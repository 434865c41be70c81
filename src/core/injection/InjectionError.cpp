#include "InjectionError.h"

namespace parlowind {

QString InjectionError::logDescription() const
{
    switch (m_kind) {
    case Kind::axFailed:
        return QStringLiteral("axFailed(%1)").arg(m_code);
    case Kind::emptyText:
        return QStringLiteral("emptyText");
    case Kind::noFocusedElement:
        return QStringLiteral("noFocusedElement");
    case Kind::notSettable:
        return QStringLiteral("notSettable");
    case Kind::writeDiscarded:
        return QStringLiteral("writeDiscarded");
    case Kind::writeNotVerifiable:
        return QStringLiteral("writeNotVerifiable");
    case Kind::secureInputActive:
        return QStringLiteral("secureInputActive");
    case Kind::pasteboardUnavailable:
        return QStringLiteral("pasteboardUnavailable");
    case Kind::eventPostingDenied:
        return QStringLiteral("eventPostingDenied");
    case Kind::focusChanged:
        return QStringLiteral("focusChanged");
    }
    return QStringLiteral("unknown");
}

QString InjectionError::description() const
{
    switch (m_kind) {
    case Kind::axFailed:
        return QStringLiteral("The application refused the text (accessibility error %1).").arg(m_code);
    case Kind::emptyText:
        return QStringLiteral("There is no text to insert.");
    case Kind::noFocusedElement:
        return QStringLiteral("No text field had the focus.");
    case Kind::notSettable:
        return QStringLiteral("The focused field does not accept text through accessibility.");
    case Kind::writeDiscarded:
        return QStringLiteral("The application ignored the inserted text.");
    case Kind::writeNotVerifiable:
        return QStringLiteral("The inserted text could not be verified.");
    case Kind::secureInputActive:
        return QStringLiteral("A password field has the focus.");
    case Kind::pasteboardUnavailable:
        return QStringLiteral("The clipboard is not available.");
    case Kind::eventPostingDenied:
        return QStringLiteral("Parlowind cannot send key presses in this session.");
    case Kind::focusChanged:
        return QStringLiteral("Another application has the focus now.");
    }
    return {};
}

} // namespace parlowind
