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

namespace {

// The last position holding a draw; 0 when none does.
int lastHeldPosition(const DrawHistory& history)
{
    for (int position = history.size(); position >= 1; --position) {
        if (!history.at(position).isEmpty())
            return position;
    }
    return 0;
}

} // namespace

std::optional<IssueRange> emptyTailIssues(const DrawHistory& history)
{
    const int last = lastHeldPosition(history);
    bool numeric = false;
    const qint64 issue = history.at(last).issue.toLongLong(&numeric);
    if (last == 0 || last == history.size() || !numeric)
        return std::nullopt;
    return IssueRange{issue - (history.size() - last), issue - 1};
}

DrawHistory fillEmptyTail(const DrawHistory& history, const std::vector<DatedDraw>& kept)
{
    const std::optional<IssueRange> range = emptyTailIssues(history);
    if (!range || kept.empty())
        return history;
    std::vector<Draw> positions = history.draws();
    const int last = lastHeldPosition(history);
    for (const DatedDraw& draw : kept) {
        if (draw.issue < range->first || draw.issue > range->last)
            continue;
        // Issue i stands at the last record's position plus its distance below that record's issue.
        const qint64 position = last + (range->last + 1 - draw.issue);
        positions[static_cast<std::size_t>(position - 1)] = toDraw(draw);
    }
    return DrawHistory(std::move(positions));
}

DrawHistory historyOfKept(std::vector<DatedDraw> kept, int length)
{
    std::sort(kept.begin(), kept.end(), [](const DatedDraw& a, const DatedDraw& b) { return a.issue > b.issue; });
    std::vector<Draw> positions;
    positions.reserve(static_cast<std::size_t>(std::max(length, 0)));
    for (int i = 0; i < length; ++i)
        positions.push_back(static_cast<std::size_t>(i) < kept.size() ? toDraw(kept[static_cast<std::size_t>(i)])
                                                                      : Draw{});
    return DrawHistory(std::move(positions));
}

} // namespace tandor28
