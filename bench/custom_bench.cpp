#include "custom/customtable.h"
#include "custom/formula.h"
#include "custom/jsnumber.h"
#include "custom/search.h"

#include <QJSEngine>

#include <benchmark/benchmark.h>

#include <random>

using namespace tandor28;

namespace {

DrawHistory benchHistory()
{
    std::mt19937 rng(28);
    std::vector<Draw> draws;
    for (int position = 1; position <= kHistoryLength; ++position) {
        draws.push_back(makeDraw(QString::number(3300000 - position), QStringLiteral("12:00"),
                                 QString::number(rng() % 10), QString::number(rng() % 10),
                                 QString::number(rng() % 10)));
    }
    return DrawHistory(std::move(draws));
}

std::vector<WorkingValues> rowValues(const DrawHistory& history)
{
    std::vector<WorkingValues> rows;
    for (int k = 0; k <= kPeriodCount; ++k)
        rows.push_back(fillCustomWorkingValues(history, k));
    return rows;
}

const QString kFormula = QStringLiteral("[1]+[8]+[9]+[12]/[8]*[6]");

} // namespace

// One formula digit per iteration through the compiled fast path.
static void BM_FormulaDigitFastPath(benchmark::State& state)
{
    const std::vector<WorkingValues> rows = rowValues(benchHistory());
    FormulaEvaluator evaluator;
    const auto compiled = evaluator.compiled(kFormula);
    std::size_t row = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(evaluator.digit(*compiled, rows[row]));
        row = (row + 1) % rows.size();
    }
}
BENCHMARK(BM_FormulaDigitFastPath);

// The same digit through QJSEngine::evaluate of the substituted text; the budget asks the fast path
// to be at least 50 times faster than this.
static void BM_FormulaDigitEngine(benchmark::State& state)
{
    const std::vector<WorkingValues> rows = rowValues(benchHistory());
    QJSEngine engine;
    std::size_t row = 0;
    for (auto _ : state) {
        const QString text = engine.evaluate(substituteWorkingValues(kFormula, rows[row])).toString();
        benchmark::DoNotOptimize(lastDigitOfLeadingInteger(text));
        row = (row + 1) % rows.size();
    }
}
BENCHMARK(BM_FormulaDigitEngine);

// Search attempts at W = 100, mixed mode, 2 threads, with a criterion nothing meets. The
// attempts_per_second counter is the figure the budget speaks of (>= 20,000).
static void BM_SearchAttempts(benchmark::State& state)
{
    const DrawHistory history = benchHistory();
    SearchSettings settings;
    settings.mode = SearchMode::Mixed;
    settings.criterion = 0;
    settings.threshold = 101;
    settings.window = 100;
    settings.code = 1;
    settings.threads = 2;
    settings.seed = 7;
    settings.maxAttempts = 20000;
    long long attempts = 0;
    double seconds = 0;
    for (auto _ : state) {
        const SearchResult result = runSearch(history, settings, std::stop_token());
        attempts += result.attempts;
        seconds += result.seconds;
    }
    state.counters["attempts_per_second"] = seconds > 0 ? static_cast<double>(attempts) / seconds : 0.0;
}
BENCHMARK(BM_SearchAttempts)->Unit(benchmark::kMillisecond)->UseRealTime();

// What refreshCustom computes: the custom table and the statistics of 20 saved algorithms at W = 100.
static void BM_RefreshCustom(benchmark::State& state)
{
    const DrawHistory history = benchHistory();
    RandomSource random(3);
    std::vector<CustomAlgorithm> saved;
    for (int i = 0; i < 20; ++i) {
        const FormulaTriple formulas = randomAlgorithm(random, SearchMode::Mixed);
        saved.push_back(
            {QStringLiteral("a%1").arg(i), joinFormulas(formulas[0], formulas[1], formulas[2]), {}, {}, {}});
    }
    const FormulaTriple boxes = {kFormula, QString(), QStringLiteral("[1]*[9]+[5]/[2]+[10]")};
    FormulaEvaluator evaluator;
    for (auto _ : state) {
        benchmark::DoNotOptimize(generateCustomTable(evaluator, history, boxes, 1, kPeriodCount));
        refreshAlgorithmStats(evaluator, history, saved, 1, 100);
        benchmark::DoNotOptimize(saved.data());
    }
}
BENCHMARK(BM_RefreshCustom)->Unit(benchmark::kMicrosecond);
