#include "streakalarm.h"

#include "model/classification.h"
#include "model/textnum.h"

#include <algorithm>

namespace tandor28 {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString remainderValue(int sum, int divisor)
{
    return QString::number(divisor) + QLatin1Char('N') + QString::number(sumMod(sum, divisor));
}

} // namespace

QString streakCategoryName(StreakCategory category)
{
    switch (category) {
    case StreakCategory::Size:
        return QStringLiteral("大小");
    case StreakCategory::Parity:
        return QStringLiteral("单双");
    case StreakCategory::Combo:
        return QStringLiteral("组合");
    case StreakCategory::MiddleEdge:
        return QStringLiteral("中边");
    case StreakCategory::Mod3:
        return QStringLiteral("三余");
    case StreakCategory::Mod4:
        return QStringLiteral("四余");
    case StreakCategory::Mod5:
        return QStringLiteral("五余");
    case StreakCategory::Pair:
        return QStringLiteral("对子");
    }
    return {};
}

std::optional<StreakCategory> streakCategoryFromName(QStringView name)
{
    for (int i = 0; i < kStreakCategoryCount; ++i) {
        const auto category = static_cast<StreakCategory>(i);
        if (name == streakCategoryName(category))
            return category;
    }
    return std::nullopt;
}

int StreakAlarmSettings::threshold() const
{
    return leadingInt(thresholdText);
}

std::optional<QString> streakValue(StreakCategory category, const Draw& draw)
{
    switch (category) {
    case StreakCategory::Size:
        return sizeLabel(draw.sum);
    case StreakCategory::Parity:
        return parityLabel(draw.sum);
    case StreakCategory::Combo:
        return comboLabel(draw.sum);
    case StreakCategory::MiddleEdge:
        return middleEdgeLabel(draw.sum);
    case StreakCategory::Mod3:
        return remainderValue(draw.sum, 3);
    case StreakCategory::Mod4:
        return remainderValue(draw.sum, 4);
    case StreakCategory::Mod5:
        return remainderValue(draw.sum, 5);
    case StreakCategory::Pair:
        if (isPair(draw))
            return QStringLiteral("对子");
        return std::nullopt;
    }
    return std::nullopt;
}

int streakRunLength(StreakCategory category, const DrawHistory& history)
{
    if (history.isEmpty() || history.at(1).isEmpty())
        return 0;
    const std::optional<QString> newest = streakValue(category, history.at(1));
    if (!newest)
        return 0;
    int run = 1;
    const int last = std::min(kMaxRunLength, history.size());
    for (int position = 2; position <= last; ++position) {
        const Draw& draw = history.at(position);
        // A position without a draw ends the run: nothing is known of what came there.
        if (draw.isEmpty())
            break;
        if (category == StreakCategory::Pair && isTriple(draw))
            continue;
        if (streakValue(category, draw) != newest)
            break;
        ++run;
    }
    return run;
}

QString streakAlarmHeader()
{
    return QStringLiteral("Tandor火车报警：") + kCrLf + kCrLf;
}

QString streakAlarmLine(const StreakRun& run)
{
    return QStringLiteral("【") + run.value + QStringLiteral("】 已连开：【") + QString::number(run.length) +
           QStringLiteral("】期 ") + kCrLf + kCrLf;
}

QString alarmWindowInitialText()
{
    return QStringLiteral("火车报警：") + kCrLf + kCrLf + QStringLiteral("首次打开请先刷新一下软件");
}

std::optional<StreakAlarmResult> evaluateStreakAlarm(const DrawHistory& history, const StreakAlarmSettings& settings)
{
    // An empty threshold would count every run of one draw as a streak: no threshold, no alarm.
    if (!settings.typeOneSelected || settings.thresholdText.trimmed().isEmpty())
        return std::nullopt;

    StreakAlarmResult result;
    const int threshold = settings.threshold();
    const Draw& newest = history.at(1);
    // Without a newest draw no category has a run.
    const int categories = newest.isEmpty() ? 0 : kStreakCategoryCount;
    for (int i = 0; i < categories; ++i) {
        const auto category = static_cast<StreakCategory>(i);
        if (!settings.isWatched(category))
            continue;
        const std::optional<QString> value = streakValue(category, newest);
        if (!value)
            continue;
        const int length = streakRunLength(category, history);
        // A run of 0 means there is no newest draw at all.
        if (length == 0 || length < threshold)
            continue;
        StreakRun run{category, *value, length};
        result.report += streakAlarmLine(run);
        result.runs.push_back(std::move(run));
    }

    result.text = streakAlarmHeader() + result.report;
    const bool reported = !result.report.isEmpty();
    result.playSound = settings.sound && reported;
    result.showBalloon = settings.balloon && reported;
    result.balloonText = QString(result.report).remove(kCrLf);
    return result;
}

} // namespace tandor28
