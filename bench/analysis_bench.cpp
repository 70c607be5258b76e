#include "analysis/backtest.h"
#include "analysis/hotcold.h"
#include "analysis/missed.h"

#include "custom/formula.h"
#include "plans/planrules.h"

#include <benchmark/benchmark.h>

using namespace tandor28;

namespace {

// `count` draws with consecutive issues and pseudo-random digits, oldest first.
DrawSeries benchSeries(int count)
{
    DrawSeries series;
    series.reserve(static_cast<std::size_t>(count));
    unsigned state = 2028;
    auto digit = [&state] {
        state = state * 1103515245u + 12345u;
        return static_cast<int>((state >> 16) % 10);
    };
    for (int i = 0; i < count; ++i) {
        const int d1 = digit();
        const int d2 = digit();
        const int d3 = digit();
        series.push_back({3000000 + i, d1, d2, d3});
    }
    return series;
}

} // namespace

// Budget: every plan offering one bet type over 100,000 draws in under 1 s on two cores. The range
// is the bet type; the whole call is measured, including the preparation of the series.
static void BM_BacktestAllPlans100000(benchmark::State& state)
{
    const DrawSeries series = benchSeries(100000);
    const PlanRules rules = loadPlanRules();
    const auto betType = static_cast<BetType>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(backtestAllPlans(series, rules, betType, 100000, 2));
}
BENCHMARK(BM_BacktestAllPlans100000)
    ->Arg(static_cast<int>(BetType::Combo))
    ->Arg(static_cast<int>(BetType::DoubleItem))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// One plan with its judged rows kept, as the tab asks for a plan's curve.
static void BM_BacktestOnePlanRows100000(benchmark::State& state)
{
    const DrawSeries series = benchSeries(100000);
    const QStringList rules = loadPlanRules().member;
    for (auto _ : state)
        benchmark::DoNotOptimize(backtestPlan(series, rules, PlanTab::Member, 29, 1, {100000, true}));
}
BENCHMARK(BM_BacktestOnePlanRows100000)->Unit(benchmark::kMillisecond);

// Budget: missed counts over 1,000,000 draws in under 200 ms.
static void BM_MissedCounts1000000(benchmark::State& state)
{
    const DrawSeries series = benchSeries(1000000);
    for (auto _ : state)
        benchmark::DoNotOptimize(missedCounts(series));
}
BENCHMARK(BM_MissedCounts1000000)->Unit(benchmark::kMillisecond);

static void BM_HotCold1000000(benchmark::State& state)
{
    const DrawSeries series = benchSeries(1000000);
    for (auto _ : state)
        benchmark::DoNotOptimize(hotCold(series, 1000000));
}
BENCHMARK(BM_HotCold1000000)->Unit(benchmark::kMillisecond);

// The conversion every backtest starts with.
static void BM_HistoryFromSeries100000(benchmark::State& state)
{
    const DrawSeries series = benchSeries(100000);
    for (auto _ : state)
        benchmark::DoNotOptimize(historyFromSeries(series));
}
BENCHMARK(BM_HistoryFromSeries100000)->Unit(benchmark::kMillisecond);

// A formula triple backtested over 100,000 draws with issue gaps respected, the whole call: the
// series read as a history, the custom numbers column by column, every row judged.
static void BM_BacktestFormulas100000(benchmark::State& state)
{
    const DrawSeries series = benchSeries(100000);
    const FormulaTriple formulas = {QStringLiteral("[1]+[8]+[9]+[12]/[8]*[6]"), QStringLiteral("[2]*[7]-[15]"),
                                    QStringLiteral("[1]*[9]+[5]/[2]+[10]")};
    FormulaEvaluator evaluator;
    for (auto _ : state)
        benchmark::DoNotOptimize(backtestFormulas(evaluator, series, formulas, 1, {100000, false}));
}
BENCHMARK(BM_BacktestFormulas100000)->Unit(benchmark::kMillisecond);
