#pragma once

#include <QColor>
#include <QIcon>
#include <QString>

namespace parlowind::Icons {

// One of our symbol icons (resources/icons/<name>.svg) drawn in `tint`, so
// the tray and the windows follow the light or dark palette. An unknown
// name gives a null icon.
QIcon symbol(const QString &name, const QColor &tint);

// The application's own icon.
QIcon application();

} // namespace parlowind::Icons
