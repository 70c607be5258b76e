#include "plans/generators.h"
#include "plans/marking.h"
#include "plans/planrules.h"

#include "model/draw.h"

#include <benchmark/benchmark.h>

using namespace tandor28;

namespace {

DrawHistory benchHistory()
{
    std::vector<Draw> draws;
    unsigned state = 2028;
    auto digit = [&state] {
        state = state * 1103515245u + 12345u;
        return QString::number((state >> 16) % 10);
    };
    for (int position = 1; position <= kHistoryLength; ++position) {
        const QString d1 = digit();
        const QString d2 = digit();
        const QString d3 = digit();
        draws.push_back(makeDraw(QString::number(3255200 - position), QStringLiteral("12:00"), d1, d2, d3));
    }
    return DrawHistory(std::move(draws));
}

} // namespace

static void BM_MarkingPass56PlansWindow100(benchmark::State& state)
{
    const DrawHistory history = benchHistory();
    const QStringList rules = loadPlanRules().member;
    const int code = static_cast<int>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(markMemberPlans(history, rules, code, 100, MarkRule{}));
}
BENCHMARK(BM_MarkingPass56PlansWindow100)->Arg(1)->Arg(8)->Arg(9)->Unit(benchmark::kMicrosecond);

static void BM_FreeGenerator100(benchmark::State& state)
{
    const DrawHistory history = benchHistory();
    const QStringList rules = loadPlanRules().free;
    for (auto _ : state)
        benchmark::DoNotOptimize(generateFreeTable(history, rules, 1, 1, kPeriodCount));
}
BENCHMARK(BM_FreeGenerator100)->Unit(benchmark::kMicrosecond);

static void BM_MemberGenerator100(benchmark::State& state)
{
    const DrawHistory history = benchHistory();
    const QStringList rules = loadPlanRules().member;
    const int code = static_cast<int>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(generateMemberTable(history, rules, 29, code, kPeriodCount));
}
BENCHMARK(BM_MemberGenerator100)->Arg(1)->Arg(4)->Arg(9)->Unit(benchmark::kMicrosecond);
