#include "widgets/grid_cells.h"

#include <QHeaderView>
#include <cmath>

namespace pelmo {

QTableWidgetItem* gridCell(QTableWidget* grid, int row, int column) {
    QTableWidgetItem* item = grid->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        grid->setItem(row, column, item);
    }
    return item;
}

void setGridCell(QTableWidget* grid, int row, int column, const QString& text) {
    gridCell(grid, row, column)->setText(text);
}

QString gridCellText(const QTableWidget* grid, int row, int column) {
    const QTableWidgetItem* item = grid->item(row, column);
    return item ? item->text() : QString();
}

void prepareFixedGrid(QTableWidget* grid, int fixedRows, int fixedColumns) {
    // A grid that only shows values takes no focus, so no cell looks selected.
    if (grid->selectionMode() == QAbstractItemView::NoSelection) {
        grid->setFocusPolicy(Qt::NoFocus);
    }
    const QBrush fixed = grid->palette().button();
    for (int r = 0; r < grid->rowCount(); ++r) {
        for (int c = 0; c < grid->columnCount(); ++c) {
            QTableWidgetItem* item = gridCell(grid, r, c);
            if (r < fixedRows || c < fixedColumns) {
                item->setBackground(fixed);
                item->setFlags(Qt::ItemIsEnabled);
            }
        }
    }
}

void fitGridColumns(QTableWidget* grid, std::initializer_list<double> columns, int extra) {
    // Rows share the height and the last column takes what the others leave, so the grid
    // stays filled whatever size the layout gives it.
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    grid->horizontalHeader()->setStretchLastSection(true);
    const int width = grid->viewport()->width();
    int c = 0;
    for (double fraction : columns) {
        // A column never clips its own texts; a larger font widens it.
        const int wanted = static_cast<int>(std::lround(width * fraction)) + extra;
        grid->resizeColumnToContents(c);
        grid->setColumnWidth(c, std::max(wanted, grid->columnWidth(c)));
        ++c;
    }
}

}  // namespace pelmo
