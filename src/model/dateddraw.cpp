#include "dateddraw.h"

#include <algorithm>

namespace tandor28 {

Draw toDraw(const DatedDraw& draw)
{
    return makeDraw(QString::number(draw.issue), draw.drawnAt.time().toString(QStringLiteral("HH:mm")),
                    QString::number(draw.d1), QString::number(draw.d2), QString::number(draw.d3));
}

std::optional<DrawHistory> historyFromDated(std::vector<DatedDraw> draws, int periodCount)
{
    // Same threshold as the feed parser: fewer than five records leave the old history in place.
    if (draws.size() < 5)
        return std::nullopt;
    std::stable_sort(draws.begin(), draws.end(),
                     [](const DatedDraw& a, const DatedDraw& b) { return a.issue > b.issue; });
    draws.erase(std::unique(draws.begin(), draws.end(),
                            [](const DatedDraw& a, const DatedDraw& b) { return a.issue == b.issue; }),
                draws.end());
    const std::size_t length = static_cast<std::size_t>(std::max(0, periodCount) + kHistoryExtra);
    std::vector<Draw> positions;
    positions.reserve(length);
    for (std::size_t i = 0; i < length; ++i)
        positions.push_back(i < draws.size() ? toDraw(draws[i]) : Draw{});
    return DrawHistory(std::move(positions));
}

} // namespace tandor28
