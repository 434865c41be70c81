#include "LLMSettingsFile.h"

#include "support/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace parlowind {

QString LLMSettingsFile::defaultPath()
{
    return AppPaths::supportPath(QStringLiteral("llm.json"));
}

LLMSettings LLMSettingsFile::load() const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return LLMSettings {};
    return LLMSettings::fromJson(file.readAll());
}

void LLMSettingsFile::save(const LLMSettings &settings) const
{
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath()))
        throw LLMSettingsFileError(m_path, QStringLiteral("cannot create its folder"));
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        throw LLMSettingsFileError(m_path, file.errorString());
    file.write(settings.toJson());
    if (!file.commit())
        throw LLMSettingsFileError(m_path, file.errorString());
}

} // namespace parlowind
