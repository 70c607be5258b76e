#pragma once

#include <QString>

#include <optional>
#include <vector>

namespace tandor28 {

// How the stake of the next bet follows from the bets before it.
enum class StakingKind
{
    Flat,      // flat:S — always S
    Double,    // double:S,top=K — S x 2^min(j, K), j the misses in a row before the bet
    Ladder,    // ladder:a1,...,am — a(j+1); after a miss on the last step back to a1
    Fibonacci, // fib:S — S x F(i), F = 1, 1, 2, 3, 5, ...; i one on after a miss, two back after a hit
    Fraction,  // fraction:f — f x the balance before the bet, unrounded
};

struct StakingRule
{
    StakingKind kind = StakingKind::Flat;
    double stake = 1;           // S of flat, double and fib
    int top = 0;                // K of double
    std::vector<double> ladder; // a1..am of ladder
    double fraction = 0;        // f of fraction

    friend bool operator==(const StakingRule&, const StakingRule&) = default;
};

// The largest stake or starting balance a rule or session takes, and the longest ladder; beyond them
// an entry is taken for a typing slip.
inline constexpr double kMaxMoney = 1e12;
inline constexpr int kMaxLadderSteps = 100;
inline constexpr int kMaxDoublingTop = 40;

// Why a rule's text is refused.
enum class StakingProblem
{
    None,
    UnknownRule,    // not one of flat, double, ladder, fib, fraction
    BadAmount,      // S is not a number above 0 and at most kMaxMoney
    MissingTop,     // double without ",top=K"
    BadTop,         // K is not a whole number from 0 to kMaxDoublingTop
    BadFraction,    // f is not a number above 0 and at most 1
    EmptyLadder,    // no step
    LongLadder,     // more than kMaxLadderSteps steps
    BadLadderEntry, // a step is not a number above 0 and at most kMaxMoney
};

struct StakingRuleParse
{
    std::optional<StakingRule> rule;
    StakingProblem problem = StakingProblem::None;
    int entry = 0; // the refused ladder step, from 1
    QString word;  // the refused part of the text
};

// Reads "flat:10", "double:10,top=6", "ladder:1,2,4,8,17,36", "fib:5" or "fraction:0.02". Refuses
// (with the reason) an unknown rule, a zero, negative, non-finite or absurd amount, a fraction outside
// (0, 1], a doubling top outside 0..kMaxDoublingTop, an empty or overlong ladder.
[[nodiscard]] StakingRuleParse parseStakingRule(const QString& text);
// Why the text was refused, in English for the command line ("ladder step 3 (\"0\") must be ...").
[[nodiscard]] QString stakingProblemText(const StakingRuleParse& parse);
// The same in Chinese, for the window.
[[nodiscard]] QString stakingProblemTextZh(const StakingRuleParse& parse);
// The rule as parseStakingRule reads it.
[[nodiscard]] QString stakingRuleText(const StakingRule& rule);

// What a rule remembers between bets.
struct StakingState
{
    int missRun = 0; // misses in a row before the next bet
    int step = 0;    // the ladder's step or the Fibonacci index of the next bet
};

// The stake the rule asks for with `balance` before the bet.
[[nodiscard]] double ruleStake(const StakingRule& rule, const StakingState& state, double balance);
// The state after a bet with the verdict `hit`.
void advanceStaking(const StakingRule& rule, StakingState& state, bool hit);

} // namespace tandor28
