#pragma once

#include "presentation/MenuBarPresentation.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class QAction;
class QKeySequence;
class QMenu;
class QSystemTrayIcon;

namespace parlowind {

// The tray icon, its tooltip and its menu. It shows whatever presentation it
// is given and forwards each menu command to the shell; it never changes its
// own look. Where the desktop has no tray, the menu still exists (the
// commands stay reachable through the command line) but nothing is shown.
class MenuBarController final : public QObject
{
public:
    struct Handlers
    {
        std::function<void()> onToggleEnabled;
        std::function<void()> onToggleMeeting;
        std::function<void()> onCheckForUpdates;
        std::function<void()> onOpenAbout;
        std::function<void()> onOpenSettings;
        std::function<void()> onOpenMeetings;
        std::function<void()> onOpenHistory;
        std::function<void()> onQuit;
    };

    explicit MenuBarController(Handlers handlers, QObject *parent = nullptr);
    ~MenuBarController() override;

    void apply(const MenuBarPresentation &presentation);
    const MenuBarPresentation &presentation() const { return m_presentation; }

    QAction *enabledItem() const { return m_enabledItem; }
    QAction *meetingItem() const { return m_meetingItem; }
    QAction *updateItem() const { return m_updateItem; }
    QMenu *menu() const { return m_menu.get(); }

    // Whether a tray is there to show the icon in.
    bool isShown() const;

private:
    QAction *addItem(const QString &title, const std::function<void()> &handler, const QKeySequence &shortcut);

    Handlers m_handlers;
    std::unique_ptr<QMenu> m_menu;
    QSystemTrayIcon *m_trayIcon = nullptr;
    QAction *m_enabledItem = nullptr;
    QAction *m_meetingItem = nullptr;
    QAction *m_updateItem = nullptr;
    MenuBarPresentation m_presentation;
};

} // namespace parlowind
