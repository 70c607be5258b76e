#include "missed.h"

#include "alerts/trend.h"
#include "model/classification.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

namespace tandor28 {

namespace {

using ItemMask = std::uint64_t;
static_assert(kMissedItemCount <= 64);

int categoryItem(const QString& label)
{
    const auto& labels = categoryLabels();
    const auto it = std::find(labels.begin(), labels.end(), label);
    return it == labels.end() ? -1 : kSumCount + static_cast<int>(it - labels.begin());
}

// The items a sum shows, classified as the trend list counts a draw; the triple is the digits' own.
struct SumMasks
{
    std::array<ItemMask, kSumCount> bySum{};
    ItemMask triple = 0;

    SumMasks()
    {
        for (int sum = 0; sum < kSumCount; ++sum) {
            ItemMask mask = ItemMask{1} << sum;
            const QString labels[] = {sizeLabel(sum),
                                      parityLabel(sum),
                                      middleEdgeLabel(sum),
                                      comboLabel(sum),
                                      extremeLabel(sum),
                                      QStringLiteral("3N%1").arg(sumMod(sum, 3)),
                                      QStringLiteral("4N%1").arg(sumMod(sum, 4)),
                                      QStringLiteral("5N%1").arg(sumMod(sum, 5))};
            for (const QString& label : labels)
                if (const int item = categoryItem(label); item >= 0)
                    mask |= ItemMask{1} << item;
            bySum[static_cast<std::size_t>(sum)] = mask;
        }
        triple = ItemMask{1} << categoryItem(QStringLiteral("豹子"));
    }
};

const SumMasks& sumMasks()
{
    static const SumMasks masks;
    return masks;
}

ItemMask itemMask(const SumMasks& masks, const SeriesDraw& draw)
{
    const int sum = draw.sum();
    ItemMask mask = sum >= 0 && sum < kSumCount ? masks.bySum[static_cast<std::size_t>(sum)] : 0;
    if (draw.d1 == draw.d2 && draw.d2 == draw.d3)
        mask |= masks.triple;
    return mask;
}

} // namespace

const std::array<QString, kMissedItemCount>& missedItemNames()
{
    static const std::array<QString, kMissedItemCount> names = [] {
        std::array<QString, kMissedItemCount> result;
        for (int sum = 0; sum < kSumCount; ++sum)
            result[static_cast<std::size_t>(sum)] = QString::number(sum);
        const auto& labels = categoryLabels();
        std::copy(labels.begin(), labels.end(), result.begin() + kSumCount);
        return result;
    }();
    return names;
}

std::vector<int> missedItemsOf(const SeriesDraw& draw)
{
    std::vector<int> items;
    for (ItemMask mask = itemMask(sumMasks(), draw); mask != 0; mask &= mask - 1)
        items.push_back(std::countr_zero(mask));
    return items;
}

MissedTally::MissedTally()
{
    m_lastSeen.fill(-1);
}

void MissedTally::add(const SeriesDraw& draw)
{
    const qint64 i = m_draws++;
    for (ItemMask mask = itemMask(sumMasks(), draw); mask != 0; mask &= mask - 1) {
        const auto item = static_cast<std::size_t>(std::countr_zero(mask));
        m_longest[item] = std::max(m_longest[item], i - m_lastSeen[item] - 1);
        m_lastSeen[item] = i;
        ++m_appearances[item];
    }
}

std::array<MissedCount, kMissedItemCount> MissedTally::counts() const
{
    std::array<MissedCount, kMissedItemCount> counts;
    const auto& names = missedItemNames();
    for (std::size_t item = 0; item < counts.size(); ++item) {
        MissedCount& count = counts[item];
        const qint64 current = m_draws - 1 - m_lastSeen[item];
        count.name = names[item];
        count.current = static_cast<int>(current);
        count.longest = static_cast<int>(std::max(m_longest[item], current));
        count.appearances = static_cast<int>(m_appearances[item]);
        count.average =
            static_cast<double>(m_draws - m_appearances[item]) / static_cast<double>(m_appearances[item] + 1);
    }
    return counts;
}

std::array<MissedCount, kMissedItemCount> missedCounts(const DrawSeries& series)
{
    MissedTally tally;
    for (const SeriesDraw& draw : series)
        tally.add(draw);
    return tally.counts();
}

QString twoDecimals(double value)
{
    const double rounded = std::round(value * 100.0) / 100.0;
    return QString::number(rounded == 0.0 ? 0.0 : rounded, 'f', 2);
}

} // namespace tandor28
