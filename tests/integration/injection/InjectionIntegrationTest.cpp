#include "AtspiAccessibility.h"
#include "AtspiFocusCapture.h"
#include "AtspiTextElement.h"
#include "PasteKeystrokes.h"
#include "Rigs.h"
#include "TargetProcess.h"
#include "X11Clipboard.h"
#include "injection/AXInjector.h"
#include "injection/ClipboardOnlyInjector.h"
#include "injection/InjectionError.h"
#include "injection/PasteInjector.h"
#include "support/MonotonicClock.h"

#include <QCoro/QCoroTask>

#include <gtest/gtest.h>

#include <ostream>

#include <functional>
#include <memory>

using namespace parlowind;
using parlowind::test::TargetProcess;
using Kind = InjectionError::Kind;

namespace parlowind {
inline void PrintTo(const InjectionError &error, std::ostream *out)
{
    *out << error.logDescription().toStdString();
}
} // namespace parlowind

namespace {

// Table rows print as their name, which also keeps test names short.
template<typename Row>
requires requires(const Row &row)
{
    row.name;
}
void PrintTo(const Row &row, std::ostream *out)
{
    *out << row.name;
}

// The clipboard and the targets need the real X server, not the offscreen
// platform unit tests use; without a display the tests skip. Decided before
// main() creates the application.
const bool s_platformChosen = [] {
    qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("DISPLAY") ? "offscreen" : "xcb");
    return true;
}();

const QString everyScript = QStringLiteral("Grüße, café — 你好世界 👋🎉");

// A real clock whose sleep first lets a test act, as another program would
// in the middle of the wait.
class InterruptedClock final : public MonotonicClock
{
public:
    std::function<void()> duringSleep;
    double now() const override { return m_clock.now(); }
    QCoro::Task<> sleep(double seconds) override
    {
        if (duringSleep)
            duringSleep();
        auto wait = m_clock.sleep(seconds);
        co_await wait;
    }

private:
    SystemClock m_clock;
};

QCoro::Task<> recordFailure(TextInjecting *injector, QString text, FocusContext context,
                            std::optional<InjectionError> *failure)
{
    try {
        auto task = injector->inject(text, context);
        co_await task;
    } catch (const InjectionError &error) {
        *failure = error;
    }
}

std::optional<InjectionError> runInject(TextInjecting &injector, const QString &text, const FocusContext &context)
{
    std::optional<InjectionError> failure;
    QCoro::waitFor(recordFailure(&injector, text, context, &failure));
    return failure;
}

class InjectionRigTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        PARLOWIND_REQUIRE_RIG(test::hasX11(), "X server (DISPLAY)");
        PARLOWIND_REQUIRE_RIG(test::hasSessionBus(), "D-Bus session bus");
        PARLOWIND_REQUIRE_RIG(AtspiAccessibility::isBusReachable(), "AT-SPI bus (at-spi2-core)");
        ASSERT_TRUE(AtspiAccessibility::enable());
    }

    // Starts a target and waits until its focused field is visible through
    // AT-SPI (the toolkit registers a moment after its window appears).
    std::unique_ptr<TargetProcess> start(TargetProcess::Kind kind, const TargetProcess::Options &options = {},
                                         bool needsElement = true)
    {
        auto target = std::make_unique<TargetProcess>(kind, options);
        if (!target->isReady()) {
            ADD_FAILURE() << target->failure().toStdString();
            return nullptr;
        }
        if (needsElement
            && !test::waitUntil([this] { return capture.capture().hasElement; }, std::chrono::seconds(15))) {
            ADD_FAILURE() << "no focused AT-SPI element in the target";
            return nullptr;
        }
        return target;
    }

    AtspiFocusCapture capture;
    AXInjector axInjector { [this] { return std::shared_ptr<AccessibleTextElement>(capture.element()); } };
};

// --- Focus capture -----------------------------------------------------------

