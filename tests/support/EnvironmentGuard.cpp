#include "EnvironmentGuard.h"

#include <QtGlobal>

#include <algorithm>

namespace parlowind::test {

EnvironmentGuard::~EnvironmentGuard()
{
    for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
        if (it->value)
            qputenv(it->name.constData(), *it->value);
        else
            qunsetenv(it->name.constData());
    }
}

void EnvironmentGuard::remember(const char *name)
{
    const bool known = std::any_of(m_saved.begin(), m_saved.end(), [&](const Saved &s) { return s.name == name; });
    if (known)
        return;
    Saved saved { QByteArray(name), std::nullopt };
    if (qEnvironmentVariableIsSet(name))
        saved.value = qgetenv(name);
    m_saved.push_back(std::move(saved));
}

void EnvironmentGuard::set(const char *name, const QByteArray &value)
{
    remember(name);
    qputenv(name, value);
}

void EnvironmentGuard::unset(const char *name)
{
    remember(name);
    qunsetenv(name);
}

} // namespace parlowind::test
