#include "app/appstate.h"

namespace tandor28 {

void AppState::setHistory(DrawHistory newHistory)
{
    history = std::move(newHistory);
    Q_EMIT historyChanged();
}

void AppState::setCountdown(int seconds)
{
    countdown = seconds;
    Q_EMIT countdownChanged(countdown);
    if (isOverdue())
        Q_EMIT drawOverdue();
}

void AppState::setLottery(LotteryKind kind)
{
    if (lottery == kind)
        return;
    lottery = kind;
    Q_EMIT lotteryChanged(lottery);
}

void AppState::setShownIssue(const QString& issue)
{
    shownIssue = issue;
    Q_EMIT shownIssueChanged(shownIssue);
}

QString AppState::headlineIssueText() const
{
    // Before any draw of the lottery is known the headline names the lottery alone.
    if (shownIssue.isEmpty())
        return lotteryShortName(lottery) + QStringLiteral(" 暂无开奖");
    return lotteryShortName(lottery) + QStringLiteral(" 第") + shownIssue + QStringLiteral("期");
}

} // namespace tandor28
