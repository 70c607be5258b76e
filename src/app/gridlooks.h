#pragma once

#include "app/gridmodel.h"

class QTableView;

namespace tandor28 {

// Where things stand in the program's grids. Row 0 of every grid is its header row; the three
// prediction grids (free plans, member plans, custom prediction) have the next issue in row 1 and
// the judged draws from row 2 on, newest first, with the draw in columns 0..2 (issue, time, result)
// and the judged prediction in columns 3..6 (special number, two prediction cells, result).
inline constexpr int kHeaderRow = 0;
inline constexpr int kNextIssueRow = 1;
inline constexpr int kFirstJudgedRow = 2;
inline constexpr int kLastDrawColumn = 2;
inline constexpr int kDrawTableColumns = 2;
inline constexpr int kPredictionTableColumns = 7;
inline constexpr int kTrendTableColumns = 9;
// The height of the character cell of the data rows that are written in bold.
inline constexpr int kDataRowFontHeight = 17;

// The looks, cell by cell:
// - every header row: white text on grey, centred;
// - draw table: its data rows centred, bold, 17 pixels high, blue (all its columns are draw columns);
// - prediction grids: every row centred; the data rows bold and 17 pixels high; the next-issue row
//   and the draw columns blue; the judged columns keep the colours the judgement gives each cell;
// - trend table: every row centred; the category cells take the colours the trend rows give them.
[[nodiscard]] CellLook drawTableLook(int row, int column);
[[nodiscard]] CellLook predictionTableLook(int row, int column);
[[nodiscard]] CellLook trendTableLook(int row, int column);

// Applies a look to a view's grid, with the header texts, column widths and header row height that
// go with it.
void styleDrawTable(QTableView* view);
void stylePredictionTable(QTableView* view);
void styleTrendTable(QTableView* view);

} // namespace tandor28
