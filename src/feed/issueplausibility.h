#pragma once

#include "feed/feedfetch.h"
#include "model/dateddraw.h"
#include "model/draw.h"

#include <QDateTime>
#include <QStringList>

#include <optional>
#include <vector>

namespace tandor28 {

// An issue known to be real and its draw time: the schedule counts on from it.
struct IssueAnchor
{
    qint64 issue = 0;
    QDateTime drawnAt;
};

// Seconds between two draws by the lottery's schedule: 300 for Lucky 28, 210 for Canada 28.
[[nodiscard]] int drawIntervalSeconds(LotteryKind kind);
// The draws of a whole day by that interval: the margin an issue may run ahead of the schedule.
[[nodiscard]] qint64 drawsPerDay(LotteryKind kind);

// The issue the schedule expects at `now`, counted on from the anchor (never back before it).
[[nodiscard]] qint64 expectedIssue(LotteryKind kind, const IssueAnchor& anchor, const QDateTime& now);

// The anchor a batch of dated records gives by itself: its median record, so that a few absurd
// records cannot move it. None for an empty batch.
[[nodiscard]] std::optional<IssueAnchor> medianAnchor(LotteryKind kind, const std::vector<DatedDraw>& draws);

// The newest record of a batch, as the anchor later fetches are measured against.
[[nodiscard]] std::optional<IssueAnchor> newestAnchor(const std::vector<DatedDraw>& draws);

// Whether an issue text can be a real issue at `now`: a number that fits in 64 bits, at most a day of
// draws ahead of what every given anchor with a time expects.
[[nodiscard]] bool isPlausibleIssue(LotteryKind kind, const QString& issue, const QDateTime& now,
                                    const std::vector<IssueAnchor>& anchors);

// Takes out of a fetched result the records whose issue cannot be real (isPlausibleIssue, measured
// against `lastPlausible` when given and against the fetch's own median record), from its history
// and from the records for the archive. The history is rebuilt from the rest; with fewer than five
// left the fetch fails as too few records. Returns the refused issues, in feed order.
[[nodiscard]] QStringList refuseImplausibleIssues(LotteryKind kind, FeedFetchResult& fetched, const QDateTime& now,
                                                  const std::optional<IssueAnchor>& lastPlausible,
                                                  int periodCount = kPeriodCount);

// The same for a batch of dated records alone (an import): those whose issue cannot be real at
// `now`, measured against the batch's median record, are taken out. Returns the refused issues.
[[nodiscard]] QStringList refuseImplausibleDraws(LotteryKind kind, std::vector<DatedDraw>& draws, const QDateTime& now);

// What the status bar and the companion say about refused issues.
[[nodiscard]] QString implausibleIssuesText(const QStringList& refused);

} // namespace tandor28
