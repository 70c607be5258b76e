#include "snapshot.h"

#include <algorithm>

namespace tandor28 {

AnalysisSnapshot analysisSnapshot(const DrawSeries& series, const PlanRules& rules, const AnalysisRequest& request)
{
    AnalysisSnapshot snapshot;
    snapshot.draws = static_cast<int>(series.size());
    snapshot.newestIssue = series.empty() ? 0 : series.back().issue;
    snapshot.gaps = gapCount(series);
    snapshot.backtests = backtestAllPlans(series, rules, request.betType, request.backtestLast, request.threads);
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
