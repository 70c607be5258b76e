#pragma once

#include "analysis/drawseries.h"

#include <QList>

// Builders for the analysis tests: series of consecutive issues with chosen or pseudo-random digits.
namespace seriesbuilder {

// `count` draws, oldest first, issues from `firstIssue` on, digits from a fixed pseudo-random sequence.
inline tandor28::DrawSeries randomSeries(int count, qint64 firstIssue = 1000, unsigned seed = 7)
{
    tandor28::DrawSeries series;
    unsigned state = seed;
    auto next = [&state] {
        state = state * 1103515245u + 12345u;
        return static_cast<int>((state >> 16) % 10);
    };
    for (int i = 0; i < count; ++i) {
        const int d1 = next();
        const int d2 = next();
        const int d3 = next();
        series.push_back({firstIssue + i, d1, d2, d3});
    }
    return series;
}

// The series without the draws of the given issues.
inline tandor28::DrawSeries withoutIssues(tandor28::DrawSeries series, const QList<qint64>& missing)
{
    std::erase_if(series, [&](const tandor28::SeriesDraw& draw) { return missing.contains(draw.issue); });
    return series;
}

// Draws of the given sums (digits 9, 9, rest as far as the sum allows), issues from `firstIssue` on.
inline tandor28::DrawSeries seriesOfSums(const QList<int>& sums, qint64 firstIssue = 1)
{
    tandor28::DrawSeries series;
    for (const int sum : sums) {
        const int d1 = sum > 9 ? 9 : sum;
        const int d2 = sum - d1 > 9 ? 9 : sum - d1;
        series.push_back({firstIssue++, d1, d2, sum - d1 - d2});
    }
    return series;
}

} // namespace seriesbuilder
