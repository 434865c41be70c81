#include "CleanupTestSupport.h"
#include "IsolatedHome.h"

#include "cleanup/CleanupSettingsStore.h"
#include "cleanup/JsonSettingsFile.h"
#include "support/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QUuid>

#include "FileSizeLimit.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <sys/resource.h>
#include <thread>
#include <vector>

using namespace parlowind;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &data)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(data);
}

const QList<DictionaryTerm> someTerms {
    { QUuid::createUuid(),
      QStringLiteral("Kubernetes"),
      { QStringLiteral("cube and eighties"), QStringLiteral("kuber nets") },
      3 },
    { QUuid::createUuid(), QStringLiteral("Zoë \"Q\" Ångström\n"), {}, 0 },
    { QUuid::createUuid(), QStringLiteral("C++"), { QStringLiteral("see plus plus") }, -2 },
};

const QList<VoiceShortcut> someShortcuts {
    { QUuid::createUuid(), QStringLiteral("my address"), QStringLiteral("1 Main St\n\tSpringfield") },
    { QUuid::createUuid(), QStringLiteral("shrug"), QStringLiteral("¯\\_(ツ)_/¯") },
};

class CleanupSettingsStoreTest : public ::testing::Test
{
protected:
    QTemporaryDir root;
    CleanupSettingsStore store { root.filePath(QStringLiteral("deep/Parlowind")) };
};

TEST_F(CleanupSettingsStoreTest, CreatesItsFolderAndLoadsEmptyListsWhenFilesAreMissing)
{
    EXPECT_TRUE(QDir(store.directory()).exists());
    EXPECT_TRUE(store.loadTerms().isEmpty());
    EXPECT_TRUE(store.loadShortcuts().isEmpty());
    // Loading never creates a file.
    EXPECT_FALSE(QFile::exists(store.termsPath()));
    EXPECT_FALSE(QFile::exists(store.shortcutsPath()));
}

TEST_F(CleanupSettingsStoreTest, RoundTrip)
{
    store.saveTerms(someTerms);
    store.saveShortcuts(someShortcuts);
    EXPECT_EQ(store.loadTerms(), someTerms);
    EXPECT_EQ(store.loadShortcuts(), someShortcuts);
    // A second store over the same folder (the next start) reads the same.
    EXPECT_EQ(CleanupSettingsStore(store.directory()).loadTerms(), someTerms);
}

TEST_F(CleanupSettingsStoreTest, KeepsTheLanguageModelSettingsBesideTheLists)
{
    EXPECT_EQ(store.loadLLMSettings(), LLMSettings {});
    LLMSettings settings;
    settings.isEnabled = true;
    settings.kind = LLMSettings::Kind::openAICompatible;
    settings.model = QStringLiteral("llama3.2");
    settings.baseURL = QStringLiteral("http://127.0.0.1:11434/v1");
    settings.timeoutSeconds = 5.5;
    store.saveLLMSettings(settings);
    EXPECT_TRUE(QFile::exists(QDir(store.directory()).filePath(QStringLiteral("llm.json"))));
    EXPECT_EQ(CleanupSettingsStore(store.directory()).loadLLMSettings(), settings);
    // The lists are untouched by it.
    EXPECT_TRUE(store.loadTerms().isEmpty());
}

TEST_F(CleanupSettingsStoreTest, WritesTheDocumentedFields)
{
    store.saveTerms({ someTerms.first() });
    const QJsonArray array = QJsonDocument::fromJson(readAll(store.termsPath())).array();
    ASSERT_EQ(array.size(), 1);
    const QJsonObject object = array.first().toObject();
    EXPECT_EQ(object.value(QStringLiteral("id")).toString(),
              someTerms.first().id.toString(QUuid::WithoutBraces).toUpper());
    EXPECT_EQ(object.value(QStringLiteral("term")).toString(), QStringLiteral("Kubernetes"));
    EXPECT_EQ(object.value(QStringLiteral("spokenAs")).toArray().size(), 2);
    EXPECT_EQ(object.value(QStringLiteral("priority")).toInt(), 3);
}

TEST(CleanupSettingsStoreDefaults, LiveInTheApplicationSupportFolder)
{
    test::IsolatedHome home;
    EXPECT_EQ(CleanupSettingsStore::defaultDirectory(), AppPaths::supportDirectory());
    EXPECT_TRUE(CleanupSettingsStore::defaultDirectory().startsWith(home.path()));
    EXPECT_EQ(CleanupSettingsStore().termsPath(), AppPaths::supportPath(QStringLiteral("dictionary.json")));
}

struct DamagedCase
{
    const char *name;
    QByteArray content;
};

class DamagedTermsFileTest : public CleanupSettingsStoreTest, public ::testing::WithParamInterface<DamagedCase>
{
};

// One bad record discards the file; the file itself stays as it is until the
// user saves, and then the unreadable content is kept aside, not lost.
TEST_P(DamagedTermsFileTest, LoadsEmptyAndKeepsTheFileUntilASave)
{
    writeAll(store.termsPath(), GetParam().content);
    EXPECT_TRUE(store.loadTerms().isEmpty());
    EXPECT_EQ(readAll(store.termsPath()), GetParam().content);

    store.saveTerms(someTerms);
    EXPECT_EQ(store.loadTerms(), someTerms);
    EXPECT_EQ(readAll(JsonSettingsFile::damagedCopyPath(store.termsPath())), GetParam().content);
}

const QByteArray goodRecord = R"({"id":"0E1F7A39-2B8C-4A8E-9E63-6C2B9F0C1D22","term":"A","spokenAs":[],"priority":0})";

