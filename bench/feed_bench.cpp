#include "feed/feedparser.h"

#include <benchmark/benchmark.h>

using namespace tandor28;

namespace {

// 120 records of each feed, newest first, shaped like the local draw server's bodies.
QByteArray luckyFeed()
{
    QByteArray body;
    for (int i = 0; i < 120; ++i) {
        const int minutes = (12 * 60 + 5 - 5 * i + 24 * 60) % (24 * 60);
        body += QByteArray::number(3255120 - i) + "-2025-10-14 " +
                QByteArray::number(minutes / 60).rightJustified(2, '0') + ':' +
                QByteArray::number(minutes % 60).rightJustified(2, '0') + ":00-" + QByteArray::number(i % 10) + " + " +
                QByteArray::number((i * 3) % 10) + " + " + QByteArray::number((i * 7) % 10) + " = " +
                QByteArray::number(i % 10 + (i * 3) % 10 + (i * 7) % 10) + "\r\n";
    }
    return body;
}

QByteArray canadaFeed()
{
    QByteArray body = R"({"status":"ok","data":[)";
    for (int i = 0; i < 120; ++i) {
        if (i)
            body += ',';
        body += R"({"issue":")" + QByteArray::number(2990120 - i) + R"(","date":"2025-10-14 12:05","c1":")" +
                QByteArray::number(i % 10) + R"(","c2":")" + QByteArray::number((i * 3) % 10) + R"(","c3":")" +
                QByteArray::number((i * 7) % 10) + R"(","c4":"0"})";
    }
    return body + "]}";
}

void parseFeed(benchmark::State& state, LotteryKind kind, const QByteArray& body)
{
    if (!parseDrawFeed(kind, body)) {
        state.SkipWithError("feed did not parse");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(parseDrawFeed(kind, body));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * body.size());
}

void BM_ParseLucky28Feed120(benchmark::State& state)
{
    parseFeed(state, LotteryKind::Lucky28, luckyFeed());
}

void BM_ParseCanada28Feed120(benchmark::State& state)
{
    parseFeed(state, LotteryKind::Canada28Night, canadaFeed());
}

} // namespace

BENCHMARK(BM_ParseLucky28Feed120)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ParseCanada28Feed120)->Unit(benchmark::kMicrosecond);
