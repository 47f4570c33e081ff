#include "editor/icon.h"

#include <QPainter>
#include <QPainterPath>

namespace sondrel {

QPixmap DrawSondrelIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing, size > 16);
    painter.scale(size / 32.0, size / 32.0);

    // The speaker: a box and its cone.
    QPainterPath speaker;
    speaker.moveTo(3, 12);
    speaker.lineTo(9, 12);
    speaker.lineTo(17, 4);
    speaker.lineTo(17, 28);
    speaker.lineTo(9, 20);
    speaker.lineTo(3, 20);
    speaker.closeSubpath();
    painter.setPen(QPen(QColor(0, 0, 128), 2));
    painter.setBrush(QColor(0, 128, 128));
    painter.drawPath(speaker);

    // The waves, in red like a set flag.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(255, 0, 0), 2.5, Qt::SolidLine, Qt::RoundCap));
    painter.drawArc(QRectF(14, 10, 8, 12), -50 * 16, 100 * 16);
    painter.drawArc(QRectF(14, 5, 15, 22), -50 * 16, 100 * 16);
    return pixmap;
}

QIcon SondrelIcon() {
    QIcon icon;
    icon.addPixmap(DrawSondrelIcon(16));
    icon.addPixmap(DrawSondrelIcon(32));
    return icon;
}

} // namespace sondrel
