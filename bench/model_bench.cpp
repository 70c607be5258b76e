#include "model/classification.h"

#include <benchmark/benchmark.h>

using namespace tandor28;

static void BM_ClassifySum(benchmark::State& state)
{
    int sum = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(comboLabel(sum));
        sum = (sum + 1) % 28;
    }
}
BENCHMARK(BM_ClassifySum);
