#pragma once

#include <QIcon>
#include <QPixmap>

class QWidget;

namespace pelmo {

// The program's icon, drawn rather than shipped: a station dial with a pointer.
QPixmap programIconPixmap(int size);
QIcon programIcon();

// Places `window` over the middle of `owner` (or leaves it where it is without one).
void centreOnOwner(QWidget& window, const QWidget* owner);

}  // namespace pelmo
