#include "WidgetShellViews.h"

#include "audio/LevelMeter.h"
#include "settings/SettingsStore.h"
#include "support/Log.h"
#include "ui/AboutWindow.h"
#include "ui/MenuBarController.h"
#include "ui/OnboardingWindow.h"
#include "ui/OverlayHUDPanel.h"
#include "ui/PermissionsWindow.h"

#include <QAction>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QGuiApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QVariantMap>

namespace parlowind {

namespace {

const QString noTrayMessage
    = QStringLiteral("This desktop has no tray, so Parlowind runs without an icon. Hold the dictation key to "
                     "dictate; `parlowind settings` changes the key and `parlowind` shows this window again.");

// Without a tray a desktop notification is the one place left to say so.
void notifyWithoutTray()
{
    QDBusMessage notify = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    notify << QStringLiteral("Parlowind") << 0U << QStringLiteral("parlowind") << QStringLiteral("Parlowind is running")
           << noTrayMessage << QStringList() << QVariantMap() << -1;
    QDBusConnection::sessionBus().call(notify, QDBus::NoBlock);
}

} // namespace

WidgetShellViews::WidgetShellViews(std::shared_ptr<LevelMeter> levelMeter)
    : m_levelMeter(std::move(levelMeter))
{ }

WidgetShellViews::~WidgetShellViews() = default;

void WidgetShellViews::createHUD()
{
    // A Wayland compositor gives a plain window the focus, which would take
    // it from the application being dictated into: there the tray alone
    // shows the state.
    if (QGuiApplication::platformName().startsWith(QStringLiteral("wayland"))) {
        log(QStringLiteral("WARNING: no HUD on Wayland — the tray icon shows what dictation is doing"));
        return;
    }
    m_hud = std::make_unique<OverlayHUDPanel>(m_levelMeter);
}

void WidgetShellViews::createMenuBar(MenuHandlers handlers)
{
    MenuBarController::Handlers menu;
    menu.onToggleEnabled = handlers.onToggleEnabled;
    menu.onOpenAbout = handlers.onOpenAbout;
    menu.onQuit = handlers.onQuit;
    m_menuBar = std::make_unique<MenuBarController>(std::move(menu));
    // Meetings, settings, history and updates have no window in this build;
    // the command line covers settings and history.
    const QStringList absent { QStringLiteral("Record meeting…"), QStringLiteral("Check for updates…"),
                               QStringLiteral("Settings…"), QStringLiteral("Meetings…"), QStringLiteral("History…") };
    for (QAction *action : m_menuBar->menu()->actions()) {
        if (absent.contains(action->text()))
            action->setEnabled(false);
    }
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        log(QStringLiteral("WARNING: no tray on this desktop — ") + noTrayMessage);
        notifyWithoutTray();
    }
}

void WidgetShellViews::createAbout(std::function<AboutPresentation()> gather)
{
    m_about = std::make_unique<AboutWindow>(std::move(gather));
}

void WidgetShellViews::createOnboarding(ModelSetupProgress &setup, std::function<bool()> microphoneAuthorised,
                                        std::function<bool()> accessibilityWorks, std::function<void()> onRetrySetup)
{
    OnboardingWindow::Checks checks { std::move(microphoneAuthorised), std::move(accessibilityWorks), {} };
    m_onboarding = std::make_unique<OnboardingWindow>(setup, std::move(checks), std::move(onRetrySetup),
                                                      [] { return SettingsStore().dictationHotkey().displayString(); });
}

void WidgetShellViews::applyMenuBar(const MenuBarPresentation &presentation)
{
    if (m_menuBar)
        m_menuBar->apply(presentation);
}

void WidgetShellViews::setEnabledItem(bool on)
{
    if (m_menuBar)
        m_menuBar->enabledItem()->setChecked(on);
}

void WidgetShellViews::updateHUD(const HUDPresentation &presentation, HUDPosition position)
{
    if (m_hud)
        m_hud->update(presentation, position);
}

void WidgetShellViews::hideHUD()
{
    if (m_hud)
        m_hud->hide();
}

void WidgetShellViews::showPermissions(PermissionIssue issue, std::function<void()> onRelaunch)
{
    if (!m_permissions)
        m_permissions = std::make_unique<PermissionsWindow>();
    m_permissions->show(issue, std::move(onRelaunch));
}

void WidgetShellViews::setPermissionGranted()
{
    if (m_permissions)
        m_permissions->setGranted();
}

void WidgetShellViews::offerRelaunch()
{
    if (m_permissions)
        m_permissions->setOfferRelaunch();
}

void WidgetShellViews::closePermissions()
{
    if (m_permissions)
        m_permissions->close();
}

void WidgetShellViews::showAbout()
{
    if (m_about)
        m_about->show();
}

void WidgetShellViews::showOnboarding()
{
    if (m_onboarding)
        m_onboarding->show();
}

void WidgetShellViews::tearDown()
{
    m_onboarding.reset();
    m_about.reset();
    m_permissions.reset();
    m_menuBar.reset();
    m_hud.reset();
}

} // namespace parlowind
