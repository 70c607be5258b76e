#include "kenotime.h"

#include <QTimeZone>

namespace tandor28 {

namespace {

const QTimeZone& vancouver()
{
    static const QTimeZone zone(QByteArrayLiteral("America/Vancouver"));
    return zone;
}

} // namespace

QDateTime vancouverToLocal(QDate date, QTime time)
{
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time, vancouver()).toLocalTime();
}

QDateTime localToVancouver(const QDateTime& local)
{
    return local.toTimeZone(vancouver());
}

VancouverClock::VancouverClock() : m_clock(vancouver()) {}

std::optional<qint64> VancouverClock::moment(qint64 issue, QDate date, QTime time, QString* why)
{
    if (!date.isValid() || !time.isValid()) {
        if (why)
            *why = QStringLiteral("unreadable date or time");
        return std::nullopt;
    }
    const WallMoments moments = m_clock.moments(wallSeconds(date, time));
    if (moments.count == 0) {
        if (why)
            *why = QStringLiteral("%1 %2 does not exist in Vancouver: the clocks skip that hour in spring")
                       .arg(date.toString(Qt::ISODate), time.toString(QStringLiteral("HH:mm:ss")));
        return std::nullopt;
    }
    qint64 utc = moments.utc[0];
    if (moments.count == 2 && m_hasPrevious) {
        // A later draw number must not come at an earlier moment, nor an earlier one at a later moment.
        if (issue > m_previousIssue && utc <= m_previousUtc)
            utc = moments.utc[1];
        else if (issue < m_previousIssue && moments.utc[1] < m_previousUtc)
            utc = moments.utc[1];
    }
    m_hasPrevious = true;
    m_previousIssue = issue;
    m_previousUtc = utc;
    return utc;
}

} // namespace tandor28
