#include "IsolatedHome.h"

#include <QDir>
#include <QFile>

namespace parlowind::test {

IsolatedHome::IsolatedHome()
{
    const QString root = m_dir.path();
    const auto folder = [&](const QString &relative) {
        const QString path = root + QLatin1Char('/') + relative;
        QDir().mkpath(path);
        return QFile::encodeName(path);
    };
    m_environment.set("HOME", QFile::encodeName(root));
    m_environment.set("XDG_CONFIG_HOME", folder(QStringLiteral(".config")));
    m_environment.set("XDG_DATA_HOME", folder(QStringLiteral(".local/share")));
    m_environment.set("XDG_STATE_HOME", folder(QStringLiteral(".local/state")));
    m_environment.set("XDG_CACHE_HOME", folder(QStringLiteral(".cache")));
    const QByteArray runtime = folder(QStringLiteral("runtime"));
    QFile::setPermissions(QString::fromLocal8Bit(runtime),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    m_environment.set("XDG_RUNTIME_DIR", runtime);
    m_environment.unset("XDG_DATA_DIRS");
    m_environment.unset("XDG_CONFIG_DIRS");
}

} // namespace parlowind::test
