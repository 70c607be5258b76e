#pragma once

#include "judgement.h"

#include <QString>

#include <vector>

namespace tandor28 {

// How a prediction series fared over a window of judged rows. The field order is the index the
// marking criterion uses.
struct PlanStats
{
    int right = 0;      // 0: "对"
    int wrong = 0;      // 1: "错"
    int accuracy = 0;   // 2: "正确率", integer percentage, truncated
    int winStreak = 0;  // 3: "连中", hits in a row ending at the newest row
    int lossStreak = 0; // 4: "连挂", misses in a row ending at the newest row

    // The field at a criterion index 0..4; 0 for any other index.
    [[nodiscard]] int field(int index) const;

    friend bool operator==(const PlanStats&, const PlanStats&) = default;
};

// Counts one more judged row into `wrong` and the streaks. Rows must come oldest first, so that the
// streaks end at the newest row.
void countVerdict(PlanStats& stats, Verdict verdict);

// Completes a window of `window` rows once its rows are counted: right = window - wrong and
// accuracy = integer part of right * 100 / window (0 when the window is empty).
void finishWindow(PlanStats& stats, int window);

// The statistics of a whole verdict series given oldest to newest; the window is its length.
[[nodiscard]] PlanStats statsFromVerdicts(const std::vector<Verdict>& oldestToNewest);

// The statistics label of the member plans tab after a pass, e.g.
// "统计【20期】 对:13 错:7 正确率:65 连中:2 连挂:0". `windowText` is the "统计：" box's text.
[[nodiscard]] QString statsLabelText(const QString& windowText, const PlanStats& stats);

// The statistics label before the first pass: "对:0 错:0 正确率:0 连中:0 连挂:0 （待标记）".
[[nodiscard]] QString initialStatsLabelText();

} // namespace tandor28
