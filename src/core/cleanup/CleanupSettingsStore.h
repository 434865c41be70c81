#pragma once

#include "polish/LLMSettings.h"

#include "DictionaryTerm.h"
#include "VoiceShortcut.h"

#include <QList>
#include <QString>

namespace parlowind {

// The cleanup settings on disk: "dictionary.json" and "shortcuts.json" in the
// application-support folder. A missing or damaged file loads as an empty list
// and is left alone until the next save; saves replace the file atomically and
// throw SettingsFileError. No lock: one owner at a time (the UI thread, or a
// command).
class CleanupSettingsStore final
{
public:
    // Creates the folder if it is missing; failing that, loads find nothing and
    // saves fail.
    explicit CleanupSettingsStore(QString directory = defaultDirectory());

    static QString defaultDirectory();
    QString directory() const { return m_directory; }
    QString termsPath() const;
    QString shortcutsPath() const;

    QList<DictionaryTerm> loadTerms() const;
    void saveTerms(const QList<DictionaryTerm> &terms) const;

    QList<VoiceShortcut> loadShortcuts() const;
    void saveShortcuts(const QList<VoiceShortcut> &shortcuts) const;

    // "llm.json": the language-model settings (defaults when missing or damaged).
    LLMSettings loadLLMSettings() const;
    void saveLLMSettings(const LLMSettings &settings) const;

private:
    QString m_directory;
};

} // namespace parlowind
