#include "chance/hitchance.h"
#include "chance/lotterylaw.h"
#include "chance/ratefigures.h"

#include <benchmark/benchmark.h>

using namespace tandor28;

// Budget: the exact law of a Keno scheme in under 50 ms (computed afresh, not the shared copy).
static void BM_LotteryLaw(benchmark::State& state)
{
    const auto scheme = static_cast<ChanceScheme>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(computeLotteryLaw(scheme));
}
BENCHMARK(BM_LotteryLaw)
    ->Arg(static_cast<int>(ChanceScheme::Interleave))
    ->Arg(static_cast<int>(ChanceScheme::Block))
    ->Unit(benchmark::kMillisecond);

// The exact p-value of a plan over 2,000 rows of mixed chances, the largest the exact law serves.
static void BM_RateFiguresExact2000(benchmark::State& state)
{
    const HitChanceTable& table = hitChanceTable(ChanceScheme::Block, BetType::Combo);
    ChanceTally tally;
    for (int i = 0; i < 2000; ++i)
        tally.add(hitKey(i % 28, i % 2 == 0, i % 2 == 1), i % 4 != 0);
    for (auto _ : state)
        benchmark::DoNotOptimize(rateFigures(tally, table));
}
BENCHMARK(BM_RateFiguresExact2000)->Unit(benchmark::kMicrosecond);
