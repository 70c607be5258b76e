#include "feedbodies.h"

#include <QString>

namespace tandor28::testsupport {

QByteArray feedBody(LotteryKind kind, const std::vector<FeedDraw>& draws)
{
    const bool lucky = kind == LotteryKind::Lucky28;
    QByteArray body = lucky ? QByteArray() : QByteArray("[");
    for (const FeedDraw& draw : draws) {
        const int sum = draw.d1 + draw.d2 + draw.d3;
        if (lucky) {
            body += QStringLiteral("%1-%2-%3 + %4 + %5 = %6\r\n")
                        .arg(draw.issue)
                        .arg(draw.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
                        .arg(draw.d1)
                        .arg(draw.d2)
                        .arg(draw.d3)
                        .arg(sum)
                        .toLatin1();
        } else {
            if (body.size() > 1)
                body += ',';
            body += QStringLiteral(R"({"issue":"%1","date":"%2","c1":"%3","c2":"%4","c3":"%5","c4":"%6"})")
                        .arg(draw.issue)
                        .arg(draw.time.toString(QStringLiteral("yyyy-MM-dd HH:mm")))
                        .arg(draw.d1)
                        .arg(draw.d2)
                        .arg(draw.d3)
                        .arg(sum)
                        .toLatin1();
        }
    }
    return lucky ? body : body + "]";
}

std::vector<FeedDraw> feedDraws(const QList<QList<int>>& digits, qint64 newestIssue, const QDateTime& time)
{
    std::vector<FeedDraw> draws;
    qint64 issue = newestIssue;
    for (const QList<int>& d : digits)
        draws.push_back({issue--, time, d.value(0), d.value(1), d.value(2)});
    return draws;
}

} // namespace tandor28::testsupport
