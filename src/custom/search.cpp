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

// randomInt, inlined where the range is a constant, so the remainder is a multiplication rather
// than a division; the same value either way.
inline int randomIntIn(RandomSource& random, int lo, int hi)
{
    const auto span = static_cast<std::uint64_t>(static_cast<long long>(hi) - lo + 1);
    return lo + static_cast<int>(random() % span);
}

struct SharedSearch
{
    std::atomic<long long> started{0};
    std::atomic<bool> finished{false};
    std::mutex winnerMutex;
    std::optional<SearchResult> winner;
    std::optional<PlanStats> best; // the best statistics any worker saw, under winnerMutex
};

using RandomTriple = std::array<RandomFormulaDraw, 3>;

// The draws of randomAlgorithm, in the same order from the same generator.
RandomTriple drawRandomTriple(RandomSource& random, SearchMode mode)
{
    const int length = randomIntIn(random, 1, 4) == 4 ? 4 : 3;
    RandomTriple triple;
    for (RandomFormulaDraw& formula : triple)
        formula = drawRandomFormula(random, mode, length);
    return triple;
}

// One attempt's statistics: the formulas are built as programs and run over the window's columns.
// Windows with a negative working value in a slot a formula reads (never the case with draw digits)
// take the compiled text, which sends those rows through the row path.
class AttemptEvaluator
{
public:
    explicit AttemptEvaluator(const CustomStatsWindow& prepared)
        : m_prepared(prepared), m_digits(static_cast<std::size_t>(prepared.window)),
          m_numbers(static_cast<std::size_t>(prepared.window))
    {}

