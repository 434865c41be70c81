#include "ShortcutStore.h"

#include "TextReplacement.h"

namespace parlowind {

ShortcutStore::ShortcutStore(QList<VoiceShortcut> shortcuts)
    : m_stored(std::move(shortcuts))
{ }

QList<VoiceShortcut> ShortcutStore::shortcuts() const
{
    std::lock_guard lock(m_lock);
    return m_stored;
}

QString ShortcutStore::apply(const QString &text, const CleanupContext &) const
{
    QString result = text;
    for (const VoiceShortcut &shortcut : shortcuts())
        result = replacingCaseInsensitive(result, shortcut.phrase, shortcut.expansion);
    return result;
}

} // namespace parlowind
