#include "dictation/TranscriptDelivery.h"
#include "FakeTextInjector.h"
#include "LogCapture.h"
#include "history/HistoryRecording.h"
#include "injection/TieredTextInjector.h"

#include <QCoro/QCoroTask>

#include <gtest/gtest.h>

#include <ostream>

#include <stdexcept>

namespace parlowind {
namespace {

using test::FakeTextInjector;
using Kind = InjectionError::Kind;

class FakeHistory final : public HistoryRecording
{
public:
    void record(const HistoryEntry &entry) override
    {
        if (failing)
            throw std::runtime_error("disk full");
        entries.append(entry);
    }
    bool failing = false;
    QList<HistoryEntry> entries;
};

const QDateTime fixedNow(QDate(2025, 1, 31), QTime(14, 5, 9), Qt::UTC);
const FocusContext editor { QStringLiteral("org.example.Editor"), QStringLiteral("Editor"), true };

class TranscriptDeliveryTest : public ::testing::Test
{
protected:
    // Accessibility and paste scripted per test; the clipboard always works.
    void build(std::function<void()> axFailure = {}, std::function<void()> pasteFailure = {})
    {
        auto axTier = std::make_unique<FakeTextInjector>(InjectionTier::ax, std::move(axFailure));
        auto pasteTier = std::make_unique<FakeTextInjector>(InjectionTier::paste, std::move(pasteFailure));
        auto clipboardTier = std::make_unique<FakeTextInjector>(InjectionTier::clipboard);
        ax = axTier.get();
        paste = pasteTier.get();
        clipboard = clipboardTier.get();
        std::vector<std::unique_ptr<TextInjecting>> tiers;
        tiers.push_back(std::move(axTier));
        tiers.push_back(std::move(pasteTier));
        tiers.push_back(std::move(clipboardTier));
        injector = std::make_unique<TieredTextInjector>(std::move(tiers));
        delivery = std::make_unique<TranscriptDelivery>(history, *injector, [] { return fixedNow; });
    }

    InjectionTier deliver(const QString &text, const FocusContext &context = editor)
    {
        return QCoro::waitFor(delivery->deliver(text, context));
    }

