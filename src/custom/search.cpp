#include "search.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace tandor28 {

namespace {

constexpr int kSearchRefusalSeconds = 20;

// SplitMix64: spreads one seed over the worker generators.
std::uint64_t mixSeed(std::uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

struct SharedSearch
{
    std::atomic<long long> started{0};
    std::atomic<bool> finished{false};
    std::mutex winnerMutex;
    std::optional<SearchResult> winner;
    std::optional<PlanStats> best; // the best statistics any worker saw, under winnerMutex
};

// Folds a worker's best statistics into the shared best when it ends.
void offerBest(SharedSearch& shared, int criterion, const std::optional<PlanStats>& best)
{
    if (!best)
        return;
    std::lock_guard lock(shared.winnerMutex);
    if (!shared.best || criterionValue(criterion, *best) > criterionValue(criterion, *shared.best))
        shared.best = best;
}

void searchWorker(const std::optional<CustomStatsWindow>& prepared, const SearchSettings& settings, std::uint64_t seed,
                  SharedSearch& shared, std::stop_token stop)
{
    FormulaEvaluator evaluator;
    RandomSource random(seed);
    std::optional<PlanStats> best;
    while (!stop.stop_requested() && !shared.finished.load(std::memory_order_relaxed)) {
        const long long attempt = shared.started.fetch_add(1, std::memory_order_relaxed);
        if (settings.maxAttempts && attempt >= *settings.maxAttempts)
            break;
        const FormulaTriple formulas = randomAlgorithm(random, settings.mode);
        PlanStats stats;
        if (prepared) {
            const CompiledFormula first = compileFormula(formulas[0]);
            const CompiledFormula second = compileFormula(formulas[1]);
            const CompiledFormula third = compileFormula(formulas[2]);
            stats = customStats(evaluator, *prepared, {&first, &second, &third});
        }
        if (criterionMet(settings.criterion, settings.threshold, stats)) {
            std::lock_guard lock(shared.winnerMutex);
            if (!shared.winner) {
                SearchResult result;
                result.outcome = SearchResult::Outcome::Found;
                result.formulas = formulas;
                result.stats = stats;
                shared.winner = result;
            }
            shared.finished.store(true);
            return;
        }
        if (!best || criterionValue(settings.criterion, stats) > criterionValue(settings.criterion, *best))
            best = stats;
    }
    offerBest(shared, settings.criterion, best);
}

} // namespace

SearchMode searchModeFromIndex(int index)
{
    return index == 0 ? SearchMode::Mixed : SearchMode::Simple;
}

int randomInt(RandomSource& random, int lo, int hi)
{
    const auto span = static_cast<std::uint64_t>(static_cast<long long>(hi) - lo + 1);
    return lo + static_cast<int>(random() % span);
}

QString randomOperator(RandomSource& random, SearchMode mode)
{
    if (mode == SearchMode::Simple)
        return QStringLiteral("+");
    switch (randomInt(random, 1, 4)) {
    case 1:
        return QStringLiteral("+");
    case 2:
        return QStringLiteral("-");
    case 3:
        return QStringLiteral("*");
    default:
        return QStringLiteral("/");
    }
}

QString randomFormula(RandomSource& random, SearchMode mode, int length)
{
    // Token, operator, token, ... in this order, as the formula reads.
    QString formula = u'[' + QString::number(randomInt(random, 1, 18)) + u']';
    for (int i = 1; i < length; ++i) {
        formula += randomOperator(random, mode);
        formula += u'[' + QString::number(randomInt(random, 1, 18)) + u']';
    }
    return formula;
}

FormulaTriple randomAlgorithm(RandomSource& random, SearchMode mode)
{
    const int length = randomInt(random, 1, 4) == 4 ? 4 : 3;
    FormulaTriple formulas;
    for (QString& formula : formulas)
        formula = randomFormula(random, mode, length);
    return formulas;
}

std::uint64_t clockSeed()
{
    // The clock and a counter, so two seedings within one clock tick still differ.
    static std::atomic<std::uint64_t> counter{0};
    const auto ticks = static_cast<std::uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
    return mixSeed(ticks ^ mixSeed(counter.fetch_add(1)));
}

bool criterionMet(int criterion, int threshold, const PlanStats& stats)
{
    switch (criterion) {
    case 0:
        return stats.right >= threshold;
    case 1:
        return stats.wrong >= threshold;
    case 2:
        return stats.winStreak >= threshold;
    case 3:
        return stats.lossStreak >= threshold;
    default:
        return false;
    }
}

int criterionValue(int criterion, const PlanStats& stats)
{
    switch (criterion) {
    case 1:
        return stats.wrong;
    case 2:
        return stats.winStreak;
    case 3:
        return stats.lossStreak;
    default:
        return stats.right;
    }
}

std::optional<QString> searchRefusal(int countdown)
{
    if (countdown < kSearchRefusalSeconds)
        return QStringLiteral("即将开奖了，不能进行搜索算法，请在开奖完后再进行搜索，防止软件出错");
    return std::nullopt;
}

SearchResult runSearch(const DrawHistory& history, const SearchSettings& settings, std::stop_token stop)
{
    const auto startTime = std::chrono::steady_clock::now();
    const std::optional<CustomStatsWindow> prepared = prepareCustomStatsWindow(history, settings.code, settings.window);
    const std::uint64_t seed = settings.seed.value_or(clockSeed());
    int threads = settings.threads > 0 ? settings.threads : static_cast<int>(std::thread::hardware_concurrency());
    threads = std::max(threads, 1);

    SharedSearch shared;
    {
        std::vector<std::jthread> workers;
        workers.reserve(static_cast<std::size_t>(threads));
        for (int t = 0; t < threads; ++t) {
            const std::uint64_t workerSeed = t == 0 ? seed : mixSeed(seed + static_cast<std::uint64_t>(t));
            workers.emplace_back([&, workerSeed] { searchWorker(prepared, settings, workerSeed, shared, stop); });
        }
    }

    SearchResult result;
    if (shared.winner) {
        result = *shared.winner;
    } else {
        result.outcome =
            stop.stop_requested() ? SearchResult::Outcome::Stopped : SearchResult::Outcome::AttemptsExhausted;
        result.stats = shared.best.value_or(PlanStats{});
    }
    long long attempts = shared.started.load();
    if (settings.maxAttempts)
        attempts = std::min(attempts, *settings.maxAttempts);
    result.attempts = attempts;
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - startTime).count();
    return result;
}

} // namespace tandor28
