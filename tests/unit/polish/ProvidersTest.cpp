#include "FakeTransport.h"
#include "polish/AnthropicProvider.h"
#include "polish/LLMError.h"
#include "polish/OpenAICompatibleProvider.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <memory>

using namespace parlowind;
using parlowind::test::llmErrorOf;

namespace {

const LLMRequest request { QStringLiteral("Be brief."), QStringLiteral("hello world"), 64, 0.2,
                           std::chrono::milliseconds(3000) };

QJsonObject bodyOf(const HTTPRequest &http)
{
    return QJsonDocument::fromJson(http.body).object();
}

TEST(AnthropicProviderTest, BuildsTheMessagesRequest)
{
    const AnthropicProvider provider(QStringLiteral("claude-haiku-4-5"));
    const HTTPRequest http = provider.buildRequest(request, QStringLiteral("  sk-test\t"));

    EXPECT_EQ(http.method, "POST");
    EXPECT_EQ(http.url, QUrl(QStringLiteral("https://api.anthropic.com/v1/messages")));
    EXPECT_EQ(http.timeoutInterval, std::chrono::milliseconds(60000));
    EXPECT_EQ(http.header("x-api-key"), "sk-test");
    EXPECT_EQ(http.header("anthropic-version"), "2023-06-01");
    EXPECT_EQ(http.header("content-type"), "application/json");
    EXPECT_FALSE(http.hasHeader("authorization"));

    const QJsonObject body = bodyOf(http);
    EXPECT_EQ(body.size(), 4) << http.body.toStdString(); // no temperature
    EXPECT_EQ(body.value(QStringLiteral("model")).toString(), QStringLiteral("claude-haiku-4-5"));
    EXPECT_EQ(body.value(QStringLiteral("max_tokens")).toInt(), 64);
    EXPECT_EQ(body.value(QStringLiteral("system")).toString(), QStringLiteral("Be brief."));
    const QJsonArray messages = body.value(QStringLiteral("messages")).toArray();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].toObject(),
              (QJsonObject { { QStringLiteral("role"), QStringLiteral("user") },
                             { QStringLiteral("content"), QStringLiteral("hello world") } }));
}

TEST(AnthropicProviderTest, MissingOrBlankKeyIsNotConfigured)
{
    const AnthropicProvider provider(QStringLiteral("claude-haiku-4-5"));
    for (const std::optional<QString> &key : { std::optional<QString>(), std::optional(QStringLiteral("  \t ")) }) {
        const auto error = llmErrorOf([&] { provider.buildRequest(request, key); });
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->errorCase(), LLMError::Case::notConfigured);
    }
}

TEST(AnthropicProviderTest, BlankModelIsNotConfigured)
{
    EXPECT_FALSE(AnthropicProvider(QStringLiteral(" \t ")).isConfigured());
    EXPECT_TRUE(AnthropicProvider(QStringLiteral(" m ")).isConfigured());
}

TEST(OpenAICompatibleProviderTest, BuildsTheChatCompletionsRequest)
{
    const OpenAICompatibleProvider provider(QUrl(QStringLiteral("https://llm.example/v1")), QStringLiteral("gpt-x"));
    const HTTPRequest http = provider.buildRequest(request, QStringLiteral("sk-open "));

    EXPECT_EQ(http.method, "POST");
    EXPECT_EQ(http.url, QUrl(QStringLiteral("https://llm.example/v1/chat/completions")));
    EXPECT_EQ(http.timeoutInterval, std::chrono::milliseconds(60000));
    EXPECT_EQ(http.header("content-type"), "application/json");
    EXPECT_EQ(http.header("authorization"), "Bearer sk-open");

    const QJsonObject body = bodyOf(http);
    EXPECT_EQ(body.size(), 4);
    EXPECT_EQ(body.value(QStringLiteral("model")).toString(), QStringLiteral("gpt-x"));
    EXPECT_EQ(body.value(QStringLiteral("max_tokens")).toInt(), 64);
    EXPECT_DOUBLE_EQ(body.value(QStringLiteral("temperature")).toDouble(), 0.2);
    const QJsonArray messages = body.value(QStringLiteral("messages")).toArray();
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[0].toObject().value(QStringLiteral("role")).toString(), QStringLiteral("system"));
    EXPECT_EQ(messages[0].toObject().value(QStringLiteral("content")).toString(), QStringLiteral("Be brief."));
    EXPECT_EQ(messages[1].toObject().value(QStringLiteral("role")).toString(), QStringLiteral("user"));
    EXPECT_EQ(messages[1].toObject().value(QStringLiteral("content")).toString(), QStringLiteral("hello world"));
}

