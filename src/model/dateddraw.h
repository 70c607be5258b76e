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

} // namespace tandor28
