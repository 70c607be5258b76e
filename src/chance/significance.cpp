#include "significance.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace tandor28 {

namespace {

double logBinomialPmf(int n, double p, int k)
{
    return std::lgamma(n + 1.0) - std::lgamma(k + 1.0) - std::lgamma(n - k + 1.0) + k * std::log(p) +
           (n - k) * std::log1p(-p);
}

// Sums the binomial probabilities from `from` away from the mode (upward when `up`), where they only
// fall, until they stop counting.
double tailFrom(int n, double p, int from, bool up)
{
    const double logStart = logBinomialPmf(n, p, from);
    if (logStart < -745.0) // below the smallest double: so is every later term
        return 0.0;
    double term = std::exp(logStart);
    double sum = 0.0;
    const double odds = p / (1.0 - p);
    for (int i = from;;) {
        sum += term;
        if (term < sum * 1e-17)
            break;
        if (up) {
            if (i >= n)
                break;
            term *= (n - i) / (i + 1.0) * odds;
            ++i;
        } else {
            if (i <= 0)
                break;
            term *= i / (n - i + 1.0) / odds;
            --i;
        }
    }
    return std::min(sum, 1.0);
}

// The continued fraction of Q(a, x) for x >= a + 1 (modified Lentz), without its prefactor.
double gammaContinuedFraction(double a, double x)
{
    const double tiny = 1e-300;
    double b = x + 1.0 - a;
    double c = 1.0 / tiny;
    double d = 1.0 / b;
    double h = d;
    for (int i = 1; i < 10000; ++i) {
        const double an = -i * (i - a);
        b += 2.0;
        d = an * d + b;
        if (std::abs(d) < tiny)
            d = tiny;
        c = b + an / c;
        if (std::abs(c) < tiny)
            c = tiny;
        d = 1.0 / d;
        const double delta = d * c;
        h *= delta;
        if (std::abs(delta - 1.0) < 1e-16)
            break;
    }
    return h;
}

// The regularized upper incomplete gamma function Q(a, x): the series of P(a, x) below a + 1, the
// continued fraction of Q above, so that small upper tails keep their digits.
double upperGammaRegularized(double a, double x)
{
    if (x <= 0)
        return 1.0;
    const double logPrefix = a * std::log(x) - x - std::lgamma(a);
    if (x >= a + 1.0)
        return std::clamp(std::exp(logPrefix) * gammaContinuedFraction(a, x), 0.0, 1.0);
    double term = 1.0 / a;
    double sum = term;
    for (int i = 1; i < 10000; ++i) {
        term *= x / (a + i);
        sum += term;
        if (std::abs(term) < std::abs(sum) * 1e-16)
            break;
    }
    return std::clamp(1.0 - sum * std::exp(logPrefix), 0.0, 1.0);
}

} // namespace

std::pair<double, double> wilsonInterval(int hits, int n)
{
    if (n <= 0)
        return {0.0, 1.0};
    const double z2 = kZ95 * kZ95;
    const double rate = static_cast<double>(hits) / n;
    const double centre = (rate + z2 / (2.0 * n)) / (1.0 + z2 / n);
    const double half = kZ95 / (1.0 + z2 / n) * std::sqrt(rate * (1.0 - rate) / n + z2 / (4.0 * n * n));
    return {std::max(0.0, centre - half), std::min(1.0, centre + half)};
}

double binomialAtLeast(int n, double p, int k)
{
    if (k <= 0)
        return 1.0;
    if (k > n)
        return 0.0;
    if (p <= 0.0)
        return 0.0;
    if (p >= 1.0)
        return 1.0;
    if (k > n * p)
        return tailFrom(n, p, k, true);
    return std::max(0.0, 1.0 - tailFrom(n, p, k - 1, false));
}

double binomialAtMost(int n, double p, int k)
{
    if (k < 0)
        return 0.0;
    if (k >= n)
        return 1.0;
    if (p <= 0.0)
        return 1.0;
    if (p >= 1.0)
        return 0.0;
    if (k < n * p)
        return tailFrom(n, p, k, false);
    return std::max(0.0, 1.0 - tailFrom(n, p, k + 1, true));
}

std::vector<double> poissonBinomial(const std::vector<std::pair<double, int>>& chanceCounts)
{
    std::vector<double> pmf{1.0};
    int rows = 0;
    for (const auto& [chance, count] : chanceCounts)
        rows += std::max(0, count);
    pmf.reserve(static_cast<std::size_t>(rows) + 1);
    for (const auto& [chance, count] : chanceCounts)
        for (int i = 0; i < count; ++i) {
            pmf.push_back(0.0);
            for (std::size_t h = pmf.size() - 1; h > 0; --h)
                pmf[h] = pmf[h] * (1.0 - chance) + pmf[h - 1] * chance;
            pmf[0] *= 1.0 - chance;
        }
    return pmf;
}

double normalUpperTail(double z)
{
    return 0.5 * std::erfc(z / std::sqrt(2.0));
}

double chiSquareUpperTail(double x, int degrees)
{
    if (degrees <= 0)
        return 1.0;
    return upperGammaRegularized(degrees / 2.0, x / 2.0);
}

std::vector<double> holmAdjusted(const std::vector<double>& pValues)
{
    const std::size_t count = pValues.size();
    std::vector<std::size_t> order(count);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return pValues[a] < pValues[b]; });
    std::vector<double> adjusted(count, 1.0);
    double running = 0.0;
    for (std::size_t rank = 0; rank < count; ++rank) {
        const double scaled = std::min(1.0, static_cast<double>(count - rank) * pValues[order[rank]]);
        running = std::max(running, scaled);
        adjusted[order[rank]] = running;
    }
    return adjusted;
}

QString chanceVerdictText(double adjustedP, double observedRate, double expectedRate)
{
    if (!(adjustedP < kSignificance))
        return QStringLiteral("与随机无显著差异");
    return observedRate > expectedRate ? QStringLiteral("高于随机") : QStringLiteral("低于随机");
}

QString pValueText(double p)
{
    return QString::number(std::clamp(p, 0.0, 1.0), 'g', 3);
}

} // namespace tandor28
