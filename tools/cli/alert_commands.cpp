// trend, alarm.
#include "commands.h"

#include "alerts/streakalarm.h"
#include "alerts/trend.h"

namespace tandor28::cli {

namespace {

const QString kCategoryNames = QStringLiteral("大小, 单双, 组合, 中边, 三余, 四余, 五余, 对子");

// The watched categories named by --categories (captions of the alarm tab's boxes, comma-separated),
// or the first unknown name.
std::optional<StreakAlarmSettings> watchedCategories(const QString& text, QString* unknown)
{
    StreakAlarmSettings settings;
    settings.watched.fill(false);
    for (const QString& name : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const std::optional<StreakCategory> category = streakCategoryFromName(name.trimmed());
        if (!category) {
            *unknown = name;
            return std::nullopt;
        }
        settings.setWatched(*category, true);
    }
    return settings;
}

// The alarm's settings; every category when --categories is absent.
StreakAlarmSettings alarmSettingsArg(const Args& args)
{
    StreakAlarmSettings settings;
    if (args.has(QStringLiteral("categories"))) {
        QString unknown;
        settings = watchedCategories(args.value(QStringLiteral("categories")), &unknown).value_or(settings);
    }
    settings.thresholdText = args.value(QStringLiteral("threshold"));
    return settings;
}

} // namespace

const CommandForm& trendForm()
{
    static const CommandForm form{QStringLiteral("trend"), {}, feedOptions(), {}};
    return form;
}

const CommandForm& alarmForm()
{
    static const CommandForm form{
        QStringLiteral("alarm"),
        {},
        joined(feedOptions(),
               {// The threshold is read as the alarm tab reads its box: by its leading integer, 0 without digits.
                {QStringLiteral("threshold"), QStringLiteral("N"), true,
                 [](const std::optional<QString>& value, const Args&) {
                     return value ? QString() : QStringLiteral("alarm needs --threshold N");
                 },
                 QStringLiteral("how many draws in a row raise the alarm")},
                {QStringLiteral("categories"), QStringLiteral("大小,单双,..."), false,
                 [](const std::optional<QString>& value, const Args&) {
                     QString unknown;
                     if (watchedCategories(value.value_or(QString()), &unknown))
                         return QString();
                     return QStringLiteral("unknown category: %1 (use %2)").arg(unknown, kCategoryNames);
                 },
                 QStringLiteral("the categories watched (all without it)")}}),
        {}};
    return form;
}

int cmdTrend(const QStringList& words, Io& io)
{
    const std::optional<Args> parsed = commandArgs(words, trendForm(), io);
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
    const std::optional<Args> parsed = commandArgs(words, alarmForm(), io);
    if (!parsed)
        return kExitBadArguments;
    const Args& args = *parsed;
    const StreakAlarmSettings settings = alarmSettingsArg(args);
    int exitCode = kExitOk;
    const std::optional<DrawHistory> history = loadFeedArg(args, io, exitCode);
    if (!history)
        return exitCode;
    const std::optional<StreakAlarmResult> result = evaluateStreakAlarm(*history, settings);
    if (result)
        io.out << result->text;
    return kExitOk;
}

} // namespace tandor28::cli
