#include "feedfetch.h"

#include "feedparser.h"

#include <QtConcurrent/QtConcurrentRun>

namespace tandor28 {

FeedFetchResult readDrawFeed(LotteryKind kind, const HttpResponse& response, int periodCount)
{
    FeedFetchResult result;
    result.status = response.status;
    if (!response.completed) {
        result.failure = response.failure == FetchFailure::None ? FetchFailure::Network : response.failure;
        return result;
    }
    result.history = parseDrawFeed(kind, response.body, periodCount);
    if (!result.history)
        result.failure = response.status >= 400 ? FetchFailure::HttpStatus : FetchFailure::TooFewRecords;
    else
        result.draws = parseDatedRecords(kind, response.body);
    return result;
}

QFuture<FeedFetchResult> fetchDrawFeedAsync(LotteryKind kind, const QString& url, int periodCount, int timeoutSeconds)
{
    return QtConcurrent::run(fetchThreadPool(), [kind, url, periodCount, timeoutSeconds] {
        return readDrawFeed(kind, fetchResponse(url, timeoutSeconds), periodCount);
    });
}

} // namespace tandor28
