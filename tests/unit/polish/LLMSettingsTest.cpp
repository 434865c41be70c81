#include "polish/LLMSettings.h"
#include "IsolatedHome.h"
#include "polish/LLMSettingsFile.h"
#include "polish/OpenAICompatibleProvider.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace parlowind;
using Kind = LLMSettings::Kind;

namespace {

struct LoadCase
{
    const char *name;
    QByteArray json;
    LLMSettings expected;
};

LLMSettings make(bool enabled, Kind kind, QString model, QString baseURL, double timeout)
{
    LLMSettings settings;
    settings.isEnabled = enabled;
    settings.kind = kind;
    settings.model = std::move(model);
    settings.baseURL = std::move(baseURL);
    settings.timeoutSeconds = timeout;
    return settings;
}

class LLMSettingsLoadTest : public ::testing::TestWithParam<LoadCase>
{
};

TEST_P(LLMSettingsLoadTest, ReadsLeniently)
{
    EXPECT_EQ(LLMSettings::fromJson(GetParam().json), GetParam().expected);
}

const LLMSettings defaults;

INSTANTIATE_TEST_SUITE_P(
    Files, LLMSettingsLoadTest,
    ::testing::Values(
        LoadCase { "Empty", "", defaults }, LoadCase { "NotJson", "{isEnabled: true", defaults },
        LoadCase { "NotAnObject", "[true]", defaults },
        LoadCase { "OnlyEnabled", R"({"isEnabled":true})",
                   make(true, Kind::none, QStringLiteral("claude-haiku-4-5"),
                        QStringLiteral("http://127.0.0.1:11434/v1"), 3.0) },
        LoadCase {
            "Complete",
            R"({"isEnabled":true,"kind":"openAICompatible","model":"llama3","baseURL":"http://gpu:8080/v1","timeoutSeconds":7.5})",
            make(true, Kind::openAICompatible, QStringLiteral("llama3"), QStringLiteral("http://gpu:8080/v1"), 7.5) },
        LoadCase { "UnknownKindIsNone", R"({"isEnabled":true,"kind":"gemini","model":"x"})",
                   make(true, Kind::none, QStringLiteral("x"), LLMSettings::defaultBaseURL(), 3.0) },
        LoadCase { "TimeoutAsStringSpoilsTheFile", R"({"isEnabled":true,"kind":"anthropic","timeoutSeconds":"3"})",
                   defaults },
        LoadCase { "EnabledAsNumberSpoilsTheFile", R"({"isEnabled":1,"kind":"anthropic"})", defaults },
        LoadCase { "KindAsNumberSpoilsTheFile", R"({"isEnabled":true,"kind":2})", defaults },
        LoadCase { "UnknownKeysAreIgnored", R"({"kind":"anthropic","apiKey":"never read"})",
                   make(false, Kind::anthropic, LLMSettings::defaultModel(), LLMSettings::defaultBaseURL(), 3.0) }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(LLMSettingsTest, WritesEveryKeyAndReadsItBack)
{
    const LLMSettings settings
        = make(true, Kind::openAICompatible, QStringLiteral("llama3"), QStringLiteral("http://h:1/v1"), 2.5);
    const QJsonObject object = QJsonDocument::fromJson(settings.toJson()).object();
    EXPECT_EQ(object.keys(),
              (QStringList { QStringLiteral("baseURL"), QStringLiteral("isEnabled"), QStringLiteral("kind"),
                             QStringLiteral("model"), QStringLiteral("timeoutSeconds") }));
    EXPECT_EQ(object.value(QStringLiteral("kind")).toString(), QStringLiteral("openAICompatible"));
    EXPECT_EQ(LLMSettings::fromJson(settings.toJson()), settings);
}

TEST(LLMSettingsTest, TimeoutIsTruncatedToWholeMilliseconds)
{
    LLMSettings settings;
    settings.timeoutSeconds = 2.5;
    EXPECT_EQ(settings.timeout(), std::chrono::milliseconds(2500));
    settings.timeoutSeconds = 0.0019;
    EXPECT_EQ(settings.timeout(), std::chrono::milliseconds(1));
    settings.timeoutSeconds = -4;
    EXPECT_EQ(settings.timeout(), std::chrono::milliseconds(0));
    settings.timeoutSeconds = 1e300;
    EXPECT_EQ(settings.timeout(), std::chrono::milliseconds(86'400'000));
}

struct ProviderCase
{
    const char *name;
    Kind kind;
    QString model;
    QString baseURL;
    std::optional<QString> provider; // display name, or none
};

class MakeProviderTest : public ::testing::TestWithParam<ProviderCase>
{
};

TEST_P(MakeProviderTest, BuildsTheConfiguredProvider)
{
    const ProviderCase &row = GetParam();
    const auto provider = make(false, row.kind, row.model, row.baseURL, 3).makeProvider();
    if (!row.provider) {
        EXPECT_EQ(provider, nullptr);
        return;
    }
    ASSERT_NE(provider, nullptr);
    EXPECT_EQ(provider->displayName(), *row.provider);
    EXPECT_TRUE(provider->isConfigured());
}

INSTANTIATE_TEST_SUITE_P(
    Settings, MakeProviderTest,
    ::testing::Values(
        ProviderCase { "NoneGivesNothing", Kind::none, QStringLiteral("m"), LLMSettings::defaultBaseURL(), {} },
        ProviderCase { "Anthropic", Kind::anthropic, QStringLiteral(" claude "), QString(),
                       QStringLiteral("Anthropic") },
        ProviderCase { "AnthropicBlankModel", Kind::anthropic, QStringLiteral("  \t"), QString(), {} },
        ProviderCase { "OpenAI", Kind::openAICompatible, QStringLiteral("llama3"),
                       QStringLiteral(" http://127.0.0.1:11434/v1 "), QStringLiteral("OpenAI-compatible") },
        ProviderCase {
            "OpenAIBlankModel", Kind::openAICompatible, QStringLiteral(" "), LLMSettings::defaultBaseURL(), {} },
        ProviderCase { "OpenAINoScheme",
                       Kind::openAICompatible,
                       QStringLiteral("llama3"),
                       QStringLiteral("127.0.0.1:11434/v1"),
                       {} },
        ProviderCase { "OpenAIHostTakenForScheme",
                       Kind::openAICompatible,
                       QStringLiteral("llama3"),
                       QStringLiteral("localhost:11434/v1"),
                       {} },
        ProviderCase { "OpenAIEmptyBase", Kind::openAICompatible, QStringLiteral("llama3"), QStringLiteral("  "), {} },
        ProviderCase { "OpenAINotAURL",
                       Kind::openAICompatible,
                       QStringLiteral("llama3"),
                       QStringLiteral("http://exa mple/v1"),
                       {} }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(LLMSettingsTest, ProviderGetsTheTrimmedBaseAndModel)
{
    const auto provider
        = make(true, Kind::openAICompatible, QStringLiteral("\tllama3 "), QStringLiteral(" https://gpu.lan/v1/ "), 3)
              .activeProvider();
    auto *openAI = dynamic_cast<const OpenAICompatibleProvider *>(provider.get());
    ASSERT_NE(openAI, nullptr);
    EXPECT_EQ(openAI->model(), QStringLiteral("llama3"));
    EXPECT_EQ(openAI->baseURL(), QUrl(QStringLiteral("https://gpu.lan/v1/")));
}

TEST(LLMSettingsTest, ActiveProviderNeedsPolishEnabled)
{
    LLMSettings settings = make(false, Kind::anthropic, QStringLiteral("m"), QString(), 3);
    EXPECT_NE(settings.makeProvider(), nullptr);
    EXPECT_EQ(settings.activeProvider(), nullptr);
    settings.isEnabled = true;
    EXPECT_NE(settings.activeProvider(), nullptr);
}

TEST(LLMSettingsTest, StatusSummaries)
{
    using Status = LLMSettings::PolishStatus;
    LLMSettings settings = make(false, Kind::anthropic, QStringLiteral(" claude-x "), QString(), 3);
    // Off wins over offline-only.
    EXPECT_EQ(settings.status(true).status, Status::Case::disabled);
    EXPECT_EQ(settings.status(true).summary(), QStringLiteral("Off — enable AI polish to use it"));
    settings.isEnabled = true;
    EXPECT_EQ(settings.status(true).summary(), QStringLiteral("Off — “Offline only” is on in General"));
    const Status active = settings.status(false);
    EXPECT_TRUE(active.isActive());
    EXPECT_EQ(active.summary(), QStringLiteral("On — Anthropic (claude-x)"));
    settings.kind = Kind::none;
    EXPECT_EQ(settings.status(false).summary(), QStringLiteral("Off — finish the configuration below"));
    EXPECT_FALSE(settings.status(false).isActive());
}

TEST(LLMSettingsTest, KindsInTheirOrderWithTheirNames)
{
    QStringList raw, accounts;
    for (Kind kind : LLMSettings::allKinds) {
        raw << LLMSettings::rawValue(kind);
        accounts << LLMSettings::keychainAccount(kind);
        EXPECT_EQ(LLMSettings::kindFromRawValue(LLMSettings::rawValue(kind)), kind);
    }
    EXPECT_EQ(
        raw, (QStringList { QStringLiteral("none"), QStringLiteral("anthropic"), QStringLiteral("openAICompatible") }));
    EXPECT_EQ(accounts, (QStringList { QString(), QStringLiteral("anthropic"), QStringLiteral("openai-compatible") }));
    EXPECT_TRUE(LLMSettings::needsAPIKey(Kind::anthropic));
    EXPECT_FALSE(LLMSettings::needsAPIKey(Kind::openAICompatible));
    EXPECT_TRUE(LLMSettings::needsBaseURL(Kind::openAICompatible));
}

class LLMSettingsFileTest : public parlowind::test::IsolatedTest
{
};

TEST_F(LLMSettingsFileTest, MissingFileGivesDefaultsAndSaveCreatesTheFolder)
{
    const LLMSettingsFile file;
    EXPECT_TRUE(file.path().endsWith(QStringLiteral("/Parlowind/llm.json")));
    EXPECT_TRUE(file.path().startsWith(home.path()));
    EXPECT_EQ(file.load(), LLMSettings {});

    const LLMSettings settings = make(true, Kind::anthropic, QStringLiteral("m"), QStringLiteral("http://x/v1"), 4);
    file.save(settings);
    EXPECT_EQ(file.load(), settings);
    EXPECT_EQ(QDir(QFileInfo(file.path()).absolutePath()).entryList(QDir::Files),
              QStringList { QStringLiteral("llm.json") });
}

TEST_F(LLMSettingsFileTest, UnwritableFolderIsAnError)
{
    QFile blocker(home.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const LLMSettingsFile file(home.filePath(QStringLiteral("blocker/llm.json")));
    EXPECT_THROW(file.save(LLMSettings {}), LLMSettingsFileError);
    EXPECT_EQ(file.load(), LLMSettings {});
}

} // namespace
