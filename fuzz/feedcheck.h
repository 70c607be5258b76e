#pragma once

#include "fuzzcheck.h"

#include "feed/feedparser.h"

#include <QByteArray>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>

// Both feed parsers: the records of any body, and the history they make, agree with each other.
inline void checkFeed(tandor28::LotteryKind kind, const std::uint8_t* data, std::size_t size)
{
    using namespace tandor28;
    const QByteArray body = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::vector<Draw> records = parseRecords(kind, body);
    const std::optional<DrawHistory> history = parseDrawFeed(kind, body);
    FUZZ_CHECK(history.has_value() == (records.size() >= static_cast<std::size_t>(kMinimumRecords)));
    if (!history)
        return;
    FUZZ_CHECK(history->size() == kHistoryLength);
    for (int i = 0; i < kHistoryLength; ++i) {
        const Draw& draw = history->at(i + 1);
        if (static_cast<std::size_t>(i) < records.size())
            FUZZ_CHECK(draw == records[static_cast<std::size_t>(i)]);
        else
            FUZZ_CHECK(draw == Draw{});
        const long long sum = static_cast<long long>(draw.d1) + draw.d2 + draw.d3;
        FUZZ_CHECK(draw.sum == std::clamp<long long>(sum, INT_MIN, INT_MAX));
    }
}
