#include "ratefigures.h"

#include "significance.h"

#include <algorithm>
#include <cmath>

namespace tandor28 {

namespace {

// Rows with chances closer than this share one chance (the law's chances differ by far more).
constexpr double kSameChance = 1e-12;

using ChanceCounts = std::vector<std::pair<double, int>>;

ChanceCounts groupedChances(const ChanceTally& tally, const HitChanceTable& chances)
{
    ChanceCounts groups;
    for (int key = 0; key < kHitKeyCount; ++key) {
        const int count = tally.rows[static_cast<std::size_t>(key)];
        if (count == 0)
            continue;
        const double p = chances.ofKey(key);
        const auto same = std::find_if(groups.begin(), groups.end(),
                                       [p](const auto& group) { return std::abs(group.first - p) < kSameChance; });
        if (same != groups.end())
            same->second += count;
        else
            groups.emplace_back(p, count);
    }
    return groups;
}

RateFigures figuresOfGroups(const ChanceCounts& groups, int hits)
{
    RateFigures figures;
    for (const auto& [p, count] : groups) {
        figures.judged += count;
        figures.expectedHits += p * count;
        figures.variance += p * (1.0 - p) * count;
    }
    figures.hits = hits;
    if (figures.judged == 0)
        return figures;
    figures.expected = figures.expectedHits / figures.judged;
    std::tie(figures.low, figures.high) = wilsonInterval(hits, figures.judged);
    if (groups.size() == 1) {
        figures.method = PValueMethod::Binomial;
        figures.pAbove = binomialAtLeast(figures.judged, groups.front().first, hits);
        figures.pBelow = binomialAtMost(figures.judged, groups.front().first, hits);
    } else if (figures.judged <= kExactRowLimit) {
        figures.method = PValueMethod::PoissonBinomial;
        const std::vector<double> pmf = poissonBinomial(groups);
        double above = 0.0;
        for (std::size_t h = static_cast<std::size_t>(std::max(0, hits)); h < pmf.size(); ++h)
            above += pmf[h];
        double below = 0.0;
        for (std::size_t h = 0; h < pmf.size() && static_cast<int>(h) <= hits; ++h)
            below += pmf[h];
        figures.pAbove = std::clamp(above, 0.0, 1.0);
        figures.pBelow = std::clamp(below, 0.0, 1.0);
    } else {
        figures.method = PValueMethod::Normal;
        const double spread = std::sqrt(figures.variance);
        if (spread > 0) {
            figures.pAbove = normalUpperTail((hits - 0.5 - figures.expectedHits) / spread);
            figures.pBelow = normalUpperTail((figures.expectedHits - hits - 0.5) / spread);
        } else {
            figures.pAbove = hits <= figures.expectedHits + 0.5 ? 1.0 : 0.0;
            figures.pBelow = hits >= figures.expectedHits - 0.5 ? 1.0 : 0.0;
        }
    }
    figures.pTwoSided = std::min(1.0, 2.0 * std::min(figures.pAbove, figures.pBelow));
    return figures;
}

} // namespace

void ChanceTally::add(const ChanceTally& other)
{
    for (std::size_t key = 0; key < rows.size(); ++key)
        rows[key] += other.rows[key];
    hits += other.hits;
}

int ChanceTally::judged() const
{
    int count = 0;
    for (const int n : rows)
        count += n;
    return count;
}

RateFigures rateFigures(const ChanceTally& tally, const HitChanceTable& chances)
{
    return figuresOfGroups(groupedChances(tally, chances), tally.hits);
}

RateFigures rateFigures(const std::vector<double>& rowChances, int hits)
{
    ChanceCounts groups;
    for (const double p : rowChances) {
        const auto same = std::find_if(groups.begin(), groups.end(),
                                       [p](const auto& group) { return std::abs(group.first - p) < kSameChance; });
        if (same != groups.end())
            ++same->second;
        else
            groups.emplace_back(p, 1);
    }
    return figuresOfGroups(groups, hits);
}

std::vector<double> holmAdjustedFigures(const std::vector<RateFigures>& figures)
{
    std::vector<double> pValues;
    pValues.reserve(figures.size());
    for (const RateFigures& item : figures)
        pValues.push_back(item.pTwoSided);
    return holmAdjusted(pValues);
}

double markingChance(const std::vector<double>& rowChances, int criterion, int comparison, int threshold)
{
    const int window = static_cast<int>(rowChances.size());
    // chanceOf[v]: the chance that the criterion's value is v, for v = 0..100 at most.
    std::vector<double> chanceOf;
    if (criterion >= 0 && criterion <= 2) {
        ChanceCounts each;
        each.reserve(rowChances.size());
        for (const double p : rowChances)
            each.emplace_back(p, 1);
        const std::vector<double> hits = poissonBinomial(each);
        for (int h = 0; h <= window; ++h) {
            const double chance = hits[static_cast<std::size_t>(h)];
            const int value = criterion == 0 ? h : criterion == 1 ? window - h : window > 0 ? h * 100 / window : 0;
            if (static_cast<int>(chanceOf.size()) <= value)
                chanceOf.resize(static_cast<std::size_t>(value) + 1, 0.0);
            chanceOf[static_cast<std::size_t>(value)] += chance;
        }
    } else if (criterion == 3 || criterion == 4) {
        // A streak of s ends at the newest row: the newest s rows went one way, the one before the other.
        chanceOf.assign(static_cast<std::size_t>(window) + 1, 0.0);
        double run = 1.0;
        for (int s = 0; s <= window; ++s) {
            if (s == window) {
                chanceOf[static_cast<std::size_t>(s)] = run;
                break;
            }
            const double p = rowChances[static_cast<std::size_t>(window - 1 - s)];
            const double same = criterion == 3 ? p : 1.0 - p;
            chanceOf[static_cast<std::size_t>(s)] = run * (1.0 - same);
            run *= same;
        }
    } else {
        return 0.0;
    }
    double chance = 0.0;
    for (int value = 0; value < static_cast<int>(chanceOf.size()); ++value) {
        bool meets = false;
        switch (comparison) {
        case 0:
            meets = value >= threshold;
            break;
        case 1:
            meets = value <= threshold;
            break;
        case 2:
            meets = value > threshold;
            break;
        case 3:
            meets = value < threshold;
            break;
        default:
            return 0.0;
        }
        if (meets)
            chance += chanceOf[static_cast<std::size_t>(value)];
    }
    return std::clamp(chance, 0.0, 1.0);
}

double bestOfChance(double p, qint64 attempts)
{
    if (attempts <= 0)
        return 0.0;
    const double single = std::clamp(p, 0.0, 1.0);
    if (single >= 1.0)
        return 1.0;
    return std::clamp(-std::expm1(static_cast<double>(attempts) * std::log1p(-single)), 0.0, 1.0);
}

QString rateFiguresText(const RateFigures& figures)
{
    if (figures.judged == 0)
        return QStringLiteral("尚无判定");
    return QStringLiteral("随机期望 %1%  95%区间 %2%–%3%  p=%4")
        .arg(figures.expected * 100.0, 0, 'f', 2)
        .arg(figures.low * 100.0, 0, 'f', 2)
        .arg(figures.high * 100.0, 0, 'f', 2)
        .arg(pValueText(figures.pAbove));
}

} // namespace tandor28
