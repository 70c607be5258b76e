#include "fixtures.h"

#include "feed/feedparser.h"

#include <QFile>

namespace tandor28::testsupport {

QString fixturePath(const QString& relative)
{
    return QStringLiteral(TANDOR28_TEST_DATA "/") + relative;
}

QString feedPath(const char* name)
{
    return fixturePath(QStringLiteral("feeds/") + QLatin1String(name));
}

QByteArray feedBytes(const char* name)
{
    QFile file(feedPath(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", name);
    return file.readAll();
}

DrawHistory feedHistory(LotteryKind kind, const char* name)
{
    return parseDrawFeed(kind, feedBytes(name)).value_or(DrawHistory());
}

QStringList datedDrawLines(const std::vector<DatedDraw>& draws, const QString& timeFormat,
                           const QString& digitSeparator)
{
    QStringList lines;
    for (const DatedDraw& draw : draws) {
        const QStringList digits{QString::number(draw.d1), QString::number(draw.d2), QString::number(draw.d3)};
        lines << QStringLiteral("%1 %2 %3")
                     .arg(draw.issue)
                     .arg(draw.drawnAt.toString(timeFormat), digits.join(digitSeparator));
    }
    return lines;
}

} // namespace tandor28::testsupport
