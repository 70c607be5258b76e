#pragma once

#include "model/rgb.h"

#include <QString>

class QTableWidget;
class QTableWidgetItem;

namespace tandor28 {

// A rectangle of cells, rows and columns inclusive. Parts beyond the table are clipped away.
struct CellRange
{
    int firstRow = 0;
    int firstColumn = 0;
    int lastRow = 0;
    int lastColumn = 0;
};

// Turns a QTableWidget into a grid whose row 0 is the header row: built-in headers hidden, no
// editing, every cell an item. Cell styles below are remembered, so rows added later by
// setGridRowCount() get the same look as the rows that existed when the style was applied.
void setUpGrid(QTableWidget* table, int rowCount, int columnCount);
void setGridRowCount(QTableWidget* table, int rowCount);

void styleTextColour(QTableWidget* table, CellRange range, Rgb colour);
void styleBackground(QTableWidget* table, CellRange range, Rgb colour);
void styleCentred(QTableWidget* table, CellRange range);
void styleBold(QTableWidget* table, CellRange range);
void styleFontHeight(QTableWidget* table, CellRange range, int pixels);

// Cell access for writers: a cell outside the table is ignored (reads give the empty text).
// Writers change the existing item so that its styling stays.
[[nodiscard]] QTableWidgetItem* gridCell(QTableWidget* table, int row, int column);
void setCellText(QTableWidget* table, int row, int column, const QString& text);
[[nodiscard]] QString cellText(const QTableWidget* table, int row, int column);
void setCellTextColour(QTableWidget* table, int row, int column, Rgb colour);
void setCellBackground(QTableWidget* table, int row, int column, Rgb colour);

[[nodiscard]] Rgb cellTextColour(const QTableWidget* table, int row, int column);
[[nodiscard]] Rgb cellBackground(const QTableWidget* table, int row, int column);

} // namespace tandor28
