#include "polish/TranscriptPolisher.h"
#include "FakeClock.h"
#include "FakeTransport.h"
#include "polish/OpenAICompatibleProvider.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace parlowind;
using namespace parlowind::test;

namespace {

QByteArray answer(const QString &text)
{
    QJsonObject message { { QStringLiteral("content"), text } };
    QJsonObject choice { { QStringLiteral("message"), message } };
    return QJsonDocument(QJsonObject { { QStringLiteral("choices"), QJsonArray { choice } } }).toJson();
}

class TranscriptPolisherTest : public ::testing::Test
{
protected:
    void TearDown() override { clock.advance(120); }

    QString polish(const QString &text) { return QCoro::waitFor(polisher.polish(text)); }

    FakeClock clock;
    FakeTransport transport;
    bool offline = false;
    LLMClient client { transport, clock, [this] { return offline; }, LLMClient::KeyLookup() };
    std::shared_ptr<const LLMProvider> provider = std::make_shared<OpenAICompatibleProvider>(
        QUrl(QStringLiteral("http://127.0.0.1:1/v1")), QStringLiteral("m"));
    TranscriptPolisher polisher {
        client, provider, [this] { return offline; }, PolishSanityCheck(2.0), 1024, std::chrono::milliseconds(2500)
    };
};

TEST_F(TranscriptPolisherTest, SendsThePromptAndReturnsTheTrimmedAnswer)
{
    transport.response = { answer(QStringLiteral(" \n Hello, world. \n")), 200 };
    EXPECT_EQ(polish(QStringLiteral("hello world ")), QStringLiteral("Hello, world."));

    ASSERT_EQ(transport.requests.size(), 1u);
    const QJsonObject body = QJsonDocument::fromJson(transport.requests[0].body).object();
    const QJsonArray messages = body.value(QStringLiteral("messages")).toArray();
    EXPECT_EQ(messages[0].toObject().value(QStringLiteral("content")).toString(), TranscriptPolisher::systemPrompt);
    // The user's text goes out exactly as given.
    EXPECT_EQ(messages[1].toObject().value(QStringLiteral("content")).toString(), QStringLiteral("hello world "));
    EXPECT_EQ(body.value(QStringLiteral("max_tokens")).toInt(), 1024);
    EXPECT_DOUBLE_EQ(body.value(QStringLiteral("temperature")).toDouble(), 0.2);
    EXPECT_EQ(TranscriptPolisher::systemPrompt.size(), 288);
}

TEST_F(TranscriptPolisherTest, OfflineOnlyIsReadOnEveryCallAndSendsNothing)
{
    EXPECT_TRUE(polisher.isEnabled());
    offline = true;
    EXPECT_FALSE(polisher.isEnabled());
    EXPECT_EQ(polish(QStringLiteral("hello world")), QStringLiteral("hello world"));
    EXPECT_TRUE(transport.requests.empty());
    offline = false;
    transport.response = { answer(QStringLiteral("Hello, world.")), 200 };
    EXPECT_EQ(polish(QStringLiteral("hello world")), QStringLiteral("Hello, world."));
}

TEST_F(TranscriptPolisherTest, NoProviderOrUnconfiguredProviderSendsNothing)
{
    TranscriptPolisher none(client, nullptr, [] { return false; });
    TranscriptPolisher blank(
        client, std::make_shared<OpenAICompatibleProvider>(QUrl(QStringLiteral("http://h/v1")), QStringLiteral(" ")),
        [] { return false; });
    for (TranscriptPolisher *p : { &none, &blank }) {
        EXPECT_FALSE(p->isEnabled());
        const auto outcome = QCoro::waitFor(p->attempt(QStringLiteral("hello")));
        EXPECT_EQ(outcome.text, QStringLiteral("hello"));
        ASSERT_TRUE(outcome.failure.has_value());
        EXPECT_EQ(outcome.failure->errorCase(), LLMError::Case::notConfigured);
    }
    EXPECT_TRUE(transport.requests.empty());
}

TEST_F(TranscriptPolisherTest, BlankInputIsReturnedWithoutARequest)
{
    EXPECT_EQ(polish(QStringLiteral("  \n\t \n")), QStringLiteral("  \n\t \n"));
    EXPECT_TRUE(transport.requests.empty());
}

struct FallbackCase
{
    const char *name;
    FakeTransport::Mode mode;
    HTTPResponse response;
};

class PolisherFallbackTest : public TranscriptPolisherTest, public ::testing::WithParamInterface<FallbackCase>
{
};

TEST_P(PolisherFallbackTest, AnyFailureGivesTheInputBack)
{
    transport.mode = GetParam().mode;
    transport.response = GetParam().response;
    const QString input = QStringLiteral("ten chars!");
    auto task = polisher.polish(input);
    pumpUntil([&] { return !transport.requests.empty(); });
    clock.advance(2.5); // only a hanging exchange is still waiting
    EXPECT_EQ(QCoro::waitFor(task), input);
    EXPECT_EQ(transport.requests.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, PolisherFallbackTest,
    ::testing::Values(
        FallbackCase { "TooShort", FakeTransport::Mode::respond, { answer(QStringLiteral("four")), 200 } },
        FallbackCase { "TooLong", FakeTransport::Mode::respond, { answer(QString(21, QLatin1Char('x'))), 200 } },
        FallbackCase { "Empty", FakeTransport::Mode::respond, { answer(QStringLiteral(" \n ")), 200 } },
        FallbackCase { "Unauthorized", FakeTransport::Mode::respond, { answer(QStringLiteral("Ten chars!")), 401 } },
        FallbackCase { "ServerError", FakeTransport::Mode::respond, { answer(QStringLiteral("Ten chars!")), 500 } },
        FallbackCase { "Malformed", FakeTransport::Mode::respond, { "{\"choices\":[]}", 200 } },
        FallbackCase { "Unreachable", FakeTransport::Mode::fail, {} },
        FallbackCase { "TimedOut", FakeTransport::Mode::hang, {} }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(TranscriptPolisherTest, LengthBoundsAreInclusive)
{
    const QString input = QStringLiteral("0123456789");
    transport.response = { answer(QStringLiteral("01234")), 200 };
    EXPECT_EQ(polish(input), QStringLiteral("01234"));
    transport.response = { answer(QString(20, QLatin1Char('y'))), 200 };
    EXPECT_EQ(polish(input), QString(20, QLatin1Char('y')));
}

TEST_F(TranscriptPolisherTest, OutcomeSaysWhyNothingChanged)
{
    transport.response = { answer(QStringLiteral("x")), 200 };
    const auto rejected = QCoro::waitFor(polisher.attempt(QStringLiteral("hello world")));
    EXPECT_TRUE(rejected.rejected);
    EXPECT_FALSE(rejected.polished);
    EXPECT_FALSE(rejected.failure.has_value());

    transport.response = { "{}", 503 };
    const auto failed = QCoro::waitFor(polisher.attempt(QStringLiteral("hello world")));
    ASSERT_TRUE(failed.failure.has_value());
    EXPECT_EQ(*failed.failure, LLMError::http(503));
}

} // namespace
