#pragma once

#include "stakingrule.h"

#include <QString>

#include <optional>
#include <span>
#include <vector>

namespace tandor28 {

// Why a session stopped, in the order the stops are checked: after each bet the stop-loss, the
// take-profit and the largest number of bets; before a bet a stake above the balance; then the end of
// the verdicts.
enum class StopReason
{
    StopLoss,
    TakeProfit,
    MaxBets,
    NoMoney,
    End,
};

inline constexpr int kStopReasonCount = 5;

// "stop-loss", "take-profit", "max-bets", "no-money", "end".
[[nodiscard]] QString stopReasonName(StopReason reason);
// "止损", "止盈", "达到注数", "余额不足", "数据用完".
[[nodiscard]] QString stopReasonNameZh(StopReason reason);

struct StopRules
{
    std::optional<double> stopLoss;   // stop once the balance is at or below it
    std::optional<double> takeProfit; // stop once the balance is at or above it
    std::optional<int> maxBets;       // stop once this many bets are made
    bool allIn = false;               // a stake above the balance is made with what is left
};

struct SessionPlan
{
    double balance = 0; // at the start
    StakingRule rule;
    StopRules stops;
};

// One bet as it came: hit or miss, and the payout per 1 staked of the class it was placed on, the
// stake included (a hit changes the balance by stake x (odds - 1), a miss by -stake).
struct PlacedBet
{
    bool hit = false;
    double odds = 0;
};

struct SessionResult
{
    std::vector<double> balances; // after every bet
    double start = 0;
    double final = 0;
    double high = 0;     // the start counted
    double low = 0;      // the start counted
    double drawdown = 0; // the highest balance so far minus the balance, at its largest
    int longestMissRun = 0;
    int bets = 0;
    double staked = 0;
    double returnPerStaked = 0; // (final - start) / staked; 0 when nothing was staked
    StopReason stoppedBy = StopReason::End;
};

// Why a plan cannot be played.
enum class SessionProblem
{
    None,
    BadBalance,         // the starting balance is not a number above 0 and at most kMaxMoney
    StakeAboveBalance,  // the first stake is larger than the starting balance
    StopLossNotBelow,   // the stop-loss is negative or not below the starting balance
    TakeProfitNotAbove, // the take-profit is not above the starting balance, or beyond kMaxMoney
    BadMaxBets,         // the largest number of bets is below 1
};

[[nodiscard]] SessionProblem sessionProblem(const SessionPlan& plan);
// Why, in English for the command line, with the plan's figures.
[[nodiscard]] QString sessionProblemText(SessionProblem problem, const SessionPlan& plan);
// The same in Chinese, for the window.
[[nodiscard]] QString sessionProblemTextZh(SessionProblem problem, const SessionPlan& plan);

// Plays the bets in order by the plan (which sessionProblem accepts).
[[nodiscard]] SessionResult playSession(const SessionPlan& plan, std::span<const PlacedBet> bets);

} // namespace tandor28
