#pragma once

#include "session.h"

#include <algorithm>
#include <cmath>

namespace tandor28::bankrollengine {

// Balances are sums of products of decimal amounts; two balances this close are one.
[[nodiscard]] inline double moneyTolerance(double amount)
{
    return 1e-9 * std::max(1.0, std::abs(amount));
}

struct Tally
{
    double balance = 0;
    double high = 0;
    double low = 0;
    double drawdown = 0;
    double staked = 0;
    int bets = 0;
    int longestMissRun = 0;
    StopReason stoppedBy = StopReason::End;
};

// One session over `count` bets: `hitAt(i)` says whether bet i is a hit, `oddsAt(i)` its odds, and
// `afterBet(i, balance)` hears the balance after it. Shared by the replay of the past and the
// simulation, so both follow one set of rules.
template <typename HitAt, typename OddsAt, typename AfterBet>
[[nodiscard]] Tally runSession(const SessionPlan& plan, int count, HitAt&& hitAt, OddsAt&& oddsAt, AfterBet&& afterBet)
{
    const StopRules& stops = plan.stops;
    Tally tally;
    tally.balance = tally.high = tally.low = plan.balance;
    StakingState state;
    int missRun = 0;
    for (int i = 0;; ++i) {
        if (i > 0) {
            if (stops.stopLoss && tally.balance <= *stops.stopLoss + moneyTolerance(*stops.stopLoss)) {
                tally.stoppedBy = StopReason::StopLoss;
                return tally;
            }
            if (stops.takeProfit && tally.balance >= *stops.takeProfit - moneyTolerance(*stops.takeProfit)) {
                tally.stoppedBy = StopReason::TakeProfit;
                return tally;
            }
            if (stops.maxBets && tally.bets >= *stops.maxBets) {
                tally.stoppedBy = StopReason::MaxBets;
                return tally;
            }
        }
        double stake = ruleStake(plan.rule, state, tally.balance);
        const bool nothingLeft = tally.balance <= moneyTolerance(plan.balance);
        if (nothingLeft || (stake > tally.balance + moneyTolerance(tally.balance) && !stops.allIn)) {
            tally.stoppedBy = StopReason::NoMoney;
            return tally;
        }
        stake = std::min(stake, tally.balance);
        if (i >= count) {
            tally.stoppedBy = StopReason::End;
            return tally;
        }
        const bool hit = hitAt(i);
        tally.balance += hit ? stake * (oddsAt(i) - 1) : -stake;
        tally.staked += stake;
        ++tally.bets;
        missRun = hit ? 0 : missRun + 1;
        tally.longestMissRun = std::max(tally.longestMissRun, missRun);
        tally.high = std::max(tally.high, tally.balance);
        tally.low = std::min(tally.low, tally.balance);
        tally.drawdown = std::max(tally.drawdown, tally.high - tally.balance);
        advanceStaking(plan.rule, state, hit);
        afterBet(i, tally.balance);
    }
}

} // namespace tandor28::bankrollengine
