#pragma once

#include "arithmetic.h"
#include "customtable.h"

#include "model/draw.h"
#include "plans/planstats.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <random>
#include <stop_token>

namespace tandor28 {

// "混合算法" (index 0) draws operators from + - * /; "简易算法" (any other index) uses + only.
enum class SearchMode
{
    Mixed,
    Simple,
};

[[nodiscard]] SearchMode searchModeFromIndex(int index);

using RandomSource = std::mt19937_64;

// A random integer in [lo, hi]: lo + r mod (hi - lo + 1).
[[nodiscard]] int randomInt(RandomSource& random, int lo, int hi);
// "+", "-", "*" or "/" in mixed mode, "+" in simple mode.
[[nodiscard]] QString randomOperator(RandomSource& random, SearchMode mode);
// Three or four tokens [1]..[18] joined by operators, without blanks or parentheses.
[[nodiscard]] QString randomFormula(RandomSource& random, SearchMode mode, int length);

// A random formula as drawn, before it is written as text: tokens 1..18 and operators '+', '-',
// '*', '/'.
struct RandomFormulaDraw
{
    int length = 3;
    std::array<int, 4> tokens{};
    std::array<char, 3> operators{};
};

// The draws of randomFormula, in the same order from the same generator.
[[nodiscard]] RandomFormulaDraw drawRandomFormula(RandomSource& random, SearchMode mode, int length);
[[nodiscard]] QString randomFormulaText(const RandomFormulaDraw& formula);
// The program compileArithmetic makes of the formula's text, built without the text. Reuses the
// capacity of `program`.
void buildRandomFormulaProgram(const RandomFormulaDraw& formula, ArithmeticProgram& program);
// Three random formulas of one length: 4 tokens when a draw from [1, 4] gives 4, otherwise 3.
[[nodiscard]] FormulaTriple randomAlgorithm(RandomSource& random, SearchMode mode);

// A seed from the clock for a search or a random algorithm that is given none.
[[nodiscard]] std::uint64_t clockSeed();

// Search criterion by index: 0 right >= T, 1 wrong >= T, 2 win streak >= T, 3 loss streak >= T.
// Any other index (nothing selected) is never met.
[[nodiscard]] bool criterionMet(int criterion, int threshold, const PlanStats& stats);
// The statistic a criterion compares: right, wrong, win streak or loss streak; right for any other.
[[nodiscard]] int criterionValue(int criterion, const PlanStats& stats);

// The message shown instead of starting a search when fewer than 20 seconds remain to the next draw;
// nullopt when a search may start.
[[nodiscard]] std::optional<QString> searchRefusal(int countdown);

// The message shown instead of starting a search whose threshold no window of `window` rows can
// reach (正确 21 of 20): such a search would never end; nullopt when the threshold can be reached.
[[nodiscard]] std::optional<QString> unreachableThresholdRefusal(int criterion, int threshold, int window);

struct SearchSettings
{
    SearchMode mode = SearchMode::Mixed;
    int criterion = 0;
    int threshold = 15;
    int window = 20;
    int code = 1;
    std::optional<std::uint64_t> seed;    // from the clock when absent
    std::optional<long long> maxAttempts; // unlimited when absent
    int threads = 0;                      // 0: one per core
};

struct SearchResult
{
    enum class Outcome
    {
        Found,
        Stopped,           // the stop token was triggered (the user, or a draw became overdue)
        AttemptsExhausted, // maxAttempts ran out
    };
    Outcome outcome = Outcome::Stopped;
    FormulaTriple formulas; // the winner when found
    // The winner's statistics when found; otherwise the best seen (the highest criterion value).
    PlanStats stats;
    long long attempts = 0;
    double seconds = 0;
};

// What the window says when a search ends: how it ended and how many attempts it made.
// `byOverdueDraw`: a stop asked for because the next draw became overdue.
[[nodiscard]] QString searchOutcomeText(const SearchResult& result, bool byOverdueDraw);

// Invents random formula triples on worker threads until one meets the criterion over the window,
// the stop token is triggered or maxAttempts ran out. Blocks until then. The history, bet code and
// window are those at the start. Each thread has its own evaluator and its own generator, seeded
// from the one seed. With fewer than 10 draws the statistics stay all zero, as evaluation then
// leaves the record untouched.
[[nodiscard]] SearchResult runSearch(const DrawHistory& history, const SearchSettings& settings, std::stop_token stop);

} // namespace tandor28
