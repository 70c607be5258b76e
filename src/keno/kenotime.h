#pragma once

#include "model/zoneclock.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

#include <optional>

namespace tandor28 {

// Keno draws are timed in Vancouver local time. This gives the same moment on the user's local
// clock, through the time-zone database, so the daylight-saving changes of both places are
// honoured. An invalid date or time gives an invalid QDateTime.
[[nodiscard]] QDateTime vancouverToLocal(QDate date, QTime time);

// The reverse, for servers that publish Keno results: a local moment on Vancouver's clock.
[[nodiscard]] QDateTime localToVancouver(const QDateTime& local);

// The moments of the draws of one document, in UTC seconds, read in document order. A time that the
// spring change of clocks skips is refused with its reason (no real draw has one). A time of the
// autumn hour that comes twice takes the moment that keeps draw numbers and times in the same order
// as the draw read before it; without one, the first of the two.
class VancouverClock
{
public:
    VancouverClock();

    [[nodiscard]] std::optional<qint64> moment(qint64 issue, QDate date, QTime time, QString* why = nullptr);

private:
    ZoneClock m_clock;
    bool m_hasPrevious = false;
    qint64 m_previousIssue = 0;
    qint64 m_previousUtc = 0;
};

} // namespace tandor28
