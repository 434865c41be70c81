#pragma once

#include "EnvironmentGuard.h"

#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace parlowind::test {

// A fresh temporary home: HOME and every XDG_* folder point below it for the
// object's lifetime, so nothing a test does touches the real home.
class IsolatedHome final
{
public:
    IsolatedHome();
    IsolatedHome(const IsolatedHome &) = delete;
    IsolatedHome &operator=(const IsolatedHome &) = delete;

    QString path() const { return m_dir.path(); }
    QString filePath(const QString &relative) const { return m_dir.filePath(relative); }

private:
    QTemporaryDir m_dir;
    EnvironmentGuard m_environment;
};

// Fixture base for tests that read or write the user's files.
class IsolatedTest : public ::testing::Test
{
protected:
    IsolatedHome home;
};

} // namespace parlowind::test
