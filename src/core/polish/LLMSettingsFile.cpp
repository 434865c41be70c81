#include "LLMSettingsFile.h"

#include "cleanup/JsonSettingsFile.h"
#include "support/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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
    try {
        JsonSettingsFile::writeAtomically(m_path, settings.toJson());
    } catch (const SettingsFileError &error) {
        throw LLMSettingsFileError(m_path, error.reason());
    }
}

} // namespace parlowind
