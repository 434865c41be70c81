#include "MenuBarController.h"

#include "Icons.h"

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QMenu>
#include <QPalette>
#include <QSystemTrayIcon>

namespace parlowind {

MenuBarController::MenuBarController(Handlers handlers, QObject *parent)
    : QObject(parent)
    , m_handlers(std::move(handlers))
    , m_menu(std::make_unique<QMenu>())
{
    m_enabledItem = addItem(QStringLiteral("Enabled"), m_handlers.onToggleEnabled, {});
    m_enabledItem->setCheckable(true);
    m_enabledItem->setChecked(true);
    m_menu->addSeparator();
    m_meetingItem = addItem(QStringLiteral("Record meeting…"), m_handlers.onToggleMeeting, {});
    m_menu->addSeparator();
    m_updateItem = addItem(QStringLiteral("Check for updates…"), m_handlers.onCheckForUpdates, {});
    m_menu->addSeparator();
    addItem(QStringLiteral("About Parlowind"), m_handlers.onOpenAbout, {});
    addItem(QStringLiteral("Settings…"), m_handlers.onOpenSettings, QKeySequence(Qt::CTRL | Qt::Key_Comma));
    addItem(QStringLiteral("Meetings…"), m_handlers.onOpenMeetings, QKeySequence(Qt::CTRL | Qt::Key_M));
    addItem(QStringLiteral("History…"), m_handlers.onOpenHistory, QKeySequence(Qt::CTRL | Qt::Key_Y));
    m_menu->addSeparator();
    addItem(QStringLiteral("Quit Parlowind"), m_handlers.onQuit, QKeySequence(Qt::CTRL | Qt::Key_Q));

    m_trayIcon = new QSystemTrayIcon(this);
    m_trayIcon->setContextMenu(m_menu.get());
    // A left click opens the same menu: there is no main window to raise.
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            m_menu->popup(QCursor::pos());
    });
    apply({ QStringLiteral("waveform.and.mic"), QStringLiteral("Parlowind") });
    m_trayIcon->show();
}

MenuBarController::~MenuBarController() = default;

QAction *MenuBarController::addItem(const QString &title, const std::function<void()> &handler,
                                    const QKeySequence &shortcut)
{
    QAction *action = m_menu->addAction(title);
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    connect(action, &QAction::triggered, this, [handler] {
        if (handler)
            handler();
    });
    return action;
}

void MenuBarController::apply(const MenuBarPresentation &presentation)
{
    m_presentation = presentation;
    const QColor tint = QApplication::palette().color(QPalette::WindowText);
    m_trayIcon->setIcon(Icons::symbol(presentation.symbolName, tint));
    m_trayIcon->setToolTip(presentation.tooltip);
}

bool MenuBarController::isShown() const
{
    return QSystemTrayIcon::isSystemTrayAvailable() && m_trayIcon->isVisible();
}

} // namespace parlowind
