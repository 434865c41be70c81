// Model downloads against a real HTTP server on 127.0.0.1.
#include "LocalHttpServer.h"

#include "speech/ModelStore.h"
#include "speech/ModelStoreError.h"
#include "support/BlockingWait.h"

#include <QFile>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace parlowind;
using parlowind::test::HttpExchange;
using parlowind::test::HttpRequest;
using parlowind::test::LocalHttpServer;

QByteArray patternBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + i / 251) & 0xFF);
    return bytes;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// How the server answers.
enum class Answer { ranges, ignoreRanges, shortBody, noLength, notFound, rangeNotSatisfiable };

class ModelStoreDownloadTest : public ::testing::Test
{
protected:
    void serve(QByteArray content, Answer answer)
    {
        server.setHandler([content = std::move(content), answer](const HttpRequest &request, HttpExchange &exchange) {
            qsizetype start = 0;
            const QRegularExpressionMatch range = QRegularExpression(QStringLiteral("^bytes=(\\d+)-$"))
                                                      .match(QString::fromLatin1(request.header("range")));
            if (range.hasMatch() && answer != Answer::ignoreRanges)
                start = range.captured(1).toLongLong();
            switch (answer) {
            case Answer::notFound:
                exchange.respond(404, "no such file");
                return;
            case Answer::rangeNotSatisfiable:
                exchange.respond(416, {});
                return;
            case Answer::shortBody: {
                const QByteArray body = content.mid(start);
                exchange.sendRaw("HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size())
                                 + "\r\nConnection: close\r\n\r\n" + body.left(body.size() / 2));
                exchange.close();
                return;
            }
            case Answer::noLength:
                exchange.respond(200, content, {}, false);
                return;
            case Answer::ranges:
            case Answer::ignoreRanges:
                if (start > 0) {
                    const QByteArray range = "bytes " + QByteArray::number(start) + '-'
                        + QByteArray::number(content.size() - 1) + '/' + QByteArray::number(content.size());
                    exchange.respond(206, content.mid(start), { { "Content-Range", range } });
                } else {
                    exchange.respond(200, content);
                }
                return;
            }
        });
    }

    // Downloads and returns the progress values; rethrows the store's errors.
    std::vector<double> download()
    {
        std::vector<double> progress;
        waitForTask(store.download(model, [&](double value) { progress.push_back(value); }));
        return progress;
    }

    template<typename E> E downloadError()
    {
        try {
            download();
        } catch (const E &error) {
            return error;
        } catch (const std::exception &other) {
            ADD_FAILURE() << "other error: " << other.what();
            throw;
        }
        ADD_FAILURE() << "download succeeded";
        throw std::runtime_error("no error");
    }

    static void expectWholeHundredthsStrictlyIncreasingToOne(const std::vector<double> &progress)
    {
        ASSERT_FALSE(progress.empty());
        for (size_t i = 0; i < progress.size(); ++i) {
            EXPECT_NEAR(progress[i] * 100, std::round(progress[i] * 100), 1e-9) << progress[i];
            if (i > 0) {
                EXPECT_GT(progress[i], progress[i - 1]);
            }
        }
        EXPECT_EQ(progress.back(), 1.0);
    }

    LocalHttpServer server { {} };
    QTemporaryDir root;
    ModelStore store { root.filePath(QStringLiteral("models")), QString() };
    WhisperModel model { QStringLiteral("test-model"), QStringLiteral("ggml-test.bin"), QStringLiteral("Test"),
                         4'000'000, QUrl(QString::fromLatin1(server.baseUrl() + "/files/ggml-test.bin")) };
    QString path = store.localURL(model);
    QString partial = path + QStringLiteral(".partial");
};

TEST_F(ModelStoreDownloadTest, FreshDownloadWritesTheFileRecordsItsSizeAndReportsHundredths)
{
    const QByteArray content = patternBytes(3'500'000);
    serve(content, Answer::ranges);
    const std::vector<double> progress = download();

    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_TRUE(server.requests()[0].header("range").isEmpty());
    EXPECT_EQ(server.requests()[0].path, "/files/ggml-test.bin");
    EXPECT_EQ(readFile(path), content);
    EXPECT_EQ(readFile(path + QStringLiteral(".verified")), "3500000");
    EXPECT_FALSE(QFile::exists(partial));
    EXPECT_TRUE(store.isDownloaded(model));
    expectWholeHundredthsStrictlyIncreasingToOne(progress);
    // One value per MiB written, then completion.
    EXPECT_EQ(progress, (std::vector<double> { 0.29, 0.59, 0.89, 1.0 }));
}

TEST_F(ModelStoreDownloadTest, ResumesAPartialFileWithAnOpenRange)
{
    const QByteArray content = patternBytes(5'001'000);
    serve(content, Answer::ranges);
    writeFile(partial, content.left(5'000'000));
    const std::vector<double> progress = download();

    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].header("range"), "bytes=5000000-");
    EXPECT_EQ(readFile(path), content);
    EXPECT_EQ(readFile(path + QStringLiteral(".verified")), "5001000");
    EXPECT_FALSE(QFile::exists(partial));
    EXPECT_EQ(progress, std::vector<double> { 1.0 });
}

