#pragma once

#include <QString>

#include <optional>

namespace parlowind {

// The focused text element captured at the press, as the accessibility tier
// needs it. Offsets count Unicode code points, as accessibility APIs do.
// Every call asks the target application afresh; a failed query answers
// "unknown" (nullopt / false), never throws.
class AccessibleTextElement
{
public:
    struct Range
    {
        int start = 0;
        int end = 0; // equal to start for a bare caret
        bool operator==(const Range &) const = default;
    };

    virtual ~AccessibleTextElement() = default;

    // A password field: text must never be typed into it by us.
    virtual bool isPasswordField() = 0;

    // The element takes text edits (editable state and an editing interface).
    virtual bool isEditable() = 0;

    // The whole text of the element, or nothing when it cannot be read.
    virtual std::optional<QString> text() = 0;

    // The length of the text in the element's own offsets (code points for
    // most toolkits, UTF-16 units for some), or nothing when unknown.
    virtual std::optional<int> characterCount() = 0;

    // The selection, or the caret as an empty range; nothing when unknown.
    virtual std::optional<Range> selection() = 0;

    // Deletes `range` and inserts `text` at its start. Returns 0 on success,
    // otherwise a non-zero error code.
    virtual int replace(Range range, const QString &text) = 0;

    virtual std::optional<int> caretOffset() = 0;
    virtual bool setCaretOffset(int offset) = 0;
};

} // namespace parlowind