    PlanStats stats(const RandomTriple& triple)
    {
        const int rows = m_prepared.window;
        std::fill(m_numbers.begin(), m_numbers.end(), 0);
        for (const RandomFormulaDraw& formula : triple) {
            buildRandomFormulaProgram(formula, m_program);
            if (m_prepared.columns.negativeSlots & m_program.slotMask) {
                columnFormulaDigits(m_scratch, m_rowPath, compileFormula(randomFormulaText(formula)),
                                    m_prepared.columns, m_digits.data());
            } else {
                programDigits(m_scratch, m_program, m_prepared.columns.view, m_digits.data());
            }
            for (int r = 0; r < rows; ++r)
                m_numbers[static_cast<std::size_t>(r)] += m_digits[static_cast<std::size_t>(r)];
        }
        return windowStats(m_prepared, m_numbers.data());
    }

private:
    const CustomStatsWindow& m_prepared;
    ColumnScratch m_scratch;
    FormulaEvaluator m_rowPath;
    ArithmeticProgram m_program;
    std::vector<int> m_digits;
    std::vector<int> m_numbers;
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
    std::optional<AttemptEvaluator> evaluator;
    if (prepared)
        evaluator.emplace(*prepared);
    RandomSource random(seed);
    std::optional<PlanStats> best;
    while (!stop.stop_requested() && !shared.finished.load(std::memory_order_relaxed)) {
        const long long attempt = shared.started.fetch_add(1, std::memory_order_relaxed);
        if (settings.maxAttempts && attempt >= *settings.maxAttempts)
            break;
        const RandomTriple triple = drawRandomTriple(random, settings.mode);
        PlanStats stats;
        if (evaluator)
            stats = evaluator->stats(triple);
        if (criterionMet(settings.criterion, settings.threshold, stats)) {
            std::lock_guard lock(shared.winnerMutex);
            if (!shared.winner) {
                SearchResult result;
                result.outcome = SearchResult::Outcome::Found;
                for (std::size_t i = 0; i < triple.size(); ++i)
                    result.formulas[i] = randomFormulaText(triple[i]);
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
    return randomIntIn(random, lo, hi);
}

namespace {

char randomOperatorChar(RandomSource& random, SearchMode mode)
{
    if (mode == SearchMode::Simple)
        return '+';
    switch (randomIntIn(random, 1, 4)) {
    case 1:
        return '+';
    case 2:
        return '-';
    case 3:
        return '*';
    default:
        return '/';
    }
}

} // namespace

QString randomOperator(RandomSource& random, SearchMode mode)
{
    return QString(QLatin1Char(randomOperatorChar(random, mode)));
}

RandomFormulaDraw drawRandomFormula(RandomSource& random, SearchMode mode, int length)
{
    // Token, operator, token, ... in this order, as the formula reads.
    RandomFormulaDraw formula;
    formula.length = std::clamp(length, 1, 4);
    formula.tokens[0] = randomIntIn(random, 1, 18);
    for (std::size_t i = 1; i < static_cast<std::size_t>(formula.length); ++i) {
        formula.operators[i - 1] = randomOperatorChar(random, mode);
        formula.tokens[i] = randomIntIn(random, 1, 18);
    }
    return formula;
}

QString randomFormulaText(const RandomFormulaDraw& formula)
{
    QString text = u'[' + QString::number(formula.tokens[0]) + u']';
    for (std::size_t i = 1; i < static_cast<std::size_t>(formula.length); ++i) {
        text += QLatin1Char(formula.operators[i - 1]);
        text += u'[' + QString::number(formula.tokens[i]) + u']';
    }
    return text;
}

void buildRandomFormulaProgram(const RandomFormulaDraw& formula, ArithmeticProgram& program)
{
    using OpKind = ArithmeticProgram::OpKind;
    program.ops.clear();
    program.maxDepth = 0;
    program.slotMask = 0;
    int depth = 0;
    const auto push = [&](ArithmeticProgram::Op op, int depthChange) {
        program.ops.push_back(op);
        depth += depthChange;
        program.maxDepth = std::max(program.maxDepth, depth);
    };
    const auto slot = [&](std::size_t i) {
        const auto index = static_cast<std::uint8_t>(formula.tokens[i] - 1);
        push({OpKind::Slot, index, 0}, 1);
        program.slotMask |= 1u << index;
    };
    const auto kind = [](char op) {
        switch (op) {
        case '+':
            return OpKind::Add;
        case '-':
            return OpKind::Subtract;
        case '*':
            return OpKind::Multiply;
        default:
            return OpKind::Divide;
        }
    };
    // As the parser emits it: a run of * and / is folded left to right into one term, and the terms
    // are added or subtracted left to right.
    slot(0);
    std::optional<OpKind> pendingAdditive;
    for (std::size_t i = 1; i < static_cast<std::size_t>(formula.length); ++i) {
        const OpKind op = kind(formula.operators[i - 1]);
        if (op == OpKind::Multiply || op == OpKind::Divide) {
            slot(i);
            push({op, 0, 0}, -1);
            continue;
        }
        if (pendingAdditive)
            push({*pendingAdditive, 0, 0}, -1);
        pendingAdditive = op;
        slot(i);
    }
    if (pendingAdditive)
        push({*pendingAdditive, 0, 0}, -1);
}

QString randomFormula(RandomSource& random, SearchMode mode, int length)
{
    return randomFormulaText(drawRandomFormula(random, mode, length));
}

FormulaTriple randomAlgorithm(RandomSource& random, SearchMode mode)
{
    const int length = randomIntIn(random, 1, 4) == 4 ? 4 : 3;
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

std::optional<QString> unreachableThresholdRefusal(int criterion, int threshold, int window)
{
    static const std::array<QString, 4> kNames{QStringLiteral("正确"), QStringLiteral("错误"),
                                               QStringLiteral("当前连中"), QStringLiteral("当前连挂")};
    // Every criterion counts rows of the window, so none exceeds the window.
    if (criterion < 0 || criterion >= static_cast<int>(kNames.size()) || threshold <= window)
        return std::nullopt;
    return QStringLiteral("搜索条件无法达到：统计%1期时%2最多为%1，条件%3永远不会满足，请把条件调到%1以内")
        .arg(window)
        .arg(kNames[static_cast<std::size_t>(criterion)])
        .arg(threshold);
}

QString searchOutcomeText(const SearchResult& result, bool byOverdueDraw)
{
    QString how;
    switch (result.outcome) {
    case SearchResult::Outcome::Found:
        how = QStringLiteral("搜索结束：已找到满足条件的算法");
        break;
    case SearchResult::Outcome::AttemptsExhausted:
        how = QStringLiteral("搜索结束：尝试次数已用完");
        break;
    case SearchResult::Outcome::Stopped:
        how = byOverdueDraw ? QStringLiteral("搜索结束：开奖中，搜索已停止") : QStringLiteral("搜索结束：已手动停止");
        break;
    }
    return how + QStringLiteral("（尝试%1次）").arg(result.attempts);
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
