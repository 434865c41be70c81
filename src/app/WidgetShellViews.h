#pragma once

#include "ShellViews.h"

#include <QPointer>

#include <memory>

namespace parlowind {

class AboutWindow;
class LevelMeter;
class MenuBarController;
class OnboardingWindow;
class OverlayHUDPanel;
class PermissionsWindow;

// The shell's views in Qt Widgets: the tray item and its menu, the HUD and
// the three windows.
class WidgetShellViews final : public ShellViews
{
public:
    explicit WidgetShellViews(std::shared_ptr<LevelMeter> levelMeter);
    ~WidgetShellViews() override;

    void createHUD() override;
    void createMenuBar(MenuHandlers handlers) override;
    void createAbout(std::function<AboutPresentation()> gather) override;
    void createOnboarding(ModelSetupProgress &setup, std::function<bool()> microphoneAuthorised,
                          std::function<bool()> accessibilityWorks, std::function<void()> onRetrySetup) override;

    void applyMenuBar(const MenuBarPresentation &presentation) override;
    void setEnabledItem(bool on) override;
    void updateHUD(const HUDPresentation &presentation, HUDPosition position) override;
    void hideHUD() override;

    void showPermissions(PermissionIssue issue, std::function<void()> onRelaunch) override;
    void setPermissionGranted() override;
    void offerRelaunch() override;
    void closePermissions() override;

    void showAbout() override;
    void showOnboarding() override;
    void tearDown() override;

    OverlayHUDPanel *hud() const { return m_hud.get(); }

private:
    std::shared_ptr<LevelMeter> m_levelMeter;
    std::unique_ptr<OverlayHUDPanel> m_hud;
    std::unique_ptr<MenuBarController> m_menuBar;
    std::unique_ptr<PermissionsWindow> m_permissions;
    std::unique_ptr<AboutWindow> m_about;
    std::unique_ptr<OnboardingWindow> m_onboarding;
};

} // namespace parlowind
