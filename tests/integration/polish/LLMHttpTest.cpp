// The client, both providers and the QNetworkAccessManager transport against
// a real HTTP server on 127.0.0.1.
#include "support/BlockingWait.h"
#include "FakeClock.h"
#include "FakeTransport.h"
#include "LocalHttpServer.h"
#include "polish/AnthropicProvider.h"
#include "polish/LLMClient.h"
#include "polish/NetworkAccessTransport.h"
#include "polish/OpenAICompatibleProvider.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace parlowind;
using namespace parlowind::test;

namespace {

const QByteArray anthropicAnswer
    = R"({"id":"msg_1","type":"message","content":[{"type":"text","text":"Hello, world."}]})";
const QByteArray openAIAnswer
    = R"({"id":"c1","choices":[{"index":0,"message":{"role":"assistant","content":"Hello, world."}}]})";

class LLMHttpTest : public ::testing::Test
{
protected:
    void TearDown() override { clock.advance(120); }

    std::shared_ptr<const LLMProvider> anthropic()
    {
        return std::make_shared<AnthropicProvider>(QStringLiteral("claude-haiku-4-5"),
                                                   QUrl(QString::fromLatin1(server.baseUrl() + "/v1/messages")));
    }
    std::shared_ptr<const LLMProvider> openAI(const QByteArray &path = "/v1/")
    {
        return std::make_shared<OpenAICompatibleProvider>(QUrl(QString::fromLatin1(server.baseUrl() + path)),
                                                          QStringLiteral("llama3"));
    }
    QString complete(std::shared_ptr<const LLMProvider> provider)
    {
        return waitForTask(client.complete(request, std::move(provider)));
    }
    std::optional<LLMError> failureOf(std::shared_ptr<const LLMProvider> provider)
    {
        return llmErrorOf([&] { complete(std::move(provider)); });
    }

