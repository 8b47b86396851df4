#include "app/logo.h"

#include <QPainter>
#include <QSvgRenderer>

QPixmap appLogo(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(QStringLiteral(":/app/logo.svg"));
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}
