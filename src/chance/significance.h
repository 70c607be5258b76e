#pragma once

#include <QString>

#include <utility>
#include <vector>

namespace tandor28 {

// The 97.5 % point of the standard normal law, for 95 % intervals.
inline constexpr double kZ95 = 1.959963984540054;
// Below this (Holm-adjusted) p-value a rate differs from chance.
inline constexpr double kSignificance = 0.05;

// The Wilson score interval of a rate of `hits` out of `n` at 95 %; [0, 1] when n is 0.
[[nodiscard]] std::pair<double, double> wilsonInterval(int hits, int n);

// P(X >= k) and P(X <= k) for X binomial (n, p).
[[nodiscard]] double binomialAtLeast(int n, double p, int k);
[[nodiscard]] double binomialAtMost(int n, double p, int k);

// The law of the number of hits of independent rows with the given chances (Poisson-binomial):
// element h is P(X = h). Exact up to rounding; quadratic in the number of rows.
[[nodiscard]] std::vector<double> poissonBinomial(const std::vector<std::pair<double, int>>& chanceCounts);

// P(Z >= z) for a standard normal Z.
[[nodiscard]] double normalUpperTail(double z);

// P(X >= x) for X chi-square with `degrees` degrees of freedom.
[[nodiscard]] double chiSquareUpperTail(double x, int degrees);

// Holm's step-down adjustment of p-values looked at together, in their given order.
[[nodiscard]] std::vector<double> holmAdjusted(const std::vector<double>& pValues);

// The plain verdict of a rate against chance: "与随机无显著差异" when the adjusted p-value is 0.05 or
// more, otherwise "高于随机" or "低于随机" by the side of the expected rate the observed one lies.
[[nodiscard]] QString chanceVerdictText(double adjustedP, double observedRate, double expectedRate);

// A p-value with 3 significant digits ("0.0312", "1", "2.35e-07").
[[nodiscard]] QString pValueText(double p);

} // namespace tandor28
