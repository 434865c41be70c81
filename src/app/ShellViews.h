#pragma once

#include "presentation/AboutPresentation.h"
#include "presentation/HUDPresentation.h"
#include "presentation/MenuBarPresentation.h"
#include "presentation/ModelSetupProgress.h"
#include "presentation/PermissionIssue.h"
#include "settings/HUDPosition.h"

#include <functional>

namespace parlowind {

// What the shell shows: the tray item, the HUD and the windows. The
// application gives Qt Widgets; tests give a recording fake.
class ShellViews
{
public:
    struct MenuHandlers
    {
        std::function<void()> onToggleEnabled;
        std::function<void()> onOpenAbout;
        std::function<void()> onQuit;
    };

    virtual ~ShellViews() = default;

    virtual void createHUD() = 0;
    virtual void createMenuBar(MenuHandlers handlers) = 0;
    virtual void createAbout(std::function<AboutPresentation()> gather) = 0;
    // `microphoneAuthorised` and `accessibilityWorks` are the same checks as the
    // start-up gates, polled by the guide's permissions step.
    virtual void createOnboarding(ModelSetupProgress &setup, std::function<bool()> microphoneAuthorised,
                                  std::function<bool()> accessibilityWorks, std::function<void()> onRetrySetup)
        = 0;

    virtual void applyMenuBar(const MenuBarPresentation &presentation) = 0;
    virtual void setEnabledItem(bool on) = 0;
    virtual void updateHUD(const HUDPresentation &presentation, HUDPosition position) = 0;
    virtual void hideHUD() = 0;

    // The permissions window: shown for an issue with both flags cleared;
    // `onRelaunch` is its relaunch button.
    virtual void showPermissions(PermissionIssue issue, std::function<void()> onRelaunch) = 0;
    virtual void setPermissionGranted() = 0;
    virtual void offerRelaunch() = 0;
    virtual void closePermissions() = 0;

    virtual void showAbout() = 0;
    virtual void showOnboarding() = 0;

    // Takes every window and the tray item down.
    virtual void tearDown() = 0;
};

} // namespace parlowind
