#include "feed/issueplausibility.h"

#include "feed/feedlog.h"
#include "feed/feedparser.h"

#include <algorithm>

namespace tandor28 {

int drawIntervalSeconds(LotteryKind kind)
{
    return kind == LotteryKind::Lucky28 ? 300 : 210;
}

qint64 drawsPerDay(LotteryKind kind)
{
    return 86400 / drawIntervalSeconds(kind);
}

qint64 expectedIssue(LotteryKind kind, const IssueAnchor& anchor, const QDateTime& now)
{
    const qint64 elapsed = anchor.drawnAt.isValid() && now.isValid() ? anchor.drawnAt.secsTo(now) : 0;
    return anchor.issue + std::max<qint64>(elapsed, 0) / drawIntervalSeconds(kind);
}

std::optional<IssueAnchor> medianAnchor(LotteryKind kind, const std::vector<DatedDraw>& draws)
{
    // Each record's issue less the draws its time counts since the epoch: records of one schedule
    // share this base (within the breaks of a day), an absurd issue stands far off it.
    struct Based
    {
        qint64 base;
        const DatedDraw* draw;
    };
    std::vector<Based> based;
    for (const DatedDraw& draw : draws) {
        if (draw.drawnAt.isValid())
            based.push_back({draw.issue - draw.drawnAt.toSecsSinceEpoch() / drawIntervalSeconds(kind), &draw});
    }
    if (based.empty())
        return std::nullopt;
    const auto middle = based.begin() + static_cast<std::ptrdiff_t>(based.size() / 2);
    std::nth_element(based.begin(), middle, based.end(),
                     [](const Based& a, const Based& b) { return a.base < b.base; });
    return IssueAnchor{middle->draw->issue, middle->draw->drawnAt};
}

std::optional<IssueAnchor> newestAnchor(const std::vector<DatedDraw>& draws)
{
    const auto newest = std::max_element(draws.begin(), draws.end(),
                                         [](const DatedDraw& a, const DatedDraw& b) { return a.issue < b.issue; });
    if (newest == draws.end())
        return std::nullopt;
    return IssueAnchor{newest->issue, newest->drawnAt};
}

bool isPlausibleIssue(LotteryKind kind, const QString& issue, const QDateTime& now,
                      const std::vector<IssueAnchor>& anchors)
{
    bool ok = false;
    const qint64 number = issue.toLongLong(&ok);
    if (!ok || number < 0)
        return false;
    // An anchor without a time cannot say what the schedule expects now.
    return std::all_of(anchors.begin(), anchors.end(), [&](const IssueAnchor& anchor) {
        if (!anchor.drawnAt.isValid())
            return true;
        // Subtracting first keeps the comparison clear of an overflow near the top of the range.
        return number - expectedIssue(kind, anchor, now) <= drawsPerDay(kind);
    });
}

QStringList refuseImplausibleIssues(LotteryKind kind, FeedFetchResult& fetched, const QDateTime& now,
                                    const std::optional<IssueAnchor>& lastPlausible, int periodCount)
{
    QStringList refused;
    if (!fetched.history)
        return refused;
    std::vector<IssueAnchor> anchors;
    if (lastPlausible)
        anchors.push_back(*lastPlausible);
    if (const std::optional<IssueAnchor> median = medianAnchor(kind, fetched.draws))
        anchors.push_back(*median);
    std::vector<Draw> kept;
    for (const Draw& draw : fetched.history->draws()) {
        if (draw.issue.isEmpty())
            continue;
        if (isPlausibleIssue(kind, draw.issue, now, anchors))
            kept.push_back(draw);
        else
            refused.append(draw.issue);
    }
    // The records for the archive reach further back than the history: each is checked the same way.
    std::erase_if(fetched.draws, [&](const DatedDraw& draw) {
        const QString issue = QString::number(draw.issue);
        if (isPlausibleIssue(kind, issue, now, anchors))
            return false;
        if (!refused.contains(issue))
            refused.append(issue);
        return true;
    });
    if (refused.isEmpty())
        return refused;
    qCWarning(lcFeed) << "refused issues that cannot be real:" << refused;
    if (kept.size() < static_cast<std::size_t>(kMinimumRecords)) {
        fetched.history.reset();
        fetched.draws.clear();
        fetched.failure = FetchFailure::TooFewRecords;
        return refused;
    }
    kept.resize(static_cast<std::size_t>(std::max(periodCount, 0) + kHistoryExtra));
    fetched.history = DrawHistory(std::move(kept));
    return refused;
}

QStringList refuseImplausibleDraws(LotteryKind kind, std::vector<DatedDraw>& draws, const QDateTime& now)
{
    QStringList refused;
    std::vector<IssueAnchor> anchors;
    if (const std::optional<IssueAnchor> median = medianAnchor(kind, draws))
        anchors.push_back(*median);
    std::erase_if(draws, [&](const DatedDraw& draw) {
        const QString issue = QString::number(draw.issue);
        if (isPlausibleIssue(kind, issue, now, anchors))
            return false;
        refused.append(issue);
        return true;
    });
    return refused;
}

QString implausibleIssuesText(const QStringList& refused)
{
    if (refused.isEmpty())
        return {};
    const QString shown = refused.size() <= 3 ? refused.join(QStringLiteral("、"))
                                              : QStringList(refused.mid(0, 3)).join(QStringLiteral("、")) +
                                                    QStringLiteral(" 等%1个").arg(refused.size());
    return QStringLiteral("已拒绝不可能的期号 %1（超前开奖时间表一天以上）").arg(shown);
}

} // namespace tandor28
