#pragma once

#include <QString>
#include <QTableWidget>
#include <initializer_list>

namespace pelmo {

// A grid cell, created on first use; cells of the fixed rows and columns look like
// headers and cannot be edited.
QTableWidgetItem* busCell(QTableWidget* grid, int row, int column);
void setBusCell(QTableWidget* grid, int row, int column, const QString& text);
QString busCellText(const QTableWidget* grid, int row, int column);

// Marks the first `fixedRows` rows and `fixedColumns` columns as headers and fills every
// other cell with an empty item.
void prepareBusGrid(QTableWidget* grid, int fixedRows, int fixedColumns);

// Column widths as fractions of the grid's inner width (plus `extra` pixels each, the last
// column taking the rest); the rows share the grid's height.
void fitBusGrid(QTableWidget* grid, std::initializer_list<double> columns, int extra = 0);

}  // namespace pelmo
