#pragma once

#include "drawseries.h"
#include "missed.h"

#include <QString>

#include <array>

namespace tandor28 {

// How often a sum came in the newest draws against its true odds.
struct HotCold
{
    int sum = 0;
    int count = 0;
    double expected = 0; // draws * p, p = the number of digit triples giving the sum out of 1000
    // (count - expected) / sqrt(draws * p * (1 - p)); 0 when no draw was counted.
    double z = 0;

    friend bool operator==(const HotCold&, const HotCold&) = default;
};

// The number of digit triples 0..9 whose sum is `sum` (1 for 0 and 27, 75 for 13 and 14).
[[nodiscard]] int tripleCount(int sum);

// The figures of counts per sum over `draws` draws.
[[nodiscard]] std::array<HotCold, kSumCount> hotColdOf(const std::array<int, kSumCount>& counts, int draws);

// Counts over the `last` newest draws of the series (cut to the series). A draw whose digits give a
// sum outside 0..27 counts nowhere but still counts as a draw.
[[nodiscard]] std::array<HotCold, kSumCount> hotCold(const DrawSeries& series, int last);

} // namespace tandor28
