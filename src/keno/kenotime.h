#pragma once

#include <QDate>
#include <QDateTime>
#include <QTime>

namespace tandor28 {

// Keno draws are timed in Vancouver local time. This gives the same moment on the user's local
// clock, through the time-zone database, so the daylight-saving changes of both places are
// honoured. An invalid date or time gives an invalid QDateTime.
[[nodiscard]] QDateTime vancouverToLocal(QDate date, QTime time);

// The reverse, for servers that publish Keno results: a local moment on Vancouver's clock.
[[nodiscard]] QDateTime localToVancouver(const QDateTime& local);

} // namespace tandor28
