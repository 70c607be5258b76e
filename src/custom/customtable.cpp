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
    // Predictions for positions 0 (the coming issue) .. n.
    const FormulaColumns columns = historyColumns(history, 0, n + 1);
    std::vector<int> numbers(static_cast<std::size_t>(n) + 1);
    ColumnScratch scratch;
    columnCustomNumbers(scratch, evaluator, {compiled[0].get(), compiled[1].get(), compiled[2].get()}, columns,
                        numbers.data());

    PredictionTable table;
    table.predictions.reserve(static_cast<std::size_t>(n) + 1);
    for (int i = 1; i <= n + 1; ++i)
        table.predictions.push_back(
            predictionValues(*betType, numbers[static_cast<std::size_t>(i - 1)], history.at(i).issue));

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

namespace {

// Bit n set when the custom number n, predicted from a draw of issue `sourceIssue`, hits `draw`.
std::uint32_t hitMask(BetType betType, const QString& sourceIssue, const Draw& draw)
{
    std::uint32_t mask = 0;
    for (int number = 0; number < 28; ++number) {
        if (judgeVerdict(betType, predictionValues(betType, number, sourceIssue), draw) == Verdict::Hit)
            mask |= 1u << number;
    }
    return mask;
}

// The judgement reads of a row only the parity of the source issue, the parity of the judged draw's
// issue and the judged draw's sum; rows alike in those share their hit mask.
class HitMasks
{
public:
    explicit HitMasks(BetType betType) : m_betType(betType) {}

    std::uint32_t of(const QString& sourceIssue, const Draw& draw)
    {
        if (draw.sum < 0 || draw.sum > 27)
            return hitMask(m_betType, sourceIssue, draw);
        const std::size_t key = (issueIsEven(sourceIssue) ? 2u : 0u) + (issueIsEven(draw.issue) ? 1u : 0u);
        std::optional<std::uint32_t>& mask = m_known[key][static_cast<std::size_t>(draw.sum)];
        if (!mask)
            mask = hitMask(m_betType, sourceIssue, draw);
        return *mask;
    }

private:
    BetType m_betType;
    std::array<std::array<std::optional<std::uint32_t>, 28>, 4> m_known{};
};

} // namespace

std::optional<CustomStatsWindow> prepareCustomStatsWindow(const DrawHistory& history, int code, int window)
{
    const std::optional<BetType> betType = customBetType(code);
    if (history.size() < kMinimumDrawsForCustom || !betType)
        return std::nullopt;
    CustomStatsWindow prepared;
    prepared.window = std::max(window, 0);
    prepared.columns = historyColumns(history, 1, prepared.window);
    prepared.hitMasks.reserve(static_cast<std::size_t>(prepared.window));
    HitMasks masks(*betType);
    for (int k = 1; k <= prepared.window; ++k)
        prepared.hitMasks.push_back(masks.of(history.at(k + 1).issue, history.at(k)));
    return prepared;
}

std::optional<CustomStatsWindow> prepareCustomSeries(const std::vector<Draw>& newestFirst, int code)
{
    const std::optional<BetType> betType = customBetType(code);
    if (!betType)
        return std::nullopt;
    CustomStatsWindow prepared;
    prepared.columns = seriesColumns(newestFirst);
    // Row 0 of the series predicts the draw after the newest, which cannot be judged yet.
    prepared.columns.view = prepared.columns.view.slice(1, prepared.columns.rows() - 1);
    prepared.columns.firstPosition = 1;
    prepared.window = prepared.columns.rows();
    prepared.hitMasks.reserve(static_cast<std::size_t>(prepared.window));
    HitMasks masks(*betType);
    for (int k = 1; k <= prepared.window; ++k) {
        const auto judged = static_cast<std::size_t>(k - 1);
        prepared.hitMasks.push_back(masks.of(newestFirst[judged + 1].issue, newestFirst[judged]));
    }
    return prepared;
}