    test::LogCapture logs;
    FakeHistory history;
    FakeTextInjector *ax = nullptr;
    FakeTextInjector *paste = nullptr;
    FakeTextInjector *clipboard = nullptr;
    std::unique_ptr<TieredTextInjector> injector;
    std::unique_ptr<TranscriptDelivery> delivery;
};

// How the text given is shaped for the target and for the history.
struct ShapeCase
{
    const char *name;
    const char *given;
    const char *injected;
    const char *recorded;
};

void PrintTo(const ShapeCase &row, std::ostream *out)
{
    *out << row.name;
}

class DeliveryShapeTest : public TranscriptDeliveryTest, public ::testing::WithParamInterface<ShapeCase>
{
};

TEST_P(DeliveryShapeTest, KeepsOneLeadingGapAndDropsTrailingWhitespace)
{
    build();
    const ShapeCase &row = GetParam();
    EXPECT_EQ(deliver(QString::fromUtf8(row.given)), InjectionTier::ax);
    EXPECT_EQ(ax->texts, QStringList { QString::fromUtf8(row.injected) });
    ASSERT_EQ(history.entries.size(), 1);
    EXPECT_EQ(history.entries.first().text, QString::fromUtf8(row.recorded));
}

const ShapeCase shapeCases[] = {
    { "Plain", "Hello there.", "Hello there.", "Hello there." },
    { "LeadingSpaceTrailingLineBreak", " hello\n", " hello", "hello" },
    { "ThreeLeadingSpaces", "   hello", " hello", "hello" },
    { "LeadingLineBreak", "\n\thello", " hello", "hello" },
    { "LeadingNoBreakSpace", "\u00a0hello", " hello", "hello" },
    { "PeriodSeparatorFirst", ". Next sentence ", ". Next sentence", ". Next sentence" },
    { "InnerLineBreaksKept", "one\ntwo\r\n", "one\ntwo", "one\ntwo" },
};

INSTANTIATE_TEST_SUITE_P(Texts, DeliveryShapeTest, ::testing::ValuesIn(shapeCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(TranscriptDeliveryTest, WhitespaceOnlyDoesNothingAtAll)
{
    build();
    for (const QString &text : { QString(), QStringLiteral("   "), QStringLiteral(" \n\t ") })
        EXPECT_EQ(deliver(text), InjectionTier::none);
    EXPECT_TRUE(ax->texts.isEmpty());
    EXPECT_TRUE(history.entries.isEmpty());
    EXPECT_TRUE(logs.lines().isEmpty());
}

TEST_F(TranscriptDeliveryTest, FirstTierSuccessIsRecordedAndLoggedWithNoFailures)
{
    build();
    EXPECT_EQ(deliver(QStringLiteral("Hello")), InjectionTier::ax);
    ASSERT_EQ(history.entries.size(), 1);
    const HistoryEntry &entry = history.entries.first();
    EXPECT_FALSE(entry.id.isNull());
    EXPECT_EQ(entry.timestamp, fixedNow);
    EXPECT_EQ(entry.appBundleIdentifier, editor.bundleIdentifier);
    EXPECT_EQ(entry.appName, editor.appName);
    EXPECT_EQ(entry.tier, QStringLiteral("ax"));
    EXPECT_EQ(logs.lines(),
              QStringList { QStringLiteral(
                  "Parlowind: injected via tier=ax target=Editor (org.example.Editor) failedTiers=[]") });

    deliver(QStringLiteral("Again"));
    ASSERT_EQ(history.entries.size(), 2);
    EXPECT_NE(history.entries.at(0).id, history.entries.at(1).id);
}

TEST_F(TranscriptDeliveryTest, AccessibilityFailureThenPasteIsRecordedAsPaste)
{
    build(FakeTextInjector::failingWith(Kind::writeDiscarded));
    EXPECT_EQ(deliver(QStringLiteral("Hello")), InjectionTier::paste);
    ASSERT_EQ(history.entries.size(), 1);
    EXPECT_EQ(history.entries.first().tier, QStringLiteral("paste"));
    EXPECT_EQ(logs.lines(),
              QStringList { QStringLiteral("Parlowind: injected via tier=paste target=Editor (org.example.Editor) "
                                           "failedTiers=[ax: writeDiscarded]") });
}

TEST_F(TranscriptDeliveryTest, AllTiersFailingIsLoggedAndRecordedAsNone)
{
    std::vector<std::unique_ptr<TextInjecting>> tiers;
    tiers.push_back(
        std::make_unique<FakeTextInjector>(InjectionTier::ax, FakeTextInjector::failingWith(Kind::noFocusedElement)));
    tiers.push_back(std::make_unique<FakeTextInjector>(InjectionTier::clipboard,
                                                       FakeTextInjector::failingWith(Kind::pasteboardUnavailable)));
    TieredTextInjector failing(std::move(tiers));
    TranscriptDelivery delivery(history, failing, [] { return fixedNow; });

    EXPECT_EQ(QCoro::waitFor(delivery.deliver(QStringLiteral("Hello"), editor)), InjectionTier::none);
    ASSERT_EQ(history.entries.size(), 1);
    EXPECT_EQ(history.entries.first().tier, QStringLiteral("none"));
    EXPECT_EQ(logs.lines(),
              QStringList { QStringLiteral("Parlowind: injected via tier=none target=Editor (org.example.Editor) "
                                           "failedTiers=[ax: noFocusedElement | clipboard: pasteboardUnavailable]") });
}

struct PartialContextCase
{
    const char *name;
    FocusContext context;
};

void PrintTo(const PartialContextCase &row, std::ostream *out)
{
    *out << row.name;
}

class PartialContextTest : public TranscriptDeliveryTest, public ::testing::WithParamInterface<PartialContextCase>
{
};

TEST_P(PartialContextTest, TargetIsUnknownAppAndHistoryKeepsWhatIsKnown)
{
    build();
    const FocusContext &context = GetParam().context;
    deliver(QStringLiteral("Hello"), context);
    ASSERT_EQ(history.entries.size(), 1);
    EXPECT_EQ(history.entries.first().appBundleIdentifier, context.bundleIdentifier);
    EXPECT_EQ(history.entries.first().appName, context.appName);
    EXPECT_EQ(logs.lines(),
              QStringList { QStringLiteral("Parlowind: injected via tier=ax target=unknown app failedTiers=[]") });
}

INSTANTIATE_TEST_SUITE_P(
    Contexts, PartialContextTest,
    ::testing::Values(PartialContextCase { "NoName", { QStringLiteral("org.example.Editor"), std::nullopt, true } },
                      PartialContextCase { "NoIdentifier", { std::nullopt, QStringLiteral("Editor"), true } },
                      PartialContextCase { "Nothing", FocusContext::unknown() }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(TranscriptDeliveryTest, HistoryFailureIsLoggedAndDeliveryGoesOn)
{
    build();
    history.failing = true;
    EXPECT_EQ(deliver(QStringLiteral("Hello")), InjectionTier::ax);
    EXPECT_EQ(ax->texts, QStringList { QStringLiteral("Hello") });
    EXPECT_EQ(logs.lines(),
              (QStringList { QStringLiteral("Parlowind: history write failed: disk full"),
                             QStringLiteral("Parlowind: injected via tier=ax target=Editor (org.example.Editor) "
                                            "failedTiers=[]") }));
}

TEST_F(TranscriptDeliveryTest, DefaultClockStampsTheCurrentTime)
{
    build();
    TranscriptDelivery withSystemClock(history, *injector);
    const QDateTime before = QDateTime::currentDateTimeUtc();
    QCoro::waitFor(withSystemClock.deliver(QStringLiteral("Hello"), editor));
    const QDateTime after = QDateTime::currentDateTimeUtc();
    ASSERT_EQ(history.entries.size(), 1);
    EXPECT_GE(history.entries.first().timestamp, before);
    EXPECT_LE(history.entries.first().timestamp, after);
}

} // namespace
} // namespace parlowind
