#pragma once

#include "feed/http.h"
#include "model/dateddraw.h"
#include "model/draw.h"

#include <QFuture>
#include <QString>

#include <optional>

namespace tandor28 {

// What one fetch of a feed gave: the new history, or why there is none. A failed fetch leaves the
// caller's history in place; `failure` and `status` say why, for the status bar and the CLI.
struct FeedFetchResult
{
    std::optional<DrawHistory> history;
    FetchFailure failure = FetchFailure::None;
    int status = 0; // the HTTP status of the answer, 0 when none came
    // The records with their dates, for the draw archive; filled when the history is.
    std::vector<DatedDraw> draws;
    // The source that answered (describeSource), when a list of sources was asked.
    QString source;
};

// The outcome of a fetched response for a feed: the history parseDrawFeed gives for its body, or
// the reason there is none. A body with too few records that came with an error status counts as
// that status.
[[nodiscard]] FeedFetchResult readDrawFeed(LotteryKind kind, const HttpResponse& response,
                                           int periodCount = kPeriodCount);

// Fetches a feed and parses it on a worker thread, so neither a slow server nor a huge body holds up
// the window. `timeoutSeconds` as in HttpRequest (0: 15 s).
[[nodiscard]] QFuture<FeedFetchResult> fetchDrawFeedAsync(LotteryKind kind, const QString& url,
                                                          int periodCount = kPeriodCount, int timeoutSeconds = 0);

} // namespace tandor28
