#include "polish/LLMClient.h"
#include "support/BlockingWait.h"
#include "FakeClock.h"
#include "FakeTransport.h"
#include "polish/AnthropicProvider.h"
#include "polish/OpenAICompatibleProvider.h"

#include <gtest/gtest.h>

using namespace parlowind;
using namespace parlowind::test;

namespace {

class LLMClientTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        clock.advance(120); // let the time-limit watchers end
        EXPECT_EQ(client.pendingWork(), 0);
    }

    QString complete(std::shared_ptr<const LLMProvider> p, std::shared_ptr<RequestCancellation> cancel = {})
    {
        return waitForTask(client.complete(request, std::move(p), std::move(cancel)));
    }

    FakeClock clock;
    FakeTransport transport;
    bool offline = false;
    std::optional<QString> key = QStringLiteral("sk-key");
    int keyLookups = 0;
    LLMClient client { transport, clock, [this] { return offline; },
                       [this]() -> QCoro::Task<std::optional<QString>> {
                           ++keyLookups;
                           co_return key;
                       } };
    LLMRequest request { QStringLiteral("sys"), QStringLiteral("hello"), 100, 0.2, std::chrono::milliseconds(3000) };
    std::shared_ptr<const LLMProvider> openAI = std::make_shared<OpenAICompatibleProvider>(
        QUrl(QStringLiteral("http://127.0.0.1:1/v1")), QStringLiteral("m"));
    std::shared_ptr<const LLMProvider> anthropic = std::make_shared<AnthropicProvider>(QStringLiteral("m"));
};

TEST_F(LLMClientTest, ReturnsTheUntrimmedAnswerAndReadsTheKeyEachTime)
{
    transport.response = { R"({"choices":[{"message":{"content":" Fine. "}}]})", 200 };
    EXPECT_EQ(complete(openAI), QStringLiteral(" Fine. "));
    key = QStringLiteral("sk-other");
    complete(openAI);
    ASSERT_EQ(transport.requests.size(), 2u);
    EXPECT_EQ(transport.requests[0].header("authorization"), "Bearer sk-key");
    EXPECT_EQ(transport.requests[1].header("authorization"), "Bearer sk-other");
    EXPECT_EQ(keyLookups, 2);
}

TEST_F(LLMClientTest, OfflineOnlyFailsBeforeAnythingElse)
{
    offline = true;
    for (auto provider : { openAI, anthropic, std::shared_ptr<const LLMProvider>() }) {
        const auto error = llmErrorOf([&] { complete(provider); });
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->errorCase(), LLMError::Case::offline);
    }
    EXPECT_EQ(keyLookups, 0);
    EXPECT_TRUE(transport.requests.empty());
}

TEST_F(LLMClientTest, MissingOrUnconfiguredProviderSendsNothing)
{
    const auto blank = std::make_shared<AnthropicProvider>(QStringLiteral(" "));
    for (std::shared_ptr<const LLMProvider> provider :
         { std::shared_ptr<const LLMProvider>(), std::shared_ptr<const LLMProvider>(blank) }) {
        const auto error = llmErrorOf([&] { complete(provider); });
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->errorCase(), LLMError::Case::notConfigured);
    }
    EXPECT_TRUE(transport.requests.empty());
}

TEST_F(LLMClientTest, AnthropicWithoutAKeySendsNothing)
{
    key = QStringLiteral("   ");
    const auto error = llmErrorOf([&] { complete(anthropic); });
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->errorCase(), LLMError::Case::notConfigured);
    EXPECT_TRUE(transport.requests.empty());
}

TEST_F(LLMClientTest, TransportFailureIsTransportFailed)
{
    transport.mode = FakeTransport::Mode::fail;
    const auto error = llmErrorOf([&] { complete(openAI); });
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->errorCase(), LLMError::Case::transportFailed);
}

TEST_F(LLMClientTest, HttpStatusesComeThroughTheProvider)
{
    transport.response = { "{}", 429 };
    const auto error = llmErrorOf([&] { complete(openAI); });
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(*error, LLMError::http(429));
}

TEST_F(LLMClientTest, TimeLimitStopsTheExchange)
{
    transport.mode = FakeTransport::Mode::hang;
    auto task = client.complete(request, openAI);
    ASSERT_TRUE(pumpUntil([&] { return transport.hangingExchanges == 1; }));

    clock.advance(2.99);
    EXPECT_EQ(transport.hangingExchanges, 1);
    EXPECT_FALSE(task.isReady());

    clock.advance(0.02);
    const auto error = llmErrorOf([&] { waitForTask(std::move(task)); });
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->errorCase(), LLMError::Case::timedOut);
    EXPECT_EQ(transport.cancelledExchanges, 1);
    EXPECT_EQ(transport.hangingExchanges, 0);
}

TEST_F(LLMClientTest, AnswerInTimeIsNotCancelledLater)
{
    EXPECT_EQ(complete(openAI), QStringLiteral("Fine."));
    clock.advance(10);
    EXPECT_EQ(transport.cancelledExchanges, 0);
    EXPECT_EQ(client.pendingWork(), 0);
}

TEST_F(LLMClientTest, CallerCancellationStopsTheExchange)
{
    transport.mode = FakeTransport::Mode::hang;
    auto cancellation = std::make_shared<RequestCancellation>();
    auto task = client.complete(request, openAI, cancellation);
    ASSERT_TRUE(pumpUntil([&] { return transport.hangingExchanges == 1; }));

    cancellation->cancel();
    const auto error = llmErrorOf([&] { waitForTask(std::move(task)); });
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->errorCase(), LLMError::Case::transportFailed);
    EXPECT_EQ(transport.cancelledExchanges, 1);
}

TEST_F(LLMClientTest, ClientMayGoAwayWhileARequestIsInFlight)
{
    transport.mode = FakeTransport::Mode::hang;
    auto other = std::make_unique<LLMClient>(
        transport, clock, [] { return false; }, LLMClient::KeyLookup());
    auto task = other->complete(request, openAI);
    ASSERT_TRUE(pumpUntil([&] { return transport.hangingExchanges == 1; }));
    other.reset();
    clock.advance(3.0);
    const auto error = llmErrorOf([&] { waitForTask(std::move(task)); });
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->errorCase(), LLMError::Case::timedOut);
}

} // namespace
