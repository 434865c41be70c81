#pragma once

#include "injection/AccessibleTextElement.h"

typedef struct _AtspiAccessible AtspiAccessible;

namespace parlowind {

// A focused AT-SPI accessible as the accessibility tier sees it. Holds a
// reference to the accessible; every call is a D-Bus request to the target
// application, answered "unknown" when it fails (application gone, no Text
// interface, time-out).
class AtspiTextElement final : public AccessibleTextElement
{
public:
    // Takes a new reference to `accessible`.
    explicit AtspiTextElement(AtspiAccessible *accessible);
    ~AtspiTextElement() override;
    AtspiTextElement(const AtspiTextElement &) = delete;
    AtspiTextElement &operator=(const AtspiTextElement &) = delete;

    // The application still answers for this element and has not dropped it.
    bool isAlive();
    // The accessible's process, or 0 when unknown.
    int processId();

    bool isPasswordField() override;
    bool isEditable() override;
    std::optional<QString> text() override;
    std::optional<int> characterCount() override;
    std::optional<Range> selection() override;
    int replace(Range range, const QString &text) override;
    std::optional<int> caretOffset() override;
    bool setCaretOffset(int offset) override;

    AtspiAccessible *accessible() const { return m_accessible; }

private:
    AtspiAccessible *m_accessible;
};

} // namespace parlowind
