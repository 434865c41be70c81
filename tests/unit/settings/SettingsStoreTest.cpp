#include "settings/SettingsStore.h"
#include "IsolatedHome.h"
#include "support/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <ostream>

namespace parlowind {
namespace {

class SettingsStoreTest : public test::IsolatedTest
{
protected:
    QString path() const { return AppPaths::settingsFile(); }

    // What another tool or a hand edit leaves in the file.
    void writeRaw(const QByteArray &contents) const
    {
        QDir().mkpath(QFileInfo(path()).absolutePath());
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(contents);
    }

    QByteArray readRaw() const
    {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

TEST_F(SettingsStoreTest, FreshFileGivesEveryDefault)
{
    const SettingsStore store;
    EXPECT_EQ(store.filePath(), home.filePath(QStringLiteral(".config/Parlowind/Parlowind.conf")));
    EXPECT_EQ(store.dictationHotkey(), HotkeyBinding::fn());
    EXPECT_EQ(store.hudPosition(), HUDPosition::bottomCenter);
    EXPECT_TRUE(store.storeHistory());
    EXPECT_EQ(store.historyRetentionDays(), 30);
    EXPECT_TRUE(store.playDictationSounds());
    EXPECT_DOUBLE_EQ(store.dictationSoundVolume(), 0.7);
    EXPECT_FALSE(store.offlineOnly());
    EXPECT_EQ(store.activeModelID(), QStringLiteral("large-v3-turbo"));
    EXPECT_EQ(store.fillerAggressiveness(), FillerAggressiveness::conservative);
    EXPECT_FALSE(QFileInfo::exists(path())) << "reading must not create the file";
}

TEST_F(SettingsStoreTest, GarbageFileGivesDefaults)
{
    const char garbage[] = "\x00\xff[General\n=====\n@Variant(\x01\x02)\nhudPosition=@Invalid()\n[\"\\";
    writeRaw(QByteArray(garbage, sizeof garbage - 1));
    const SettingsStore store;
    for (const QString &key : SettingsStore::keys()) {
        const SettingsStore fresh(QStringLiteral("/nonexistent/Parlowind.conf"));
        EXPECT_EQ(store.valueText(key), fresh.valueText(key)) << key.toStdString();
    }
}

// One stored line, as a hand edit or another tool might leave it, and what
// the store makes of it.
struct StoredValueCase
{
    const char *name;
    const char *key;
    const char *stored; // the INI value text
    const char *reads; // valueText()
};

void PrintTo(const StoredValueCase &row, std::ostream *out)
{
    *out << row.name;
}

class StoredValueTest : public SettingsStoreTest, public ::testing::WithParamInterface<StoredValueCase>
{
};

TEST_P(StoredValueTest, ReadsWithDefaultAndClamping)
{
    const StoredValueCase &row = GetParam();
    writeRaw(QByteArray("[General]\n") + row.key + '=' + row.stored + '\n');
    const SettingsStore store;
    EXPECT_EQ(store.valueText(QString::fromUtf8(row.key)), QString::fromUtf8(row.reads));
}

const StoredValueCase storedValueCases[] = {
    { "HotkeyGarbage", "dictationHotkey", "not json", R"({"kind":"fn"})" },
    { "HotkeyChordWithoutModifiers", "dictationHotkey", R"("{\"kind\":\"chord\",\"keyCode\":57}")",
      R"({"kind":"fn"})" },
    { "HotkeyUnknownKind", "dictationHotkey", R"("{\"kind\":\"mouse\"}")", R"({"kind":"fn"})" },
    { "HotkeyQuotedChord", "dictationHotkey", R"("{\"kind\":\"chord\",\"keyCode\":57,\"modifiers\":2}")",
      R"({"keyCode":57,"kind":"chord","modifiers":2})" },
    // Unquoted, the INI reader splits it at commas and eats its quotes.
    { "HotkeyUnquotedHandEdit", "dictationHotkey", R"({"keyCode": 30, "modifiers": 9})", R"({"kind":"fn"})" },
    { "HotkeyOldFormWithoutKind", "dictationHotkey", R"("{\"keyCode\":30,\"modifiers\":9}")",
      R"({"keyCode":30,"kind":"chord","modifiers":9})" },
    { "HudUnknown", "hudPosition", "sideways", "bottomCenter" },
    { "HudTopCenter", "hudPosition", "topCenter", "topCenter" },
    { "HudWrongCase", "hudPosition", "TopCenter", "bottomCenter" },
    { "StoreHistoryString", "storeHistory", "hello", "true" },
    { "StoreHistoryList", "storeHistory", "false, true", "true" },
    { "StoreHistoryFalse", "storeHistory", "false", "false" },
    { "StoreHistoryZero", "storeHistory", "0", "false" },
    { "SoundsNotBoolean", "playDictationSounds", "2", "true" },
    { "SoundsFalse", "playDictationSounds", "false", "false" },
    { "OfflineGarbageIsOff", "offlineOnly", "maybe", "false" },
    { "OfflineTrue", "offlineOnly", "true", "true" },
    { "DaysZeroReadsOne", "historyRetentionDays", "0", "1" },
    { "DaysNegative", "historyRetentionDays", "-40", "1" },
    { "DaysTooMany", "historyRetentionDays", "1000", "365" },
    { "DaysHuge", "historyRetentionDays", "99999999999999999999", "365" },
    { "DaysFraction", "historyRetentionDays", "12.9", "12" },
    { "DaysText", "historyRetentionDays", "forever", "30" },
    { "DaysNaN", "historyRetentionDays", "nan", "30" },
    { "VolumeNegative", "dictationSoundVolume", "-0.2", "0" },
    { "VolumeTooLoud", "dictationSoundVolume", "1.5", "1" },
    { "VolumeInside", "dictationSoundVolume", "0.25", "0.25" },
    { "VolumeText", "dictationSoundVolume", "loud", "0.7" },
    { "VolumeNaN", "dictationSoundVolume", "nan", "0.7" },
    { "ModelAnyString", "activeModelID", "small.en", "small.en" },
    { "FillerUnknown", "fillerAggressiveness", "extreme", "conservative" },
    { "FillerAggressive", "fillerAggressiveness", "aggressive", "aggressive" },
    { "FillerOff", "fillerAggressiveness", "off", "off" },
};

INSTANTIATE_TEST_SUITE_P(Stored, StoredValueTest, ::testing::ValuesIn(storedValueCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(SettingsStoreTest, SettersClampBeforeWriting)
{
    SettingsStore store;
    store.setHistoryRetentionDays(0);
    EXPECT_TRUE(readRaw().contains("historyRetentionDays=1\n")) << readRaw().toStdString();
    store.setHistoryRetentionDays(1000);
    EXPECT_TRUE(readRaw().contains("historyRetentionDays=365\n")) << readRaw().toStdString();
    store.setDictationSoundVolume(1.5);
    EXPECT_TRUE(readRaw().contains("dictationSoundVolume=1\n")) << readRaw().toStdString();
    store.setDictationSoundVolume(-3);
    EXPECT_DOUBLE_EQ(store.dictationSoundVolume(), 0.0);
}

TEST_F(SettingsStoreTest, EveryPropertyRoundTrips)
{
    SettingsStore store;
    const HotkeyBinding optionSpace = HotkeyBinding::chord(KeyCode::space, HotkeyBinding::Modifier::option);
    store.setDictationHotkey(optionSpace);
    store.setHudPosition(HUDPosition::bottomTrailing);
    store.setStoreHistory(false);
    store.setHistoryRetentionDays(90);
    store.setPlayDictationSounds(false);
    store.setDictationSoundVolume(0.35);
    store.setOfflineOnly(true);
    store.setActiveModelID(QStringLiteral("base.en"));
    store.setFillerAggressiveness(FillerAggressiveness::aggressive);

    const SettingsStore other;
    EXPECT_EQ(other.dictationHotkey(), optionSpace);
    EXPECT_EQ(other.hudPosition(), HUDPosition::bottomTrailing);
    EXPECT_FALSE(other.storeHistory());
    EXPECT_EQ(other.historyRetentionDays(), 90);
    EXPECT_FALSE(other.playDictationSounds());
    EXPECT_DOUBLE_EQ(other.dictationSoundVolume(), 0.35);
    EXPECT_TRUE(other.offlineOnly());
    EXPECT_EQ(other.activeModelID(), QStringLiteral("base.en"));
    EXPECT_EQ(other.fillerAggressiveness(), FillerAggressiveness::aggressive);
}

TEST_F(SettingsStoreTest, TwoStoresOverOneFileAgreeAndSeeOutsideEdits)
{
    SettingsStore first;
    SettingsStore second;
    first.setHistoryRetentionDays(7);
    EXPECT_EQ(second.historyRetentionDays(), 7);
    second.setHistoryRetentionDays(8);
    EXPECT_EQ(first.historyRetentionDays(), 8);

    // Another process rewrites the file: no store may answer from a cache.
    writeRaw("[General]\nhistoryRetentionDays=123456\nhudPosition=bottomLeading\n");
    EXPECT_EQ(first.historyRetentionDays(), 365);
    EXPECT_EQ(second.hudPosition(), HUDPosition::bottomLeading);
}

TEST_F(SettingsStoreTest, HudPositionNamesAndOrder)
{
    const QStringList expected { QStringLiteral("bottomCenter:Bottom center"), QStringLiteral("topCenter:Top center"),
                                 QStringLiteral("bottomLeading:Bottom left"),
                                 QStringLiteral("bottomTrailing:Bottom right") };
    QStringList actual;
    for (HUDPosition position : allHUDPositions) {
        actual << rawValue(position) + QLatin1Char(':') + displayName(position);
        EXPECT_EQ(hudPositionFromRawValue(rawValue(position)), position);
    }
    EXPECT_EQ(actual, expected);
    EXPECT_FALSE(hudPositionFromRawValue(QStringLiteral("Bottom center")));
}

// The command line's text form: what is accepted and how it is stored.
struct TextValueCase
{
    const char *name;
    const char *key;
    const char *text;
    const char *reads; // nullptr: refused
};

void PrintTo(const TextValueCase &row, std::ostream *out)
{
    *out << row.name;
}

class TextValueTest : public SettingsStoreTest, public ::testing::WithParamInterface<TextValueCase>
{
};

TEST_P(TextValueTest, AcceptsValidValuesAndRefusesOthersWithoutWriting)
{
    const TextValueCase &row = GetParam();
    writeRaw("[General]\nactiveModelID=kept\n");
    const QByteArray before = readRaw();
    SettingsStore store;
    const QString key = QString::fromUtf8(row.key);
    if (row.reads) {
        store.setValueText(key, QString::fromUtf8(row.text));
        EXPECT_EQ(SettingsStore().valueText(key), QString::fromUtf8(row.reads));
    } else {
        EXPECT_THROW(store.setValueText(key, QString::fromUtf8(row.text)), SettingsError);
        EXPECT_EQ(readRaw(), before);
    }
}

const TextValueCase textValueCases[] = {
    { "UnknownKey", "historyDays", "30", nullptr },
    { "DaysInRange", "historyRetentionDays", "45", "45" },
    { "DaysLowest", "historyRetentionDays", "1", "1" },
    { "DaysZero", "historyRetentionDays", "0", nullptr },
    { "DaysAboveYear", "historyRetentionDays", "366", nullptr },
    { "DaysFraction", "historyRetentionDays", "4.5", nullptr },
    { "DaysWord", "historyRetentionDays", "ten", nullptr },
    { "VolumeInRange", "dictationSoundVolume", "0.5", "0.5" },
    { "VolumeOne", "dictationSoundVolume", "1", "1" },
    { "VolumeTooLoud", "dictationSoundVolume", "1.5", nullptr },
    { "VolumeNegative", "dictationSoundVolume", "-0.1", nullptr },
    { "VolumeNaN", "dictationSoundVolume", "nan", nullptr },
    { "BooleanFalse", "storeHistory", "false", "false" },
    { "BooleanTrue", "offlineOnly", "true", "true" },
    { "BooleanYes", "playDictationSounds", "yes", nullptr },
    { "HudKnown", "hudPosition", "bottomLeading", "bottomLeading" },
    { "HudDisplayName", "hudPosition", "Bottom left", nullptr },
    { "FillerKnown", "fillerAggressiveness", "off", "off" },
    { "FillerUnknown", "fillerAggressiveness", "maximal", nullptr },
    { "ModelId", "activeModelID", "small.en", "small.en" },
    { "ModelEmpty", "activeModelID", "  ", nullptr },
    { "HotkeyFn", "dictationHotkey", R"({"kind":"fn"})", R"({"kind":"fn"})" },
    { "HotkeyChord", "dictationHotkey", R"({"kind":"chord","keyCode":57,"modifiers":2})",
      R"({"keyCode":57,"kind":"chord","modifiers":2})" },
    { "HotkeyNegativeCode", "dictationHotkey", R"({"kind":"chord","keyCode":-1,"modifiers":2})", nullptr },
    { "HotkeyNotJson", "dictationHotkey", "Alt+Space", nullptr },
};

INSTANTIATE_TEST_SUITE_P(Text, TextValueTest, ::testing::ValuesIn(textValueCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(SettingsStoreTest, UnknownKeyHasNoValue)
{
    const SettingsStore store;
    try {
        store.valueText(QStringLiteral("colour"));
        ADD_FAILURE() << "expected SettingsError";
    } catch (const SettingsError &error) {
        EXPECT_EQ(error.kind(), SettingsError::Kind::unknownKey);
        EXPECT_TRUE(error.description().contains(QStringLiteral("colour")));
        EXPECT_FALSE(error.description().contains(QLatin1Char('\n')));
    }
}

} // namespace
} // namespace parlowind
