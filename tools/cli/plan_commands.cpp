// table (free and member tabs), stats (member tab), mark.
#include "commands.h"

#include "plans/generators.h"
#include "plans/marking.h"
#include "plans/planrules.h"

namespace tandor28::cli {

int cmdTablePlans(const Args& args, Io& io)
{
    const bool free = args.value(QStringLiteral("tab")) == QLatin1String("free");
    const int plan = *args.intValue(QStringLiteral("plan"));
    const int code = *args.intValue(QStringLiteral("bet"));
    int exitCode = kExitOk;
    const std::optional<DrawHistory> history = loadFeedArg(args, io, exitCode);
    if (!history)
        return exitCode;

    const PlanRules rules = loadPlanRules();
    const std::optional<PredictionTable> table =
        free ? generateFreeTable(*history, rules.free, plan, code, kPeriodCount)
             : generateMemberTable(*history, rules.member, plan, code, kPeriodCount);
    if (!table) {
        io.err << "the history holds fewer than " << kMinimumDrawsForPlans << " draws\n";
        return kExitNothing;
    }
    printPredictionTable(*table, io);
    return kExitOk;
}

int cmdStatsPlans(const Args& args, Io& io)
{
    const int plan = *args.intValue(QStringLiteral("plan"));
    const int code = *args.intValue(QStringLiteral("bet"));
    const int window = *args.intValue(QStringLiteral("window"));
    int exitCode = kExitOk;
    const std::optional<DrawHistory> history = loadFeedArg(args, io, exitCode);
    if (!history)
        return exitCode;

    const std::optional<PlanStats> stats = evaluateMemberPlan(*history, loadPlanRules().member, plan, code, window);
    if (!stats) {
        io.err << "the history holds fewer than " << kMinimumDrawsForPlans << " draws\n";
        return kExitNothing;
    }
    io.out << statsFields(*stats) << '\n';
    return kExitOk;
}

const CommandForm& markForm()
{
    static const CommandForm form{
        QStringLiteral("mark"),
        {},
        joined(
            feedOptions(),
            {rangeOption(QStringLiteral("bet"), QStringLiteral("CODE"), 1, kMemberBetTypeCount,
                         QStringLiteral("the member bet type, its code or its name: ") +
                             betCodesHelp(memberBetTypeLabels())),
             rangeOption(QStringLiteral("window"), QStringLiteral("W"), 1, kPeriodCount,
                         QStringLiteral("how many periods are judged")),
             rangeOption(QStringLiteral("criterion"), QStringLiteral("0..4"), 0, 4,
                         QStringLiteral("what is compared: 0 right, 1 wrong, 2 accuracy, 3 win streak, 4 loss streak")),
             rangeOption(QStringLiteral("compare"), QStringLiteral("0..3"), 0, 3,
                         QStringLiteral("how: 0 >=, 1 <=, 2 >, 3 <")),
             {QStringLiteral("threshold"), QStringLiteral("T"), true,
              checks::anyWholeNumber(QStringLiteral("threshold")), QStringLiteral("the value compared with")}}),
        {}};
    return form;
}

int cmdMark(const QStringList& words, Io& io)
{
    const std::optional<Args> parsed = commandArgs(words, markForm(), io);
    if (!parsed)
        return kExitBadArguments;
    const Args& args = *parsed;
    const int code = *args.intValue(QStringLiteral("bet"));
    const int window = *args.intValue(QStringLiteral("window"));
    const int criterion = *args.intValue(QStringLiteral("criterion"));
    const std::optional<int> comparison = args.intValue(QStringLiteral("compare"));
    const int threshold = *args.intValue(QStringLiteral("threshold"));
    int exitCode = kExitOk;
    const std::optional<DrawHistory> history = loadFeedArg(args, io, exitCode);
    if (!history)
        return exitCode;

    const std::vector<PlanMark> marks =
        markMemberPlans(*history, loadPlanRules().member, code, window, MarkRule{criterion, comparison, threshold});
    for (int plan = 1; plan <= kMemberPlanCount; ++plan) {
        const PlanMark& mark = marks[static_cast<std::size_t>(plan - 1)];
        io.out << plan << '\t' << memberPlanCaption(plan) << '\t' << statsFields(mark.stats) << '\t'
               << (mark.marked.value_or(false) ? 1 : 0) << '\n';
    }
    return kExitOk;
}

} // namespace tandor28::cli
