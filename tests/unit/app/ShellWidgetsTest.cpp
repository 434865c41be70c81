#include "dictation/DictationState.h"
#include "ui/AboutWindow.h"
#include "ui/Icons.h"
#include "ui/MenuBarController.h"
#include "ui/OnboardingWindow.h"
#include "ui/PermissionsWindow.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

#include <gtest/gtest.h>

namespace parlowind {
namespace {

// The widgets a window shows now (its replaced contents wait for deletion).
template<typename T> T *visibleChild(QWidget *window, const QString &name)
{
    for (T *child : window->findChildren<T *>(name)) {
        if (child->isVisibleTo(window))
            return child;
    }
    return nullptr;
}

TEST(MenuBarControllerTest, MenuItemsInOrderEachCallingItsHandler)
{
    QStringList called;
    MenuBarController::Handlers handlers;
    handlers.onToggleEnabled = [&] { called << QStringLiteral("enabled"); };
    handlers.onToggleMeeting = [&] { called << QStringLiteral("meeting"); };
    handlers.onCheckForUpdates = [&] { called << QStringLiteral("updates"); };
    handlers.onOpenAbout = [&] { called << QStringLiteral("about"); };
    handlers.onOpenSettings = [&] { called << QStringLiteral("settings"); };
    handlers.onOpenMeetings = [&] { called << QStringLiteral("meetings"); };
    handlers.onOpenHistory = [&] { called << QStringLiteral("history"); };
    handlers.onQuit = [&] { called << QStringLiteral("quit"); };
    MenuBarController controller(handlers);

    QStringList titles;
    for (QAction *action : controller.menu()->actions()) {
        titles << (action->isSeparator() ? QStringLiteral("-") : action->text());
        if (!action->isSeparator())
            action->trigger();
    }
    EXPECT_EQ(
        titles,
        (QStringList { QStringLiteral("Enabled"), QStringLiteral("-"), QStringLiteral("Record meeting…"),
                       QStringLiteral("-"), QStringLiteral("Check for updates…"), QStringLiteral("-"),
                       QStringLiteral("About Parlowind"), QStringLiteral("Settings…"), QStringLiteral("Meetings…"),
                       QStringLiteral("History…"), QStringLiteral("-"), QStringLiteral("Quit Parlowind") }));
    EXPECT_EQ(called,
              (QStringList { QStringLiteral("enabled"), QStringLiteral("meeting"), QStringLiteral("updates"),
                             QStringLiteral("about"), QStringLiteral("settings"), QStringLiteral("meetings"),
                             QStringLiteral("history"), QStringLiteral("quit") }));
    EXPECT_TRUE(controller.enabledItem()->isCheckable());
}

TEST(MenuBarControllerTest, AppliesTheGivenLookOnly)
{
    MenuBarController controller({});
    const MenuBarPresentation look = MenuBarPresentation::preparing(0.5);
    controller.apply(look);
    EXPECT_EQ(controller.presentation(), look);
    // Trigger toggles the check mark; the controller leaves it to the shell.
    controller.enabledItem()->setChecked(false);
    controller.apply(MenuBarPresentation::preparing(0.6));
    EXPECT_FALSE(controller.enabledItem()->isChecked());
}

TEST(IconsTest, EveryTraySymbolHasAnIcon)
{
    std::vector<MenuBarPresentation> looks { MenuBarPresentation::preparing(0.5) };
    const std::vector<DictationState> states { DictationState::idle(),
                                               DictationState::recording(),
                                               DictationState::transcribing(),
                                               DictationState::listening(true),
                                               DictationState::cancelled(DictationCancelReason::noSpeech),
                                               DictationState::failed(QStringLiteral("x")) };
    for (const DictationState &state : states) {
        looks.push_back(MenuBarPresentation::make(state, true));
        looks.push_back(MenuBarPresentation::make(state, false));
    }
    for (const MenuBarPresentation &look : looks)
        EXPECT_FALSE(Icons::symbol(look.symbolName, Qt::black).isNull()) << look.symbolName.toStdString();
    EXPECT_FALSE(Icons::symbol(QStringLiteral("cloud"), Qt::black).isNull());
    EXPECT_FALSE(Icons::application().isNull());
    EXPECT_TRUE(Icons::symbol(QStringLiteral("no.such.symbol"), Qt::black).isNull());
}

TEST(PermissionsWindowTest, SecondIssueReusesTheWindowAndClearsTheFlags)
{
    PermissionsWindow window;
    int relaunches = 0;
    window.show(PermissionIssue::microphoneDenied, [&] { ++relaunches; });
    QWidget *first = window.window();
    window.setOfferRelaunch();
    window.setGranted();
    ASSERT_NE(first, nullptr);
    // Granted wins over the relaunch offer; the primary button is disabled.
    EXPECT_EQ(visibleChild<QPushButton>(first, QStringLiteral("relaunch")), nullptr);
    EXPECT_FALSE(visibleChild<QPushButton>(first, QStringLiteral("primary"))->isEnabled());
    EXPECT_EQ(visibleChild<QLabel>(first, QStringLiteral("status"))->text(),
              QStringLiteral("Granted — starting Parlowind"));

    window.show(PermissionIssue::accessibilityMissing, [&] { ++relaunches; });
    EXPECT_EQ(window.window(), first);
    EXPECT_FALSE(window.isGranted());
    EXPECT_FALSE(window.isOfferingRelaunch());
    EXPECT_EQ(visibleChild<QLabel>(first, QStringLiteral("title"))->text(),
              PermissionGatePresentation::make(PermissionIssue::accessibilityMissing).title);

    window.setOfferRelaunch();
    QPushButton *relaunch = visibleChild<QPushButton>(first, QStringLiteral("relaunch"));
    ASSERT_NE(relaunch, nullptr);
    relaunch->click();
    EXPECT_EQ(relaunches, 1);
}

TEST(AboutWindowTest, CopyDetailsPutsTheDiagnosticsOnTheClipboard)
{
    const AboutPresentation about
        = AboutPresentation::make(QStringLiteral("0.1"), QStringLiteral("7"), QStringLiteral("debian 12"), std::nullopt,
                                  true, false, QStringLiteral("/tmp/parlowind.log"));
    int gathered = 0;
    AboutWindow window([&] {
        ++gathered;
        return about;
    });
    window.show();
    window.show();
    EXPECT_EQ(gathered, 2);
    QPushButton *copy = visibleChild<QPushButton>(window.window(), QStringLiteral("copyDetails"));
    ASSERT_NE(copy, nullptr);
    copy->click();
    EXPECT_EQ(QApplication::clipboard()->text(), about.diagnostics());
    EXPECT_EQ(copy->text(), QStringLiteral("Copied"));
    EXPECT_EQ(visibleChild<QLabel>(window.window(), QStringLiteral("Speech model"))->text(),
              QStringLiteral("not loaded"));
}

class OnboardingWindowTest : public testing::Test
{
protected:
    ModelSetupProgress setup { 1000 };
    bool microphone = false;
    bool accessibility = false;
    int retries = 0;
    OnboardingWindow window { setup,
                              { [this] { return microphone; }, [this] { return accessibility; }, {} },
                              [this] { ++retries; },
                              [] { return QStringLiteral("Right Ctrl"); } };
};

TEST_F(OnboardingWindowTest, StaysOnPermissionsUntilBothAreThere)
{
    window.show();
    microphone = true;
    window.submit();
    EXPECT_EQ(window.step(), OnboardingStep::permissions());
    accessibility = true;
    setup.setState(ModelSetupProgress::State::running(0.3));
    window.submit();
    EXPECT_EQ(window.step(), OnboardingStep::setup(0.3));
}

TEST_F(OnboardingWindowTest, FollowsTheDownloadAndOffersARetryOnFailure)
{
    microphone = accessibility = true;
    window.show();
    window.submit();
    setup.setState(ModelSetupProgress::State::running(0.5));
    EXPECT_EQ(window.step(), OnboardingStep::setup(0.5));
    EXPECT_EQ(visibleChild<QLabel>(window.window(), QStringLiteral("percent"))->text(), QStringLiteral("50%"));
    EXPECT_FALSE(visibleChild<QPushButton>(window.window(), QStringLiteral("primary"))->isEnabled());

    setup.setState(ModelSetupProgress::State::failed());
    EXPECT_EQ(window.step(), OnboardingStep::setup(0.5));
    ASSERT_NE(visibleChild<QLabel>(window.window(), QStringLiteral("failure")), nullptr);

    setup.setState(ModelSetupProgress::State::finished());
    EXPECT_EQ(window.step(), OnboardingStep::setup(1));
    window.submit();
    EXPECT_EQ(window.step(), OnboardingStep::howItWorks());
    window.submit();
    EXPECT_EQ(window.step(), OnboardingStep::done());
    window.submit();
    EXPECT_FALSE(window.window()->isVisible());
}

} // namespace
} // namespace parlowind
