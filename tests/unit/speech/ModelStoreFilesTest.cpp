// The model store's bookkeeping on disk; transfers are tested against a real
// HTTP server in the integration suite.
#include "speech/ModelStore.h"
#include "support/BlockingWait.h"

#include <QCoro/QCoroTask>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace parlowind;

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class ModelStoreFilesTest : public ::testing::Test
{
protected:
    QTemporaryDir root;
    QString modelsDir = root.filePath(QStringLiteral("deep/models"));
    QString bundleDir = root.filePath(QStringLiteral("bundle"));
    ModelStore store { modelsDir, bundleDir };
    const WhisperModel &model = WhisperModel::tinyEn;
    QString path = store.localURL(model);
};

TEST(WhisperModelCatalogue, KnowsTheThreeModelsInOrder)
{
    EXPECT_EQ(WhisperModel::transcriptionModels(),
              (QList<WhisperModel> { WhisperModel::largeV3Turbo, WhisperModel::tinyEn }));
    EXPECT_EQ(WhisperModel::allKnown(),
              (QList<WhisperModel> { WhisperModel::largeV3Turbo, WhisperModel::tinyEn, WhisperModel::sileroVAD }));
    for (const WhisperModel &m : WhisperModel::allKnown()) {
        EXPECT_EQ(m.downloadURL.scheme(), QStringLiteral("https")) << m.id.toStdString();
        EXPECT_TRUE(m.downloadURL.path().endsWith(QLatin1Char('/') + m.filename)) << m.id.toStdString();
        EXPECT_EQ(WhisperModel::find(m.id), m);
    }
    EXPECT_EQ(WhisperModel::tinyEn.filename, QStringLiteral("ggml-tiny.en.bin"));
    EXPECT_EQ(WhisperModel::sileroVAD.id, QStringLiteral("silero-v5.1.2"));
    EXPECT_EQ(WhisperModel::largeV3Turbo.approximateBytes, 1'624'000'000);
    EXPECT_FALSE(WhisperModel::find(QStringLiteral("huge")));
}

TEST_F(ModelStoreFilesTest, CreatesItsFolderAndPlacesModelsInIt)
{
    EXPECT_TRUE(QDir(modelsDir).exists());
    EXPECT_EQ(path, modelsDir + QStringLiteral("/ggml-tiny.en.bin"));
    EXPECT_FALSE(store.isDownloaded(model));
    EXPECT_TRUE(store.installedModels().isEmpty());
}

TEST_F(ModelStoreFilesTest, DefaultFolderIsModelsInTheSupportFolder)
{
    EXPECT_TRUE(ModelStore::defaultDirectory().endsWith(QStringLiteral("/Parlowind/models")));
}

struct VerifiedCase
{
    const char *name;
    QByteArray verifiedContent; // empty: no .verified file
    bool hasVerifiedFile;
    std::optional<qint64> expectedSize;
    bool expectedDownloaded; // for a 100-byte model file
};

void PrintTo(const VerifiedCase &c, std::ostream *os)
{
    *os << c.name;
}

class ModelStoreVerifiedTest : public ModelStoreFilesTest, public ::testing::WithParamInterface<VerifiedCase>
{
};

TEST_P(ModelStoreVerifiedTest, VerifiedSizeDecidesWhetherAModelIsDownloaded)
{
    writeFile(path, QByteArray(100, 'm'));
    if (GetParam().hasVerifiedFile)
        writeFile(path + QStringLiteral(".verified"), GetParam().verifiedContent);
    EXPECT_EQ(store.verifiedSize(model), GetParam().expectedSize);
    EXPECT_EQ(store.isDownloaded(model), GetParam().expectedDownloaded);
    EXPECT_EQ(store.installedModels().contains(model), GetParam().expectedDownloaded);
}

INSTANTIATE_TEST_SUITE_P(Cases, ModelStoreVerifiedTest,
                         ::testing::Values(VerifiedCase { "MatchingSizeWithLineEnd", "100\n", true, 100, true },
                                           VerifiedCase { "OtherSize", "99", true, 99, false },
                                           VerifiedCase { "PlusSign", " +100 ", true, 100, true },
                                           VerifiedCase { "Letters", "abc", true, std::nullopt, true },
                                           VerifiedCase { "Empty", "", true, std::nullopt, true },
                                           VerifiedCase { "NoRecord", "", false, std::nullopt, true },
                                           VerifiedCase { "Overflow", "99999999999999999999", true, std::nullopt,
                                                          true }),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(ModelStoreFilesTest, AChangedFileSizeInvalidatesAVerifiedModel)
{
    writeFile(path, QByteArray(100, 'm'));
    writeFile(path + QStringLiteral(".verified"), "100");
    EXPECT_TRUE(store.isDownloaded(model));
    writeFile(path, QByteArray(60, 'm'));
    EXPECT_FALSE(store.isDownloaded(model));
}

TEST_F(ModelStoreFilesTest, InvalidateIfUnverifiedDeletesOnlyUnrecordedFiles)
{
    writeFile(path, QByteArray(100, 'm'));
    writeFile(path + QStringLiteral(".partial"), QByteArray(10, 'p'));
    EXPECT_TRUE(store.invalidateIfUnverified(model));
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_FALSE(QFile::exists(path + QStringLiteral(".partial")));
    EXPECT_FALSE(store.invalidateIfUnverified(model)); // nothing left to delete

    writeFile(path, QByteArray(100, 'm'));
    writeFile(path + QStringLiteral(".verified"), "100");
    EXPECT_FALSE(store.invalidateIfUnverified(model));
    EXPECT_TRUE(QFile::exists(path));
}

TEST_F(ModelStoreFilesTest, InstalledModelsFollowTheCatalogueOrderIncludingTheVoiceModel)
{
    writeFile(store.localURL(WhisperModel::sileroVAD), "vad");
    writeFile(store.localURL(WhisperModel::tinyEn), "tiny");
    writeFile(store.localURL(WhisperModel::largeV3Turbo), "large");
    writeFile(store.localURL(WhisperModel::largeV3Turbo) + QStringLiteral(".verified"), "3");
    EXPECT_EQ(store.installedModels(), (QList<WhisperModel> { WhisperModel::tinyEn, WhisperModel::sileroVAD }));
}

TEST_F(ModelStoreFilesTest, DownloadCopiesABundledModelAndRecordsItsSize)
{
    ASSERT_TRUE(QDir().mkpath(bundleDir));
    writeFile(bundleDir + QLatin1Char('/') + model.filename, QByteArray(1234, 'b'));
    writeFile(path, QByteArray(10, 'o'));
    writeFile(path + QStringLiteral(".verified"), "11"); // stale: not downloaded
    EXPECT_EQ(store.bundledURL(model), bundleDir + QLatin1Char('/') + model.filename);

    std::vector<double> progress;
    waitForTask(store.download(model, [&](double value) { progress.push_back(value); }));
    EXPECT_EQ(readFile(path), QByteArray(1234, 'b'));
    EXPECT_EQ(readFile(path + QStringLiteral(".verified")), "1234");
    EXPECT_EQ(progress, std::vector<double> { 1.0 });
}

TEST_F(ModelStoreFilesTest, DownloadOfADownloadedModelReturnsAtOnceWithoutProgress)
{
    writeFile(path, QByteArray(100, 'm'));
    std::vector<double> progress;
    waitForTask(store.download(model, [&](double value) { progress.push_back(value); }));
    EXPECT_TRUE(progress.empty());
    EXPECT_EQ(readFile(path), QByteArray(100, 'm'));
    EXPECT_FALSE(store.bundledURL(model));
}

} // namespace
