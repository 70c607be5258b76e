#include "marking.h"

#include "bettype.h"
#include "planrules.h"

#include "generators.h"

#include <algorithm>
#include <array>

namespace tandor28 {

namespace {

// What a pass needs from the history, computed once and shared by all plans: the working values of
// every source row (sources[k] for the prediction judged against the draw at position k), and the
// prediction values of every predicted number for each parity of the source issue, since those are
// all a row's prediction depends on besides n.
struct WindowInputs
{
    std::vector<WorkingValues> sources;
    std::vector<bool> sourceIssueEven;
    std::array<std::array<PredictionValues, 2>, 28> valuesByNumber;
};

WindowInputs windowInputs(const DrawHistory& history, BetType betType, int window)
{
    WindowInputs inputs;
    inputs.sources.assign(static_cast<std::size_t>(window) + 1, WorkingValues{});
    inputs.sourceIssueEven.assign(static_cast<std::size_t>(window) + 1, true);
    for (int k = 1; k <= window; ++k) {
        fillPlanSlots(inputs.sources[static_cast<std::size_t>(k)], history, k + 1);
        inputs.sourceIssueEven[static_cast<std::size_t>(k)] = issueIsEven(history.at(k + 1).issue);
    }
    for (int n = 0; n < 28; ++n) {
        inputs.valuesByNumber[static_cast<std::size_t>(n)][0] = predictionValues(betType, n, QStringLiteral("1"));
        inputs.valuesByNumber[static_cast<std::size_t>(n)][1] = predictionValues(betType, n, QStringLiteral("0"));
    }
    return inputs;
}

PlanStats evaluateRule(const DrawHistory& history, const PlanRule& rule, BetType betType, int window,
                       const WindowInputs& inputs)
{
    PlanStats stats;
    int judged = 0;
    for (int k = window; k >= 1; --k) {
        // Empty positions, and predictions made from them, are not judged and not counted.
        if (!history.holdsAll(k, k + kPlanSourceDraws))
            continue;
        ++judged;
        const auto row = static_cast<std::size_t>(k);
        // planNumber always lies in 0..27, so the table covers every prediction.
        const int n = planNumber(rule, inputs.sources[row]);
        const PredictionValues& values =
            inputs.valuesByNumber[static_cast<std::size_t>(n)][inputs.sourceIssueEven[row] ? 1 : 0];
        countVerdict(stats, judgeVerdict(betType, values, history.at(k)));
    }
    finishWindow(stats, judged);
    return stats;
}

} // namespace

std::optional<PlanStats> evaluateMemberPlan(const DrawHistory& history, const QStringList& rules, int plan, int code,
                                            int window)
{
    const std::optional<BetType> betType = memberBetType(code);
    if (history.size() < kMinimumDrawsForPlans || !betType || plan < 1 || plan > kMemberPlanCount)
        return std::nullopt;
    const int rows = std::clamp(window, 0, history.size());
    return evaluateRule(history, parsePlanRule(ruleLine(rules, plan)), *betType, rows,
                        windowInputs(history, *betType, rows));
}

std::optional<bool> meetsMarkRule(int value, std::optional<int> comparison, int threshold)
{
    if (!comparison)
        return std::nullopt;
    switch (*comparison) {
    case 0:
        return value >= threshold;
    case 1:
        return value <= threshold;
    case 2:
        return value > threshold;
    case 3:
        return value < threshold;
    default:
        return std::nullopt;
    }
}

std::vector<PlanMark> markMemberPlans(const DrawHistory& history, const QStringList& rules, int code, int window,
                                      const MarkRule& rule)
{
    std::vector<PlanMark> marks(kMemberPlanCount);
    const std::optional<BetType> betType = memberBetType(code);
    const bool evaluate = history.size() >= kMinimumDrawsForPlans && betType.has_value();
    const int rows = std::clamp(window, 0, history.size());
    const WindowInputs inputs = evaluate ? windowInputs(history, *betType, rows) : WindowInputs{};
    for (int plan = 1; plan <= kMemberPlanCount; ++plan) {
        PlanMark& mark = marks[static_cast<std::size_t>(plan - 1)];
        if (evaluate)
            mark.stats = evaluateRule(history, parsePlanRule(ruleLine(rules, plan)), *betType, rows, inputs);
        mark.criterionValue = mark.stats.field(rule.criterion);
        mark.marked = meetsMarkRule(mark.criterionValue, rule.comparison, rule.threshold);
    }
    return marks;
}

} // namespace tandor28
