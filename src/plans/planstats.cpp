#include "planstats.h"

namespace tandor28 {

int PlanStats::field(int index) const
{
    switch (index) {
    case 0:
        return right;
    case 1:
        return wrong;
    case 2:
        return accuracy;
    case 3:
        return winStreak;
    case 4:
        return lossStreak;
    default:
        return 0;
    }
}

void countVerdict(PlanStats& stats, Verdict verdict)
{
    if (verdict == Verdict::Hit) {
        ++stats.winStreak;
        stats.lossStreak = 0;
    } else {
        ++stats.wrong;
        ++stats.lossStreak;
        stats.winStreak = 0;
    }
}

void finishWindow(PlanStats& stats, int window)
{
    stats.right = window - stats.wrong;
    // Integer part of the exact percentage; computed wide so no window size can overflow it.
    stats.accuracy = window > 0 ? static_cast<int>(static_cast<long long>(stats.right) * 100 / window) : 0;
}

PlanStats statsFromVerdicts(const std::vector<Verdict>& oldestToNewest)
{
    PlanStats stats;
    for (const Verdict verdict : oldestToNewest)
        countVerdict(stats, verdict);
    finishWindow(stats, static_cast<int>(oldestToNewest.size()));
    return stats;
}

QString statsLabelText(const QString& windowText, const PlanStats& stats)
{
    // Concatenated rather than formatted, so a window text containing "%1" stays literal.
    return QStringLiteral("统计【") + windowText + QStringLiteral("期】 对:") + QString::number(stats.right) +
           QStringLiteral(" 错:") + QString::number(stats.wrong) + QStringLiteral(" 正确率:") +
           QString::number(stats.accuracy) + QStringLiteral(" 连中:") + QString::number(stats.winStreak) +
           QStringLiteral(" 连挂:") + QString::number(stats.lossStreak);
}

QString initialStatsLabelText()
{
    return QStringLiteral("对:0 错:0 正确率:0 连中:0 连挂:0 （待标记）");
}

} // namespace tandor28
