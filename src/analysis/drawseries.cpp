#include "drawseries.h"

#include "model/classification.h"

namespace tandor28 {

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
        draw.resultText = resultText(it->d1, it->d2, it->d3);
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
        for (const QChar c : draw.issue) {
            if (c < u'0' || c > u'9')
                break;
            issue = issue * 10 + (c.unicode() - u'0');
        }
        series.push_back(SeriesDraw{issue, draw.d1, draw.d2, draw.d3});
    }
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
