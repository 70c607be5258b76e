#include "generators.h"

#include "model/classification.h"

#include <algorithm>

namespace tandor28 {

namespace {

enum class Tab
{
    Free,
    Member,
};

std::optional<PredictionTable> generateTable(Tab tab, const DrawHistory& history, const QStringList& rules, int plan,
                                             int code, int periodCount)
{
    const int planCount = tab == Tab::Free ? kFreePlanCount : kMemberPlanCount;
    const std::optional<BetType> betType = tab == Tab::Free ? freeBetType(code) : memberBetType(code);
    if (history.size() < kMinimumDrawsForPlans || !betType || plan < 1 || plan > planCount)
        return std::nullopt;

    const int n = std::max(0, periodCount);
    const PlanRule rule = parsePlanRule(ruleLine(rules, plan));
    PredictionTable table;
    table.predictions.reserve(static_cast<std::size_t>(n) + 1);
    WorkingValues values{};
    for (int k = 1; k <= n + 1; ++k) {
        fillPlanSlots(values, history, k);
        PredictionValues prediction = predictionValues(*betType, planNumber(rule, values), history.at(k).issue);
        // The free tab always keeps the parity as its second value, also for 杀3N where it is not shown.
        if (tab == Tab::Free)
            prediction.b = parityLabel(prediction.n);
        table.predictions.push_back(std::move(prediction));
    }

    table.rows.reserve(static_cast<std::size_t>(n) + 1);
    table.verdicts.reserve(static_cast<std::size_t>(n));
    // The coming issue is predicted only from draws that happened.
    PredictionRow blank;
    for (PredictionCell& cell : blank)
        cell.text = QString();
    table.rows.push_back(
        history.holdsAll(1, kPlanSourceDraws) ? nextIssueRow(history, *betType, table.predictions.front()) : blank);
    for (int k = 1; k <= n; ++k) {
        // A row is judged only when its draw and the four draws its prediction is made from happened.
        if (!history.holdsAll(k, k + kPlanSourceDraws)) {
            table.rows.push_back(unjudgedRow(history.at(k)));
            table.verdicts.push_back(std::nullopt);
            continue;
        }
        Verdict verdict = Verdict::Miss;
        table.rows.push_back(
            judgedRow(history.at(k), *betType, table.predictions[static_cast<std::size_t>(k)], &verdict));
        table.verdicts.push_back(verdict);
    }
    return table;
}

} // namespace

std::optional<PredictionTable> generateFreeTable(const DrawHistory& history, const QStringList& rules, int plan,
                                                 int code, int periodCount)
{
    return generateTable(Tab::Free, history, rules, plan, code, periodCount);
}

std::optional<PredictionTable> generateMemberTable(const DrawHistory& history, const QStringList& rules, int plan,
                                                   int code, int periodCount)
{
    return generateTable(Tab::Member, history, rules, plan, code, periodCount);
}

} // namespace tandor28