    FakeClock clock;
    NetworkAccessTransport transport;
    bool offline = false;
    std::optional<QString> key = QStringLiteral("sk-ant-test-0123");
    LLMClient client { transport, clock, [this] { return offline; },
                       [this]() -> QCoro::Task<std::optional<QString>> {
                           std::optional<QString> current = key;
                           co_return current;
                       } };
    LLMRequest request { QStringLiteral("You clean up."), QStringLiteral("hello world"), 1024, 0.2,
                         std::chrono::milliseconds(3000) };
    QByteArray answerBody = anthropicAnswer;
    int answerStatus = 200;
    LocalHttpServer server { [this](const HttpRequest &, HttpExchange &exchange) {
        exchange.respond(answerStatus, answerBody, { { "Content-Type", "application/json" } });
    } };
};

TEST_F(LLMHttpTest, AnthropicSendsTheExactRequest)
{
    EXPECT_EQ(complete(anthropic()), QStringLiteral("Hello, world."));

    ASSERT_EQ(server.requests().size(), 1u);
    const HttpRequest &sent = server.requests()[0];
    EXPECT_EQ(sent.method, "POST");
    EXPECT_EQ(sent.path, "/v1/messages");
    EXPECT_EQ(sent.header("x-api-key"), "sk-ant-test-0123");
    EXPECT_EQ(sent.header("anthropic-version"), "2023-06-01");
    EXPECT_EQ(sent.header("content-type"), "application/json");
    EXPECT_FALSE(sent.headers.contains("authorization"));
    const QJsonObject expected {
        { QStringLiteral("model"), QStringLiteral("claude-haiku-4-5") },
        { QStringLiteral("max_tokens"), 1024 },
        { QStringLiteral("system"), QStringLiteral("You clean up.") },
        { QStringLiteral("messages"),
          QJsonArray { QJsonObject { { QStringLiteral("role"), QStringLiteral("user") },
                                     { QStringLiteral("content"), QStringLiteral("hello world") } } } },
    };
    EXPECT_EQ(QJsonDocument::fromJson(sent.body).object(), expected) << sent.body.toStdString();
}

TEST_F(LLMHttpTest, OpenAICompatibleSendsTheExactRequest)
{
    answerBody = openAIAnswer;
    key = QStringLiteral(" sk-open ");
    EXPECT_EQ(complete(openAI("/v1//")), QStringLiteral("Hello, world."));

    ASSERT_EQ(server.requests().size(), 1u);
    const HttpRequest &sent = server.requests()[0];
    EXPECT_EQ(sent.method, "POST");
    EXPECT_EQ(sent.path, "/v1/chat/completions");
    EXPECT_EQ(sent.header("content-type"), "application/json");
    EXPECT_EQ(sent.header("authorization"), "Bearer sk-open");
    EXPECT_FALSE(sent.headers.contains("x-api-key"));
    const QJsonObject expected {
        { QStringLiteral("model"), QStringLiteral("llama3") },
        { QStringLiteral("max_tokens"), 1024 },
        { QStringLiteral("temperature"), 0.2 },
        { QStringLiteral("messages"),
          QJsonArray { QJsonObject { { QStringLiteral("role"), QStringLiteral("system") },
                                     { QStringLiteral("content"), QStringLiteral("You clean up.") } },
                       QJsonObject { { QStringLiteral("role"), QStringLiteral("user") },
                                     { QStringLiteral("content"), QStringLiteral("hello world") } } } },
    };
    EXPECT_EQ(QJsonDocument::fromJson(sent.body).object(), expected) << sent.body.toStdString();
}

TEST_F(LLMHttpTest, LocalServerWithoutAKeyGetsNoAuthorization)
{
    answerBody = openAIAnswer;
    key.reset();
    EXPECT_EQ(complete(openAI()), QStringLiteral("Hello, world."));
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_FALSE(server.requests()[0].headers.contains("authorization"));
}

struct StatusCase
{
    const char *name;
    int status;
    LLMError error;
};

class LLMHttpStatusTest : public LLMHttpTest, public ::testing::WithParamInterface<StatusCase>
{
};

TEST_P(LLMHttpStatusTest, NonSuccessStatusesBecomeErrorsForBothProviders)
{
    answerStatus = GetParam().status;
    answerBody = R"({"error":{"type":"x","message":"no"}})";
    const auto anthropicError = failureOf(anthropic());
    const auto openAIError = failureOf(openAI());
    ASSERT_TRUE(anthropicError && openAIError);
    EXPECT_EQ(*anthropicError, GetParam().error) << anthropicError->logDescription().toStdString();
    EXPECT_EQ(*openAIError, GetParam().error) << openAIError->logDescription().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Statuses, LLMHttpStatusTest,
                         ::testing::Values(StatusCase { "Unauthorized", 401, LLMError(LLMError::Case::unauthorized) },
                                           StatusCase { "Forbidden", 403, LLMError(LLMError::Case::unauthorized) },
                                           StatusCase { "NotFound", 404, LLMError::http(404) },
                                           StatusCase { "TooManyRequests", 429, LLMError::http(429) },
                                           StatusCase { "ServerError", 500, LLMError::http(500) },
                                           StatusCase { "Overloaded", 529, LLMError::http(529) }),
                         [](const auto &info) { return std::string(info.param.name); });

struct BodyCase
{
    const char *name;
    QByteArray raw; // everything the server sends before closing
};

class LLMHttpBodyTest : public LLMHttpTest, public ::testing::WithParamInterface<BodyCase>
{
};

TEST_P(LLMHttpBodyTest, UnreadableAnswersAreMalformed)
{
    server.setHandler([raw = GetParam().raw](const HttpRequest &, HttpExchange &exchange) {
        exchange.sendRaw(raw);
        exchange.close();
    });
    const auto error = failureOf(anthropic());
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->errorCase(), LLMError::Case::malformedResponse) << error->logDescription().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, LLMHttpBodyTest,
    ::testing::Values(
        BodyCase { "Empty", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\nConnection: close\r\n\r\n" },
        BodyCase { "Html",
                   "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 13\r\nConnection: close\r\n\r\n"
                   "<html></html>" },
        BodyCase { "NoTextBlock",
                   "HTTP/1.1 200 OK\r\nContent-Length: 14\r\nConnection: close\r\n\r\n{\"content\":[]}" },
        BodyCase { "CutShortByClose", "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n{\"content\":[{\"type\":\"te" }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(LLMHttpTest, ServerThatHangsUpIsUnreachable)
{
    server.setHandler([](const HttpRequest &, HttpExchange &exchange) { exchange.close(); });
    const auto error = failureOf(openAI());
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->errorCase(), LLMError::Case::transportFailed);
}

TEST_F(LLMHttpTest, NobodyListeningIsUnreachable)
{
    quint16 closedPort = 0;
    {
        LocalHttpServer gone([](const HttpRequest &, HttpExchange &) {});
        closedPort = gone.port();
    }
    const auto provider = std::make_shared<OpenAICompatibleProvider>(
        QUrl(QStringLiteral("http://127.0.0.1:%1/v1").arg(closedPort)), QStringLiteral("m"));
    const auto error = failureOf(provider);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->errorCase(), LLMError::Case::transportFailed);
}

TEST_F(LLMHttpTest, ServerThatNeverAnswersTimesOutAndTheConnectionIsClosed)
{
    server.setHandler([](const HttpRequest &, HttpExchange &) {});
    auto task = client.complete(request, anthropic());
    ASSERT_TRUE(pumpUntil([&] { return server.requests().size() == 1; }));
    EXPECT_EQ(server.openConnections(), 1);

    clock.advance(2.999);
    QCoreApplication::processEvents();
    EXPECT_FALSE(task.isReady());

    clock.advance(0.001);
    const auto error = llmErrorOf([&] { waitForTask(std::move(task)); });
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->errorCase(), LLMError::Case::timedOut);
    // The exchange was really stopped: the client closed its connection.
    EXPECT_TRUE(pumpUntil([&] { return server.openConnections() == 0; }));
}

TEST_F(LLMHttpTest, CancellationClosesTheConnection)
{
    server.setHandler([](const HttpRequest &, HttpExchange &) {});
    auto cancellation = std::make_shared<RequestCancellation>();
    auto task = client.complete(request, openAI(), cancellation);
    ASSERT_TRUE(pumpUntil([&] { return server.openConnections() == 1 && server.requests().size() == 1; }));

    cancellation->cancel();
    const auto error = llmErrorOf([&] { waitForTask(std::move(task)); });
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->errorCase(), LLMError::Case::transportFailed);
    EXPECT_TRUE(pumpUntil([&] { return server.openConnections() == 0; }));
}

TEST_F(LLMHttpTest, OfflineOnlyAndMissingConfigurationNeverConnect)
{
    offline = true;
    EXPECT_EQ(failureOf(anthropic())->errorCase(), LLMError::Case::offline);
    EXPECT_EQ(failureOf(openAI())->errorCase(), LLMError::Case::offline);
    offline = false;
    EXPECT_EQ(failureOf(nullptr)->errorCase(), LLMError::Case::notConfigured);
    key = QStringLiteral("  ");
    EXPECT_EQ(failureOf(anthropic())->errorCase(), LLMError::Case::notConfigured);
    QCoreApplication::processEvents();
    EXPECT_EQ(server.connectionCount(), 0);
}

} // namespace
