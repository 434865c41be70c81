#pragma once

#include "support/Error.h"

namespace parlowind::test {

// A service failure with a scripted user-facing description.
class FakeError final : public Error
{
public:
    explicit FakeError(QString description)
        : m_description(std::move(description))
    { }

    QString description() const override { return m_description; }
    QString logDescription() const override { return QStringLiteral("fake(") + m_description + QLatin1Char(')'); }

private:
    QString m_description;
};

} // namespace parlowind::test
