#include "snapshot.h"

#include "custom/formula.h"

#include <algorithm>

namespace tandor28 {

std::vector<PlanBacktest> backtestAlgorithms(const DrawSeries& series, const std::vector<CustomAlgorithm>& algorithms,
                                             BetType betType, int last)
{
    std::vector<PlanBacktest> backtests;
    const std::optional<int> code = tabBetCode(PlanTab::Custom, betType);
    if (!code || algorithms.empty())
        return backtests;
    // The engine lives on the calling thread, so every computation makes its own.
    FormulaEvaluator evaluator;
    for (std::size_t i = 0; i < algorithms.size(); ++i) {
        const FormulaTriple formulas = splitFormulas(algorithms[i].formulas);
        if (std::all_of(formulas.begin(), formulas.end(), [](const QString& f) { return f.trimmed().isEmpty(); }))
            continue;
        if (std::optional<BacktestResult> result = backtestFormulas(evaluator, series, formulas, *code, {last, false}))
            backtests.push_back({PlanTab::Custom, static_cast<int>(i), *code, std::move(*result), algorithms[i].name,
                                 algorithms[i].formulas});
    }
    return backtests;
}

AnalysisSnapshot analysisSnapshot(const DrawSeries& series, const PlanRules& rules, const AnalysisRequest& request)
{
    AnalysisSnapshot snapshot;
    snapshot.draws = static_cast<int>(series.size());
    snapshot.newestIssue = series.empty() ? 0 : series.back().issue;
    snapshot.gaps = gapCount(series);
    snapshot.backtests = backtestAllPlans(series, rules, request.betType, request.backtestLast, request.threads);
    for (PlanBacktest& item : backtestAlgorithms(series, request.algorithms, request.betType, request.backtestLast))
        snapshot.backtests.push_back(std::move(item));
    snapshot.missed = missedCounts(series);
    snapshot.hotCold = hotCold(series, request.recentLast);
    const auto recent = static_cast<std::ptrdiff_t>(std::clamp(request.recentLast, 0, snapshot.draws));
    snapshot.recent.assign(series.end() - recent, series.end());
    return snapshot;
}

DrawSeries mergeSeries(DrawSeries archive, const DrawSeries& fresh)
{
    const auto byIssue = [](const SeriesDraw& a, const SeriesDraw& b) { return a.issue < b.issue; };
    if (!std::is_sorted(archive.begin(), archive.end(), byIssue))
        std::stable_sort(archive.begin(), archive.end(), byIssue);
    const auto known = archive.size();
    for (const SeriesDraw& draw : fresh)
        if (!std::binary_search(archive.begin(), archive.begin() + static_cast<std::ptrdiff_t>(known), draw, byIssue))
            archive.push_back(draw);
    std::stable_sort(archive.begin(), archive.end(), byIssue);
    // A fresh source listing an issue twice keeps its first draw.
    archive.erase(std::unique(archive.begin(), archive.end(),
                              [](const SeriesDraw& a, const SeriesDraw& b) { return a.issue == b.issue; }),
                  archive.end());
    return archive;
}

int gapCount(const DrawSeries& series)
{
    int gaps = 0;
    for (std::size_t i = 1; i < series.size(); ++i)
        gaps += series[i].issue > series[i - 1].issue + 1 ? 1 : 0;
    return gaps;
}

} // namespace tandor28
