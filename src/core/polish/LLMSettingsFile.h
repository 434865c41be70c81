#pragma once

#include "LLMSettings.h"
#include "support/Error.h"

namespace parlowind {

class LLMSettingsFileError final : public Error
{
public:
    LLMSettingsFileError(QString path, QString reason)
        : m_path(std::move(path))
        , m_reason(std::move(reason))
    { }
    QString description() const override { return QStringLiteral("Could not save %1: %2").arg(m_path, m_reason); }

private:
    QString m_path;
    QString m_reason;
};

// Reads and writes "llm.json" in the application-support folder: read
// leniently (any failure gives the defaults), written whole and atomically.
class LLMSettingsFile final
{
public:
    static QString defaultPath();

    explicit LLMSettingsFile(QString path = defaultPath())
        : m_path(std::move(path))
    { }

    QString path() const { return m_path; }
    LLMSettings load() const;
    // Throws LLMSettingsFileError.
    void save(const LLMSettings &settings) const;

private:
    QString m_path;
};

} // namespace parlowind
