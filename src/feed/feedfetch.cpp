#include "feedfetch.h"

#include "feedparser.h"
#include "http.h"

#include <QtConcurrent/QtConcurrentRun>

namespace tandor28 {

QFuture<std::optional<DrawHistory>> fetchDrawFeedAsync(LotteryKind kind, const QString& url, int periodCount)
{
    return QtConcurrent::run(fetchThreadPool(),
                             [kind, url, periodCount] { return parseDrawFeed(kind, fetchText(url), periodCount); });
}

} // namespace tandor28
