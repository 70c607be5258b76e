#pragma once

#include "model/draw.h"

#include <QFuture>
#include <QString>

#include <optional>

namespace tandor28 {

// Fetches a feed and parses it on a worker thread, so neither a slow server nor a huge body holds up
// the window. The result is what parseDrawFeed gives for the fetched body: nullopt when the fetch
// failed or the body holds fewer than five records (the caller then keeps its history).
[[nodiscard]] QFuture<std::optional<DrawHistory>> fetchDrawFeedAsync(LotteryKind kind, const QString& url,
                                                                     int periodCount = kPeriodCount);

} // namespace tandor28
