#include "feedparser.h"

#include <QRegularExpression>
#include <QStringList>

namespace tandor28 {

namespace {

// "(*LF)" pins the line-break convention of the matcher, so "." stops only at a line feed.
const QRegularExpression& recordExpression(LotteryKind kind)
{
    constexpr auto options = QRegularExpression::CaseInsensitiveOption | QRegularExpression::MultilineOption;
    thread_local const QRegularExpression lucky(QStringLiteral("(*LF)") + recordPattern(LotteryKind::Lucky28), options);
    thread_local const QRegularExpression canada(QStringLiteral("(*LF)") + recordPattern(LotteryKind::Canada28Night),
                                                 options);
    return kind == LotteryKind::Lucky28 ? lucky : canada;
}

Draw luckyRecord(const QRegularExpressionMatch& match)
{
    const QString digits = match.captured(4);
    const QStringList parts = digits.split(QStringLiteral(" + "));
    const auto part = [&parts](qsizetype i) { return i < parts.size() ? QStringView(parts[i]) : QStringView(); };
    return makeDraw(match.captured(1), match.captured(3).left(5), part(0), part(1), part(2));
}

Draw canadaRecord(const QRegularExpressionMatch& match)
{
    return makeDraw(match.captured(1), match.captured(2).right(5), match.capturedView(3), match.capturedView(4),
                    match.capturedView(5));
}

} // namespace

QString recordPattern(LotteryKind kind)
{
    if (kind == LotteryKind::Lucky28)
        return QStringLiteral("(.*?)-(.*?) (.*?)-(.*?) = (.*?)\r\n");
    return QStringLiteral("\"issue\":\"(.*?)\",\"date\":\"(.*?)\",\"c1\":\"(.*?)\",\"c2\":\"(.*?)\",\"c3\":\"(.*?)\","
                          "\"c4\":\"(.*?)\"");
}

std::vector<Draw> parseRecords(LotteryKind kind, const QByteArray& body)
{
    // No match can contain a line feed except the one that ends a text record, so every match lies
    // within one line: searching line by line finds the same matches in the same order, and keeps
    // the non-greedy groups from wandering over the whole document.
    const QString document = QString::fromLatin1(body);
    const QRegularExpression& expression = recordExpression(kind);
    const bool textFeed = kind == LotteryKind::Lucky28;
    std::vector<Draw> records;
    qsizetype lineStart = 0;
    while (lineStart < document.size()) {
        qsizetype lineEnd = document.indexOf(QLatin1Char('\n'), lineStart);
        lineEnd = lineEnd < 0 ? document.size() : lineEnd + 1;
        const QStringView line = QStringView(document).mid(lineStart, lineEnd - lineStart);
        lineStart = lineEnd;
        if (textFeed && (!line.endsWith(QLatin1String("\r\n")) || line.size() > kMaxTextRecordLine))
            continue;
        if (!textFeed && !line.contains(QLatin1String("\"issue\":\""), Qt::CaseInsensitive))
            continue;
        QRegularExpressionMatchIterator matches = expression.globalMatch(line);
        while (matches.hasNext()) {
            const QRegularExpressionMatch match = matches.next();
            records.push_back(textFeed ? luckyRecord(match) : canadaRecord(match));
        }
    }
    return records;
}

std::optional<DrawHistory> parseDrawFeed(LotteryKind kind, const QByteArray& body, int periodCount)
{
    std::vector<Draw> records = parseRecords(kind, body);
    if (records.size() < static_cast<std::size_t>(kMinimumRecords))
        return std::nullopt;
    const std::size_t length = static_cast<std::size_t>(std::max(periodCount, 0) + kHistoryExtra);
    records.resize(length);
    return DrawHistory(std::move(records));
}

} // namespace tandor28
