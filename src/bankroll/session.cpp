#include "session.h"

#include "sessionengine.h"

#include <QLocale>

#include <cmath>
#include <limits>

namespace tandor28 {

namespace {

QString money(double value)
{
    return QLocale::c().toString(value, 'f', 2);
}

bool isMoney(double value)
{
    return std::isfinite(value) && value > 0 && value <= kMaxMoney;
}

} // namespace

QString stopReasonName(StopReason reason)
{
    switch (reason) {
    case StopReason::StopLoss:
        return QStringLiteral("stop-loss");
    case StopReason::TakeProfit:
        return QStringLiteral("take-profit");
    case StopReason::MaxBets:
        return QStringLiteral("max-bets");
    case StopReason::NoMoney:
        return QStringLiteral("no-money");
    case StopReason::End:
        return QStringLiteral("end");
    }
    return {};
}

QString stopReasonNameZh(StopReason reason)
{
    switch (reason) {
    case StopReason::StopLoss:
        return QStringLiteral("止损");
    case StopReason::TakeProfit:
        return QStringLiteral("止盈");
    case StopReason::MaxBets:
        return QStringLiteral("达到注数");
    case StopReason::NoMoney:
        return QStringLiteral("余额不足");
    case StopReason::End:
        return QStringLiteral("数据用完");
    }
    return {};
}

SessionProblem sessionProblem(const SessionPlan& plan)
{
    if (!isMoney(plan.balance))
        return SessionProblem::BadBalance;
    const double first = ruleStake(plan.rule, StakingState{}, plan.balance);
    if (first > plan.balance + bankrollengine::moneyTolerance(plan.balance))
        return SessionProblem::StakeAboveBalance;
    const StopRules& stops = plan.stops;
    if (stops.stopLoss && !(*stops.stopLoss >= 0 && *stops.stopLoss < plan.balance))
        return SessionProblem::StopLossNotBelow;
    if (stops.takeProfit && !(*stops.takeProfit > plan.balance && *stops.takeProfit <= kMaxMoney))
        return SessionProblem::TakeProfitNotAbove;
    if (stops.maxBets && *stops.maxBets < 1)
        return SessionProblem::BadMaxBets;
    return SessionProblem::None;
}

QString sessionProblemText(SessionProblem problem, const SessionPlan& plan)
{
    switch (problem) {
    case SessionProblem::None:
        return {};
    case SessionProblem::BadBalance:
        return QStringLiteral("the balance must be a number above 0 and at most %1").arg(money(kMaxMoney));
    case SessionProblem::StakeAboveBalance:
        return QStringLiteral("the first stake %1 is larger than the balance %2")
            .arg(money(ruleStake(plan.rule, StakingState{}, plan.balance)), money(plan.balance));
    case SessionProblem::StopLossNotBelow:
        return QStringLiteral("the stop-loss %1 must be from 0 to below the balance %2")
            .arg(money(plan.stops.stopLoss.value_or(0)), money(plan.balance));
    case SessionProblem::TakeProfitNotAbove:
        return QStringLiteral("the take-profit %1 must be above the balance %2")
            .arg(money(plan.stops.takeProfit.value_or(0)), money(plan.balance));
    case SessionProblem::BadMaxBets:
        return QStringLiteral("the largest number of bets must be at least 1");
    }
    return {};
}

QString sessionProblemTextZh(SessionProblem problem, const SessionPlan& plan)
{
    switch (problem) {
    case SessionProblem::None:
        return {};
    case SessionProblem::BadBalance:
        return QStringLiteral("本金须为大于 0、不超过 %1 的数").arg(money(kMaxMoney));
    case SessionProblem::StakeAboveBalance:
        return QStringLiteral("首注 %1 大于本金 %2")
            .arg(money(ruleStake(plan.rule, StakingState{}, plan.balance)), money(plan.balance));
    case SessionProblem::StopLossNotBelow:
        return QStringLiteral("止损线 %1 须不小于 0 且低于本金 %2")
            .arg(money(plan.stops.stopLoss.value_or(0)), money(plan.balance));
    case SessionProblem::TakeProfitNotAbove:
        return QStringLiteral("止盈线 %1 须高于本金 %2")
            .arg(money(plan.stops.takeProfit.value_or(0)), money(plan.balance));
    case SessionProblem::BadMaxBets:
        return QStringLiteral("最多注数须至少为 1");
    }
    return {};
}

SessionResult playSession(const SessionPlan& plan, std::span<const PlacedBet> bets)
{
    SessionResult result;
    result.start = plan.balance;
    const int count = int(std::min<std::size_t>(bets.size(), std::size_t(std::numeric_limits<int>::max())));
    const bankrollengine::Tally tally = bankrollengine::runSession(
        plan, count, [&bets](int i) { return bets[std::size_t(i)].hit; },
        [&bets](int i) { return bets[std::size_t(i)].odds; },
        [&result](int, double balance) { result.balances.push_back(balance); });
    result.final = tally.balance;
    result.high = tally.high;
    result.low = tally.low;
    result.drawdown = tally.drawdown;
    result.longestMissRun = tally.longestMissRun;
    result.bets = tally.bets;
    result.staked = tally.staked;
    result.returnPerStaked = tally.staked > 0 ? (tally.balance - plan.balance) / tally.staked : 0;
    result.stoppedBy = tally.stoppedBy;
    return result;
}

} // namespace tandor28
