#include "liveanalysis.h"

#include "custom/formula.h"

#include <algorithm>

namespace tandor28 {

namespace {

void countSum(std::array<int, kSumCount>& sums, const SeriesDraw& draw, int change)
{
    const int sum = draw.sum();
    if (sum >= 0 && sum < kSumCount)
        sums[static_cast<std::size_t>(sum)] += change;
}

// The verdicts of the newest `considered` draws, oldest first, from the judged rows of a backtest of
// them: a draw without a row was skipped.
void enterRows(RollingBacktest& rolling, const DrawSeries& series, int considered, const std::vector<BacktestRow>& rows)
{
    std::size_t row = 0;
    for (auto it = series.end() - considered; it != series.end(); ++it) {
        if (row < rows.size() && rows[row].issue == it->issue)
            rolling.enter(rows[row++].verdict);
        else
            rolling.enter(std::nullopt);
    }
}

} // namespace

LiveAnalysis::LiveAnalysis(DrawSeries series, const PlanRules& rules, AnalysisRequest request)
    : m_request(std::move(request)), m_series(std::move(series)), m_judges(rules, m_request.betType)
{
    m_plans = m_judges.judgeWindow(m_series, m_request.backtestLast, m_request.threads, m_request.stop,
                                   m_request.judgedRows.get());
    m_stopped = m_request.stop.stop_requested();
    if (m_stopped)
        return;
    const std::optional<int> code = tabBetCode(PlanTab::Custom, m_request.betType);
    if (code && !m_request.algorithms.empty()) {
        // The engine lives on the calling thread, so every computation makes its own.
        FormulaEvaluator evaluator;
        const int considered =
            std::clamp(m_request.backtestLast, 0, std::max(0, static_cast<int>(m_series.size()) - kCustomSourceDraws));
        for (std::size_t i = 0; i < m_request.algorithms.size(); ++i) {
            if (m_request.stop.stop_requested()) {
                m_stopped = true;
                return;
            }
            const CustomAlgorithm& algorithm = m_request.algorithms[i];
            const FormulaTriple formulas = splitFormulas(algorithm.formulas);
            if (std::all_of(formulas.begin(), formulas.end(), [](const QString& f) { return f.trimmed().isEmpty(); }))
                continue;
            const std::optional<BacktestResult> judged =
                backtestFormulas(evaluator, m_series, formulas, *code, {m_request.backtestLast, true});
            if (!judged)
                continue;
            Algorithm kept{
                PlanBacktest{PlanTab::Custom, static_cast<int>(i), *code, {}, algorithm.name, algorithm.formulas},
                formulas, RollingBacktest(m_request.backtestLast)};
            enterRows(kept.rolling, m_series, considered, judged->rows);
            m_algorithms.push_back(std::move(kept));
        }
    }
    for (const SeriesDraw& draw : m_series)
        m_missed.add(draw);
    const auto recent =
        static_cast<std::ptrdiff_t>(std::clamp(m_request.recentLast, 0, static_cast<int>(m_series.size())));
    for (auto it = m_series.end() - recent; it != m_series.end(); ++it)
        countSum(m_recentSums, *it, 1);
    m_gaps = gapCount(m_series);
}

LiveAnalysis::~LiveAnalysis() = default;

std::optional<int> LiveAnalysis::append(const DrawSeries& fresh)
{
    if (m_series.empty())
        return fresh.empty() ? std::optional<int>(0) : std::nullopt;
    const qint64 newest = m_series.back().issue;
    const bool reaches =
        std::any_of(fresh.begin(), fresh.end(), [newest](const SeriesDraw& d) { return d.issue <= newest; });
    DrawSeries newer;
    for (const SeriesDraw& draw : fresh)
        if (draw.issue > newest)
            newer.push_back(draw);
    if (newer.empty())
        return 0;
    if (!reaches)
        return std::nullopt;
    std::stable_sort(newer.begin(), newer.end(),
                     [](const SeriesDraw& a, const SeriesDraw& b) { return a.issue < b.issue; });
    // A source listing an issue twice keeps its first draw, as mergeSeries does.
    newer.erase(std::unique(newer.begin(), newer.end(),
                            [](const SeriesDraw& a, const SeriesDraw& b) { return a.issue == b.issue; }),
                newer.end());
    for (const SeriesDraw& draw : newer)
        add(draw);
    return static_cast<int>(newer.size());
}

void LiveAnalysis::add(const SeriesDraw& draw)
{
    if (!m_series.empty() && draw.issue > m_series.back().issue + 1)
        ++m_gaps;
    m_series.push_back(draw);
    m_missed.add(draw);
    countSum(m_recentSums, draw, 1);
    const auto size = static_cast<qint64>(m_series.size());
    if (m_request.recentLast >= 0 && size > m_request.recentLast)
        countSum(m_recentSums, m_series[static_cast<std::size_t>(size - 1 - m_request.recentLast)], -1);
    m_judges.judgeNewest(m_series, m_plans);
    if (m_algorithms.empty() || m_series.size() <= static_cast<std::size_t>(kCustomSourceDraws))
        return;
    const DrawSeries tail(m_series.end() - (kCustomSourceDraws + 1), m_series.end());
    FormulaEvaluator evaluator;
    for (Algorithm& algorithm : m_algorithms) {
        const std::optional<BacktestResult> newest =
            backtestFormulas(evaluator, tail, algorithm.formulas, algorithm.item.code, {1, true});
        algorithm.rolling.enter(newest && !newest->rows.empty() ? std::optional<Verdict>(newest->rows.front().verdict)
                                                                : std::nullopt);
    }
}

AnalysisSnapshot LiveAnalysis::snapshot() const
{
    AnalysisSnapshot snapshot;
    snapshot.draws = static_cast<int>(m_series.size());
    snapshot.newestIssue = m_series.empty() ? 0 : m_series.back().issue;
    snapshot.gaps = m_gaps;
    const std::vector<PlanBacktest>& plans = m_judges.plans();
    snapshot.backtests.reserve(plans.size() + m_algorithms.size());
    for (std::size_t i = 0; i < plans.size() && i < m_plans.size(); ++i) {
        PlanBacktest item = plans[i];
        item.result = m_plans[i].result();
        snapshot.backtests.push_back(std::move(item));
    }
    for (const Algorithm& algorithm : m_algorithms) {
        PlanBacktest item = algorithm.item;
        item.result = algorithm.rolling.result();
        snapshot.backtests.push_back(std::move(item));
    }
    snapshot.missed = m_missed.counts();
    const int recent = std::clamp(m_request.recentLast, 0, snapshot.draws);
    snapshot.hotCold = hotColdOf(m_recentSums, recent);
    snapshot.recent.assign(m_series.end() - recent, m_series.end());
    return snapshot;
}

} // namespace tandor28
