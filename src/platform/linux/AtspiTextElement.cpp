#include "AtspiTextElement.h"

#include "AtspiSupport.h"

#include <atspi/atspi.h>

namespace parlowind {

namespace {

// Owns one reference to a GObject-based AT-SPI interface.
template<typename T> struct Ref
{
    T *object;
    explicit Ref(T *o)
        : object(o)
    { }
    ~Ref()
    {
        if (object)
            g_object_unref(object);
    }
    Ref(const Ref &) = delete;
    Ref &operator=(const Ref &) = delete;
    explicit operator bool() const { return object != nullptr; }
};

bool hasState(AtspiAccessible *accessible, AtspiStateType state)
{
    Ref<AtspiStateSet> states(atspi_accessible_get_state_set(accessible));
    return states && atspi_state_set_contains(states.object, state);
}

} // namespace

AtspiTextElement::AtspiTextElement(AtspiAccessible *accessible)
    : m_accessible(static_cast<AtspiAccessible *>(g_object_ref(accessible)))
{ }

AtspiTextElement::~AtspiTextElement()
{
    g_object_unref(m_accessible);
}

bool AtspiTextElement::isAlive()
{
    // Cached properties would keep answering for an application that has
    // quit; ask it.
    atspi_accessible_clear_cache(m_accessible);
    GError *error = nullptr;
    const AtspiRole role = atspi_accessible_get_role(m_accessible, &error);
    if (atspi::consumeError(error) || role == ATSPI_ROLE_INVALID)
        return false;
    return !hasState(m_accessible, ATSPI_STATE_DEFUNCT);
}

int AtspiTextElement::processId()
{
    GError *error = nullptr;
    const guint pid = atspi_accessible_get_process_id(m_accessible, &error);
    return atspi::consumeError(error) ? 0 : static_cast<int>(pid);
}

bool AtspiTextElement::isPasswordField()
{
    GError *error = nullptr;
    const AtspiRole role = atspi_accessible_get_role(m_accessible, &error);
    atspi::consumeError(error);
    return role == ATSPI_ROLE_PASSWORD_TEXT;
}

bool AtspiTextElement::isEditable()
{
    Ref<AtspiEditableText> editable(atspi_accessible_get_editable_text_iface(m_accessible));
    Ref<AtspiText> text(atspi_accessible_get_text_iface(m_accessible));
    return editable && text && hasState(m_accessible, ATSPI_STATE_EDITABLE);
}

std::optional<QString> AtspiTextElement::text()
{
    Ref<AtspiText> text(atspi_accessible_get_text_iface(m_accessible));
    if (!text)
        return std::nullopt;
    GError *error = nullptr;
    const gint count = atspi_text_get_character_count(text.object, &error);
    if (atspi::consumeError(error) || count < 0)
        return std::nullopt;
    char *content = atspi_text_get_text(text.object, 0, count, &error);
    if (atspi::consumeError(error)) {
        g_free(content);
        return std::nullopt;
    }
    return atspi::takeString(content);
}

std::optional<int> AtspiTextElement::characterCount()
{
    Ref<AtspiText> text(atspi_accessible_get_text_iface(m_accessible));
    if (!text)
        return std::nullopt;
    GError *error = nullptr;
    const gint count = atspi_text_get_character_count(text.object, &error);
    if (atspi::consumeError(error) || count < 0)
        return std::nullopt;
    return count;
}

std::optional<AccessibleTextElement::Range> AtspiTextElement::selection()
{
    Ref<AtspiText> text(atspi_accessible_get_text_iface(m_accessible));
    if (!text)
        return std::nullopt;
    GError *error = nullptr;
    const gint selections = atspi_text_get_n_selections(text.object, &error);
    if (!atspi::consumeError(error) && selections > 0) {
        AtspiRange *range = atspi_text_get_selection(text.object, 0, &error);
        if (!atspi::consumeError(error) && range && range->end_offset != range->start_offset) {
            const Range selected { qMin(range->start_offset, range->end_offset),
                                   qMax(range->start_offset, range->end_offset) };
            g_free(range);
            return selected;
        }
        g_free(range);
    }
    const gint caret = atspi_text_get_caret_offset(text.object, &error);
    if (atspi::consumeError(error) || caret < 0)
        return std::nullopt;
    return Range { caret, caret };
}

int AtspiTextElement::replace(Range range, const QString &text)
{
    Ref<AtspiEditableText> editable(atspi_accessible_get_editable_text_iface(m_accessible));
    if (!editable)
        return -3;
    GError *error = nullptr;
    const auto failureCode = [&error](gboolean ok) {
        if (error) {
            const int code = error->code != 0 ? error->code : -4;
            atspi::consumeError(error);
            return code;
        }
        return ok ? 0 : -4;
    };
    if (range.end > range.start) {
        const gboolean deleted = atspi_editable_text_delete_text(editable.object, range.start, range.end, &error);
        if (const int code = failureCode(deleted); code != 0)
            return code;
    }
    // WORKAROUND: toolkits read the length differently: GTK (through ATK) as
    // UTF-8 bytes, Qt as UTF-16 units, and Qt pads or cuts the text to it.
    const QByteArray utf8 = text.toUtf8();
    QString toolkit;
    GError *toolkitError = nullptr;
    if (Ref<AtspiAccessible> application(atspi_accessible_get_application(m_accessible, &toolkitError));
        application && !atspi::consumeError(toolkitError))
        toolkit = atspi::takeString(atspi_accessible_get_toolkit_name(application.object, &toolkitError));
    atspi::consumeError(toolkitError);
    const qsizetype length
        = toolkit.compare(QStringLiteral("Qt"), Qt::CaseInsensitive) == 0 ? text.size() : utf8.size();
    const gboolean inserted = atspi_editable_text_insert_text(editable.object, range.start, utf8.constData(),
                                                              static_cast<gint>(length), &error);
    return failureCode(inserted);
}

std::optional<int> AtspiTextElement::caretOffset()
{
    Ref<AtspiText> text(atspi_accessible_get_text_iface(m_accessible));
    if (!text)
        return std::nullopt;
    GError *error = nullptr;
    const gint caret = atspi_text_get_caret_offset(text.object, &error);
    if (atspi::consumeError(error) || caret < 0)
        return std::nullopt;
    return caret;
}

bool AtspiTextElement::setCaretOffset(int offset)
{
    Ref<AtspiText> text(atspi_accessible_get_text_iface(m_accessible));
    if (!text)
        return false;
    GError *error = nullptr;
    const gboolean ok = atspi_text_set_caret_offset(text.object, offset, &error);
    return !atspi::consumeError(error) && ok;
}

} // namespace parlowind
