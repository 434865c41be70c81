#pragma once

#include "HUDPosition.h"
#include "cleanup/FillerAggressiveness.h"
#include "hotkeys/HotkeyBinding.h"
#include "support/Error.h"

#include <QString>
#include <QStringList>
#include <QVariant>

namespace parlowind {

// Why a preference given as text was refused.
class SettingsError final : public Error
{
public:
    enum class Kind { unknownKey, invalidValue, writeFailed };

    SettingsError(Kind kind, QString key, QString detail = {})
        : m_kind(kind)
        , m_key(std::move(key))
        , m_detail(std::move(detail))
    { }

    Kind kind() const { return m_kind; }
    QString key() const { return m_key; }
    QString description() const override;
    QString logDescription() const override;

private:
    Kind m_kind;
    QString m_key;
    QString m_detail;
};

// The user's simple preferences, in an INI file that may also be edited by
// hand or by another process. Nothing is cached: every getter reads its key
// afresh and every setter writes straight through, so two stores over one
// file always agree. A missing, mistyped or unparsable value reads as the
// default and numbers are clamped into range on read and on write, so no
// file content can make a getter fail.
class SettingsStore final
{
public:
    static constexpr int defaultHistoryRetentionDays = 30;
    static constexpr int minHistoryRetentionDays = 1;
    static constexpr int maxHistoryRetentionDays = 365;
    static constexpr double defaultDictationSoundVolume = 0.7;

    // The file defaults to $XDG_CONFIG_HOME/Parlowind/Parlowind.conf.
    explicit SettingsStore(QString filePath = {});
    SettingsStore(const SettingsStore &) = delete;
    SettingsStore &operator=(const SettingsStore &) = delete;

    QString filePath() const { return m_filePath; }

    HotkeyBinding dictationHotkey() const;
    void setDictationHotkey(const HotkeyBinding &binding);

    HUDPosition hudPosition() const;
    void setHudPosition(HUDPosition position);

    bool storeHistory() const;
    void setStoreHistory(bool on);

    int historyRetentionDays() const;
    void setHistoryRetentionDays(int days);

    bool playDictationSounds() const;
    void setPlayDictationSounds(bool on);

    double dictationSoundVolume() const;
    void setDictationSoundVolume(double volume);

    bool offlineOnly() const;
    void setOfflineOnly(bool on);

    QString activeModelID() const;
    void setActiveModelID(const QString &id);

    FillerAggressiveness fillerAggressiveness() const;
    void setFillerAggressiveness(FillerAggressiveness level);

    static int clampHistoryRetentionDays(double days);
    static double clampDictationSoundVolume(double volume);

    // Text forms for the command line. Every key, in the order `list` shows.
    static const QStringList &keys();
    // The effective value (default and clamping applied). Throws
    // SettingsError(unknownKey).
    QString valueText(const QString &key) const;
    // Unlike the typed setters this clamps nothing: a value out of range or
    // of the wrong form is refused with SettingsError and nothing is written.
    void setValueText(const QString &key, const QString &text);

private:
    QVariant read(const QString &key) const;
    bool write(const QString &key, const QVariant &value);

    QString m_filePath;
};

} // namespace parlowind
