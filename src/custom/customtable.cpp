#include "customtable.h"

#include "plans/bettype.h"
#include "plans/judgement.h"

#include <algorithm>
#include <memory>

namespace tandor28 {

std::optional<PredictionTable> generateCustomTable(FormulaEvaluator& evaluator, const DrawHistory& history,
                                                   const FormulaTriple& formulas, int code, int periodCount)
{
    const std::optional<BetType> betType = customBetType(code);
    if (history.size() < kMinimumDrawsForCustom || !betType)
        return std::nullopt;
    const int n = std::max(periodCount, 0);
    const std::array<std::shared_ptr<const CompiledFormula>, 3> compiled = {
        evaluator.compiled(formulas[0]), evaluator.compiled(formulas[1]), evaluator.compiled(formulas[2])};

    PredictionTable table;
    table.predictions.reserve(static_cast<std::size_t>(n) + 1);
    for (int i = 1; i <= n + 1; ++i) {
        const WorkingValues values = fillCustomWorkingValues(history, i - 1);
        int number = 0;
        for (const auto& formula : compiled)
            number += evaluator.digit(*formula, values);
        table.predictions.push_back(predictionValues(*betType, number, history.at(i).issue));
    }

    table.rows.reserve(static_cast<std::size_t>(n) + 1);
    PredictionRow next;
    const auto [first, second] = predictionCells(*betType, table.predictions[0].a, table.predictions[0].b);
    next[4].text = first;
    next[5].text = second;
    table.rows.push_back(next);
    table.verdicts.reserve(static_cast<std::size_t>(n));
    for (int k = 1; k <= n; ++k) {
        Verdict verdict = Verdict::Miss;
        table.rows.push_back(
            judgedRow(history.at(k), *betType, table.predictions[static_cast<std::size_t>(k)], &verdict));
        table.verdicts.push_back(verdict);
    }
    return table;
}

std::optional<CustomStatsWindow> prepareCustomStatsWindow(const DrawHistory& history, int code, int window)
{
    const std::optional<BetType> betType = customBetType(code);
    if (history.size() < kMinimumDrawsForCustom || !betType)
        return std::nullopt;
    CustomStatsWindow prepared;
    prepared.window = std::max(window, 0);
    prepared.values.reserve(static_cast<std::size_t>(prepared.window));
    prepared.verdicts.reserve(static_cast<std::size_t>(prepared.window));
    for (int k = 1; k <= prepared.window; ++k) {
        prepared.values.push_back(fillCustomWorkingValues(history, k));
        const Draw& draw = history.at(k);
        const QString& sourceIssue = history.at(k + 1).issue;
        std::array<Verdict, 28> verdicts{};
        for (int number = 0; number < 28; ++number) {
            verdicts[static_cast<std::size_t>(number)] =
                judgeVerdict(*betType, predictionValues(*betType, number, sourceIssue), draw);
        }
        prepared.verdicts.push_back(verdicts);
    }
    return prepared;
}

PlanStats customStats(FormulaEvaluator& evaluator, const CustomStatsWindow& prepared,
                      const std::array<const CompiledFormula*, 3>& formulas)
{
    PlanStats stats;
    // Oldest row of the window first, so the streaks end at the newest draw.
    for (int k = prepared.window; k >= 1; --k) {
        const auto row = static_cast<std::size_t>(k - 1);
        const WorkingValues& values = prepared.values[row];
        int number = 0;
        for (const CompiledFormula* formula : formulas)
            number += evaluator.digit(*formula, values);
        countVerdict(stats, prepared.verdicts[row][static_cast<std::size_t>(number)]);
    }
    finishWindow(stats, prepared.window);
    return stats;
}

std::optional<PlanStats> evaluateCustomAlgorithm(FormulaEvaluator& evaluator, const DrawHistory& history,
                                                 const FormulaTriple& formulas, int code, int window)
{
    const std::optional<BetType> betType = customBetType(code);
    if (history.size() < kMinimumDrawsForCustom || !betType)
        return std::nullopt;
    const std::array<std::shared_ptr<const CompiledFormula>, 3> compiled = {
        evaluator.compiled(formulas[0]), evaluator.compiled(formulas[1]), evaluator.compiled(formulas[2])};
    // One set of formulas needs one verdict per row, so the rows are judged directly rather than
    // preparing every possible number.
    PlanStats stats;
    const int rows = std::max(window, 0);
    for (int k = rows; k >= 1; --k) {
        const WorkingValues values = fillCustomWorkingValues(history, k);
        int number = 0;
        for (const auto& formula : compiled)
            number += evaluator.digit(*formula, values);
        countVerdict(
            stats, judgeVerdict(*betType, predictionValues(*betType, number, history.at(k + 1).issue), history.at(k)));
    }
    finishWindow(stats, rows);
    return stats;
}

void refreshAlgorithmStats(FormulaEvaluator& evaluator, const DrawHistory& history,
                           std::vector<CustomAlgorithm>& algorithms, int code, int window)
{
    const std::optional<CustomStatsWindow> prepared = prepareCustomStatsWindow(history, code, window);
    PlanStats record;
    for (CustomAlgorithm& algorithm : algorithms) {
        if (prepared) {
            const FormulaTriple formulas = splitFormulas(algorithm.formulas);
            const std::array<std::shared_ptr<const CompiledFormula>, 3> compiled = {
                evaluator.compiled(formulas[0]), evaluator.compiled(formulas[1]), evaluator.compiled(formulas[2])};
            record = customStats(evaluator, *prepared, {compiled[0].get(), compiled[1].get(), compiled[2].get()});
        }
        algorithm.accuracy = QString::number(record.accuracy);
        algorithm.winStreak = QString::number(record.winStreak);
        algorithm.lossStreak = QString::number(record.lossStreak);
    }
}

} // namespace tandor28
