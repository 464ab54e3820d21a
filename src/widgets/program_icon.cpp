#include "widgets/program_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QWidget>

namespace pelmo {

QPixmap programIconPixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size;

    // Case.
    p.setPen(QPen(QColor(20, 50, 90), s / 32));
    p.setBrush(QColor(40, 90, 150));
    p.drawRoundedRect(QRectF(s * 0.04, s * 0.04, s * 0.92, s * 0.92), s * 0.16, s * 0.16);

    // Dial face.
    const QRectF dial(s * 0.16, s * 0.16, s * 0.68, s * 0.68);
    p.setPen(QPen(QColor(230, 235, 240), s / 24));
    p.setBrush(QColor(250, 250, 245));
    p.drawEllipse(dial);

    // Scale arc and pointer.
    p.setPen(QPen(QColor(200, 60, 40), s / 20, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(dial.adjusted(s * 0.08, s * 0.08, -s * 0.08, -s * 0.08), 210 * 16, -240 * 16);
    const QPointF centre = dial.center();
    p.setPen(QPen(QColor(20, 30, 40), s / 18, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre, centre + QPointF(s * 0.2, -s * 0.14));
    p.setBrush(QColor(20, 30, 40));
    p.drawEllipse(centre, s * 0.05, s * 0.05);
    return pixmap;
}

QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64}) {
        icon.addPixmap(programIconPixmap(size));
    }
    return icon;
}

void centreOnOwner(QWidget& window, const QWidget* owner) {
    if (owner == nullptr) {
        return;
    }
    const QWidget* top = owner->window();
    const QPoint ownerCentre = top->mapToGlobal(top->rect().center());
    QRect frame = window.frameGeometry();
    frame.moveCenter(ownerCentre);
    window.move(frame.topLeft());
}

}  // namespace pelmo
