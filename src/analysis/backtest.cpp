#include "backtest.h"
#include "rollingbacktest.h"

#include "custom/columnformula.h"
#include "custom/formula.h"
#include "model/classification.h"
#include "plans/bettype.h"
#include "plans/planrules.h"
#include "plans/planstats.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace tandor28 {

namespace {

constexpr int kSums = 28;

// A verdict depends on the predicted number, on the parity of the newest source issue (双项 bets on
// parity or size by it), on the judged draw's sum and on the parity of its issue, and on nothing
// else. So every verdict a backtest can meet is judged once, by the plan tables' own functions, and
// each row is then a look-up.
class VerdictTable
{
public:
    VerdictTable(PlanTab tab, BetType betType) : m_tab(tab), m_betType(betType)
    {
        for (int n = 0; n < kSums; ++n)
            for (int sourceEven = 0; sourceEven < 2; ++sourceEven) {
                const PredictionValues values = prediction(n, sourceEven == 1);
                for (int sum = 0; sum < kSums; ++sum)
                    for (int targetEven = 0; targetEven < 2; ++targetEven)
                        m_hits[index(n, sourceEven == 1, sum, targetEven == 1)] =
                            judgeVerdict(betType, values, judgedDraw(sum, targetEven == 1)) == Verdict::Hit;
            }
    }

    // `targetEven` is the parity of the judged draw's issue, passed in so that it is read once per row.
    [[nodiscard]] Verdict verdict(int n, bool sourceEven, const Draw& target, bool targetEven) const
    {
        if (target.sum < 0 || target.sum >= kSums)
            return judgeVerdict(m_betType, prediction(n, sourceEven), target);
        return m_hits[index(n, sourceEven, target.sum, targetEven)] ? Verdict::Hit : Verdict::Miss;
    }

    // A row's part of the look-up, the same for every plan judged on it; -1 for a sum outside 0..27.
    [[nodiscard]] static int rowKey(bool sourceEven, int sum, bool targetEven)
    {
        if (sum < 0 || sum >= kSums)
            return -1;
        return static_cast<int>(index(0, sourceEven, sum, targetEven));
    }

    // The verdict of n on a row with a key from rowKey.
    [[nodiscard]] Verdict verdict(int n, int key) const
    {
        return m_hits[static_cast<std::size_t>(n) * kRowKeys + static_cast<std::size_t>(key)] ? Verdict::Hit
                                                                                              : Verdict::Miss;
    }

private:
    static constexpr std::size_t kRowKeys = 2 * kSums * 2;

    static std::size_t index(int n, bool sourceEven, int sum, bool targetEven)
    {
        return ((static_cast<std::size_t>(n) * 2 + (sourceEven ? 1 : 0)) * kSums + static_cast<std::size_t>(sum)) * 2 +
               (targetEven ? 1 : 0);
    }

    static Draw judgedDraw(int sum, bool issueEven)
    {
        Draw draw;
        draw.issue = issueEven ? QStringLiteral("0") : QStringLiteral("1");
        draw.sum = sum;
        return draw;
    }

    [[nodiscard]] PredictionValues prediction(int n, bool sourceEven) const
    {
        PredictionValues values =
            predictionValues(m_betType, n, sourceEven ? QStringLiteral("0") : QStringLiteral("1"));
        // The free tab always keeps the parity as its second value, as its table does.
        if (m_tab == PlanTab::Free)
            values.b = parityLabel(n);
        return values;
    }

