// backtest, missed, hotcold: the long-run analysis over the draw archive.
#include "commands.h"

#include "analysis/backtest.h"
#include "analysis/hotcold.h"
#include "analysis/missed.h"
#include "archive/drawarchive.h"
#include "custom/formula.h"
#include "plans/bettype.h"

#include <limits>

namespace tandor28::cli {

namespace {

// The archive's draws of the lottery named by --lottery; nullopt after a message.
std::optional<DrawSeries> archiveSeriesArg(const Args& args, Io& io)
{
    const std::optional<LotteryKind> kind = lotteryArg(args);
    if (!kind) {
        io.err << "--lottery must be lucky28 or canada28\n";
        return std::nullopt;
    }
    const QString path = args.value(QStringLiteral("db"));
    if (path.isEmpty()) {
        io.err << "give --db PATH\n";
        return std::nullopt;
    }
    ArchiveOpening opening = DrawArchive::open(path);
    if (!opening.archive) {
        io.err << path << ": " << opening.problem << '\n';
        return std::nullopt;
    }
    return seriesFromDated(opening.archive->loadDraws(*kind, 0));
}

} // namespace

int cmdBacktest(const QStringList& words, Io& io)
{
    const std::optional<Args> args = commandArgs(words, io);
    if (!args)
        return kExitBadArguments;
    const QString tabText = args->value(QStringLiteral("tab"));
    PlanTab tab = PlanTab::Member;
    if (tabText == QLatin1String("free"))
        tab = PlanTab::Free;
    else if (tabText == QLatin1String("custom"))
        tab = PlanTab::Custom;
    else if (tabText != QLatin1String("member")) {
        io.err << "--tab must be free, member or custom\n";
        return kExitBadArguments;
    }
    const int codes = tab == PlanTab::Free     ? kFreeBetTypeCount
                      : tab == PlanTab::Member ? kMemberBetTypeCount
                                               : kCustomBetTypeCount;
    const std::optional<int> code = rangedOption(*args, QStringLiteral("bet"), 1, codes, io);
    if (!code)
        return kExitBadArguments;
    std::optional<int> plan = 0;
    if (tab != PlanTab::Custom) {
        plan = rangedOption(*args, QStringLiteral("plan"), 1, tab == PlanTab::Free ? kFreePlanCount : kMemberPlanCount,
                            io);
        if (!plan)
            return kExitBadArguments;
    }
    std::optional<int> last = std::numeric_limits<int>::max();
    if (args->has(QStringLiteral("last"))) {
        last = rangedOption(*args, QStringLiteral("last"), 1, std::numeric_limits<int>::max(), io);
        if (!last)
            return kExitBadArguments;
    }
    const std::optional<DrawSeries> series = archiveSeriesArg(*args, io);
    if (!series)
        return kExitBadArguments;

    std::optional<BacktestResult> result;
    if (tab == PlanTab::Custom) {
        FormulaEvaluator evaluator;
        result = backtestFormulas(evaluator, *series, formulasArg(*args), *code, {*last, false});
    } else {
        const PlanRules rules = loadPlanRules();
        result =
            backtestPlan(*series, tab == PlanTab::Free ? rules.free : rules.member, tab, *plan, *code, {*last, false});
    }
    if (!result || result->right + result->wrong == 0) {
        io.err << "the archive holds no draw that can be judged\n";
        return kExitNothing;
    }
    io.out << result->right << '\t' << result->wrong << '\t' << result->accuracy << '\t' << result->longestWin << '\t'
           << result->longestLoss << '\t' << result->skipped << '\n';
    return kExitOk;
}

int cmdMissed(const QStringList& words, Io& io)
{
    const std::optional<Args> args = commandArgs(words, io);
    if (!args)
        return kExitBadArguments;
    const std::optional<DrawSeries> series = archiveSeriesArg(*args, io);
    if (!series)
        return kExitBadArguments;
    if (series->empty()) {
        io.err << "the archive holds no draw of this lottery\n";
        return kExitNothing;
    }
    for (const MissedCount& count : missedCounts(*series))
        io.out << count.name << '\t' << count.current << '\t' << count.longest << '\t' << twoDecimals(count.average)
               << '\n';
    return kExitOk;
}

int cmdHotCold(const QStringList& words, Io& io)
{
    const std::optional<Args> args = commandArgs(words, io);
    if (!args)
        return kExitBadArguments;
    const std::optional<int> last = rangedOption(*args, QStringLiteral("last"), 1, std::numeric_limits<int>::max(), io);
    if (!last)
        return kExitBadArguments;
    const std::optional<DrawSeries> series = archiveSeriesArg(*args, io);
    if (!series)
        return kExitBadArguments;
    if (series->empty()) {
        io.err << "the archive holds no draw of this lottery\n";
        return kExitNothing;
    }
    for (const HotCold& item : hotCold(*series, *last))
        io.out << item.sum << '\t' << item.count << '\t' << twoDecimals(item.expected) << '\t' << twoDecimals(item.z)
               << '\n';
    return kExitOk;
}

} // namespace tandor28::cli
