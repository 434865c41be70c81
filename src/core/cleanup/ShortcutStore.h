#pragma once

#include "CleanupStage.h"
#include "VoiceShortcut.h"

#include <QList>

#include <mutex>

namespace parlowind {

// Voice shortcuts as a cleanup stage: each spoken phrase becomes its expansion,
// inserted exactly as typed (the stage runs after capitalisation). The list is
// fixed for the run; edits in the settings take effect at the next start.
class ShortcutStore final : public CleanupStage
{
public:
    explicit ShortcutStore(QList<VoiceShortcut> shortcuts = {});
    ShortcutStore(const ShortcutStore &) = delete;
    ShortcutStore &operator=(const ShortcutStore &) = delete;

    QList<VoiceShortcut> shortcuts() const;

    QString name() const override { return QStringLiteral("shortcuts"); }
    QString apply(const QString &text, const CleanupContext &context) const override;

private:
    mutable std::mutex m_lock;
    QList<VoiceShortcut> m_stored;
};

} // namespace parlowind
