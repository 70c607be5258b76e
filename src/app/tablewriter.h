#pragma once

#include "app/gridmodel.h"

#include "model/rgb.h"
#include "plans/predictiontable.h"

#include <QStringList>

#include <array>

class QAbstractButton;
class QTableView;

namespace tandor28 {

// Writes the cells of one table row: text and, where given, text colour. Rows and columns outside
// the table are ignored.
void writeRowTexts(QTableView* table, int row, int firstColumn, const QStringList& texts);

// Copies a generated prediction table into a grid: rows[i] goes to grid row i + 1. Unwritten cells
// keep their text and unset colours keep the cell's colour; rows beyond the grid are dropped.
void writePredictionTable(QTableView* table, const PredictionTable& prediction);

// Columns 0..2 of the judged rows of a prediction grid: issue, time (HH:MM) and result text of every
// draw of the history, the newest in grid row 2.
void writeDrawColumns(QTableView* table, const DrawHistory& history);

// The number of judged rows a prediction grid can show below its header and next-issue rows.
[[nodiscard]] int judgedRowCapacity(const QTableView* table);

// Caption buttons carry a background (the selection highlight) and a caption colour (the marking)
// that change independently; each setter keeps the other colour.
void setButtonBackground(QAbstractButton* button, Rgb colour);
void setButtonCaptionColour(QAbstractButton* button, Rgb colour);
[[nodiscard]] Rgb buttonBackground(const QAbstractButton* button);
[[nodiscard]] Rgb buttonCaptionColour(const QAbstractButton* button);

} // namespace tandor28
