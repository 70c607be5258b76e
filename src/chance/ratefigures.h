#pragma once

#include "hitchance.h"

#include <QString>

#include <array>
#include <vector>

namespace tandor28 {

// What luck alone would give over a run of judged rows, kept as counts: how many rows carried each
// hit key and how many were hits. Counts add, so a tally grows row by row or by merging.
struct ChanceTally
{
    std::array<int, kHitKeyCount> rows{};
    int hits = 0;

    void add(int key, bool hit)
    {
        ++rows[static_cast<std::size_t>(key)];
        hits += hit ? 1 : 0;
    }
    void add(const ChanceTally& other);
    [[nodiscard]] int judged() const;

    friend bool operator==(const ChanceTally&, const ChanceTally&) = default;
};

// How the one-sided p-value was computed.
enum class PValueMethod
{
    None,            // no row judged
    Binomial,        // every row has the same chance
    PoissonBinomial, // exact, up to kExactRowLimit rows
    Normal,          // normal approximation with continuity correction beyond
};

inline constexpr int kExactRowLimit = 2000;

// The statistics beside an observed rate.
struct RateFigures
{
    int judged = 0;
    int hits = 0;
    double expectedHits = 0; // E: the sum of the rows' chances
    double variance = 0;     // V: the sum of p (1 - p)
    double expected = 0;     // E / n, the rate chance alone gives
    double low = 0;          // Wilson 95 % interval of the observed rate
    double high = 1;
    double pAbove = 1;    // P(at least `hits` hits by chance), one-sided
    double pBelow = 1;    // P(at most `hits` hits by chance)
    double pTwoSided = 1; // twice the smaller of the two, at most 1: what Holm corrects
    PValueMethod method = PValueMethod::None;

    [[nodiscard]] double rate() const { return judged > 0 ? static_cast<double>(hits) / judged : 0.0; }
};

// The figures of a tally under the chances of a table.
[[nodiscard]] RateFigures rateFigures(const ChanceTally& tally, const HitChanceTable& chances);

// The figures of rows whose chances are listed one by one (oldest first), with their hit count.
[[nodiscard]] RateFigures rateFigures(const std::vector<double>& rowChances, int hits);

// The Holm-adjusted two-sided p-values of figures looked at together, in their order.
[[nodiscard]] std::vector<double> holmAdjustedFigures(const std::vector<RateFigures>& figures);

// The chance that a plan with these row chances (oldest first) meets a marking rule: `criterion`
// 0..4 (right, wrong, accuracy, win streak, loss streak), `comparison` 0..3 (>=, <=, >, <), as the
// marking pass compares. 0 for an unknown criterion or comparison.
[[nodiscard]] double markingChance(const std::vector<double>& rowChances, int criterion, int comparison, int threshold);

// The chance that the best of `attempts` formulas without skill does at least as well as one with
// one-sided p-value p: 1 - (1 - p)^attempts.
[[nodiscard]] double bestOfChance(double p, qint64 attempts);

// "期望 50.29%  95%区间 45.2%–55.1%  p=0.312": the figures as a tooltip or a status line says them.
[[nodiscard]] QString rateFiguresText(const RateFigures& figures);

} // namespace tandor28
