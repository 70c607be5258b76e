#pragma once

#include "archive/drawarchive.h"

#include <atomic>
#include <functional>
#include <optional>

namespace tandor28 {

// One page of a source that pages back in time: `count` draws after skipping the `offset` newest
// (the Keno results service's ".../latest/{count}/{offset}"); nullopt when the request failed.
using PageFetcher = std::function<std::optional<std::vector<DatedDraw>>(int count, int offset)>;

struct Backfill
{
    int pages = 0;
    int added = 0;
    int conflicts = 0;
    std::vector<IssueGap> remaining; // the gaps ending at or after fromIssue still open afterwards
    QString error;
};

inline constexpr int kBackfillPageSize = 100;

// Fills the archive's gaps that end at or after `fromIssue`, newest gap first, page by page, asking
// for at most `maxPages` pages. Every record of a page is added, including those outside a gap.
// A `cancel` flag that turns true stops it before its next page (the window closing).
[[nodiscard]] Backfill fillGaps(DrawArchive& archive, LotteryKind lottery, qint64 fromIssue,
                                const PageFetcher& fetchPage, const QString& source, int maxPages = 50,
                                const std::atomic<bool>* cancel = nullptr);

} // namespace tandor28
