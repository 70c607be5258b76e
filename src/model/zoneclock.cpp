#include "zoneclock.h"

#include <limits>

namespace tandor28 {

namespace {

constexpr qint64 kDay = 86400;

// Days since 1970-01-01 of a proleptic Gregorian date, and back (H. Hinnant's civil algorithms).
qint64 daysFromCivil(qint64 y, unsigned m, unsigned d)
{
    y -= m <= 2 ? 1 : 0;
    const qint64 era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<qint64>(doe) - 719468;
}

WallClock civilFromDays(qint64 z)
{
    z += 719468;
    const qint64 era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    WallClock clock;
    clock.year = static_cast<int>(static_cast<qint64>(yoe) + era * 400 + (m <= 2 ? 1 : 0));
    clock.month = static_cast<int>(m);
    clock.day = static_cast<int>(d);
    return clock;
}

} // namespace

qint64 wallSeconds(QDate date, QTime time)
{
    return daysFromCivil(date.year(), static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day())) * kDay +
           time.msecsSinceStartOfDay() / 1000;
}

WallClock wallClockOf(qint64 wallSeconds)
{
    const qint64 days = wallSeconds >= 0 ? wallSeconds / kDay : -((-wallSeconds + kDay - 1) / kDay);
    const qint64 rest = wallSeconds - days * kDay;
    WallClock clock = civilFromDays(days);
    clock.hour = static_cast<int>(rest / 3600);
    clock.minute = static_cast<int>(rest / 60 % 60);
    clock.second = static_cast<int>(rest % 60);
    return clock;
}

ZoneClock::ZoneClock(QTimeZone zone) : m_zone(std::move(zone)) {}

ZoneClock ZoneClock::local()
{
    QTimeZone zone = QTimeZone::systemTimeZone();
    if (!zone.isValid())
        zone = QTimeZone(QDateTime::currentDateTime().offsetFromUtc());
    return ZoneClock(std::move(zone));
}

int ZoneClock::offsetAt(qint64 utc)
{
    if (utc >= m_from && utc < m_to)
        return m_offset;
    const QDateTime moment = QDateTime::fromSecsSinceEpoch(utc, QTimeZone::utc());
    m_offset = m_zone.offsetFromUtc(moment);
    m_from = std::numeric_limits<qint64>::min();
    m_to = std::numeric_limits<qint64>::max();
    if (m_zone.hasTransitions()) {
        const QTimeZone::OffsetData before = m_zone.previousTransition(moment);
        const QTimeZone::OffsetData after = m_zone.nextTransition(moment);
        if (before.atUtc.isValid())
            m_from = before.atUtc.toSecsSinceEpoch();
        if (after.atUtc.isValid())
            m_to = after.atUtc.toSecsSinceEpoch();
        // A moment on a transition itself may fall outside the span the database reports: keep
        // the offset for that moment only.
        if (utc < m_from || utc >= m_to) {
            m_from = utc;
            m_to = utc + 1;
        }
    }
    return m_offset;
}

WallMoments ZoneClock::moments(qint64 wall)
{
    // Offsets lie within a day of UTC and a zone changes them months apart, so the offsets a day
    // before and a day after are the only ones the wall-clock time can have.
    WallMoments found;
    for (const int offset : {offsetAt(wall - kDay), offsetAt(wall + kDay)}) {
        const qint64 utc = wall - offset;
        if (offsetAt(utc) != offset || (found.count == 1 && found.utc[0] == utc))
            continue;
        found.utc[static_cast<std::size_t>(found.count++)] = utc;
    }
    if (found.count == 2 && found.utc[1] < found.utc[0])
        std::swap(found.utc[0], found.utc[1]);
    return found;
}

QDateTime ZoneClock::dateTime(qint64 utc) const
{
    return QDateTime::fromSecsSinceEpoch(utc, m_zone);
}

} // namespace tandor28
