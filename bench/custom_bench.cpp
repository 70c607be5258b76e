#include "custom/columnformula.h"
#include "custom/customtable.h"
#include "custom/formula.h"
#include "custom/jsnumber.h"
#include "custom/search.h"

#include <QJSEngine>

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>

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

// `count` draws, newest first, with pseudo-random digits.
std::vector<Draw> benchSeries(int count)
{
    std::mt19937 rng(2028);
    std::vector<Draw> draws(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        Draw& draw = draws[static_cast<std::size_t>(i)];
        draw.issue = QString::number(3000000 + count - i);
        draw.d1 = static_cast<int>(rng() % 10);
        draw.d2 = static_cast<int>(rng() % 10);
        draw.d3 = static_cast<int>(rng() % 10);
        draw.sum = draw.d1 + draw.d2 + draw.d3;
    }
    return draws;
}

SearchSettings searchBenchSettings(long long attempts)
{
    SearchSettings settings;
    settings.mode = SearchMode::Mixed;
    settings.criterion = 0;
    settings.threshold = 101; // nothing meets it
    settings.window = 100;
    settings.code = 1;
    settings.threads = 2;
    settings.seed = 7;
    settings.maxAttempts = attempts;
    return settings;
}

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

// A formula of the whole language (Math, a comparison, ?:, a bitwise operator), one digit per
// iteration through our own evaluator; against BM_FormulaDigitGrammarEngine the budget is 50 times too.
const QString kGrammarFormula = QStringLiteral("Math.abs([1]-[12])+([3]>[4]?[5]:[6])*Math.floor([9]/2)^[2]");

static void BM_FormulaDigitGrammar(benchmark::State& state)
{
    const std::vector<WorkingValues> rows = rowValues(benchHistory());
    FormulaEvaluator evaluator;
    const auto compiled = evaluator.compiled(kGrammarFormula);
    std::size_t row = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(evaluator.digit(*compiled, rows[row]));
        row = (row + 1) % rows.size();
    }
}
BENCHMARK(BM_FormulaDigitGrammar);

static void BM_FormulaDigitGrammarEngine(benchmark::State& state)
{
    const std::vector<WorkingValues> rows = rowValues(benchHistory());
    QJSEngine engine;
    std::size_t row = 0;
    for (auto _ : state) {
        const QString text = engine.evaluate(substituteWorkingValues(kGrammarFormula, rows[row])).toString();
        benchmark::DoNotOptimize(lastDigitOfLeadingInteger(text));
        row = (row + 1) % rows.size();
    }
}
BENCHMARK(BM_FormulaDigitGrammarEngine);

