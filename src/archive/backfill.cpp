#include "backfill.h"

#include <algorithm>

namespace tandor28 {

Backfill fillGaps(DrawArchive& archive, LotteryKind lottery, qint64 fromIssue, const PageFetcher& fetchPage,
                  const QString& source, int maxPages, const std::atomic<bool>* cancel)
{
    Backfill result;
    std::vector<IssueGap> gaps = archive.gaps(lottery, fromIssue, &result.error);
    if (gaps.empty())
        return result;
    const auto fetch = [&](int count, int offset) -> std::optional<std::vector<DatedDraw>> {
        if (cancel && cancel->load()) {
            result.error = QStringLiteral("cancelled");
            return std::nullopt;
        }
        ++result.pages;
        std::optional<std::vector<DatedDraw>> page = fetchPage(count, offset);
        if (!page)
            result.error =
                cancel && cancel->load() ? QStringLiteral("cancelled") : QStringLiteral("the source did not answer");
        return page;
    };
    const auto keep = [&](const std::vector<DatedDraw>& page) {
        const ArchiveAdd added = archive.addDraws(lottery, page, source);
        result.added += added.added;
        result.conflicts += added.newConflicts;
        if (!added.ok)
            result.error = added.error;
        return added.ok;
    };
    // Offsets count back from the source's newest draw, so that is asked first.
    std::optional<std::vector<DatedDraw>> latest = fetch(1, 0);
    if (!latest || latest->empty()) {
        result.error = latest ? QStringLiteral("the source sent no draw") : result.error;
        result.remaining = gaps;
        return result;
    }
    qint64 newest = latest->front().issue;
    std::reverse(gaps.begin(), gaps.end());
    for (const IssueGap& gap : gaps) {
        const qint64 first = std::max(gap.first, fromIssue);
        qint64 last = gap.last;
        while (last >= first && result.pages < maxPages && result.error.isEmpty()) {
            const qint64 offset = newest - last;
            if (offset < 0)
                break;
            const int count = static_cast<int>(std::min<qint64>(last - first + 1, kBackfillPageSize));
            const std::optional<std::vector<DatedDraw>> page = fetch(count, static_cast<int>(offset));
            if (!page || page->empty() || !keep(*page))
                break;
            const auto [oldest, newestOnPage] = std::minmax_element(
                page->begin(), page->end(), [](const DatedDraw& a, const DatedDraw& b) { return a.issue < b.issue; });
            if (newestOnPage->issue == last) {
                last = oldest->issue - 1;
                continue;
            }
            // New draws came out since the source was asked: the page is shifted, so the newest issue is
            // taken again from it. No shift means the source cannot give these issues.
            const qint64 shifted = newestOnPage->issue + offset;
            if (shifted == newest)
                break;
            newest = shifted;
        }
    }
    result.remaining = archive.gaps(lottery, fromIssue);
    return result;
}

} // namespace tandor28
