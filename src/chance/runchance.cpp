#include "runchance.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace tandor28 {

double gapChance(double p, int gap)
{
    if (gap <= 0)
        return 1.0;
    const double q = std::clamp(1.0 - p, 0.0, 1.0);
    return std::pow(q, gap);
}

double longestGapChance(double p, int draws, int length)
{
    if (length <= 0)
        return 1.0;
    if (length > draws)
        return 0.0;
    const double q = std::clamp(1.0 - p, 0.0, 1.0);
    const double runOfLength = std::pow(q, length);
    if (p <= 0.0)
        return 1.0;
    // reached[n]: the chance that a run of `length` absences has come within the first n draws. The
    // first such run ends at draw n > length when none came in the first n - length - 1 draws, the
    // next draw had it and the `length` after did not. Kept as the chance of a run, not of none, so
    // that small chances keep their digits.
    std::vector<double> reached(static_cast<std::size_t>(draws) + 1, 0.0);
    reached[static_cast<std::size_t>(length)] = runOfLength;
    const double firstEndsHere = p * runOfLength;
    for (int n = length + 1; n <= draws; ++n) {
        const double noneBefore = 1.0 - reached[static_cast<std::size_t>(n - length - 1)];
        reached[static_cast<std::size_t>(n)] = reached[static_cast<std::size_t>(n - 1)] + noneBefore * firstEndsHere;
    }
    return std::clamp(reached[static_cast<std::size_t>(draws)], 0.0, 1.0);
}

} // namespace tandor28
