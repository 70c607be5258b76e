#include "bankroll/simulation.h"

#include <benchmark/benchmark.h>

using namespace tandor28;

// The budget: 10,000 simulated sessions of up to 1,000 bets in under a second with 2 threads. The
// bets alternate 大 and 大单 so that a session keeps going: a ladder with a take-profit far away and
// a stop-loss at nothing.
static void BM_SimulateSessions(benchmark::State& state)
{
    SessionPlan plan;
    plan.balance = 100000;
    plan.rule =
        *parseStakingRule(state.range(0) ? QStringLiteral("ladder:1,2,4,8,17,36") : QStringLiteral("flat:10")).rule;
    std::vector<ChanceBet> bets;
    for (int i = 0; i < 1000; ++i)
        bets.push_back(i % 2 ? ChanceBet{0.5, 1.98} : ChanceBet{0.2258, 4.2});
    SimulationSettings settings;
    settings.sessions = 10000;
    settings.threads = 2;
    qint64 bet = 0;
    for (auto _ : state) {
        ++settings.seed;
        const SimulationResult result = simulateSessions(plan, bets, settings);
        bet += qint64(result.meanBets * double(result.sessions));
        benchmark::DoNotOptimize(result.returnPerStaked);
    }
    state.counters["bets/s"] = benchmark::Counter(double(bet), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SimulateSessions)->Arg(0)->Arg(1)->ArgName("ladder")->Unit(benchmark::kMillisecond)->UseRealTime();
