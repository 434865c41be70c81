#include "AXInjector.h"

#include "InjectionError.h"

namespace parlowind {

namespace {

int codePointLength(const QString &text)
{
    return static_cast<int>(text.toUcs4().size());
}

} // namespace

AXInjector::AXInjector(ElementProvider elementProvider)
    : m_elementProvider(std::move(elementProvider))
{ }

QCoro::Task<> AXInjector::inject(QString text, FocusContext context)
{
    insert(text, context);
    co_return;
}

void AXInjector::insert(const QString &text, const FocusContext &context)
{
    using Kind = InjectionError::Kind;
    if (text.isEmpty())
        throw InjectionError(Kind::emptyText);
    const std::shared_ptr<AccessibleTextElement> element
        = context.hasElement && m_elementProvider ? m_elementProvider() : nullptr;
    if (!element)
        throw InjectionError(Kind::noFocusedElement);
    // A password field is this platform's secure input: never type into it.
    if (element->isPasswordField())
        throw InjectionError(Kind::secureInputActive);
    if (!element->isEditable())
        throw InjectionError(Kind::notSettable);
    const std::optional<AccessibleTextElement::Range> range = element->selection();
    if (!range)
        throw InjectionError(Kind::notSettable);

    const std::optional<QString> before = element->text();
    const std::optional<int> countBefore = element->characterCount();
    if (const int code = element->replace(*range, text); code != 0)
        throw InjectionError(Kind::axFailed, code);
    const std::optional<QString> after = element->text();

    if (!before || !after)
        throw InjectionError(Kind::writeNotVerifiable);
    if (*before == *after)
        throw InjectionError(Kind::writeDiscarded);

    // Dictating again must continue after this text; toolkits leave the caret
    // where it was, or at the end of the field (Qt sets the whole text).
    // The inserted length is measured in the element's own offsets, which
    // are not code points everywhere.
    const std::optional<int> countAfter = element->characterCount();
    const int insertedLength
        = countBefore && countAfter ? *countAfter - *countBefore + (range->end - range->start) : codePointLength(text);
    const int end = range->start + insertedLength;
    if (element->caretOffset() != end)
        element->setCaretOffset(end);
}

} // namespace parlowind
