#include "Icons.h"

#include <QFile>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace parlowind::Icons {

namespace {

QIcon render(const QByteArray &svg)
{
    QSvgRenderer renderer(svg);
    if (!renderer.isValid())
        return {};
    QIcon icon;
    for (int side : { 16, 22, 24, 32, 48, 64 }) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QByteArray read(const QString &name)
{
    QFile file(QStringLiteral(":/icons/") + name + QStringLiteral(".svg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

QIcon symbol(const QString &name, const QColor &tint)
{
    QByteArray svg = read(name);
    if (svg.isEmpty())
        return {};
    svg.replace("currentColor", tint.name(QColor::HexRgb).toLatin1());
    return render(svg);
}

QIcon application()
{
    return render(read(QStringLiteral("parlowind")));
}

} // namespace parlowind::Icons
