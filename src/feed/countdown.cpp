#include "countdown.h"

#include "model/classification.h"
#include "model/textnum.h"

#include <cmath>

namespace tandor28 {

namespace {

struct HourMinute
{
    int hour = 0;
    int minute = 0;
};

// Hour and minute of an "HH:MM" text by their leading digits; an empty text gives 0 and 0.
HourMinute readHourMinute(const QString& time)
{
    const qsizetype colon = time.indexOf(QLatin1Char(':'));
    if (colon < 0)
        return {leadingInt(time), 0};
    return {leadingInt(QStringView(time).left(colon)), leadingInt(QStringView(time).mid(colon + 1))};
}

int luckyCountdown(const QString& newestTime, const QDateTime& now)
{
    const HourMinute newest = readHourMinute(newestTime);
    const QString nextDraw = newest.minute + 5 == 60 ? QString::number(newest.hour + 1) + QStringLiteral(":00")
                                                     : newestTime.left(3) + twoDigit(newest.minute + 5);
    if (nextDraw == QLatin1String("24:00"))
        return kNightBreakCountdown;
    int nextMinute = leadingInt(QStringView(nextDraw).right(2));
    const int clockMinute = now.time().minute();
    // A draw on the full hour: counting towards minute 0 would give negative values (and late
    // retries) in the five minutes before the hour; until the hour, count towards minute 60.
    if (nextMinute == 0 && clockMinute >= 55)
        nextMinute = 60;
    const double secondsIntoHour = clockMinute * 60.0 + now.time().second();
    const double remaining = std::fmod(nextMinute * 60.0 - secondsIntoHour - 1.0, 300.0) + 20.0;
    return static_cast<int>(std::trunc(remaining));
}

int canadaCountdown(const QString& newestTime, const QDateTime& now)
{
    const HourMinute newest = readHourMinute(newestTime);
    QTime drawTime(newest.hour, newest.minute);
    if (!drawTime.isValid())
        drawTime = QTime(0, 0);
    QDateTime nextDraw = now;
    nextDraw.setTime(drawTime);
    nextDraw = nextDraw.addSecs(210);
    return static_cast<int>(now.msecsTo(nextDraw) / 1000);
}

} // namespace

int computeCountdown(LotteryKind kind, const QString& newestTime, const QDateTime& now)
{
    return kind == LotteryKind::Lucky28 ? luckyCountdown(newestTime, now) : canadaCountdown(newestTime, now);
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

TickOutcome timerTick(int countdown)
{
    const int next = countdown - 1;
    const bool refreshDue = next < 10 && next % 10 == 0;
    return {lateJump(next), refreshDue};
}

int lateJump(int countdown)
{
    return countdown < -50 ? countdown + 250 : countdown;
}

} // namespace tandor28