// Search attempts at W = 100, mixed mode, 2 threads, with a criterion nothing meets. The
// attempts_per_second counter is the figure the budget speaks of (>= 1,000,000 on a quiet machine,
// at least 5 times BM_SearchAttemptsRowPath).
static void BM_SearchAttempts(benchmark::State& state)
{
    const DrawHistory history = benchHistory();
    const SearchSettings settings = searchBenchSettings(1000000);
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

// The same attempts as the search made them before the column path: the formula texts written,
// compiled, and evaluated row by row, on 2 threads.
static void BM_SearchAttemptsRowPath(benchmark::State& state)
{
    const DrawHistory history = benchHistory();
    const std::optional<CustomStatsWindow> prepared = prepareCustomStatsWindow(history, 1, 100);
    constexpr long long kAttempts = 40000;
    long long attempts = 0;
    double seconds = 0;
    for (auto _ : state) {
        const auto started = std::chrono::steady_clock::now();
        std::atomic<long long> next{0};
        const auto work = [&](std::uint64_t seed) {
            FormulaEvaluator evaluator;
            RandomSource random(seed);
            while (next.fetch_add(1, std::memory_order_relaxed) < kAttempts) {
                const FormulaTriple formulas = randomAlgorithm(random, SearchMode::Mixed);
                const CompiledFormula first = compileFormula(formulas[0]);
                const CompiledFormula second = compileFormula(formulas[1]);
                const CompiledFormula third = compileFormula(formulas[2]);
                benchmark::DoNotOptimize(customStatsByRows(evaluator, *prepared, {&first, &second, &third}));
            }
        };
        {
            std::jthread helper(work, 8);
            work(7);
        }
        attempts += kAttempts;
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    }
    state.counters["attempts_per_second"] = seconds > 0 ? static_cast<double>(attempts) / seconds : 0.0;
}
BENCHMARK(BM_SearchAttemptsRowPath)->Unit(benchmark::kMillisecond)->UseRealTime();

// One formula's digit column over 100 rows through the column path (budget: under 1 us).
static void BM_FormulaDigitColumn100(benchmark::State& state)
{
    const FormulaColumns columns = historyColumns(benchHistory(), 1, 100);
    const CompiledFormula formula = compileFormula(kFormula);
    ColumnScratch scratch;
    std::vector<int> digits(100);
    for (auto _ : state) {
        programDigits(scratch, formula.program, columns.view, digits.data());
        benchmark::DoNotOptimize(digits.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FormulaDigitColumn100);

// The same 100 digits through the row path.
static void BM_FormulaDigitRows100(benchmark::State& state)
{
    const FormulaColumns columns = historyColumns(benchHistory(), 1, 100);
    std::vector<WorkingValues> rows;
    for (int r = 0; r < 100; ++r)
        rows.push_back(columns.rowValues(r));
    FormulaEvaluator evaluator;
    const auto compiled = evaluator.compiled(kFormula);
    std::vector<int> digits(100);
    for (auto _ : state) {
        for (std::size_t r = 0; r < rows.size(); ++r)
            digits[r] = evaluator.digit(*compiled, rows[r]);
        benchmark::DoNotOptimize(digits.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FormulaDigitRows100);

// A formula triple backtested over 100,000 draws (budget: under 20 ms): the series prepared (columns
// and the hit masks of its rows) and the statistics of the triple, column by column.
static void BM_BacktestTriple100000(benchmark::State& state)
{
    const std::vector<Draw> series = benchSeries(100000);
    const FormulaTriple triple = {kFormula, QStringLiteral("[2]*[7]-[15]"), QStringLiteral("[1]*[9]+[5]/[2]+[10]")};
    FormulaEvaluator evaluator;
    for (auto _ : state) {
        const std::optional<CustomStatsWindow> prepared = prepareCustomSeries(series, 1);
        const CompiledFormula first = compileFormula(triple[0]);
        const CompiledFormula second = compileFormula(triple[1]);
        const CompiledFormula third = compileFormula(triple[2]);
        benchmark::DoNotOptimize(customStats(evaluator, *prepared, {&first, &second, &third}));
    }
}
BENCHMARK(BM_BacktestTriple100000)->Unit(benchmark::kMillisecond);

// Only the statistics of the triple over the prepared series: the column path, then the row path.
static void BM_BacktestTriplePrepared100000(benchmark::State& state)
{
    const std::vector<Draw> series = benchSeries(100000);
    const std::optional<CustomStatsWindow> prepared = prepareCustomSeries(series, 1);
    const CompiledFormula first = compileFormula(kFormula);
    const CompiledFormula second = compileFormula(QStringLiteral("[2]*[7]-[15]"));
    const CompiledFormula third = compileFormula(QStringLiteral("[1]*[9]+[5]/[2]+[10]"));
    FormulaEvaluator evaluator;
    ColumnScratch scratch;
    const bool rowPath = state.range(0) != 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(rowPath ? customStatsByRows(evaluator, *prepared, {&first, &second, &third})
                                         : customStats(scratch, evaluator, *prepared, {&first, &second, &third}));
    }
    state.SetLabel(rowPath ? "row path" : "column path");
}
BENCHMARK(BM_BacktestTriplePrepared100000)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

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
