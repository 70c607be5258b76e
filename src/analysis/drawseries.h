#pragma once

#include "model/dateddraw.h"
#include "model/draw.h"

#include <QtGlobal>

#include <vector>

namespace tandor28 {

// One draw of a long series: its issue number and its three digits.
struct SeriesDraw
{
    qint64 issue = 0;
    int d1 = 0;
    int d2 = 0;
    int d3 = 0;

    [[nodiscard]] int sum() const { return d1 + d2 + d3; }

    friend bool operator==(const SeriesDraw&, const SeriesDraw&) = default;
};

// Draws of one lottery, oldest first, issues ascending. Missing issues are gaps.
using DrawSeries = std::vector<SeriesDraw>;

// The series as the plan tables read draws: position 1 = the newest draw, the issue as its decimal
// text, sum and result text computed from the digits.
[[nodiscard]] DrawHistory historyFromSeries(const DrawSeries& series);

// The series of a history (position 1 = newest), issues read by their leading digits; positions
// whose issue has no digits (the empty draws of a short feed) are left out.
[[nodiscard]] DrawSeries seriesFromHistory(const DrawHistory& history);

// The archive's draws as a series (they come oldest first).
[[nodiscard]] DrawSeries seriesFromDated(const std::vector<DatedDraw>& draws);

// run[p - 1] for history position p: how many draws from p on, going older, carry consecutive issues
// (1 when the draw before p in the series is not issue(p) - 1). A prediction for position p computed
// from `depth` earlier draws is only what the plan would have predicted live when run >= depth + 1.
[[nodiscard]] std::vector<int> consecutiveRuns(const DrawSeries& series);

} // namespace tandor28
