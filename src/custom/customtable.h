#pragma once

#include "algorithmlist.h"
#include "columnformula.h"
#include "formula.h"

#include "model/draw.h"
#include "plans/planstats.h"
#include "plans/predictiontable.h"

#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace tandor28 {

// The custom tab needs this many draws before it predicts or counts anything.
inline constexpr int kMinimumDrawsForCustom = 10;

// The three formula boxes, in box order.
using FormulaTriple = std::array<QString, 3>;

// The custom prediction table for the formulas and custom bet code `code` (1..8) over `periodCount`
// judged rows. Grid row 1 carries only the prediction cells (columns 4 and 5): its columns 0..2
// belong to the free plans generator and its special number is not shown on this tab.
// nullopt (the table keeps its content) when the history holds fewer than 10 draws or for a code
// the tab does not offer.
[[nodiscard]] std::optional<PredictionTable> generateCustomTable(FormulaEvaluator& evaluator,
                                                                 const DrawHistory& history,
                                                                 const FormulaTriple& formulas, int code,
                                                                 int periodCount);

// What the statistics of any formulas over a run of judged rows need from the draws, prepared once:
// the working values of every row as columns and, for every row, which custom numbers 0..27 hit
// under the bet type. Judging a row is then a bit test. Row 0 is the newest judged row.
struct CustomStatsWindow
{
    int window = 0;
    FormulaColumns columns;              // row k - 1: the prediction for position k
    std::vector<std::uint32_t> hitMasks; // bit n of hitMasks[k - 1]: the custom number n hits
};

// nullopt when the history holds fewer than 10 draws, or for a code the tab does not offer.
// Rows beyond the history read as empty draws.
[[nodiscard]] std::optional<CustomStatsWindow> prepareCustomStatsWindow(const DrawHistory& history, int code,
                                                                        int window);

// Every draw of a long series (newest first) that has six draws before it is a judged row, with
// exactly the judgement of the custom table; a backtest of formulas over an archive. nullopt for a
// code the tab does not offer; no rows with fewer than seven draws.
[[nodiscard]] std::optional<CustomStatsWindow> prepareCustomSeries(const std::vector<Draw>& newestFirst, int code);

// The statistics of one column of custom numbers (numbers[k - 1] for the row of position k) over a
// prepared window.
[[nodiscard]] PlanStats windowStats(const CustomStatsWindow& prepared, const int* numbers);

// Statistics of three compiled formulas over a prepared window, computed column by column.
[[nodiscard]] PlanStats customStats(FormulaEvaluator& evaluator, const CustomStatsWindow& prepared,
                                    const std::array<const CompiledFormula*, 3>& formulas);
[[nodiscard]] PlanStats customStats(ColumnScratch& scratch, FormulaEvaluator& evaluator,
                                    const CustomStatsWindow& prepared,
                                    const std::array<const CompiledFormula*, 3>& formulas);

// The same statistics computed one row at a time, as the formulas were evaluated before the column
// path; kept to check and measure that path against.
[[nodiscard]] PlanStats customStatsByRows(FormulaEvaluator& evaluator, const CustomStatsWindow& prepared,
                                          const std::array<const CompiledFormula*, 3>& formulas);

// The statistics of three formulas for code `code` over the `window` newest draws; nullopt (the
// caller's record stays as it was) when the history holds fewer than 10 draws.
[[nodiscard]] std::optional<PlanStats> evaluateCustomAlgorithm(FormulaEvaluator& evaluator, const DrawHistory& history,
                                                               const FormulaTriple& formulas, int code, int window);

// What the accuracy column of a saved algorithm with a refused formula shows.
inline const QString kRefusedStats = QStringLiteral("已拒绝");

// Recomputes the statistics columns of every saved algorithm (accuracy, win streak, loss streak as
// decimal texts) for code `code` over `window`. One record serves the whole pass: with fewer than
// 10 draws nothing is evaluated and every item shows 0. An item with a formula outside the language
// gets its refusal and kRefusedStats, and is not evaluated.
void refreshAlgorithmStats(FormulaEvaluator& evaluator, const DrawHistory& history,
                           std::vector<CustomAlgorithm>& algorithms, int code, int window);

} // namespace tandor28
