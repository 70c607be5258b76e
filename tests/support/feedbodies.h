#pragma once

#include "model/draw.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>

#include <vector>

// Feed documents as the two draw servers publish them, built from chosen draws.
namespace tandor28::testsupport {

struct FeedDraw
{
    qint64 issue = 0;
    QDateTime time; // local; the Canada 28 feed gives it to the minute
    int d1 = 0;
    int d2 = 0;
    int d3 = 0;
};

// Lucky 28: "issue-yyyy-MM-dd HH:mm:ss-a + b + c = sum" and CR LF a draw. Canada 28: a JSON array of
// {"issue","date","c1","c2","c3","c4"} records. Draws in the order given (feeds list the newest first).
[[nodiscard]] QByteArray feedBody(LotteryKind kind, const std::vector<FeedDraw>& draws);

// Draws of the given digits, newest first: issues counting down from `newestIssue`, every one at
// `time` (the parsers read the issue, not the time, for order).
[[nodiscard]] std::vector<FeedDraw> feedDraws(const QList<QList<int>>& digits, qint64 newestIssue,
                                              const QDateTime& time);

} // namespace tandor28::testsupport