    PlanTab m_tab;
    BetType m_betType;
    std::array<bool, static_cast<std::size_t>(kSums) * 2 * kSums * 2> m_hits{};
};

// The rows of a window: which history positions are judged (oldest first) and how many were skipped.
struct WindowRows
{
    std::vector<int> positions;
    std::vector<bool> afterGap;
    int skipped = 0;
};

WindowRows windowRows(const DrawSeries& series, int depth, int last)
{
    WindowRows rows;
    const int size = static_cast<int>(series.size());
    const int considered = std::clamp(last, 0, std::max(0, size - depth));
    const std::vector<int> runs = consecutiveRuns(series);
    rows.positions.reserve(static_cast<std::size_t>(considered));
    rows.afterGap.reserve(static_cast<std::size_t>(considered));
    bool gap = false;
    for (int k = considered; k >= 1; --k) {
        if (runs[static_cast<std::size_t>(k - 1)] < depth + 1) {
            ++rows.skipped;
            gap = true;
            continue;
        }
        rows.positions.push_back(k);
        rows.afterGap.push_back(gap);
        gap = false;
    }
    return rows;
}

// Counts judged rows into a result, oldest first.
class Tally
{
public:
    Tally(const WindowRows& rows, const DrawSeries& series, bool keepRows)
        : m_rows(rows), m_series(series), m_keepRows(keepRows)
    {
        m_hits.reserve(rows.positions.size());
        if (keepRows)
            m_result.rows.reserve(rows.positions.size());
    }

    void add(std::size_t row, Verdict verdict)
    {
        if (m_rows.afterGap[row]) {
            m_stats.winStreak = 0;
            m_stats.lossStreak = 0;
        }
        countVerdict(m_stats, verdict);
        m_result.longestWin = std::max(m_result.longestWin, m_stats.winStreak);
        m_result.longestLoss = std::max(m_result.longestLoss, m_stats.lossStreak);
        m_hits.push_back(verdict == Verdict::Hit ? 1 : 0);
        if (m_keepRows) {
            const qint64 issue = m_series[m_series.size() - static_cast<std::size_t>(m_rows.positions[row])].issue;
            m_result.rows.push_back(BacktestRow{issue, verdict, m_rows.afterGap[row]});
        }
    }

    BacktestResult finish()
    {
        const int judged = static_cast<int>(m_hits.size());
        finishWindow(m_stats, judged);
        m_result.right = m_stats.right;
        m_result.wrong = m_stats.wrong;
        m_result.accuracy = m_stats.accuracy;
        m_result.winStreak = m_stats.winStreak;
        m_result.lossStreak = m_stats.lossStreak;
        m_result.skipped = m_rows.skipped;
        for (std::size_t i = 0; i < kRollingWindows.size(); ++i) {
            const int window = kRollingWindows[i];
            if (judged < window)
                continue;
            const int hits = static_cast<int>(std::count(m_hits.end() - window, m_hits.end(), 1));
            m_result.rollingHitRate[i] = hits * 100.0 / window;
        }
        return std::move(m_result);
    }

private:
    const WindowRows& m_rows;
    const DrawSeries& m_series;
    bool m_keepRows;
    PlanStats m_stats;
    std::vector<std::uint8_t> m_hits;
    BacktestResult m_result;
};

// The draws a backtest of the newest `last` can read: those rows and the `depth` before them. The
// windows, runs and verdicts over this tail are those over the whole series.
DrawSeries seriesTail(const DrawSeries& series, int last, int depth)
{
    const auto size = static_cast<qint64>(series.size());
    const qint64 keep = std::min(size, static_cast<qint64>(std::max(last, 0)) + depth);
    return DrawSeries(series.end() - static_cast<std::ptrdiff_t>(keep), series.end());
}

bool isEvenIssue(qint64 issue)
{
    return issue % 2 == 0;
}

// The judged draw as the plan tables' functions read it, for the rare row whose sum lies outside
// 0..27 and so outside the verdict table.
Draw judgedDraw(const SeriesDraw& draw)
{
    Draw target;
    target.issue = QString::number(draw.issue);
    target.d1 = draw.d1;
    target.d2 = draw.d2;
    target.d3 = draw.d3;
    target.sum = draw.sum();
    return target;
}

// What every plan judged over one window shares: the tail of the series it reads, its rows and the
// verdict-table key of each row. The working values of a row are read from the series when judged.
struct PlanWindow
{
    DrawSeries series;
    WindowRows rows;
    std::vector<int> keys; // VerdictTable::rowKey of each row
    std::vector<bool> sourceEven;
};

PlanWindow planWindow(const DrawSeries& series, int last)
{
    PlanWindow window;
    window.series = seriesTail(series, last, kPlanSourceDraws);
    window.rows = windowRows(window.series, kPlanSourceDraws, last);
    const std::size_t size = window.series.size();
    window.keys.resize(window.rows.positions.size());
    window.sourceEven.resize(window.rows.positions.size());
    for (std::size_t row = 0; row < window.rows.positions.size(); ++row) {
        const std::size_t target = size - static_cast<std::size_t>(window.rows.positions[row]);
        const SeriesDraw& judged = window.series[target];
        window.sourceEven[row] = isEvenIssue(window.series[target - 1].issue);
        window.keys[row] = VerdictTable::rowKey(window.sourceEven[row], judged.sum(), isEvenIssue(judged.issue));
    }
    return window;
}

BacktestResult judgePlan(const PlanWindow& window, const VerdictTable& verdicts, const PlanRule& rule, bool keepRows)
{
    Tally tally(window.rows, window.series, keepRows);
    const std::size_t size = window.series.size();
    WorkingValues values{};
    for (std::size_t row = 0; row < window.rows.positions.size(); ++row) {
        const std::size_t target = size - static_cast<std::size_t>(window.rows.positions[row]);
        // Slots 1..12: the digits of the four draws before the judged one, the newest first.
        for (std::size_t i = 0; i < 4; ++i) {
            const SeriesDraw& source = window.series[target - 1 - i];
            values[3 * i] = source.d1;
            values[3 * i + 1] = source.d2;
            values[3 * i + 2] = source.d3;
        }
        const int n = planNumber(rule, values);
        const int key = window.keys[row];
        const SeriesDraw& judged = window.series[target];
        tally.add(
            row, key >= 0 ? verdicts.verdict(n, key)
                          : verdicts.verdict(n, window.sourceEven[row], judgedDraw(judged), isEvenIssue(judged.issue)));
    }
    return tally.finish();
}

const QStringList& tabRules(const PlanRules& rules, PlanTab tab)
{
    return tab == PlanTab::Free ? rules.free : rules.member;
}

int planCount(PlanTab tab)
{
    return tab == PlanTab::Free ? kFreePlanCount : kMemberPlanCount;
}

} // namespace

