// trend, alarm.
#include "commands.h"

#include "alerts/streakalarm.h"
#include "alerts/trend.h"

namespace tandor28::cli {

namespace {

// The watched categories named by --categories (captions of the alarm tab's boxes, comma-separated);
// every category when the option is absent.
std::optional<StreakAlarmSettings> alarmSettingsArg(const Args& args, Io& io)
{
    StreakAlarmSettings settings;
    settings.thresholdText = args.value(QStringLiteral("threshold"));
    if (!args.has(QStringLiteral("categories")))
        return settings;
    settings.watched.fill(false);
    const QStringList names = args.value(QStringLiteral("categories")).split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString& name : names) {
        const std::optional<StreakCategory> category = streakCategoryFromName(name.trimmed());
        if (!category) {
            io.err << "unknown category: " << name << " (use 大小, 单双, 组合, 中边, 三余, 四余, 五余, 对子)\n";
            return std::nullopt;
        }
        settings.setWatched(*category, true);
    }
    return settings;
}

} // namespace

int cmdTrend(const QStringList& words, Io& io)
{
    const std::optional<Args> parsed = commandArgs(words, io);
    if (!parsed)
        return kExitBadArguments;
    const Args& args = *parsed;
    int exitCode = kExitOk;
    const std::optional<DrawHistory> history = loadFeedArg(args, io, exitCode);
    if (!history)
        return exitCode;
    for (const CategoryRow& row : categoryList(*history, kPeriodCount))
        io.out << row.label << '\t' << row.count << '\t' << row.share << '\n';
    return kExitOk;
}

int cmdAlarm(const QStringList& words, Io& io)
{
    const std::optional<Args> parsed = commandArgs(words, io);
    if (!parsed)
        return kExitBadArguments;
    const Args& args = *parsed;
    // The threshold is read as the alarm tab reads its box: by its leading integer, 0 without digits.
    if (!args.has(QStringLiteral("threshold"))) {
        io.err << "alarm needs --threshold N\n";
        return kExitBadArguments;
    }
    const std::optional<StreakAlarmSettings> settings = alarmSettingsArg(args, io);
    if (!settings)
        return kExitBadArguments;
    int exitCode = kExitOk;
    const std::optional<DrawHistory> history = loadFeedArg(args, io, exitCode);
    if (!history)
        return exitCode;
    const std::optional<StreakAlarmResult> result = evaluateStreakAlarm(*history, *settings);
    if (result)
        io.out << result->text;
    return kExitOk;
}

} // namespace tandor28::cli
