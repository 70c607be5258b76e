// Everything one refresh computes after the fetch, in the core: both plan tables, the trend rows and
// category list, the streak alarm, the custom table and the statistics of 20 saved algorithms at
// W = 100. The window layer only copies these results into its grids.
#include "alerts/streakalarm.h"
#include "alerts/trend.h"
#include "custom/customtable.h"
#include "custom/search.h"
#include "plans/generators.h"
#include "plans/planrules.h"

#include <benchmark/benchmark.h>

#include <random>

using namespace tandor28;

namespace {

DrawHistory randomHistory()
{
    std::mt19937 rng(2828);
    std::vector<Draw> draws;
    for (int position = 1; position <= kHistoryLength; ++position) {
        draws.push_back(makeDraw(QString::number(3300000 - position), QStringLiteral("12:00"),
                                 QString::number(rng() % 10), QString::number(rng() % 10),
                                 QString::number(rng() % 10)));
    }
    return DrawHistory(std::move(draws));
}

std::vector<CustomAlgorithm> savedAlgorithms(int count)
{
    RandomSource random(28);
    std::vector<CustomAlgorithm> algorithms;
    for (int i = 0; i < count; ++i) {
        const FormulaTriple formulas = randomAlgorithm(random, SearchMode::Mixed);
        algorithms.push_back(
            {QStringLiteral("算法%1").arg(i), formulas[0] + u'|' + formulas[1] + u'|' + formulas[2], {}, {}, {}});
    }
    return algorithms;
}

} // namespace

static void BM_RefreshComputation(benchmark::State& state)
{
    const DrawHistory history = randomHistory();
    const PlanRules rules = loadPlanRules();
    std::vector<CustomAlgorithm> algorithms = savedAlgorithms(20);
    const FormulaTriple boxes{QStringLiteral("[1]+[8]+[9]+[12]/[8]*[6]"), QString(),
                              QStringLiteral("[1]*[9]+[5]/[2]+[10]")};
    StreakAlarmSettings alarm;
    alarm.thresholdText = QStringLiteral("3");
    FormulaEvaluator evaluator;
    for (auto _ : state) {
        benchmark::DoNotOptimize(generateFreeTable(history, rules.free, 1, 1, kPeriodCount));
        benchmark::DoNotOptimize(generateMemberTable(history, rules.member, 1, 1, kPeriodCount));
        benchmark::DoNotOptimize(trendRows(history, kPeriodCount));
        benchmark::DoNotOptimize(evaluateStreakAlarm(history, alarm));
        benchmark::DoNotOptimize(generateCustomTable(evaluator, history, boxes, 1, kPeriodCount));
        refreshAlgorithmStats(evaluator, history, algorithms, 1, 100);
        benchmark::DoNotOptimize(categoryList(history, kPeriodCount));
    }
}
BENCHMARK(BM_RefreshComputation)->Unit(benchmark::kMillisecond);