std::optional<BetType> tabBetType(PlanTab tab, int code)
{
    switch (tab) {
    case PlanTab::Free:
        return freeBetType(code);
    case PlanTab::Member:
        return memberBetType(code);
    case PlanTab::Custom:
        return customBetType(code);
    }
    return std::nullopt;
}

std::optional<int> tabBetCode(PlanTab tab, BetType betType)
{
    for (int code = 1; code <= kMemberBetTypeCount; ++code)
        if (tabBetType(tab, code) == betType)
            return code;
    return std::nullopt;
}

std::optional<BacktestResult> backtestPlan(const DrawSeries& series, const QStringList& rules, PlanTab tab, int plan,
                                           int code, const BacktestWindow& window)
{
    const std::optional<BetType> betType = tabBetType(tab, code);
    if (tab == PlanTab::Custom || !betType || plan < 1 || plan > planCount(tab))
        return std::nullopt;
    const PlanWindow prepared = planWindow(series, window.last);
    return judgePlan(prepared, VerdictTable(tab, *betType), parsePlanRule(ruleLine(rules, plan)), window.keepRows);
}

std::optional<BacktestResult> backtestFormulas(FormulaEvaluator& evaluator, const DrawSeries& series,
                                               const FormulaTriple& formulas, int code, const BacktestWindow& window)
{
    const std::optional<BetType> betType = customBetType(code);
    if (!betType)
        return std::nullopt;
    const DrawSeries tail = seriesTail(series, window.last, kCustomSourceDraws);
    const DrawHistory history = historyFromSeries(tail);
    const WindowRows rows = windowRows(tail, kCustomSourceDraws, window.last);
    const VerdictTable verdicts(PlanTab::Custom, *betType);
    const std::array<std::shared_ptr<const CompiledFormula>, 3> compiled = {
        evaluator.compiled(formulas[0]), evaluator.compiled(formulas[1]), evaluator.compiled(formulas[2])};
    // The custom numbers of every position from the newest to the oldest judged one, column by
    // column; rows skipped at gaps are computed too and never read.
    const auto [newest, oldest] = std::minmax_element(rows.positions.begin(), rows.positions.end());
    const int first = rows.positions.empty() ? 1 : *newest;
    const int count = rows.positions.empty() ? 0 : *oldest - first + 1;
    const FormulaColumns columns = historyColumns(history, first, count);
    std::vector<int> numbers(static_cast<std::size_t>(count));
    ColumnScratch scratch;
    columnCustomNumbers(scratch, evaluator, {compiled[0].get(), compiled[1].get(), compiled[2].get()}, columns,
                        numbers.data());
    Tally tally(rows, tail, window.keepRows);
    for (std::size_t row = 0; row < rows.positions.size(); ++row) {
        const int k = rows.positions[row];
        const int n = numbers[static_cast<std::size_t>(k - first)];
        const Draw& target = history.at(k);
        tally.add(row, verdicts.verdict(n, issueIsEven(history.at(k + 1).issue), target, issueIsEven(target.issue)));
    }
    return tally.finish();
}

