#pragma once

#include "backtest.h"
#include "drawseries.h"
#include "hotcold.h"
#include "missed.h"

#include "custom/algorithmlist.h"
#include "plans/planrules.h"

#include <array>
#include <atomic>
#include <memory>
#include <stop_token>
#include <vector>

namespace tandor28 {

// What the long-run analysis tab shows, computed in one go off the window's thread.
struct AnalysisSnapshot
{
    int draws = 0; // draws in the series
    qint64 newestIssue = 0;
    int gaps = 0; // places where the series skips issues
    std::vector<PlanBacktest> backtests;
    std::array<MissedCount, kMissedItemCount> missed;
    std::array<HotCold, kSumCount> hotCold;
    std::vector<SeriesDraw> recent; // the newest draws, oldest first, for the sums chart
};

struct AnalysisRequest
{
    BetType betType = BetType::Combo;
    int backtestLast = 1000; // K: the newest draws every plan is judged on
    int recentLast = 100;    // N: the draws of the hot and cold counts and of the sums chart
    int threads = 0;         // 0: one per core
    // Saved algorithms judged beside the plans with the custom tab's code of the bet type (none when
    // the custom tab does not offer it).
    std::vector<CustomAlgorithm> algorithms;
    // Asked to stop (the window closes), a computation ends at its next step; its figures are
    // incomplete and thrown away.
    std::stop_token stop;
    // Counts the rows the plans' backtests judged so far, for whoever watches the computation.
    std::shared_ptr<std::atomic<qint64>> judgedRows;
};

// The backtests of saved algorithms, in list order; an algorithm without any formula is left out.
[[nodiscard]] std::vector<PlanBacktest>
backtestAlgorithms(const DrawSeries& series, const std::vector<CustomAlgorithm>& algorithms, BetType betType, int last);

[[nodiscard]] AnalysisSnapshot analysisSnapshot(const DrawSeries& series, const PlanRules& rules,
                                                const AnalysisRequest& request);

// The archive's draws with the draws of a fresher source (a feed) that it does not hold yet, by issue,
// oldest first. Where both hold an issue, the archive's draw stands.
[[nodiscard]] DrawSeries mergeSeries(DrawSeries archive, const DrawSeries& fresh);

// The number of places where the series skips at least one issue.
[[nodiscard]] int gapCount(const DrawSeries& series);

} // namespace tandor28
