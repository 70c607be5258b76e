#pragma once

#include "model/draw.h"

#include <QDateTime>
#include <QString>
#include <QTime>

namespace tandor28 {

// Seconds the Lucky 28 feed takes to publish a draw; the count runs to the draw plus this delay.
inline constexpr int kLuckyPublishDelay = 20;
// A late draw is retried every ten seconds while it is overdue by up to this many seconds.
inline constexpr int kLateRetryWindow = 120;
// Past the retry window the count jumps up by this much, so a missing draw is retried minutes later.
inline constexpr int kLateJump = 250;

// The schedule facts the countdown needs beyond the draw times: the first Lucky 28 draw of a day,
// which ends the night break. tandor28.ini can set it as [schedule] lucky28_first=HH:MM.
struct CountdownSchedule
{
    QTime luckyFirstDraw = QTime(9, 5);
};

// Reads the [schedule] group of tandor28.ini; a missing file, key or a time that is not HH:MM gives
// the default.
[[nodiscard]] CountdownSchedule loadCountdownSchedule(const QString& iniPath);

// Seconds until the next refresh is due, from the time of the newest draw ("HH:MM", or "HH:MM:SS"
// when its seconds are known) and the clock `now` (callers pass their clock, so tests can set it).
//
// A draw time belongs to the day that puts it in the 24 hours before the clock, or up to an hour
// after it (a clock that runs behind the server's): 23:58 read at 00:01 is yesterday's, 00:02 read
// at 23:59 tomorrow's, 23:55 read at noon last night's.
//
// Lucky 28 draws every five minutes: only the minutes and seconds of the clock take part, modulo
// 300 s, plus 20 s for the feed to publish the draw. A next draw on the full hour counts as minute
// 60 while the clock's minute is 55..59 (the count runs positive up to the hour) and as minute 0
// from the hour on (small negative values: the draw is overdue and the late retries run). After the
// 23:55 draw the count runs to the first draw of the next day plus the publishing delay; once that
// moment has passed it is negative, as for any overdue draw. An empty time counts as 00:00.
//
// Canada 28 draws 210 s after the previous one: the newest draw's moment plus 210 s, minus now.
// A time that does not read as HH:MM counts as 00:00.
[[nodiscard]] int computeCountdown(LotteryKind kind, const QString& newestTime, const QDateTime& now,
                                   const CountdownSchedule& schedule = {});

// The time of the newest draw of a history as the countdown takes it. The Canada 28 feed gives
// minutes only while its draws fall on :00 and :30 seconds alternately; a draw three minutes after
// the one before it is a :30 draw (210 s after a :00 draw), so its time comes back as "HH:MM:30".
[[nodiscard]] QString newestDrawTime(LotteryKind kind, const DrawHistory& history);

// Seconds from the newest draw's moment (its day taken as above) to now; -1 when there is no draw
// time (an empty history).
[[nodiscard]] int secondsSinceDraw(const QString& newestTime, const QDateTime& now);

// "MM:SS" for 0..359, "开奖中" below 0, the plain number of seconds from 360 on.
[[nodiscard]] QString countdownLabelText(int countdown);

// How long ago the newest draw was, as the headline shows it once the next one is overdue:
// "最新一期 N 分钟前" (or "最新一期 N 小时 M 分前" from an hour on).
[[nodiscard]] QString drawAgeText(int secondsAgo);

struct TickOutcome
{
    int countdown;   // the value after this tick
    bool refreshDue; // a refresh is due now
};

// One tick of the one-second refresh timer: the countdown goes down by one; a refresh is due when
// it is below 10, a multiple of 10 and no more than 120 s overdue (0, -10, ..., -120); below -120 it
// jumps up by 250 once, so a late draw is retried some minutes later.
//
// The caller's order: take `countdown`; if `refreshDue`, run the refresh, which recomputes the
// countdown, and pass that new value through lateJump(); then show countdownLabelText(). The jump
// is already in `countdown`: a tick applies it once.
[[nodiscard]] TickOutcome timerTick(int countdown);

// The jump of a late count: below -120 add 250, otherwise unchanged.
[[nodiscard]] int lateJump(int countdown);

} // namespace tandor28
