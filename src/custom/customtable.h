#pragma once

#include "algorithmlist.h"
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

// What the statistics of any formulas over one window need from the history, prepared once: the
// working values of every judged row and, for every row, the verdict of each possible custom number
// 0..27 under the bet type. Judging a row is then a table look-up.
struct CustomStatsWindow
{
    int window = 0;
    std::vector<WorkingValues> values;             // values[k - 1]: prediction for position k
    std::vector<std::array<Verdict, 28>> verdicts; // verdicts[k - 1][n]
};

// nullopt when the history holds fewer than 10 draws, or for a code the tab does not offer.
// Rows beyond the history read as empty draws.
[[nodiscard]] std::optional<CustomStatsWindow> prepareCustomStatsWindow(const DrawHistory& history, int code,
                                                                        int window);

// Statistics of three compiled formulas over a prepared window.
[[nodiscard]] PlanStats customStats(FormulaEvaluator& evaluator, const CustomStatsWindow& prepared,
                                    const std::array<const CompiledFormula*, 3>& formulas);

// The statistics of three formulas for code `code` over the `window` newest draws; nullopt (the
// caller's record stays as it was) when the history holds fewer than 10 draws.
[[nodiscard]] std::optional<PlanStats> evaluateCustomAlgorithm(FormulaEvaluator& evaluator, const DrawHistory& history,
                                                               const FormulaTriple& formulas, int code, int window);

// Recomputes the statistics columns of every saved algorithm (accuracy, win streak, loss streak as
// decimal texts) for code `code` over `window`. One record serves the whole pass: with fewer than
// 10 draws nothing is evaluated and every item shows 0.
void refreshAlgorithmStats(FormulaEvaluator& evaluator, const DrawHistory& history,
                           std::vector<CustomAlgorithm>& algorithms, int code, int window);

} // namespace tandor28
