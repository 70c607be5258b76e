#include "drawseries.h"

#include "model/classification.h"

#include <array>

namespace tandor28 {

namespace {

// The result texts of all digit triples, built once: a long series shares them instead of building
// one text per draw.
const QString& cachedResultText(int d1, int d2, int d3)
{
    static const std::array<QString, 1000> texts = [] {
        std::array<QString, 1000> result;
        for (int i = 0; i < 1000; ++i)
            result[static_cast<std::size_t>(i)] = resultText(i / 100, i / 10 % 10, i % 10);
        return result;
    }();
    return texts[static_cast<std::size_t>(d1 * 100 + d2 * 10 + d3)];
}

bool isDigit(int value)
{
    return value >= 0 && value <= 9;
}

} // namespace

DrawHistory historyFromSeries(const DrawSeries& series)
{
    std::vector<Draw> draws;
    draws.reserve(series.size());
    for (auto it = series.rbegin(); it != series.rend(); ++it) {
        Draw draw;
        draw.issue = QString::number(it->issue);
        draw.d1 = it->d1;
        draw.d2 = it->d2;
        draw.d3 = it->d3;
        draw.sum = it->sum();
        draw.resultText = isDigit(it->d1) && isDigit(it->d2) && isDigit(it->d3)
                              ? cachedResultText(it->d1, it->d2, it->d3)
                              : resultText(it->d1, it->d2, it->d3);
        draws.push_back(std::move(draw));
    }
    return DrawHistory(std::move(draws));
}

DrawSeries seriesFromHistory(const DrawHistory& history)
{
    DrawSeries series;
    series.reserve(static_cast<std::size_t>(history.size()));
    for (int position = history.size(); position >= 1; --position) {
        const Draw& draw = history.at(position);
        qint64 issue = 0;
        qsizetype digits = 0;
        for (; digits < draw.issue.size() && draw.issue[digits] >= u'0' && draw.issue[digits] <= u'9'; ++digits)
            issue = issue * 10 + (draw.issue[digits].unicode() - u'0');
        // A position the feed had no record for holds the empty draw, which is no draw at all.
        if (digits == 0)
            continue;
        series.push_back(SeriesDraw{issue, draw.d1, draw.d2, draw.d3});
    }
    return series;
}

DrawSeries seriesFromDated(const std::vector<DatedDraw>& draws)
{
    DrawSeries series;
    series.reserve(draws.size());
    for (const DatedDraw& draw : draws)
        series.push_back(SeriesDraw{draw.issue, draw.d1, draw.d2, draw.d3});
    return series;
}

std::vector<int> consecutiveRuns(const DrawSeries& series)
{
    const std::size_t size = series.size();
    std::vector<int> runs(size, 1);
    // runs is indexed by history position - 1, i.e. newest first; the series is oldest first.
    for (std::size_t i = 1; i < size; ++i) {
        const SeriesDraw& older = series[i - 1];
        const SeriesDraw& newer = series[i];
        const std::size_t newerPosition = size - 1 - i;
        if (newer.issue == older.issue + 1)
            runs[newerPosition] = runs[newerPosition + 1] + 1;
    }
    return runs;
}

} // namespace tandor28