TEST(OpenAICompatibleProviderTest, WithoutAKeyNoAuthorizationIsSent)
{
    const OpenAICompatibleProvider provider(QUrl(QStringLiteral("http://127.0.0.1:11434/v1")),
                                            QStringLiteral("llama3"));
    for (const std::optional<QString> &key : { std::optional<QString>(), std::optional(QStringLiteral(" ")) })
        EXPECT_FALSE(provider.buildRequest(request, key).hasHeader("authorization"));
}

TEST(OpenAICompatibleProviderTest, TrailingSlashesOfTheBaseAreDropped)
{
    const OpenAICompatibleProvider provider(QUrl(QStringLiteral("http://127.0.0.1:11434/v1//")), QStringLiteral("m"));
    EXPECT_EQ(provider.buildRequest(request, {}).url.path(), QStringLiteral("/v1/chat/completions"));
}

TEST(OpenAICompatibleProviderTest, ABaseThatFormsNoURLIsNotConfigured)
{
    const OpenAICompatibleProvider provider(QUrl(), QStringLiteral("m"));
    const auto error = llmErrorOf([&] { provider.buildRequest(request, {}); });
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->errorCase(), LLMError::Case::notConfigured);
}

// --- Reading answers: one table for both wire formats -----------------------

enum class Wire { anthropic, openAI };

struct ResponseCase
{
    std::string name;
    Wire wire;
    int status;
    QByteArray body;
    std::optional<QString> answer; // nothing: fails with `error`
    LLMError error = LLMError(LLMError::Case::malformedResponse);
};

class ParseResponseTest : public ::testing::TestWithParam<ResponseCase>
{
};

TEST_P(ParseResponseTest, GivesTheAnswerOrTheError)
{
    const ResponseCase &row = GetParam();
    std::unique_ptr<LLMProvider> provider;
    if (row.wire == Wire::anthropic)
        provider = std::make_unique<AnthropicProvider>(QStringLiteral("m"));
    else
        provider = std::make_unique<OpenAICompatibleProvider>(QUrl(QStringLiteral("http://h/v1")), QStringLiteral("m"));

    QString answer;
    const auto error = llmErrorOf([&] { answer = provider->parseResponse(row.body, row.status); });
    if (row.answer) {
        EXPECT_FALSE(error.has_value()) << error->logDescription().toStdString();
        EXPECT_EQ(answer, *row.answer);
    } else {
        ASSERT_TRUE(error.has_value()) << "answered " << answer.toStdString();
        EXPECT_EQ(*error, row.error) << error->logDescription().toStdString();
    }
}

const QByteArray anthropicOk = R"({"content":[{"type":"text","text":" Hello. "}]})";
const QByteArray openAIOk = R"({"choices":[{"message":{"role":"assistant","content":" Hello. "}}]})";

