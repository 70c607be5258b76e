#pragma once

#include "rollingbacktest.h"
#include "snapshot.h"

#include <optional>
#include <vector>

namespace tandor28 {

// The long-run analysis kept up to date: built once over a series (off the window's thread, as
// analysisSnapshot would compute it), then moved on by each new draw in a time that does not depend
// on the series' length: missed counts and hot and cold counts by the draw that comes (and the one
// that leaves the recent window), every backtest by the draw that enters its window and the one
// that leaves it. A computation asked to stop through the request ends early, stopped(), its figures
// incomplete.
class LiveAnalysis
{
public:
    LiveAnalysis(DrawSeries series, const PlanRules& rules, AnalysisRequest request);
    ~LiveAnalysis();
    LiveAnalysis(const LiveAnalysis&) = delete;
    LiveAnalysis& operator=(const LiveAnalysis&) = delete;

    // Appends the draws of `fresh` (oldest first) newer than the newest held, and gives how many came.
    // nullopt, with nothing changed, when `fresh` does not reach back to the newest draw held: draws
    // between them may exist elsewhere, so only a new computation over the archive is right.
    [[nodiscard]] std::optional<int> append(const DrawSeries& fresh);
    [[nodiscard]] AnalysisSnapshot snapshot() const;
    [[nodiscard]] const AnalysisRequest& request() const { return m_request; }
    [[nodiscard]] const DrawSeries& series() const { return m_series; }
    // Whether the building was stopped before it ended: the figures are then not to be shown.
    [[nodiscard]] bool stopped() const { return m_stopped; }

private:
    struct Algorithm
    {
        PlanBacktest item; // tab, place in the list, code, name, formulas; its result is `rolling`
        FormulaTriple formulas;
        RollingBacktest rolling;
    };

    void add(const SeriesDraw& draw);

    AnalysisRequest m_request;
    DrawSeries m_series;
    PlanJudges m_judges;
    std::vector<RollingBacktest> m_plans;
    std::vector<Algorithm> m_algorithms;
    MissedTally m_missed;
    std::array<int, kSumCount> m_recentSums{};
    int m_gaps = 0;
    bool m_stopped = false;
};

} // namespace tandor28
