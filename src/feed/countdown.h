#pragma once

#include "model/draw.h"

#include <QDateTime>
#include <QString>

namespace tandor28 {

// Countdown shown during the night break of Lucky 28 (after the 23:55 draw).
inline constexpr int kNightBreakCountdown = 30000;

// Seconds until the next refresh is due, from the time HH:MM of the newest draw and the clock `now`
// (callers pass their clock, so tests can set it).
//
// Lucky 28 draws every five minutes: only the minutes and seconds of the clock take part, modulo
// 300 s, plus 20 s for the feed to publish the draw. A next draw on the full hour counts as minute
// 60 while the clock's minute is 55..59 (the count runs positive up to the hour) and as minute 0
// from the hour on (small negative values: the draw is overdue and the late retries run). After the
// 23:55 draw the count is 30000. An empty time counts as 00:00.
//
// Canada 28 draws 210 s after the previous one: the newest draw's time today plus 210 s, minus now.
// A time that does not read as HH:MM counts as 00:00.
[[nodiscard]] int computeCountdown(LotteryKind kind, const QString& newestTime, const QDateTime& now);

// "MM:SS" for 0..359, "开奖中" below 0, the plain number of seconds from 360 on.
[[nodiscard]] QString countdownLabelText(int countdown);

struct TickOutcome
{
    int countdown;   // the value after this tick
    bool refreshDue; // a refresh is due now
};

// One tick of the one-second refresh timer: the countdown goes down by one; a refresh is due when
// it is below 10 and a multiple of 10 (0, -10, ..., -50); below -50 it jumps up by 250, so a late
// draw is retried about three minutes later.
//
// The caller's order: take `countdown`; if `refreshDue`, run the refresh, which recomputes the
// countdown, and pass that new value through lateJump(); then show countdownLabelText().
[[nodiscard]] TickOutcome timerTick(int countdown);

// The jump of a late count: below -50 add 250, otherwise unchanged.
[[nodiscard]] int lateJump(int countdown);

} // namespace tandor28
