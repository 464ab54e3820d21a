#pragma once

#include <QString>
#include <QTableWidget>
#include <initializer_list>

namespace pelmo {

// A grid cell, created on first use (a grid starts without items).
QTableWidgetItem* gridCell(QTableWidget* grid, int row, int column);
void setGridCell(QTableWidget* grid, int row, int column, const QString& text);
QString gridCellText(const QTableWidget* grid, int row, int column);

// Marks the first `fixedRows` rows and `fixedColumns` columns as headers and fills every
// other cell with an empty item.
void prepareFixedGrid(QTableWidget* grid, int fixedRows, int fixedColumns);

// Column widths as fractions of the grid's inner width (plus `extra` pixels each, the last
// column taking the rest); the rows share the grid's height.
void fitGridColumns(QTableWidget* grid, std::initializer_list<double> columns, int extra = 0);

}  // namespace pelmo
