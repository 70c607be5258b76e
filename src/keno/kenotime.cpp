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

} // namespace tandor28