INSTANTIATE_TEST_SUITE_P(
    Table, DamagedTermsFileTest,
    ::testing::Values(
        DamagedCase { "NotJson", "this is not json" },
        DamagedCase { "Truncated", R"([{"id":"0E1F7A39-2B8C-4A8E-9E63-6C2B9F0C1D22","term":"A")" },
        DamagedCase { "ObjectNotArray", goodRecord },
        DamagedCase { "MissingPriority",
                      "[" + goodRecord
                          + R"(,{"id":"1E1F7A39-2B8C-4A8E-9E63-6C2B9F0C1D22","term":"B","spokenAs":[]}])" },
        DamagedCase { "FractionalPriority",
                      R"([{"id":"0E1F7A39-2B8C-4A8E-9E63-6C2B9F0C1D22","term":"A","spokenAs":[],"priority":1.5}])" },
        DamagedCase { "HeardFormNotAString",
                      R"([{"id":"0E1F7A39-2B8C-4A8E-9E63-6C2B9F0C1D22","term":"A","spokenAs":[3],"priority":1}])" },
        DamagedCase { "BadIdentifier", R"([{"id":"not-a-uuid","term":"A","spokenAs":[],"priority":1}])" },
        DamagedCase { "BinaryData", QByteArray("\x00\xff\xfe\x01", 4) }),
    [](const ::testing::TestParamInfo<DamagedCase> &info) { return std::string(info.param.name); });

TEST_F(CleanupSettingsStoreTest, ReadsIdentifiersInEitherCase)
{
    writeAll(store.termsPath(),
             "["
                 + QByteArray(goodRecord)
                       .replace("0E1F7A39-2B8C-4A8E-9E63-6C2B9F0C1D22", "0e1f7a39-2b8c-4a8e-9e63-6c2b9f0c1d22")
                 + "]");
    const QList<DictionaryTerm> terms = store.loadTerms();
    ASSERT_EQ(terms.size(), 1);
    EXPECT_EQ(terms.first().id, QUuid::fromString(QStringLiteral("0E1F7A39-2B8C-4A8E-9E63-6C2B9F0C1D22")));
}

TEST_F(CleanupSettingsStoreTest, DamagedShortcutsLoadEmpty)
{
    writeAll(store.shortcutsPath(), R"([{"id":"0E1F7A39-2B8C-4A8E-9E63-6C2B9F0C1D22","phrase":"x"}])");
    EXPECT_TRUE(store.loadShortcuts().isEmpty());
}

TEST_F(CleanupSettingsStoreTest, AnIntactFileIsReplacedWithoutACopy)
{
    store.saveTerms(someTerms);
    store.saveTerms({});
    EXPECT_TRUE(store.loadTerms().isEmpty());
    EXPECT_FALSE(QFile::exists(JsonSettingsFile::damagedCopyPath(store.termsPath())));
}

TEST_F(CleanupSettingsStoreTest, AFailedWriteLeavesTheOldFile)
{
    store.saveTerms({ someTerms.first() });
    const QByteArray before = readAll(store.termsPath());
    ASSERT_LT(before.size(), 400);

    QList<DictionaryTerm> many;
    for (int i = 0; i < 50; ++i)
        many.append({ QUuid::createUuid(), QStringLiteral("term %1").arg(i), {}, 0 });
    {
        test::FileSizeLimit limit(400);
        EXPECT_THROW(store.saveTerms(many), SettingsFileError);
    }
    EXPECT_EQ(readAll(store.termsPath()), before);
    EXPECT_EQ(QDir(store.directory()).entryList(QDir::Files), QStringList { QStringLiteral("dictionary.json") });
}

TEST_F(CleanupSettingsStoreTest, AWriteIntoAMissingFolderFails)
{
    const CleanupSettingsStore lost(QStringLiteral("/proc/parlowind-cannot-exist"));
    EXPECT_TRUE(lost.loadTerms().isEmpty());
    try {
        lost.saveShortcuts(someShortcuts);
        ADD_FAILURE() << "the save reported success";
    } catch (const SettingsFileError &error) {
        EXPECT_TRUE(error.description().startsWith(QStringLiteral("Could not save shortcuts.json: ")))
            << error.description().toStdString();
    }
}

// A reader (the next command, the settings pane) racing a save sees the old
// list or the new one, whole.
TEST_F(CleanupSettingsStoreTest, ConcurrentReadersSeeWholeFiles)
{
    QList<DictionaryTerm> large;
    for (int i = 0; i < 400; ++i)
        large.append({ QUuid::createUuid(), QStringLiteral("word number %1").arg(i), { QStringLiteral("heard") }, i });
    const QList<DictionaryTerm> small { someTerms.first() };
    store.saveTerms(small);

    std::atomic<bool> stop = false;
    std::atomic<int> torn = 0;
    std::atomic<int> reads = 0;
    std::vector<std::thread> readers;
    for (int r = 0; r < 2; ++r) {
        readers.emplace_back([&] {
            const CleanupSettingsStore reader(store.directory());
            while (!stop) {
                const QList<DictionaryTerm> seen = reader.loadTerms();
                if (seen != small && seen != large)
                    ++torn;
                ++reads;
            }
        });
    }
    for (int i = 0; i < 60 || reads < 100; ++i)
        store.saveTerms(i % 2 ? small : large);
    stop = true;
    for (std::thread &reader : readers)
        reader.join();
    EXPECT_EQ(torn, 0);
}

} // namespace
