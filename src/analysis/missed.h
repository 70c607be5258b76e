#pragma once

#include "drawseries.h"

#include <QString>

#include <array>
#include <vector>

namespace tandor28 {

// Sums 0..27, then the 25 categories of the trend list in its order.
inline constexpr int kSumCount = 28;
inline constexpr int kMissedItemCount = 53;

// How long a sum or category has been missing (遗漏) over a series.
struct MissedCount
{
    QString name;    // the sum as a decimal number, or the category label
    int current = 0; // draws after its newest appearance: 0 when the newest draw has it, all draws when it never came
    int longest =
        0; // the longest run of draws without it, the run before its first appearance and the current run included
    // The mean length of the runs without it: one run before each appearance and the current run,
    // runs of length 0 included, so (draws - appearances) / (appearances + 1).
    double average = 0;
    int appearances = 0;

    friend bool operator==(const MissedCount&, const MissedCount&) = default;
};

// The 53 items' names in their order: "0".."27", then the trend list's category labels.
[[nodiscard]] const std::array<QString, kMissedItemCount>& missedItemNames();

// Which of the 53 items a draw shows (classified as the trend list counts a draw).
[[nodiscard]] std::vector<int> missedItemsOf(const SeriesDraw& draw);

// The missed counts kept up to date draw by draw: each draw costs the same whatever came before.
class MissedTally
{
public:
    MissedTally();
    void add(const SeriesDraw& draw);
    [[nodiscard]] std::array<MissedCount, kMissedItemCount> counts() const;

private:
    qint64 m_draws = 0;
    std::array<qint64, kMissedItemCount> m_lastSeen{};
    std::array<qint64, kMissedItemCount> m_longest{};
    std::array<qint64, kMissedItemCount> m_appearances{};
};

// The missed counts of all 53 items over the whole series.
[[nodiscard]] std::array<MissedCount, kMissedItemCount> missedCounts(const DrawSeries& series);

// A figure with two decimals as the tables and the command-line companion show it ("3.50"); a value
// that rounds to zero shows "0.00", never "-0.00".
[[nodiscard]] QString twoDecimals(double value);

} // namespace tandor28
