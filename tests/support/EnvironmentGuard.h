#pragma once

#include <QByteArray>

#include <optional>
#include <vector>

namespace parlowind::test {

// Sets environment variables for its lifetime and restores the previous
// values (or their absence) when destroyed, even when a check failed.
class EnvironmentGuard final
{
public:
    EnvironmentGuard() = default;
    ~EnvironmentGuard();
    EnvironmentGuard(const EnvironmentGuard &) = delete;
    EnvironmentGuard &operator=(const EnvironmentGuard &) = delete;

    void set(const char *name, const QByteArray &value);
    void unset(const char *name);

private:
    void remember(const char *name);
    struct Saved
    {
        QByteArray name;
        std::optional<QByteArray> value;
    };
    std::vector<Saved> m_saved;
};

} // namespace parlowind::test
