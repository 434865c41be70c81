#include "injection/TieredTextInjector.h"
#include "FakeTextInjector.h"

#include <QCoro/QCoroTask>
#include <QCoro/QCoroTimer>

#include <gtest/gtest.h>

#include <stdexcept>

namespace parlowind {
namespace {

using test::FakeTextInjector;
using Kind = InjectionError::Kind;

// The application's three tiers, each scripted to fail or not.
class TieredTextInjectorTest : public ::testing::Test
{
protected:
    void build(std::function<void()> axFailure, std::function<void()> pasteFailure,
               std::function<void()> clipboardFailure)
    {
        auto axTier = std::make_unique<FakeTextInjector>(InjectionTier::ax, std::move(axFailure));
        auto pasteTier = std::make_unique<FakeTextInjector>(InjectionTier::paste, std::move(pasteFailure));
        auto clipboardTier = std::make_unique<FakeTextInjector>(InjectionTier::clipboard, std::move(clipboardFailure));
        ax = axTier.get();
        paste = pasteTier.get();
        clipboard = clipboardTier.get();
        std::vector<std::unique_ptr<TextInjecting>> tiers;
        tiers.push_back(std::move(axTier));
        tiers.push_back(std::move(pasteTier));
        tiers.push_back(std::move(clipboardTier));
        injector = std::make_unique<TieredTextInjector>(std::move(tiers));
    }

    InjectionTier inject(const QString &text) { return QCoro::waitFor(injector->inject(text, context)); }

    const FocusContext context { QStringLiteral("org.example.Editor"), QStringLiteral("Editor"), true };
    FakeTextInjector *ax = nullptr;
    FakeTextInjector *paste = nullptr;
    FakeTextInjector *clipboard = nullptr;
    std::unique_ptr<TieredTextInjector> injector;
};

TEST_F(TieredTextInjectorTest, FirstTierThatSucceedsWinsAndLaterOnesAreNotTried)
{
    build({}, {}, {});
    EXPECT_EQ(inject(QStringLiteral("hello")), InjectionTier::ax);
    EXPECT_EQ(ax->texts, QStringList { QStringLiteral("hello") });
    EXPECT_EQ(ax->contexts.value(0), context);
    EXPECT_TRUE(paste->texts.isEmpty());
    EXPECT_TRUE(clipboard->texts.isEmpty());
    EXPECT_TRUE(injector->attemptLog().isEmpty());
}

TEST_F(TieredTextInjectorTest, AccessibilityFailureFallsThroughToPaste)
{
    build(FakeTextInjector::failingWith(Kind::writeDiscarded), {}, {});
    EXPECT_EQ(inject(QStringLiteral("hello")), InjectionTier::paste);
    EXPECT_EQ(injector->attemptLog(),
              (QList<InjectionAttempt> { { InjectionTier::ax, QStringLiteral("writeDiscarded") } }));
    EXPECT_EQ(paste->texts, QStringList { QStringLiteral("hello") });
    EXPECT_TRUE(clipboard->texts.isEmpty());
}

TEST_F(TieredTextInjectorTest, EveryTierFailingGivesNoneWithEveryAttemptInOrder)
{
    build(FakeTextInjector::failingWith(Kind::axFailed, -25204), FakeTextInjector::failingWith(Kind::focusChanged),
          [] { throw std::runtime_error("clipboard owner vanished"); });
    EXPECT_EQ(inject(QStringLiteral("hello")), InjectionTier::none);
    const QList<InjectionAttempt> expected {
        { InjectionTier::ax, QStringLiteral("axFailed(-25204)") },
        { InjectionTier::paste, QStringLiteral("focusChanged") },
        { InjectionTier::clipboard, QStringLiteral("clipboard owner vanished") },
    };
    EXPECT_EQ(injector->attemptLog(), expected);
    EXPECT_EQ(TieredTextInjector::formatAttempts(expected),
              QStringLiteral("ax: axFailed(-25204) | paste: focusChanged | clipboard: clipboard owner vanished"));
}

TEST_F(TieredTextInjectorTest, EachInjectionStartsAFreshAttemptLog)
{
    bool axWorks = false;
    build(
        [&axWorks] {
            if (!axWorks)
                throw InjectionError(Kind::noFocusedElement);
        },
        {}, {});
    EXPECT_EQ(inject(QStringLiteral("one")), InjectionTier::paste);
    EXPECT_EQ(injector->attemptLog().size(), 1);
    axWorks = true;
    EXPECT_EQ(inject(QStringLiteral("two")), InjectionTier::ax);
    EXPECT_TRUE(injector->attemptLog().isEmpty());
}

TEST(TieredTextInjectorEmptyTest, NoTiersGivesNone)
{
    TieredTextInjector injector({});
    EXPECT_EQ(QCoro::waitFor(injector.inject(QStringLiteral("hello"), FocusContext::unknown())), InjectionTier::none);
    EXPECT_TRUE(injector.attemptLog().isEmpty());
}

// A tier that suspends (as a paste does while the target reads the
// clipboard) and then fails: the next tier runs only after it has finished.
class SuspendingInjector final : public TextInjecting
{
public:
    InjectionTier tier() const override { return InjectionTier::paste; }
    QCoro::Task<> inject(QString, FocusContext) override
    {
        auto pause = QCoro::sleepFor(std::chrono::milliseconds(1));
        co_await pause;
        finished = true;
        throw InjectionError(Kind::secureInputActive);
    }
    bool finished = false;
};

class OrderCheckingInjector final : public TextInjecting
{
public:
    explicit OrderCheckingInjector(const SuspendingInjector &before)
        : m_before(before)
    { }
    InjectionTier tier() const override { return InjectionTier::clipboard; }
    QCoro::Task<> inject(QString, FocusContext) override
    {
        ranAfterPreviousFinished = m_before.finished;
        co_return;
    }
    bool ranAfterPreviousFinished = false;

private:
    const SuspendingInjector &m_before;
};

TEST(TieredTextInjectorSuspendTest, WaitsForASuspendedTierBeforeTheNext)
{
    auto suspending = std::make_unique<SuspendingInjector>();
    auto checking = std::make_unique<OrderCheckingInjector>(*suspending);
    OrderCheckingInjector *checker = checking.get();
    std::vector<std::unique_ptr<TextInjecting>> tiers;
    tiers.push_back(std::move(suspending));
    tiers.push_back(std::move(checking));
    TieredTextInjector injector(std::move(tiers));

    EXPECT_EQ(QCoro::waitFor(injector.inject(QStringLiteral("hi"), FocusContext::unknown())), InjectionTier::clipboard);
    EXPECT_TRUE(checker->ranAfterPreviousFinished);
    EXPECT_EQ(injector.attemptLog(),
              (QList<InjectionAttempt> { { InjectionTier::paste, QStringLiteral("secureInputActive") } }));
}

} // namespace
} // namespace parlowind
