#include "bus/bus_grid.h"

#include <cmath>

namespace pelmo {

QTableWidgetItem* busCell(QTableWidget* grid, int row, int column) {
    QTableWidgetItem* item = grid->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        grid->setItem(row, column, item);
    }
    return item;
}

void setBusCell(QTableWidget* grid, int row, int column, const QString& text) {
    busCell(grid, row, column)->setText(text);
}

QString busCellText(const QTableWidget* grid, int row, int column) {
    const QTableWidgetItem* item = grid->item(row, column);
    return item ? item->text() : QString();
}

void prepareBusGrid(QTableWidget* grid, int fixedRows, int fixedColumns) {
    const QBrush fixed = grid->palette().button();
    for (int r = 0; r < grid->rowCount(); ++r) {
        for (int c = 0; c < grid->columnCount(); ++c) {
            QTableWidgetItem* item = busCell(grid, r, c);
            if (r < fixedRows || c < fixedColumns) {
                item->setBackground(fixed);
                item->setFlags(Qt::ItemIsEnabled);
            }
        }
    }
}

void fitBusGrid(QTableWidget* grid, std::initializer_list<double> columns, double rowDivisor,
                int rowAdjust, int extra) {
    const int width = grid->viewport()->width();
    const int height = grid->viewport()->height();
    int c = 0;
    for (double fraction : columns) {
        grid->setColumnWidth(c++, static_cast<int>(std::lround(width * fraction)) + extra);
    }
    const int row = static_cast<int>(std::lround(height / rowDivisor)) + rowAdjust;
    for (int r = 0; r < grid->rowCount(); ++r) {
        grid->setRowHeight(r, std::max(row, 12));
    }
}

}  // namespace pelmo
