#pragma once

#include <QString>

#include <memory>
#include <optional>

namespace parlowind {

// The window the X11 window manager reports as active (_NET_ACTIVE_WINDOW),
// read on a connection of our own.
class X11ActiveWindow final
{
public:
    struct Info
    {
        QString applicationClass; // WM_CLASS class: the application id
        QString instanceName; // WM_CLASS instance
        QString title;
        int processId = 0; // _NET_WM_PID, 0 when not set
    };

    // Opens the display named by DISPLAY; isAvailable() is false without one.
    X11ActiveWindow();
    ~X11ActiveWindow();
    X11ActiveWindow(const X11ActiveWindow &) = delete;
    X11ActiveWindow &operator=(const X11ActiveWindow &) = delete;

    bool isAvailable() const;

    // Nothing when no window is active or it has no WM_CLASS.
    std::optional<Info> query();

private:
    struct Connection;
    std::unique_ptr<Connection> m_connection;
};

} // namespace parlowind
