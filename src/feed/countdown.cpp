#include "countdown.h"

#include "model/classification.h"
#include "model/textnum.h"

#include <QFileInfo>
#include <QSettings>

#include <algorithm>
#include <cmath>

namespace tandor28 {

namespace {

constexpr int kSecondsPerDay = 24 * 3600;
constexpr int kClockSkew = 3600;
constexpr int kCanadaStep = 210;

struct ClockTime
{
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Hour, minute and second of an "HH:MM[:SS]" text by their leading digits; missing parts give 0.
ClockTime readClockTime(const QString& time)
{
    const QStringList parts = time.split(QLatin1Char(':'));
    ClockTime read;
    read.hour = leadingInt(parts.value(0));
    read.minute = parts.size() > 1 ? leadingInt(parts.at(1)) : 0;
    read.second = parts.size() > 2 ? leadingInt(parts.at(2)) : 0;
    return read;
}

QTime validTime(const ClockTime& time)
{
    const QTime read(time.hour, time.minute, time.second);
    return read.isValid() ? read : QTime(0, 0);
}

// The moment of a draw's time of day: the one in the day before `now` and up to an hour after it.
// A draw lies in the past; the hour allows for a clock that runs behind the server's.
QDateTime drawMoment(QTime time, const QDateTime& now)
{
    QDateTime moment = now;
    moment.setTime(time);
    const qint64 ahead = now.secsTo(moment);
    if (ahead > kClockSkew)
        moment = moment.addDays(-1);
    else if (ahead <= kClockSkew - kSecondsPerDay)
        moment = moment.addDays(1);
    return moment;
}

int secondsUntil(const QDateTime& now, const QDateTime& moment)
{
    return static_cast<int>(now.msecsTo(moment) / 1000);
}

int luckyCountdown(const QString& newestTime, const QDateTime& now, const CountdownSchedule& schedule)
{
    const ClockTime newest = readClockTime(newestTime);
    const QString nextDraw = newest.minute + 5 == 60 ? QString::number(newest.hour + 1) + QStringLiteral(":00")
                                                     : newestTime.left(3) + twoDigit(newest.minute + 5);
    if (nextDraw == QLatin1String("24:00")) {
        // The night break: the next draw is the first of the day after the 23:55 draw.
        const QDateTime lastDraw = drawMoment(validTime(newest), now);
        QDateTime firstDraw = lastDraw;
        firstDraw.setDate(lastDraw.date().addDays(1));
        firstDraw.setTime(schedule.luckyFirstDraw);
        return secondsUntil(now, firstDraw.addSecs(kLuckyPublishDelay));
    }
    int nextMinute = leadingInt(QStringView(nextDraw).right(2));
    const int clockMinute = now.time().minute();
    // A draw on the full hour: counting towards minute 0 would give negative values (and late
    // retries) in the five minutes before the hour; until the hour, count towards minute 60.
    if (nextMinute == 0 && clockMinute >= 55)
        nextMinute = 60;
    const double secondsIntoHour = clockMinute * 60.0 + now.time().second();
    const double remaining = std::fmod(nextMinute * 60.0 - secondsIntoHour - 1.0, 300.0) + kLuckyPublishDelay;
    return static_cast<int>(std::trunc(remaining));
}

int canadaCountdown(const QString& newestTime, const QDateTime& now)
{
    const QDateTime newest = drawMoment(validTime(readClockTime(newestTime)), now);
    return secondsUntil(now, newest.addSecs(kCanadaStep));
}

int minuteOfDay(const QString& time)
{
    const ClockTime read = readClockTime(time);
    return read.hour * 60 + read.minute;
}

} // namespace

CountdownSchedule loadCountdownSchedule(const QString& iniPath)
{
    CountdownSchedule schedule;
    // Only a plain file is read: a FIFO or a device in its place would never end the read.
    if (!QFileInfo(iniPath).isFile())
        return schedule;
    const QSettings settings(iniPath, QSettings::IniFormat);
    const QTime first = QTime::fromString(settings.value(QStringLiteral("schedule/lucky28_first")).toString().trimmed(),
                                          QStringLiteral("HH:mm"));
    if (first.isValid())
        schedule.luckyFirstDraw = first;
    return schedule;
}

int computeCountdown(LotteryKind kind, const QString& newestTime, const QDateTime& now,
                     const CountdownSchedule& schedule)
{
    return kind == LotteryKind::Lucky28 ? luckyCountdown(newestTime, now, schedule) : canadaCountdown(newestTime, now);
}

QString newestDrawTime(LotteryKind kind, const DrawHistory& history)
{
    const QString newest = history.at(1).time;
    const QString before = history.at(2).time;
    if (kind != LotteryKind::Canada28Night || newest.isEmpty() || before.isEmpty())
        return newest;
    const int gap = ((minuteOfDay(newest) - minuteOfDay(before)) % (kSecondsPerDay / 60) + kSecondsPerDay / 60) %
                    (kSecondsPerDay / 60);
    return gap == 3 ? newest.left(5) + QStringLiteral(":30") : newest;
}

int secondsSinceDraw(const QString& newestTime, const QDateTime& now)
{
    if (newestTime.isEmpty())
        return -1;
    return static_cast<int>(drawMoment(validTime(readClockTime(newestTime)), now).msecsTo(now) / 1000);
}

QString countdownLabelText(int countdown)
{
    if (countdown < 0)
        return QStringLiteral("开奖中");
    if (countdown >= 360)
        return QString::number(countdown);
    return QStringLiteral("%1:%2")
        .arg(countdown / 60, 2, 10, QLatin1Char('0'))
        .arg(countdown % 60, 2, 10, QLatin1Char('0'));
}

QString drawAgeText(int secondsAgo)
{
    const int minutes = std::max(secondsAgo, 0) / 60;
    if (minutes < 60)
        return QStringLiteral("最新一期 %1 分钟前").arg(minutes);
    return QStringLiteral("最新一期 %1 小时 %2 分前").arg(minutes / 60).arg(minutes % 60);
}

TickOutcome timerTick(int countdown)
{
    const int next = countdown - 1;
    const bool refreshDue = next < 10 && next % 10 == 0 && next >= -kLateRetryWindow;
    return {lateJump(next), refreshDue};
}

int lateJump(int countdown)
{
    return countdown < -kLateRetryWindow ? countdown + kLateJump : countdown;
}

} // namespace tandor28
