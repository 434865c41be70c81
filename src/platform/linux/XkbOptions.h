#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace parlowind::XkbOptions {

// The XKB options of the X server's keyboard ("compose:rctrl,..."), as the
// server publishes them on the root window; nothing without an X server or
// when it publishes none.
std::optional<QString> current(const QByteArray &displayName = {});

} // namespace parlowind::XkbOptions
