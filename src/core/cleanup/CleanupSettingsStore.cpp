#include "CleanupSettingsStore.h"

#include "JsonSettingsFile.h"
#include "polish/LLMSettingsFile.h"
#include "support/AppPaths.h"

#include <QDir>

namespace parlowind {

namespace {
template<typename T, typename Decode> QList<T> loadList(const QString &path, Decode decode)
{
    const std::optional<QJsonDocument> document = JsonSettingsFile::read(path);
    if (!document || !document->isArray())
        return {};
    return decode(document->array()).value_or(QList<T>());
}

template<typename Decode> JsonSettingsFile::Validator validator(Decode decode)
{
    return
        [decode](const QJsonDocument &document) { return document.isArray() && decode(document.array()).has_value(); };
}
} // namespace

CleanupSettingsStore::CleanupSettingsStore(QString directory)
    : m_directory(std::move(directory))
{
    QDir().mkpath(m_directory);
}

QString CleanupSettingsStore::defaultDirectory()
{
    return AppPaths::supportDirectory();
}

QString CleanupSettingsStore::termsPath() const
{
    return QDir(m_directory).filePath(QStringLiteral("dictionary.json"));
}

QString CleanupSettingsStore::shortcutsPath() const
{
    return QDir(m_directory).filePath(QStringLiteral("shortcuts.json"));
}

QList<DictionaryTerm> CleanupSettingsStore::loadTerms() const
{
    return loadList<DictionaryTerm>(termsPath(), dictionaryTermsFromJson);
}

void CleanupSettingsStore::saveTerms(const QList<DictionaryTerm> &terms) const
{
    JsonSettingsFile::write(termsPath(), QJsonDocument(toJson(terms)), validator(dictionaryTermsFromJson));
}

QList<VoiceShortcut> CleanupSettingsStore::loadShortcuts() const
{
    return loadList<VoiceShortcut>(shortcutsPath(), voiceShortcutsFromJson);
}

void CleanupSettingsStore::saveShortcuts(const QList<VoiceShortcut> &shortcuts) const
{
    JsonSettingsFile::write(shortcutsPath(), QJsonDocument(toJson(shortcuts)), validator(voiceShortcutsFromJson));
}

LLMSettings CleanupSettingsStore::loadLLMSettings() const
{
    return LLMSettingsFile(QDir(m_directory).filePath(QStringLiteral("llm.json"))).load();
}

void CleanupSettingsStore::saveLLMSettings(const LLMSettings &settings) const
{
    LLMSettingsFile(QDir(m_directory).filePath(QStringLiteral("llm.json"))).save(settings);
}

} // namespace parlowind
