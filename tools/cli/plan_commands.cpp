// table (free and member tabs), stats (member tab), mark.
#include "commands.h"

#include "plans/generators.h"
#include "plans/marking.h"
#include "plans/planrules.h"

namespace tandor28::cli {

namespace {} // namespace

int cmdTablePlans(const Args& args, Io& io)
{
    const bool free = args.value(QStringLiteral("tab")) == QLatin1String("free");
    const std::optional<int> plan =
        rangedOption(args, QStringLiteral("plan"), 1, free ? kFreePlanCount : kMemberPlanCount, io);
    if (!plan)
        return kExitBadArguments;
    const std::optional<int> code =
        rangedOption(args, QStringLiteral("bet"), 1, free ? kFreeBetTypeCount : kMemberBetTypeCount, io);
    if (!code)
        return kExitBadArguments;
    int exitCode = kExitOk;
    const std::optional<DrawHistory> history = loadFeedArg(args, io, exitCode);
    if (!history)
        return exitCode;

    const PlanRules rules = loadPlanRules();
    const std::optional<PredictionTable> table =
        free ? generateFreeTable(*history, rules.free, *plan, *code, kPeriodCount)
             : generateMemberTable(*history, rules.member, *plan, *code, kPeriodCount);
    if (!table) {
        io.err << "the history holds fewer than " << kMinimumDrawsForPlans << " draws\n";
        return kExitNothing;
    }
    printPredictionTable(*table, io);
    return kExitOk;
}

int cmdStatsPlans(const Args& args, Io& io)
{
    const std::optional<int> plan = rangedOption(args, QStringLiteral("plan"), 1, kMemberPlanCount, io);
    if (!plan)
        return kExitBadArguments;
    const std::optional<int> code = rangedOption(args, QStringLiteral("bet"), 1, kMemberBetTypeCount, io);
    if (!code)
        return kExitBadArguments;
    const std::optional<int> window = rangedOption(args, QStringLiteral("window"), 1, kPeriodCount, io);
    if (!window)
        return kExitBadArguments;
    int exitCode = kExitOk;
    const std::optional<DrawHistory> history = loadFeedArg(args, io, exitCode);
    if (!history)
        return exitCode;

    const std::optional<PlanStats> stats = evaluateMemberPlan(*history, loadPlanRules().member, *plan, *code, *window);
    if (!stats) {
        io.err << "the history holds fewer than " << kMinimumDrawsForPlans << " draws\n";
        return kExitNothing;
    }
    io.out << statsFields(*stats) << '\n';
    return kExitOk;
}

int cmdMark(const QStringList& words, Io& io)
{
    const std::optional<Args> parsed = commandArgs(words, io);
    if (!parsed)
        return kExitBadArguments;
    const Args& args = *parsed;
    const std::optional<int> code = rangedOption(args, QStringLiteral("bet"), 1, kMemberBetTypeCount, io);
    if (!code)
        return kExitBadArguments;
    const std::optional<int> window = rangedOption(args, QStringLiteral("window"), 1, kPeriodCount, io);
    if (!window)
        return kExitBadArguments;
    const std::optional<int> criterion = rangedOption(args, QStringLiteral("criterion"), 0, 4, io);
    if (!criterion)
        return kExitBadArguments;
    const std::optional<int> comparison = rangedOption(args, QStringLiteral("compare"), 0, 3, io);
    if (!comparison)
        return kExitBadArguments;
    const std::optional<int> threshold = anyIntOption(args, QStringLiteral("threshold"), io);
    if (!threshold)
        return kExitBadArguments;
    int exitCode = kExitOk;
    const std::optional<DrawHistory> history = loadFeedArg(args, io, exitCode);
    if (!history)
        return exitCode;

    const std::vector<PlanMark> marks =
        markMemberPlans(*history, loadPlanRules().member, *code, *window, MarkRule{*criterion, comparison, *threshold});
    for (int plan = 1; plan <= kMemberPlanCount; ++plan) {
        const PlanMark& mark = marks[static_cast<std::size_t>(plan - 1)];
        io.out << plan << '\t' << memberPlanCaption(plan) << '\t' << statsFields(mark.stats) << '\t'
               << (mark.marked.value_or(false) ? 1 : 0) << '\n';
    }
    return kExitOk;
}

} // namespace tandor28::cli