PlanStats windowStats(const CustomStatsWindow& prepared, const int* numbers)
{
    PlanStats stats;
    const int rows = prepared.window;
    const std::uint32_t* masks = prepared.hitMasks.data();
    stats.wrong = countMisses(masks, numbers, rows);
    // The streak that ends at the newest row (row 0).
    if (rows > 0) {
        const bool newestHit = ((masks[0] >> numbers[0]) & 1u) != 0;
        int streak = 1;
        while (streak < rows && (((masks[streak] >> numbers[streak]) & 1u) != 0) == newestHit)
            ++streak;
        (newestHit ? stats.winStreak : stats.lossStreak) = streak;
    }
    finishWindow(stats, rows);
    return stats;
}

PlanStats customStats(ColumnScratch& scratch, FormulaEvaluator& evaluator, const CustomStatsWindow& prepared,
                      const std::array<const CompiledFormula*, 3>& formulas)
{
    std::vector<int> numbers(static_cast<std::size_t>(prepared.window));
    columnCustomNumbers(scratch, evaluator, formulas, prepared.columns, numbers.data());
    return windowStats(prepared, numbers.data());
}

PlanStats customStats(FormulaEvaluator& evaluator, const CustomStatsWindow& prepared,
                      const std::array<const CompiledFormula*, 3>& formulas)
{
    ColumnScratch scratch;
    return customStats(scratch, evaluator, prepared, formulas);
}

PlanStats customStatsByRows(FormulaEvaluator& evaluator, const CustomStatsWindow& prepared,
                            const std::array<const CompiledFormula*, 3>& formulas)
{
    PlanStats stats;
    // Oldest row of the window first, so the streaks end at the newest draw.
    for (int k = prepared.window; k >= 1; --k) {
        const WorkingValues values = prepared.columns.rowValues(k - 1);
        int number = 0;
        for (const CompiledFormula* formula : formulas)
            number += evaluator.digit(*formula, values);
        countVerdict(stats, ((prepared.hitMasks[static_cast<std::size_t>(k - 1)] >> number) & 1u) != 0 ? Verdict::Hit
                                                                                                       : Verdict::Miss);
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
    const int rows = std::max(window, 0);
    const FormulaColumns columns = historyColumns(history, 1, rows);
    std::vector<int> numbers(static_cast<std::size_t>(rows));
    ColumnScratch scratch;
    columnCustomNumbers(scratch, evaluator, {compiled[0].get(), compiled[1].get(), compiled[2].get()}, columns,
                        numbers.data());
    // One set of formulas needs one verdict per row, so the rows are judged directly rather than
    // preparing every possible number.
    PlanStats stats;
    for (int k = rows; k >= 1; --k) {
        const int number = numbers[static_cast<std::size_t>(k - 1)];
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
    ColumnScratch scratch;
    PlanStats record;
    for (CustomAlgorithm& algorithm : algorithms) {
        // A formula outside the language is never run: the item says so instead of statistics.
        algorithm.refusal = formulasRefusal(evaluator, algorithm.formulas);
        if (!algorithm.refusal.isEmpty()) {
            algorithm.accuracy = kRefusedStats;
            algorithm.winStreak.clear();
            algorithm.lossStreak.clear();
            continue;
        }
        if (prepared) {
            const FormulaTriple formulas = splitFormulas(algorithm.formulas);
            const std::array<std::shared_ptr<const CompiledFormula>, 3> compiled = {
                evaluator.compiled(formulas[0]), evaluator.compiled(formulas[1]), evaluator.compiled(formulas[2])};
            record =
                customStats(scratch, evaluator, *prepared, {compiled[0].get(), compiled[1].get(), compiled[2].get()});
        }
        algorithm.accuracy = QString::number(record.accuracy);
        algorithm.winStreak = QString::number(record.winStreak);
        algorithm.lossStreak = QString::number(record.lossStreak);
    }
}

} // namespace tandor28