std::vector<PlanBacktest> backtestAllPlans(const DrawSeries& series, const PlanRules& rules, BetType betType, int last,
                                           int threads)
{
    std::vector<PlanBacktest> results;
    for (const PlanTab tab : {PlanTab::Free, PlanTab::Member}) {
        const std::optional<int> code = tabBetCode(tab, betType);
        if (!code)
            continue;
        for (int plan = 1; plan <= planCount(tab); ++plan)
            results.push_back(PlanBacktest{tab, plan, *code, {}, {}, {}});
    }
    if (results.empty())
        return results;

    const PlanWindow window = planWindow(series, last);
    const VerdictTable freeVerdicts(PlanTab::Free, betType);
    const VerdictTable memberVerdicts(PlanTab::Member, betType);
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i = next++; i < results.size(); i = next++) {
            PlanBacktest& item = results[i];
            const PlanRule rule = parsePlanRule(ruleLine(tabRules(rules, item.tab), item.plan));
            item.result = judgePlan(window, item.tab == PlanTab::Free ? freeVerdicts : memberVerdicts, rule, false);
        }
    };
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const int count = std::clamp(threads > 0 ? threads : cores, 1, static_cast<int>(results.size()));
    std::vector<std::jthread> workers;
    for (int i = 1; i < count; ++i)
        workers.emplace_back(work);
    work();
    return results;
}

struct PlanJudges::Tables
{
    Tables(const PlanRules& rules, BetType type)
        : betType(type), freeVerdicts(PlanTab::Free, type), memberVerdicts(PlanTab::Member, type)
    {
        for (const PlanTab tab : {PlanTab::Free, PlanTab::Member}) {
            const std::optional<int> code = tabBetCode(tab, type);
            if (!code)
                continue;
            for (int plan = 1; plan <= planCount(tab); ++plan) {
                plans.push_back(PlanBacktest{tab, plan, *code, {}, {}, {}});
                planRules.push_back(parsePlanRule(ruleLine(tabRules(rules, tab), plan)));
            }
        }
    }

    [[nodiscard]] const VerdictTable& verdicts(std::size_t i) const
    {
        return plans[i].tab == PlanTab::Free ? freeVerdicts : memberVerdicts;
    }

    BetType betType;
    VerdictTable freeVerdicts;
    VerdictTable memberVerdicts;
    std::vector<PlanBacktest> plans;
    std::vector<PlanRule> planRules;
};

PlanJudges::PlanJudges(const PlanRules& rules, BetType betType) : m_tables(std::make_unique<Tables>(rules, betType)) {}

PlanJudges::~PlanJudges() = default;

const std::vector<PlanBacktest>& PlanJudges::plans() const
{
    return m_tables->plans;
}

