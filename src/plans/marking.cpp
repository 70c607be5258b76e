#include "marking.h"

#include "bettype.h"
#include "planrules.h"

#include "generators.h"

namespace tandor28 {

namespace {

// The working values of every source row a window needs, filled once per pass and shared by all
// plans: sources[k] holds the slots for the prediction judged against the draw at position k.
std::vector<WorkingValues> windowSources(const DrawHistory& history, int window)
{
    std::vector<WorkingValues> sources(static_cast<std::size_t>(window) + 1, WorkingValues{});
    for (int k = 1; k <= window; ++k)
        fillPlanSlots(sources[static_cast<std::size_t>(k)], history, k + 1);
    return sources;
}

PlanStats evaluateRule(const DrawHistory& history, const PlanRule& rule, BetType betType, int window,
                       const std::vector<WorkingValues>& sources)
{
    PlanStats stats;
    for (int k = window; k >= 1; --k) {
        const PredictionValues values =
            predictionValues(betType, planNumber(rule, sources[static_cast<std::size_t>(k)]), history.at(k + 1).issue);
        countVerdict(stats, judgeVerdict(betType, values, history.at(k)));
    }
    finishWindow(stats, window);
    return stats;
}

} // namespace

std::optional<PlanStats> evaluateMemberPlan(const DrawHistory& history, const QStringList& rules, int plan, int code,
                                            int window)
{
    const std::optional<BetType> betType = memberBetType(code);
    if (history.size() < kMinimumDrawsForPlans || !betType || plan < 1 || plan > kMemberPlanCount)
        return std::nullopt;
    const int rows = std::max(0, window);
    return evaluateRule(history, parsePlanRule(ruleLine(rules, plan)), *betType, rows, windowSources(history, rows));
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
    const int rows = std::max(0, window);
    const std::vector<WorkingValues> sources = evaluate ? windowSources(history, rows) : std::vector<WorkingValues>{};
    for (int plan = 1; plan <= kMemberPlanCount; ++plan) {
        PlanMark& mark = marks[static_cast<std::size_t>(plan - 1)];
        if (evaluate)
            mark.stats = evaluateRule(history, parsePlanRule(ruleLine(rules, plan)), *betType, rows, sources);
        mark.criterionValue = mark.stats.field(rule.criterion);
        mark.marked = meetsMarkRule(mark.criterionValue, rule.comparison, rule.threshold);
    }
    return marks;
}

} // namespace tandor28
