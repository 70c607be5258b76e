#include "hotcold.h"

#include <algorithm>
#include <cmath>

namespace tandor28 {

int tripleCount(int sum)
{
    int count = 0;
    for (int d1 = 0; d1 <= 9; ++d1)
        for (int d2 = 0; d2 <= 9; ++d2) {
            const int d3 = sum - d1 - d2;
            count += d3 >= 0 && d3 <= 9 ? 1 : 0;
        }
    return count;
}

std::array<HotCold, kSumCount> hotCold(const DrawSeries& series, int last)
{
    const int draws = std::clamp(last, 0, static_cast<int>(series.size()));
    std::array<int, kSumCount> counts{};
    for (auto it = series.end() - draws; it != series.end(); ++it) {
        const int sum = it->sum();
        if (sum >= 0 && sum < kSumCount)
            ++counts[static_cast<std::size_t>(sum)];
    }
    return hotColdOf(counts, draws);
}

std::array<HotCold, kSumCount> hotColdOf(const std::array<int, kSumCount>& counts, int draws)
{
    std::array<HotCold, kSumCount> result;
    for (int sum = 0; sum < kSumCount; ++sum) {
        HotCold& item = result[static_cast<std::size_t>(sum)];
        const double p = tripleCount(sum) / 1000.0;
        item.sum = sum;
        item.count = counts[static_cast<std::size_t>(sum)];
        item.expected = draws * p;
        const double spread = std::sqrt(draws * p * (1.0 - p));
        item.z = spread > 0 ? (item.count - item.expected) / spread : 0.0;
    }
    return result;
}

} // namespace tandor28
