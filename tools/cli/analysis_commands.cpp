// backtest, missed, hotcold: the long-run analysis over the draw archive.
#include "commands.h"

#include "analysis/backtest.h"
#include "analysis/hotcold.h"
#include "analysis/missed.h"
#include "archive/drawarchive.h"
#include "custom/formula.h"
#include "plans/bettype.h"

#include <functional>
#include <limits>

namespace tandor28::cli {

namespace {

// The archive's draws of the lottery named by --lottery, the newest `lastK` of them (all when
// lastK <= 0); nullopt after a message, with the exit status: bad arguments when the archive cannot
// be opened, nothing when its draws cannot be read (a damaged file) or it holds no draw of the
// lottery and `nonEmpty` asks for some.
std::optional<DrawSeries> archiveSeriesArg(const Args& args, Io& io, bool nonEmpty, int& exitCode, int lastK)
{
    const QString path = args.value(QStringLiteral("db"));
    ArchiveOpening opening = DrawArchive::open(path);
    if (!opening.archive) {
        io.err << path << ": " << opening.problem << '\n';
        exitCode = kExitBadArguments;
        return std::nullopt;
    }
    QString damage;
    DrawSeries series = opening.archive->loadSeries(lotteryArg(args).value(), lastK, &damage);
    // A read that failed part way gives no figures at all: partial ones would look like the truth.
    if (!damage.isEmpty()) {
        io.err << path << ": " << damage << '\n';
        exitCode = kExitNothing;
        return std::nullopt;
    }
    if (nonEmpty && series.empty()) {
        io.err << "the archive holds no draw of this lottery\n";
        exitCode = kExitNothing;
        return std::nullopt;
    }
    return series;
}

Option lastOption(bool required, const QString& value, const QString& help)
{
    Option option = rangeOption(QStringLiteral("last"), value, 1, std::numeric_limits<int>::max(), help);
    option.required = required;
    return option;
}

} // namespace

const CommandForm& backtestForm()
{
    static const CommandForm form{
        QStringLiteral("backtest"),
        {},
        {dbOption(),
         lotteryOption(),
         {QStringLiteral("tab"), QStringLiteral("free|member|custom"), true,
          checks::oneOf({QStringLiteral("free"), QStringLiteral("member"), QStringLiteral("custom")},
                        QStringLiteral("--tab must be free, member or custom")),
          QStringLiteral("whose predictions are judged")},
         planOption(),
         betOption(),
         formulasOption(),
         lastOption(false, QStringLiteral("K"), QStringLiteral("only the newest K draws (all without it)"))},
        {}};
    return form;
}

const CommandForm& missedForm()
{
    static const CommandForm form{QStringLiteral("missed"), {}, {dbOption(), lotteryOption()}, {}};
    return form;
}

const CommandForm& hotColdForm()
{
    static const CommandForm form{
        QStringLiteral("hotcold"),
        {},
        {dbOption(), lotteryOption(), lastOption(true, QStringLiteral("N"), QStringLiteral("the newest N draws"))},
        {}};
    return form;
}

int cmdBacktest(const QStringList& words, Io& io)
{
    const std::optional<Args> args = commandArgs(words, backtestForm(), io);
    if (!args)
        return kExitBadArguments;
    const PlanTab tab = isTab(*args, "free")     ? PlanTab::Free
                        : isTab(*args, "member") ? PlanTab::Member
                                                 : PlanTab::Custom;
    const int code = *args->intValue(QStringLiteral("bet"));
    const int plan = tab == PlanTab::Custom ? 0 : *args->intValue(QStringLiteral("plan"));
    const int last = args->intValue(QStringLiteral("last")).value_or(std::numeric_limits<int>::max());
    // The judged draws and the ones their predictions come from are all a backtest reads.
    const int depth = tab == PlanTab::Custom ? kCustomSourceDraws : kPlanSourceDraws;
    const int lastK = last > std::numeric_limits<int>::max() - depth ? 0 : last + depth;
    int exitCode = kExitOk;
    const std::optional<DrawSeries> series = archiveSeriesArg(*args, io, false, exitCode, lastK);
    if (!series)
        return exitCode;

    std::optional<BacktestResult> result;
    if (tab == PlanTab::Custom) {
        FormulaEvaluator evaluator;
        result = backtestFormulas(evaluator, *series, formulasArg(*args), code, {last, false});
    } else {
        const PlanRules rules = loadPlanRules();
        result =
            backtestPlan(*series, tab == PlanTab::Free ? rules.free : rules.member, tab, plan, code, {last, false});
    }
    if (!result || result->right + result->wrong == 0) {
        io.err << "the archive holds no draw that can be judged\n";
        return kExitNothing;
    }
    io.out << result->right << '\t' << result->wrong << '\t' << result->accuracy << '\t' << result->longestWin << '\t'
           << result->longestLoss << '\t' << result->skipped << '\n';
    return kExitOk;
}

namespace {

// missed and hotcold: the form's checks, the archive's series of the lottery (the newest --last
// draws when given; none is nothing to show), then `print`.
int printOverSeries(const QStringList& words, const CommandForm& form, Io& io,
                    const std::function<void(const Args&, const DrawSeries&)>& print)
{
    const std::optional<Args> args = commandArgs(words, form, io);
    if (!args)
        return kExitBadArguments;
    int exitCode = kExitOk;
    const std::optional<DrawSeries> series =
        archiveSeriesArg(*args, io, true, exitCode, args->intValue(QStringLiteral("last")).value_or(0));
    if (!series)
        return exitCode;
    print(*args, *series);
    return kExitOk;
}

} // namespace

int cmdMissed(const QStringList& words, Io& io)
{
    return printOverSeries(words, missedForm(), io, [&io](const Args&, const DrawSeries& series) {
        for (const MissedCount& count : missedCounts(series))
            io.out << count.name << '\t' << count.current << '\t' << count.longest << '\t' << twoDecimals(count.average)
                   << '\n';
    });
}

int cmdHotCold(const QStringList& words, Io& io)
{
    return printOverSeries(words, hotColdForm(), io, [&io](const Args& args, const DrawSeries& series) {
        for (const HotCold& item : hotCold(series, *args.intValue(QStringLiteral("last"))))
            io.out << item.sum << '\t' << item.count << '\t' << twoDecimals(item.expected) << '\t'
                   << twoDecimals(item.z) << '\n';
    });
}

} // namespace tandor28::cli
