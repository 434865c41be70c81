#include "SettingsStore.h"

#include "support/AppPaths.h"
#include "support/Log.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>

#include <cmath>

namespace parlowind {

namespace {
const QString dictationHotkeyKey = QStringLiteral("dictationHotkey");
const QString hudPositionKey = QStringLiteral("hudPosition");
const QString storeHistoryKey = QStringLiteral("storeHistory");
const QString historyRetentionDaysKey = QStringLiteral("historyRetentionDays");
const QString playDictationSoundsKey = QStringLiteral("playDictationSounds");
const QString dictationSoundVolumeKey = QStringLiteral("dictationSoundVolume");
const QString offlineOnlyKey = QStringLiteral("offlineOnly");
const QString activeModelIDKey = QStringLiteral("activeModelID");
const QString fillerAggressivenessKey = QStringLiteral("fillerAggressiveness");

const QString defaultActiveModelID = QStringLiteral("large-v3-turbo");

// INI values come back as strings (or lists, when a hand edit holds commas);
// values written earlier by this process may still be typed.
std::optional<bool> booleanFrom(const QVariant &value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    const QString text = value.toString().trimmed().toLower();
    if (text == QStringLiteral("true") || text == QStringLiteral("1"))
        return true;
    if (text == QStringLiteral("false") || text == QStringLiteral("0"))
        return false;
    return std::nullopt;
}

std::optional<double> numberFrom(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float: {
        const double number = value.toDouble();
        return std::isnan(number) ? std::nullopt : std::optional(number);
    }
    case QMetaType::QString: {
        bool ok = false;
        const double number = value.toString().trimmed().toDouble(&ok);
        if (!ok || std::isnan(number))
            return std::nullopt;
        return number;
    }
    default:
        return std::nullopt;
    }
}

std::optional<QString> stringFrom(const QVariant &value)
{
    if (value.typeId() == QMetaType::QString)
        return value.toString();
    return std::nullopt;
}

std::optional<HotkeyBinding> hotkeyFrom(const QVariant &value)
{
    QByteArray json;
    switch (value.typeId()) {
    case QMetaType::QString:
        json = value.toString().toUtf8();
        break;
    case QMetaType::QByteArray:
        json = value.toByteArray();
        break;
    default:
        return std::nullopt;
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return HotkeyBinding::fromJson(document.object());
}

QString hotkeyText(const HotkeyBinding &binding)
{
    return QString::fromUtf8(QJsonDocument(binding.toJson()).toJson(QJsonDocument::Compact));
}

QString booleanText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

QString choices(const QStringList &names)
{
    return names.join(QStringLiteral(", "));
}
} // namespace

QString SettingsError::description() const
{
    switch (m_kind) {
    case Kind::unknownKey:
        return QStringLiteral("unknown setting \"%1\"; known settings: %2").arg(m_key, choices(SettingsStore::keys()));
    case Kind::invalidValue:
        return QStringLiteral("invalid value for %1: %2").arg(m_key, m_detail);
    case Kind::writeFailed:
        return QStringLiteral("could not save %1 to %2").arg(m_key, m_detail);
    }
    return {};
}

QString SettingsError::logDescription() const
{
    switch (m_kind) {
    case Kind::unknownKey:
        return QStringLiteral("unknownKey(%1)").arg(m_key);
    case Kind::invalidValue:
        return QStringLiteral("invalidValue(%1: %2)").arg(m_key, m_detail);
    case Kind::writeFailed:
        return QStringLiteral("writeFailed(%1: %2)").arg(m_key, m_detail);
    }
    return {};
}

SettingsStore::SettingsStore(QString filePath)
    : m_filePath(filePath.isEmpty() ? AppPaths::settingsFile() : std::move(filePath))
{ }

QVariant SettingsStore::read(const QString &key) const
{
    // A new QSettings per access re-reads the file when it changed on disk.
    const QSettings settings(m_filePath, QSettings::IniFormat);
    return settings.value(key);
}

bool SettingsStore::write(const QString &key, const QVariant &value)
{
    QSettings settings(m_filePath, QSettings::IniFormat);
    settings.setValue(key, value);
    settings.sync();
    if (settings.status() == QSettings::NoError)
        return true;
    log(QStringLiteral("WARNING: SettingsStore: could not write %1 to %2").arg(key, m_filePath));
    return false;
}

int SettingsStore::clampHistoryRetentionDays(double days)
{
    if (std::isnan(days) || days <= minHistoryRetentionDays)
        return minHistoryRetentionDays;
    if (days >= maxHistoryRetentionDays)
        return maxHistoryRetentionDays;
    return int(days);
}

double SettingsStore::clampDictationSoundVolume(double volume)
{
    if (std::isnan(volume) || volume <= 0.0)
        return 0.0;
    return volume > 1.0 ? 1.0 : volume;
}

HotkeyBinding SettingsStore::dictationHotkey() const
{
    return hotkeyFrom(read(dictationHotkeyKey)).value_or(HotkeyBinding::defaultDictation());
}

void SettingsStore::setDictationHotkey(const HotkeyBinding &binding)
{
    write(dictationHotkeyKey, hotkeyText(binding));
}

HUDPosition SettingsStore::hudPosition() const
{
    const std::optional<QString> raw = stringFrom(read(hudPositionKey));
    return raw ? hudPositionFromRawValue(*raw).value_or(HUDPosition::bottomCenter) : HUDPosition::bottomCenter;
}

void SettingsStore::setHudPosition(HUDPosition position)
{
    write(hudPositionKey, rawValue(position));
}

bool SettingsStore::storeHistory() const
{
    return booleanFrom(read(storeHistoryKey)).value_or(true);
}

void SettingsStore::setStoreHistory(bool on)
{
    write(storeHistoryKey, on);
}

int SettingsStore::historyRetentionDays() const
{
    const std::optional<double> days = numberFrom(read(historyRetentionDaysKey));
    return days ? clampHistoryRetentionDays(*days) : defaultHistoryRetentionDays;
}

void SettingsStore::setHistoryRetentionDays(int days)
{
    write(historyRetentionDaysKey, clampHistoryRetentionDays(days));
}

bool SettingsStore::playDictationSounds() const
{
    return booleanFrom(read(playDictationSoundsKey)).value_or(true);
}

void SettingsStore::setPlayDictationSounds(bool on)
{
    write(playDictationSoundsKey, on);
}

double SettingsStore::dictationSoundVolume() const
{
    const std::optional<double> volume = numberFrom(read(dictationSoundVolumeKey));
    return volume ? clampDictationSoundVolume(*volume) : defaultDictationSoundVolume;
}

void SettingsStore::setDictationSoundVolume(double volume)
{
    write(dictationSoundVolumeKey, clampDictationSoundVolume(volume));
}

bool SettingsStore::offlineOnly() const
{
    // Only a value that reads as true turns it on.
    return booleanFrom(read(offlineOnlyKey)).value_or(false);
}

void SettingsStore::setOfflineOnly(bool on)
{
    write(offlineOnlyKey, on);
}

QString SettingsStore::activeModelID() const
{
    return stringFrom(read(activeModelIDKey)).value_or(defaultActiveModelID);
}

void SettingsStore::setActiveModelID(const QString &id)
{
    write(activeModelIDKey, id);
}

FillerAggressiveness SettingsStore::fillerAggressiveness() const
{
    const std::optional<QString> raw = stringFrom(read(fillerAggressivenessKey));
    return raw ? fillerAggressivenessFromRawValue(*raw).value_or(FillerAggressiveness::conservative)
               : FillerAggressiveness::conservative;
}

void SettingsStore::setFillerAggressiveness(FillerAggressiveness level)
{
    write(fillerAggressivenessKey, rawValue(level));
}

const QStringList &SettingsStore::keys()
{
    static const QStringList all {
        dictationHotkeyKey,      hudPositionKey, storeHistoryKey,  historyRetentionDaysKey, playDictationSoundsKey,
        dictationSoundVolumeKey, offlineOnlyKey, activeModelIDKey, fillerAggressivenessKey,
    };
    return all;
}

QString SettingsStore::valueText(const QString &key) const
{
    if (key == dictationHotkeyKey)
        return hotkeyText(dictationHotkey());
    if (key == hudPositionKey)
        return rawValue(hudPosition());
    if (key == storeHistoryKey)
        return booleanText(storeHistory());
    if (key == historyRetentionDaysKey)
        return QString::number(historyRetentionDays());
    if (key == playDictationSoundsKey)
        return booleanText(playDictationSounds());
    if (key == dictationSoundVolumeKey)
        return QString::number(dictationSoundVolume());
    if (key == offlineOnlyKey)
        return booleanText(offlineOnly());
    if (key == activeModelIDKey)
        return activeModelID();
    if (key == fillerAggressivenessKey)
        return rawValue(fillerAggressiveness());
    throw SettingsError(SettingsError::Kind::unknownKey, key);
}

void SettingsStore::setValueText(const QString &key, const QString &text)
{
    if (!keys().contains(key))
        throw SettingsError(SettingsError::Kind::unknownKey, key);
    const auto invalid
        = [&key](const QString &detail) { return SettingsError(SettingsError::Kind::invalidValue, key, detail); };

    QVariant value;
    const QString trimmed = text.trimmed();
    if (key == dictationHotkeyKey) {
        const std::optional<HotkeyBinding> binding = hotkeyFrom(QVariant(trimmed));
        if (!binding)
            throw invalid(QStringLiteral("expected {\"kind\":\"fn\"} or "
                                         "{\"kind\":\"chord\",\"keyCode\":N,\"modifiers\":N}"));
        value = hotkeyText(*binding);
    } else if (key == hudPositionKey) {
        QStringList names;
        for (HUDPosition position : allHUDPositions)
            names << rawValue(position);
        if (!hudPositionFromRawValue(trimmed))
            throw invalid(QStringLiteral("expected one of ") + choices(names));
        value = trimmed;
    } else if (key == fillerAggressivenessKey) {
        QStringList names;
        for (FillerAggressiveness level : allFillerAggressiveness)
            names << rawValue(level);
        if (!fillerAggressivenessFromRawValue(trimmed))
            throw invalid(QStringLiteral("expected one of ") + choices(names));
        value = trimmed;
    } else if (key == storeHistoryKey || key == playDictationSoundsKey || key == offlineOnlyKey) {
        if (trimmed != QStringLiteral("true") && trimmed != QStringLiteral("false"))
            throw invalid(QStringLiteral("expected true or false"));
        value = trimmed == QStringLiteral("true");
    } else if (key == historyRetentionDaysKey) {
        bool ok = false;
        const int days = trimmed.toInt(&ok);
        if (!ok || days < minHistoryRetentionDays || days > maxHistoryRetentionDays)
            throw invalid(QStringLiteral("expected a whole number of days from %1 to %2")
                              .arg(minHistoryRetentionDays)
                              .arg(maxHistoryRetentionDays));
        value = days;
    } else if (key == dictationSoundVolumeKey) {
        bool ok = false;
        const double volume = trimmed.toDouble(&ok);
        if (!ok || !(volume >= 0.0 && volume <= 1.0))
            throw invalid(QStringLiteral("expected a number from 0 to 1"));
        value = volume;
    } else if (key == activeModelIDKey) {
        if (trimmed.isEmpty())
            throw invalid(QStringLiteral("expected a model identifier"));
        value = trimmed;
    }

    if (!write(key, value))
        throw SettingsError(SettingsError::Kind::writeFailed, key, m_filePath);
}

} // namespace parlowind
