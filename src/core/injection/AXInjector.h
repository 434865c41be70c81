#pragma once

#include "AccessibleTextElement.h"
#include "TextInjecting.h"

#include <functional>
#include <memory>

namespace parlowind {

// The accessibility tier: writes the text straight into the captured focused
// element and checks by reading the element before and after that the write
// really happened (some applications report success and ignore it).
class AXInjector final : public TextInjecting
{
public:
    // Returns the element of the most recent focus capture, or nothing once
    // it (or its application) is gone.
    using ElementProvider = std::function<std::shared_ptr<AccessibleTextElement>()>;

    explicit AXInjector(ElementProvider elementProvider);

    InjectionTier tier() const override { return InjectionTier::ax; }
    QCoro::Task<> inject(QString text, FocusContext context) override;

    // The synchronous body of inject(); throws InjectionError.
    void insert(const QString &text, const FocusContext &context);

private:
    ElementProvider m_elementProvider;
};

} // namespace parlowind
