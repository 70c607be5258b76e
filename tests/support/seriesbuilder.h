#pragma once

#include "analysis/drawseries.h"
#include "drawbuilders.h"

#include <QList>

// Builders for the analysis tests: series of consecutive issues with chosen or pseudo-random digits.
namespace seriesbuilder {

// `count` draws, oldest first, issues from `firstIssue` on, digits from a fixed pseudo-random sequence.
inline tandor28::DrawSeries randomSeries(int count, qint64 firstIssue = 1000, unsigned seed = 7)
{
    tandor28::DrawSeries series;
    tandor28::testsupport::DigitSequence digits(seed);
    for (int i = 0; i < count; ++i) {
        const int d1 = digits.next();
        const int d2 = digits.next();
        const int d3 = digits.next();
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
        const std::array<int, 3> d = tandor28::testsupport::highDigitsOfSum(sum);
        series.push_back({firstIssue++, d[0], d[1], d[2]});
    }
    return series;
}

} // namespace seriesbuilder