struct CaptureCase
{
    const char *name;
    TargetProcess::Kind kind;
    QString applicationClass;
};

class FocusCaptureTest : public InjectionRigTest, public ::testing::WithParamInterface<CaptureCase>
{
};

TEST_P(FocusCaptureTest, NamesTheTargetApplicationAndKeepsItsElement)
{
    auto target = start(GetParam().kind);
    ASSERT_TRUE(target);
    const FocusContext context = capture.capture();

    EXPECT_EQ(context.bundleIdentifier, GetParam().applicationClass);
    ASSERT_TRUE(context.appName.has_value());
    EXPECT_FALSE(context.appName->isEmpty());
    EXPECT_TRUE(context.hasElement);
    const auto element = capture.element();
    ASSERT_TRUE(element);
    EXPECT_EQ(element->processId(), target->processId());
    EXPECT_EQ(capture.frontmostApplicationId(), GetParam().applicationClass);
}

INSTANTIATE_TEST_SUITE_P(
    Targets, FocusCaptureTest,
    ::testing::Values(CaptureCase { "Qt", TargetProcess::Kind::qtLine, QStringLiteral("parlowind-qt-target") },
                      CaptureCase { "Gtk", TargetProcess::Kind::gtk, QStringLiteral("Parlowind-gtk-target") }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(InjectionRigTest, ElementIsDroppedOnceItsApplicationHasQuit)
{
    auto target = start(TargetProcess::Kind::qtLine);
    ASSERT_TRUE(target);
    const FocusContext context = capture.capture();
    ASSERT_TRUE(context.hasElement);
    target->kill();

    EXPECT_TRUE(test::waitUntil([this] { return capture.element() == nullptr; }));
    EXPECT_EQ(runInject(axInjector, QStringLiteral("late"), context), InjectionError(Kind::noFocusedElement));
}

// --- Accessibility tier --------------------------------------------------------

struct AxCase
{
    const char *name;
    TargetProcess::Kind kind;
    TargetProcess::Options options;
    QString text;
    QString expected;
};

class AxTierTest : public InjectionRigTest, public ::testing::WithParamInterface<AxCase>
{
};

TEST_P(AxTierTest, InsertsAtTheCaretOrOverTheSelectionAndContinuesAfterIt)
{
    const AxCase &row = GetParam();
    auto target = start(row.kind, row.options);
    ASSERT_TRUE(target);
    const FocusContext context = capture.capture();

    EXPECT_EQ(runInject(axInjector, row.text, context), std::nullopt);
    EXPECT_EQ(target->waitForChange(row.options.text), row.expected);

    // The caret follows the text, so the next dictation continues after it.
    const QString before = target->text();
    EXPECT_EQ(runInject(axInjector, QStringLiteral("|"), context), std::nullopt);
    const QString after = target->waitForChange(before);
    const qsizetype end = row.expected.indexOf(row.text) + row.text.size();
    EXPECT_EQ(after, QString(row.expected).insert(end, u'|'));
}

using TK = TargetProcess::Kind;
INSTANTIATE_TEST_SUITE_P(
    Rows, AxTierTest,
    ::testing::Values(AxCase { "QtLineEditAtCaret",
                               TK::qtLine,
                               { .text = QStringLiteral("ad"), .caret = 1 },
                               QStringLiteral("bc"),
                               QStringLiteral("abcd") },
                      AxCase { "QtLineEditReplacesSelection",
                               TK::qtLine,
                               { .text = QStringLiteral("say WORD now"), .selectStart = 4, .selectEnd = 8 },
                               QStringLiteral("this"),
                               QStringLiteral("say this now") },
                      AxCase { "QtLineEditEveryScript",
                               TK::qtLine,
                               { .text = QStringLiteral("<>"), .caret = 1 },
                               everyScript,
                               QStringLiteral("<") + everyScript + QStringLiteral(">") },
                      AxCase { "QtTextEditEveryScript",
                               TK::qtText,
                               { .text = QStringLiteral("x"), .caret = 1 },
                               everyScript,
                               QStringLiteral("x") + everyScript },
                      AxCase { "GtkEntryAtCaret",
                               TK::gtk,
                               { .text = QStringLiteral("ad"), .caret = 1 },
                               QStringLiteral("bc"),
                               QStringLiteral("abcd") },
                      AxCase { "GtkEntryReplacesSelection",
                               TK::gtk,
                               { .text = QStringLiteral("say WORD now"), .selectStart = 4, .selectEnd = 8 },
                               QStringLiteral("this"),
                               QStringLiteral("say this now") },
                      AxCase { "GtkEntryEveryScript",
                               TK::gtk,
                               { .text = QStringLiteral("<>"), .caret = 1 },
                               everyScript,
                               QStringLiteral("<") + everyScript + QStringLiteral(">") }),
    [](const auto &info) { return std::string(info.param.name); });

struct PasswordCase
{
    const char *name;
    TargetProcess::Kind kind;
};

class PasswordFieldTest : public InjectionRigTest, public ::testing::WithParamInterface<PasswordCase>
{
};

TEST_P(PasswordFieldTest, IsRefusedByTheAccessibilityTierAndSeenByThePasteCheck)
{
    auto target = start(GetParam().kind, { .text = QStringLiteral("hunter2"), .caret = 7 });
    ASSERT_TRUE(target);
    const FocusContext context = capture.capture();

    EXPECT_EQ(runInject(axInjector, QStringLiteral("secret"), context), InjectionError(Kind::secureInputActive));
    EXPECT_TRUE(capture.focusedElementIsPassword());
    EXPECT_EQ(target->text(), QStringLiteral("hunter2"));
}

INSTANTIATE_TEST_SUITE_P(Targets, PasswordFieldTest,
                         ::testing::Values(PasswordCase { "Qt", TK::qtPassword },
                                           PasswordCase { "Gtk", TK::gtkPassword }),
                         [](const auto &info) { return std::string(info.param.name); });

// --- Paste tier ----------------------------------------------------------------

class PasteTierTest : public InjectionRigTest
{
protected:
    void SetUp() override
    {
        InjectionRigTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_TRUE(clipboard.isAvailable());
    }

    X11Clipboard clipboard;
    // The session's own choice: XTest under the X11 rig.
    std::unique_ptr<KeystrokeSending> keystrokes = createPasteKeystrokeSender(PlatformInfo::detect());
    InterruptedClock clock;
    PasteInjector pasteInjector { { &clipboard, keystrokes.get(), &clock, PasteInjector::defaultRestoreDelay,
                                    [this] { return capture.focusedElementIsPassword(); },
                                    [this] { return capture.frontmostApplicationId(); } } };
};

TEST_F(PasteTierTest, DeliversAndPutsEveryFormatOfTheClipboardBack)
{
    TargetProcess owner(TK::clipboardOwner,
                        { .text = QStringLiteral("earlier text"), .html = QStringLiteral("<b>earlier</b>") });
    ASSERT_TRUE(owner.isReady()) << owner.failure().toStdString();
    auto target = start(TK::qtLine, { .text = QStringLiteral("[]"), .caret = 1 });
    ASSERT_TRUE(target);
    const FocusContext context = capture.capture();

    EXPECT_EQ(runInject(pasteInjector, everyScript, context), std::nullopt);
    EXPECT_EQ(target->waitForChange(QStringLiteral("[]")), QStringLiteral("[") + everyScript + QStringLiteral("]"));
    EXPECT_EQ(test::clipboardAsSeenByOthers(), QByteArray("earlier text"));
    EXPECT_EQ(test::clipboardAsSeenByOthers(QStringLiteral("text/html")), QByteArray("<b>earlier</b>"));
}

TEST_F(PasteTierTest, LeavesAClipboardChangedDuringTheWaitAlone)
{
    auto target = start(TK::qtLine);
    ASSERT_TRUE(target);
    const FocusContext context = capture.capture();
    std::unique_ptr<TargetProcess> newer;
    clock.duringSleep = [&newer] {
        newer = std::make_unique<TargetProcess>(
            TK::clipboardOwner,
            TargetProcess::Options { .text = QStringLiteral("copied meanwhile"), .html = QStringLiteral("<i>m</i>") });
    };

    EXPECT_EQ(runInject(pasteInjector, QStringLiteral("dictated"), context), std::nullopt);
    ASSERT_TRUE(newer && newer->isReady());
    EXPECT_EQ(test::clipboardAsSeenByOthers(), QByteArray("copied meanwhile"));
}

TEST_F(PasteTierTest, RefusesWhenAnotherApplicationCameToTheFront)
{
    auto first = start(TK::qtLine);
    ASSERT_TRUE(first);
    const FocusContext context = capture.capture();
    auto second = start(TK::gtk, {}, false);
    ASSERT_TRUE(second);
    const qint64 before = clipboard.changeCount();

    EXPECT_EQ(runInject(pasteInjector, QStringLiteral("dictated"), context), InjectionError(Kind::focusChanged));
    EXPECT_EQ(clipboard.changeCount(), before);
    EXPECT_EQ(first->text(), QString());
    EXPECT_EQ(second->text(), QString());
}

TEST_F(PasteTierTest, TakesOverWhenTheTargetIgnoresTheAccessibilityWrite)
{
    auto target = start(TK::gtk, { .text = QStringLiteral("ab"), .caret = 1, .ignoreInserts = 1 });
    ASSERT_TRUE(target);
    const FocusContext context = capture.capture();

    EXPECT_EQ(runInject(axInjector, QStringLiteral("X"), context), InjectionError(Kind::writeDiscarded));
    EXPECT_EQ(target->text(), QStringLiteral("ab"));
    EXPECT_EQ(runInject(pasteInjector, QStringLiteral("X"), context), std::nullopt);
    EXPECT_EQ(target->waitForChange(QStringLiteral("ab")), QStringLiteral("aXb"));
}

// --- Clipboard tier ------------------------------------------------------------

TEST_F(PasteTierTest, ClipboardTierLeavesTheTextForOtherClients)
{
    QStringList told;
    ClipboardOnlyInjector injector(&clipboard, [&told](const QString &text) { told << text; });

    EXPECT_EQ(runInject(injector, everyScript, FocusContext::unknown()), std::nullopt);
    EXPECT_EQ(QString::fromUtf8(test::clipboardAsSeenByOthers()), everyScript);
    EXPECT_EQ(told, QStringList { everyScript });
}

// --- Accessibility check --------------------------------------------------------

TEST_F(InjectionRigTest, AccessibilityCheckSeesItSwitchedOffAndOn)
{
    const auto setEnabled = [](bool on) {
        return test::runServing(QStringLiteral("gdbus"),
                                { QStringLiteral("call"), QStringLiteral("--session"), QStringLiteral("--dest"),
                                  QStringLiteral("org.a11y.Bus"), QStringLiteral("--object-path"),
                                  QStringLiteral("/org/a11y/bus"), QStringLiteral("--method"),
                                  QStringLiteral("org.freedesktop.DBus.Properties.Set"),
                                  QStringLiteral("org.a11y.Status"), QStringLiteral("IsEnabled"),
                                  on ? QStringLiteral("<true>") : QStringLiteral("<false>") });
    };
    setEnabled(false);
    EXPECT_FALSE(AtspiAccessibility::isEnabled());
    EXPECT_FALSE(AtspiAccessibility::verifyWorks());
    EXPECT_FALSE(AtspiAccessibility::problemDescription().isEmpty());

    EXPECT_TRUE(AtspiAccessibility::enable());
    EXPECT_TRUE(AtspiAccessibility::verifyWorks());
    EXPECT_TRUE(AtspiAccessibility::problemDescription().isEmpty());
}

} // namespace