std::vector<RollingBacktest> PlanJudges::judgeWindow(const DrawSeries& series, int last, int threads,
                                                     std::stop_token stop, std::atomic<qint64>* judgedRows) const
{
    // Rows between two looks at the stop token: often enough to stop within a millisecond, rarely
    // enough to cost nothing.
    constexpr int kRowsPerStep = 4096;
    std::vector<RollingBacktest> backtests(m_tables->plans.size(), RollingBacktest(last));
    if (backtests.empty())
        return backtests;
    const PlanWindow window = planWindow(series, last);
    // The draws of the window oldest first, each either judged (its row) or skipped.
    const std::size_t size = window.series.size();
    const int considered = std::clamp(last, 0, std::max(0, static_cast<int>(size) - kPlanSourceDraws));
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i = next++; i < backtests.size() && !stop.stop_requested(); i = next++) {
            const PlanRule& rule = m_tables->planRules[i];
            const VerdictTable& verdicts = m_tables->verdicts(i);
            std::size_t row = 0;
            WorkingValues values{};
            int step = 0;
            for (int k = considered; k >= 1; --k) {
                if (++step == kRowsPerStep) {
                    if (judgedRows)
                        *judgedRows += step;
                    step = 0;
                    if (stop.stop_requested())
                        return;
                }
                if (row >= window.rows.positions.size() || window.rows.positions[row] != k) {
                    backtests[i].enter(std::nullopt);
                    continue;
                }
                const std::size_t target = size - static_cast<std::size_t>(k);
                for (std::size_t d = 0; d < 4; ++d) {
                    const SeriesDraw& source = window.series[target - 1 - d];
                    values[3 * d] = source.d1;
                    values[3 * d + 1] = source.d2;
                    values[3 * d + 2] = source.d3;
                }
                const int n = planNumber(rule, values);
                const int key = window.keys[row];
                const SeriesDraw& judged = window.series[target];
                backtests[i].enter(key >= 0 ? verdicts.verdict(n, key)
                                            : verdicts.verdict(n, window.sourceEven[row], judgedDraw(judged),
                                                               isEvenIssue(judged.issue)));
                ++row;
            }
            if (judgedRows)
                *judgedRows += step;
        }
    };
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const int count = std::clamp(threads > 0 ? threads : cores, 1, static_cast<int>(backtests.size()));
    std::vector<std::jthread> workers;
    for (int i = 1; i < count; ++i)
        workers.emplace_back(work);
    work();
    return backtests;
}

void PlanJudges::judgeNewest(const DrawSeries& series, std::vector<RollingBacktest>& backtests) const
{
    const std::size_t size = series.size();
    // A draw is judged when it and the four before it carry consecutive issues.
    bool consecutive = size > static_cast<std::size_t>(kPlanSourceDraws);
    for (std::size_t d = 0; consecutive && d < static_cast<std::size_t>(kPlanSourceDraws); ++d)
        consecutive = series[size - 1 - d].issue == series[size - 2 - d].issue + 1;
    if (size <= static_cast<std::size_t>(kPlanSourceDraws))
        return;
    WorkingValues values{};
    for (std::size_t d = 0; d < 4; ++d) {
        const SeriesDraw& source = series[size - 2 - d];
        values[3 * d] = source.d1;
        values[3 * d + 1] = source.d2;
        values[3 * d + 2] = source.d3;
    }
    const SeriesDraw& judged = series[size - 1];
    const bool sourceEven = isEvenIssue(series[size - 2].issue);
    const int key = VerdictTable::rowKey(sourceEven, judged.sum(), isEvenIssue(judged.issue));
    for (std::size_t i = 0; i < backtests.size() && i < m_tables->plans.size(); ++i) {
        if (!consecutive) {
            backtests[i].enter(std::nullopt);
            continue;
        }
        const int n = planNumber(m_tables->planRules[i], values);
        const VerdictTable& verdicts = m_tables->verdicts(i);
        backtests[i].enter(key >= 0 ? verdicts.verdict(n, key)
                                    : verdicts.verdict(n, sourceEven, judgedDraw(judged), isEvenIssue(judged.issue)));
    }
}

std::vector<double> rollingHitRates(const std::vector<BacktestRow>& rows, int window)
{
    std::vector<double> rates;
    if (window <= 0 || static_cast<int>(rows.size()) < window)
        return rates;
    rates.reserve(rows.size() - static_cast<std::size_t>(window) + 1);
    int hits = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        hits += rows[i].verdict == Verdict::Hit ? 1 : 0;
        if (i >= static_cast<std::size_t>(window))
            hits -= rows[i - static_cast<std::size_t>(window)].verdict == Verdict::Hit ? 1 : 0;
        if (i + 1 >= static_cast<std::size_t>(window))
            rates.push_back(hits * 100.0 / window);
    }
    return rates;
}

} // namespace tandor28