std::vector<ResponseCase> responseCases()
{
    std::vector<ResponseCase> rows;
    for (Wire wire : { Wire::anthropic, Wire::openAI }) {
        const bool a = wire == Wire::anthropic;
        const QByteArray ok = a ? anthropicOk : openAIOk;
        const char *prefix = a ? "Anthropic" : "OpenAI";
        auto name = [prefix](const char *what) { return std::string(prefix) + what; };
        rows.push_back({ name("Success"), wire, 200, ok, QStringLiteral(" Hello. ") });
        rows.push_back({ name("Any2xx"), wire, 299, ok, QStringLiteral(" Hello. ") });
        rows.push_back({ name("Status401"), wire, 401, ok, {}, LLMError(LLMError::Case::unauthorized) });
        rows.push_back({ name("Status403"), wire, 403, ok, {}, LLMError(LLMError::Case::unauthorized) });
        rows.push_back({ name("Status404"), wire, 404, ok, {}, LLMError::http(404) });
        rows.push_back({ name("Status429"), wire, 429, ok, {}, LLMError::http(429) });
        rows.push_back({ name("Status500"), wire, 500, ok, {}, LLMError::http(500) });
        rows.push_back({ name("Status0"), wire, 0, ok, {}, LLMError::http(0) });
        rows.push_back({ name("Status199"), wire, 199, ok, {}, LLMError::http(199) });
        rows.push_back({ name("EmptyBody"), wire, 200, "", {} });
        rows.push_back({ name("NotJson"), wire, 200, "<html>busy</html>", {} });
        rows.push_back({ name("JsonArray"), wire, 200, "[]", {} });
        rows.push_back({ name("TruncatedJson"), wire, 200, ok.left(ok.size() - 3), {} });
    }
    rows.push_back(
        { "AnthropicFirstTextBlockCounts", Wire::anthropic, 200,
          R"({"content":[{"type":"tool_use","id":"x"},{"type":"text","text":"B"},{"type":"text","text":"C"}]})",
          QStringLiteral("B") });
    rows.push_back({ "AnthropicEmptyContent", Wire::anthropic, 200, R"({"content":[]})", {} });
    rows.push_back({ "AnthropicNoTextBlock", Wire::anthropic, 200, R"({"content":[{"type":"tool_use"}]})", {} });
    rows.push_back({ "AnthropicTextBlockWithoutText", Wire::anthropic, 200, R"({"content":[{"type":"text"}]})", {} });
    rows.push_back({ "AnthropicBlockWithoutType",
                     Wire::anthropic,
                     200,
                     R"({"content":[{"type":"text","text":"A"},{"text":"B"}]})",
                     {} });
    rows.push_back(
        { "AnthropicTextOfWrongType", Wire::anthropic, 200, R"({"content":[{"type":"text","text":5}]})", {} });
    rows.push_back({ "AnthropicContentMissing", Wire::anthropic, 200, R"({"type":"message"})", {} });
    rows.push_back({ "AnthropicExtraFieldsIgnored", Wire::anthropic, 200,
                     R"({"id":"m","content":[{"type":"text","text":"A","citations":[]}],"usage":{}})",
                     QStringLiteral("A") });
    rows.push_back({ "OpenAIFirstOfTwoChoices", Wire::openAI, 200,
                     R"({"choices":[{"message":{"content":"one"}},{"message":{"content":"two"}}]})",
                     QStringLiteral("one") });
    rows.push_back({ "OpenAIEmptyChoices", Wire::openAI, 200, R"({"choices":[]})", {} });
    rows.push_back({ "OpenAINullContent", Wire::openAI, 200, R"({"choices":[{"message":{"content":null}}]})", {} });
    rows.push_back(
        { "OpenAIMissingContent", Wire::openAI, 200, R"({"choices":[{"message":{"role":"assistant"}}]})", {} });
    rows.push_back({ "OpenAIMissingMessage", Wire::openAI, 200, R"({"choices":[{"text":"old style"}]})", {} });
    rows.push_back(
        { "OpenAIEmptyContentIsText", Wire::openAI, 200, R"({"choices":[{"message":{"content":""}}]})", QString() });
    return rows;
}

INSTANTIATE_TEST_SUITE_P(Bodies, ParseResponseTest, ::testing::ValuesIn(responseCases()),
                         [](const auto &info) { return info.param.name; });

} // namespace
