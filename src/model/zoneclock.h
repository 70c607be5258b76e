#pragma once

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <QTimeZone>

#include <array>

namespace tandor28 {

// The fields of a wall-clock time.
struct WallClock
{
    int year = 1970;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;

    friend bool operator==(const WallClock&, const WallClock&) = default;
};

// A wall-clock time as seconds since 1970-01-01 00:00 of that clock, whatever the zone; the date and
// the time must be valid.
[[nodiscard]] qint64 wallSeconds(QDate date, QTime time);
// The fields of wall-clock seconds as wallSeconds counts them.
[[nodiscard]] WallClock wallClockOf(qint64 wallSeconds);

// The moments a wall-clock time of a zone names: none when the clocks skip it, two when they repeat
// it (the earlier first), one otherwise.
struct WallMoments
{
    int count = 0;
    std::array<qint64, 2> utc{};
};

// Conversions between UTC seconds and one zone's wall clock, fast for long runs of moments: the
// offset and the span it holds for are kept, so the time-zone database is asked again only when a
// moment falls outside that span (twice a year in a zone with daylight saving).
class ZoneClock
{
public:
    explicit ZoneClock(QTimeZone zone);
    // The machine's zone, looked up once here; a zone the database does not know gives the offset
    // the machine has now.
    [[nodiscard]] static ZoneClock local();

    [[nodiscard]] const QTimeZone& zone() const { return m_zone; }
    // Seconds east of UTC at the moment.
    [[nodiscard]] int offsetAt(qint64 utc);
    [[nodiscard]] WallClock wallClock(qint64 utc) { return wallClockOf(utc + offsetAt(utc)); }
    [[nodiscard]] WallMoments moments(qint64 wall);
    // The moment as a QDateTime of the zone, for the views that show a few of them.
    [[nodiscard]] QDateTime dateTime(qint64 utc) const;

private:
    QTimeZone m_zone;
    qint64 m_from = 1;
    qint64 m_to = 0;
    int m_offset = 0;
};

} // namespace tandor28
