#pragma once

#include "model/draw.h"

#include <QDateTime>

#include <optional>

#include <vector>

namespace tandor28 {

// A draw as the archive and the Keno sources know it: the issue as a number and the full date and
// time, which the history's Draw leaves out.
struct DatedDraw
{
    qint64 issue = 0;
    QDateTime drawnAt; // the moment; the archive and the Keno readers give it on the machine's clock
    int d1 = 0;
    int d2 = 0;
    int d3 = 0;
    // The 20 Keno numbers the digits were derived from, sorted; empty for feeds that state digits.
    std::vector<int> numbers;

    [[nodiscard]] int sum() const { return d1 + d2 + d3; }
    friend bool operator==(const DatedDraw&, const DatedDraw&) = default;
};

// The history's view of a dated draw: the issue as text, the time as HH:MM.
[[nodiscard]] Draw toDraw(const DatedDraw& draw);

// The history a list of dated draws gives, newest issue first, as a fetch of the feed would: nullopt
// when fewer than five draws came; otherwise periodCount + 10 positions, empty draws after the records.
[[nodiscard]] std::optional<DrawHistory> historyFromDated(std::vector<DatedDraw> draws, int periodCount = kPeriodCount);

// The kept draws a history's empty positions after its last record would hold: issues (issue of the
// last record) - 1 and down, one a position, to the end of the history. nullopt when the history has
// no such positions or its last record has no numeric issue.
struct IssueRange
{
    qint64 first = 0;
    qint64 last = 0;
};
[[nodiscard]] std::optional<IssueRange> emptyTailIssues(const DrawHistory& history);

// The history with its empty positions after the last record filled from `kept` where it holds the
// issue that position stands for; positions whose issue is not kept stay empty.
[[nodiscard]] DrawHistory fillEmptyTail(const DrawHistory& history, const std::vector<DatedDraw>& kept);

// A history of `length` positions from kept draws (any order), newest issue first, empty positions
// after them; all empty when none are kept.
[[nodiscard]] DrawHistory historyOfKept(std::vector<DatedDraw> kept, int length = kHistoryLength);

} // namespace tandor28
