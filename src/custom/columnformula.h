#pragma once

#include "arithmetic.h"
#include "formula.h"

#include "model/draw.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace tandor28 {

// The eighteen working values of many predictions, one column per slot: slotColumns[s][r] is working value
// s + 1 of row r. A view: the columns belong to a FormulaColumns.
struct ColumnView
{
    int rows = 0;
    std::array<const double*, 18> slotColumns{};

    // The rows first .. first + count - 1 of this view.
    [[nodiscard]] ColumnView slice(int first, int count) const;
};

// Working-value columns made from draws, newest first. Row r predicts the draw at position
// firstPosition + r. The columns of one draw digit are one array read at six offsets, so building
// them copies three digits a draw, not eighteen values a row.
struct FormulaColumns
{
    ColumnView view;
    int firstPosition = 0;
    // Bit s set when slot s holds a negative value in some row; such rows leave the column path
    // (see columnFormulaDigits).
    std::uint32_t negativeSlots = 0;
    std::array<std::vector<double>, 3> digits; // digit m + 1 of every draw read, newest first

    [[nodiscard]] int rows() const { return view.rows; }
    [[nodiscard]] WorkingValues rowValues(int row) const;

    FormulaColumns() = default;
    FormulaColumns(const FormulaColumns&) = delete; // the view points into `digits`
    FormulaColumns& operator=(const FormulaColumns&) = delete;
    FormulaColumns(FormulaColumns&&) = default;
    FormulaColumns& operator=(FormulaColumns&&) = default;
};

// Columns for the predictions of positions firstPosition .. firstPosition + rows - 1 of the history
// (position 0 is the coming issue). Positions beyond the history read as empty draws, as in
// fillCustomWorkingValues.
[[nodiscard]] FormulaColumns historyColumns(const DrawHistory& history, int firstPosition, int rows);

// Columns over a series of draws, newest first: row k predicts draws[k - 1] from draws[k] ..
// draws[k + 5], for k = 0 (the draw after the newest) .. size - 6; no rows with fewer than six draws.
[[nodiscard]] FormulaColumns seriesColumns(const std::vector<Draw>& newestFirst);

// Scratch space of the column evaluation, reused from call to call; one per thread.
class ColumnScratch
{
public:
    // The program's value in every row, computed operation by operation over whole columns with
    // the same IEEE results as evaluateArithmetic gives row by row. Valid until the next call.
    [[nodiscard]] std::span<const double> values(const ArithmeticProgram& program, const ColumnView& columns);

private:
    std::vector<double> m_buffers; // two columns per stack level
    std::vector<const double*> m_stack;
};

// The digit rule over a column: out[r] = jsNumberDigit(values[r]).
void columnDigits(std::span<const double> values, int* out);

// How many rows miss: row r misses when bit numbers[r] (0..27) of hitMasks[r] is clear.
[[nodiscard]] int countMisses(const std::uint32_t* hitMasks, const int* numbers, int rows);

// The digits of a compiled program over all rows, every row through the column path.
void programDigits(ColumnScratch& scratch, const ArithmeticProgram& program, const ColumnView& columns, int* out);

// out[r] = the digit of the formula in row r, exactly as FormulaEvaluator::digit gives it. Rows the
// compiled program cannot take (a negative value in a slot it reads, or a formula that is not pure
// arithmetic over slots) go through `rowPath` one by one.
void columnFormulaDigits(ColumnScratch& scratch, FormulaEvaluator& rowPath, const CompiledFormula& formula,
                         const FormulaColumns& columns, int* out);

// out[r] = the custom number (the sum of the three formula digits) of row r.
void columnCustomNumbers(ColumnScratch& scratch, FormulaEvaluator& rowPath,
                         const std::array<const CompiledFormula*, 3>& formulas, const FormulaColumns& columns,
                         int* out);

// The formula digit of every prediction over a long series of draws (newest first): element k is the
// digit for the draw before draws[k], k = 0 .. size - 6 (see seriesColumns).
[[nodiscard]] std::vector<int> formulaDigitsOverSeries(const CompiledFormula& formula,
                                                       const std::vector<Draw>& newestFirst);

} // namespace tandor28
