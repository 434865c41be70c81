#pragma once

#include "support/Error.h"

namespace parlowind {

// Why one injection tier could not deliver a text.
class InjectionError final : public Error
{
public:
    enum class Kind {
        axFailed, // the accessibility write failed with `code`
        emptyText,
        noFocusedElement,
        notSettable,
        writeDiscarded,
        writeNotVerifiable,
        secureInputActive, // the target is a password field
        pasteboardUnavailable,
        eventPostingDenied, // synthetic keys cannot be sent in this session
        focusChanged,
    };

    explicit InjectionError(Kind kind, int code = 0)
        : m_kind(kind)
        , m_code(code)
    { }

    Kind kind() const { return m_kind; }
    int code() const { return m_code; }

    // The case name, with the code for axFailed: "axFailed(-2)".
    QString logDescription() const override;
    QString description() const override;

    bool operator==(const InjectionError &other) const
    {
        return m_kind == other.m_kind && (m_kind != Kind::axFailed || m_code == other.m_code);
    }

private:
    Kind m_kind;
    int m_code;
};

} // namespace parlowind
