#pragma once

#include "model/dateddraw.h"
#include "model/draw.h"

#include <QByteArray>
#include <QString>

#include <limits>
#include <optional>
#include <vector>

namespace tandor28 {

// The record pattern of each feed. Lucky 28 is plain text, one record a line ending in CR LF
// ("issue-date time-a + b + c = sum"); Canada 28 is JSON records with the members issue, date,
// c1, c2, c3, c4 in that order.
[[nodiscard]] QString recordPattern(LotteryKind kind);

// A feed with fewer records than this yields nothing and leaves the old history in place.
inline constexpr int kMinimumRecords = 5;

// The records of a feed body in document order (the body bytes taken as they are, one character
// per byte). Matching ignores case and "." never matches a line feed. The time taken grows with the
// length of the body, whatever its content.
// At most `maxRecords` records are read.
[[nodiscard]] std::vector<Draw> parseRecords(LotteryKind kind, const QByteArray& body,
                                             std::size_t maxRecords = std::numeric_limits<std::size_t>::max());

// The records of a feed body with their full local date and time, for the archive; records without
// a numeric issue or a readable date are left out.
[[nodiscard]] std::vector<DatedDraw> parseDatedRecords(LotteryKind kind, const QByteArray& body);

// The history a feed body gives: nullopt when it holds fewer than five records (callers then change
// nothing); otherwise periodCount + 10 positions, the records first, empty draws after them.
[[nodiscard]] std::optional<DrawHistory> parseDrawFeed(LotteryKind kind, const QByteArray& body,
                                                       int periodCount = kPeriodCount);

} // namespace tandor28