TEST_F(ModelStoreDownloadTest, AServerIgnoringTheRangeRestartsTheFile)
{
    const QByteArray content = patternBytes(2'100'000);
    serve(content, Answer::ignoreRanges);
    writeFile(partial, QByteArray(1000, 'x')); // not even a prefix: must not survive
    download();
    EXPECT_EQ(server.requests()[0].header("range"), "bytes=1000-");
    EXPECT_EQ(readFile(path), content);
}

TEST_F(ModelStoreDownloadTest, AShortBodyFailsAsIncompleteKeepsThePartAndTheNextRunResumes)
{
    const QByteArray content = patternBytes(3'000'000);
    serve(content, Answer::shortBody); // sends half, then closes
    const auto error = downloadError<ModelStoreError>();
    EXPECT_EQ(error.kind(), ModelStoreError::Kind::incompleteDownload);
    EXPECT_EQ(error.expected(), 3'000'000);
    // Everything counted is on disk, as a prefix of the file. (How much of the
    // half arrives before the close is reported is up to the network stack.)
    const QByteArray kept = readFile(partial);
    EXPECT_EQ(error.received(), kept.size());
    EXPECT_LE(kept.size(), 1'500'000);
    EXPECT_EQ(kept, content.left(kept.size()));
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_FALSE(store.isDownloaded(model));

    serve(content, Answer::ranges);
    download();
    const QByteArray expectedRange = kept.isEmpty() ? QByteArray() : "bytes=" + QByteArray::number(kept.size()) + '-';
    EXPECT_EQ(server.requests().back().header("range"), expectedRange);
    EXPECT_EQ(readFile(path), content);
    EXPECT_EQ(readFile(path + QStringLiteral(".verified")), "3000000");
}

TEST_F(ModelStoreDownloadTest, WithoutALengthWhateverArrivesCompletesMeasuredAgainstTheApproximateSize)
{
    const QByteArray content = patternBytes(2'200'000); // the catalogue guesses 4,000,000
    serve(content, Answer::noLength);
    const std::vector<double> progress = download();
    EXPECT_EQ(readFile(path), content);
    EXPECT_EQ(readFile(path + QStringLiteral(".verified")), "2200000");
    expectWholeHundredthsStrictlyIncreasingToOne(progress);
    EXPECT_EQ(progress, (std::vector<double> { 0.26, 0.52, 1.0 }));
}

struct RefusalCase
{
    const char *name;
    Answer answer;
};

void PrintTo(const RefusalCase &c, std::ostream *os)
{
    *os << c.name;
}

class ModelStoreRefusalTest : public ModelStoreDownloadTest, public ::testing::WithParamInterface<RefusalCase>
{
};

TEST_P(ModelStoreRefusalTest, AnErrorStatusFailsAndLeavesThePartialFileAlone)
{
    serve(patternBytes(10'000), GetParam().answer);
    writeFile(partial, patternBytes(4000));
    EXPECT_EQ(downloadError<ModelStoreError>(), ModelStoreError::downloadFailed(model.id));
    EXPECT_EQ(readFile(partial), patternBytes(4000));
    EXPECT_FALSE(QFile::exists(path));
}

INSTANTIATE_TEST_SUITE_P(Cases, ModelStoreRefusalTest,
                         ::testing::Values(RefusalCase { "NotFound", Answer::notFound },
                                           RefusalCase { "RangeNotSatisfiable", Answer::rangeNotSatisfiable }),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(ModelStoreDownloadTest, APartialAnswerForAnotherRangeIsRefusedInsteadOfCorruptingTheFile)
{
    const QByteArray content = patternBytes(10'000);
    server.setHandler([&](const HttpRequest &, HttpExchange &exchange) {
        exchange.respond(206, content.mid(2000), { { "Content-Range", "bytes 2000-9999/10000" } });
    });
    writeFile(partial, content.left(4000));
    EXPECT_EQ(downloadError<ModelStoreError>(), ModelStoreError::downloadFailed(model.id));
    EXPECT_EQ(readFile(partial), content.left(4000));
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(ModelStoreDownloadTest, AVerifiedSizeMismatchFetchesTheModelAgain)
{
    const QByteArray content = patternBytes(1'500'000);
    serve(content, Answer::ranges);
    writeFile(path, QByteArray(1000, 'o'));
    writeFile(path + QStringLiteral(".verified"), "1500000");
    download();
    EXPECT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(readFile(path), content);
    EXPECT_TRUE(store.isDownloaded(model));
}

TEST_F(ModelStoreDownloadTest, NoServerIsANetworkErrorThatKeepsThePartialFile)
{
    quint16 closedPort;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        closedPort = probe.serverPort();
    }
    model.downloadURL = QUrl(QStringLiteral("http://127.0.0.1:%1/ggml-test.bin").arg(closedPort));
    writeFile(partial, patternBytes(4000));
    downloadError<ModelNetworkError>();
    EXPECT_EQ(readFile(partial), patternBytes(4000));
}

} // namespace
