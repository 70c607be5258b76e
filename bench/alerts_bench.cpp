#include "alerts/streakalarm.h"
#include "alerts/trend.h"
#include "model/draw.h"

#include <QRandomGenerator>

#include <benchmark/benchmark.h>

using namespace tandor28;

namespace {

DrawHistory randomHistory()
{
    QRandomGenerator generator(28);
    DrawHistory history;
    for (int i = 0; i < kHistoryLength; ++i)
        history.append(makeDraw(QString::number(3000000 - i), QStringLiteral("12:00"),
                                QString::number(generator.bounded(10)), QString::number(generator.bounded(10)),
                                QString::number(generator.bounded(10))));
    return history;
}

// A history whose newest 25 draws repeat, so every run reaches the cap and the walk is longest.
DrawHistory longRunHistory()
{
    DrawHistory history;
    for (int i = 0; i < kHistoryLength; ++i)
        history.append(
            makeDraw(QString::number(3000000 - i), QStringLiteral("12:00"), u"3", u"3", i < 25 ? u"8" : u"1"));
    return history;
}

} // namespace

static void BM_TrendRows(benchmark::State& state)
{
    const DrawHistory history = randomHistory();
    for (auto _ : state)
        benchmark::DoNotOptimize(trendRows(history, kPeriodCount));
}
BENCHMARK(BM_TrendRows)->Unit(benchmark::kMicrosecond);

static void BM_CategoryList(benchmark::State& state)
{
    const DrawHistory history = randomHistory();
    for (auto _ : state)
        benchmark::DoNotOptimize(categoryList(history, kPeriodCount));
}
BENCHMARK(BM_CategoryList)->Unit(benchmark::kMicrosecond);

static void BM_StreakAlarm(benchmark::State& state)
{
    const DrawHistory history = state.range(0) ? longRunHistory() : randomHistory();
    StreakAlarmSettings settings;
    for (auto _ : state)
        benchmark::DoNotOptimize(evaluateStreakAlarm(history, settings));
}
BENCHMARK(BM_StreakAlarm)->Arg(0)->Arg(1)->ArgName("capped_runs")->Unit(benchmark::kMicrosecond);

// Everything the alerts compute in one refresh: trend rows, category list and the alarm.
static void BM_AlertsRefresh(benchmark::State& state)
{
    const DrawHistory history = randomHistory();
    StreakAlarmSettings settings;
    for (auto _ : state) {
        benchmark::DoNotOptimize(trendRows(history, kPeriodCount));
        benchmark::DoNotOptimize(categoryList(history, kPeriodCount));
        benchmark::DoNotOptimize(evaluateStreakAlarm(history, settings));
    }
}
BENCHMARK(BM_AlertsRefresh)->Unit(benchmark::kMicrosecond);
