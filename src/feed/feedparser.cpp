#include "feedparser.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <vector>

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

// The fixed pieces of each record pattern, in pattern order.
const std::vector<QLatin1String> kLuckyPieces{QLatin1String("-"), QLatin1String(" "), QLatin1String("-"),
                                              QLatin1String(" = "), QLatin1String("\r\n")};
const std::vector<QLatin1String> kCanadaPieces{QLatin1String("\"issue\":\""),
                                               QLatin1String("\",\"date\":\""),
                                               QLatin1String("\",\"c1\":\""),
                                               QLatin1String("\",\"c2\":\""),
                                               QLatin1String("\",\"c3\":\""),
                                               QLatin1String("\",\"c4\":\""),
                                               QLatin1String("\"")};

// Where the pieces end when they occur in `line` from `from` on, in this order and without
// overlapping, each as early as possible (letters in any case, as the matcher compares them); -1
// when they do not all occur.
qsizetype piecesEnd(QStringView line, qsizetype from, const std::vector<QLatin1String>& pieces)
{
    for (const QLatin1String piece : pieces) {
        const qsizetype at = line.indexOf(piece, from, Qt::CaseInsensitive);
        if (at < 0)
            return -1;
        from = at + piece.size();
    }
    return from;
}

// The record with its full date: Lucky 28 gives the date in group 2 and the time at the start of
// group 3, Canada 28 both in "date". A record without a readable issue number or date comes back
// with issue 0, so the caller can drop it.
DatedDraw datedRecord(LotteryKind kind, const QRegularExpressionMatch& match)
{
    const Draw draw = kind == LotteryKind::Lucky28 ? luckyRecord(match) : canadaRecord(match);
    const QString stamp = kind == LotteryKind::Lucky28
                              ? match.captured(2) + QLatin1Char(' ') + match.captured(3).left(8)
                              : match.captured(2).trimmed();
    QDateTime drawnAt = QDateTime::fromString(stamp, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!drawnAt.isValid())
        drawnAt = QDateTime::fromString(stamp.left(16), QStringLiteral("yyyy-MM-dd HH:mm"));
    bool ok = false;
    const qint64 issue = draw.issue.toLongLong(&ok);
    return DatedDraw{ok && issue > 0 ? issue : 0, drawnAt, draw.d1, draw.d2, draw.d3, {}};
}

template <typename Record, typename Make>
std::vector<Record> matchRecords(LotteryKind kind, const QByteArray& body, std::size_t maxRecords, Make make)
{
    // No match can contain a line feed except the one that ends a text record, so every match lies
    // within one line, and the matcher runs line by line. Before it runs, a plain scan checks that
    // the pattern's fixed pieces occur in order in the rest of the line: when they do, the
    // non-greedy groups find the match on their first path; when they do not, there is no match,
    // and the matcher is spared a search whose cost grows with a power of the line length.
    const QString document = QString::fromLatin1(body);
    const QRegularExpression& expression = recordExpression(kind);
    const bool textFeed = kind == LotteryKind::Lucky28;
    std::vector<Record> records;
    qsizetype lineStart = 0;
    while (lineStart < document.size() && records.size() < maxRecords) {
        qsizetype lineEnd = document.indexOf(QLatin1Char('\n'), lineStart);
        lineEnd = lineEnd < 0 ? document.size() : lineEnd + 1;
        const QStringView line = QStringView(document).mid(lineStart, lineEnd - lineStart);
        lineStart = lineEnd;
        qsizetype offset = 0;
        while (offset < line.size() && records.size() < maxRecords) {
            const qsizetype start =
                textFeed ? offset : line.indexOf(kCanadaPieces.front(), offset, Qt::CaseInsensitive);
            const qsizetype end = start < 0 ? -1 : piecesEnd(line, start, textFeed ? kLuckyPieces : kCanadaPieces);
            if (end < 0)
                break;
            // The match starts at `start` and, its groups taking the earliest pieces, ends at `end`.
            const QRegularExpressionMatch match = expression.match(line.sliced(start, end - start));
            if (!match.hasMatch())
                break;
            records.push_back(make(match));
            offset = start + match.capturedLength();
        }
    }
    return records;
}

} // namespace

QString recordPattern(LotteryKind kind)
{
    if (kind == LotteryKind::Lucky28)
        return QStringLiteral("(.*?)-(.*?) (.*?)-(.*?) = (.*?)\r\n");
    return QStringLiteral("\"issue\":\"(.*?)\",\"date\":\"(.*?)\",\"c1\":\"(.*?)\",\"c2\":\"(.*?)\",\"c3\":\"(.*?)\","
                          "\"c4\":\"(.*?)\"");
}

std::vector<Draw> parseRecords(LotteryKind kind, const QByteArray& body, std::size_t maxRecords)
{
    return matchRecords<Draw>(kind, body, maxRecords, [kind](const QRegularExpressionMatch& match) {
        return kind == LotteryKind::Lucky28 ? luckyRecord(match) : canadaRecord(match);
    });
}

std::vector<DatedDraw> parseDatedRecords(LotteryKind kind, const QByteArray& body)
{
    std::vector<DatedDraw> records =
        matchRecords<DatedDraw>(kind, body, std::numeric_limits<std::size_t>::max(),
                                [kind](const QRegularExpressionMatch& match) { return datedRecord(kind, match); });
    std::erase_if(records, [](const DatedDraw& draw) { return draw.issue < 1 || !draw.drawnAt.isValid(); });
    return records;
}

std::optional<DrawHistory> parseDrawFeed(LotteryKind kind, const QByteArray& body, int periodCount)
{
    const std::size_t length = static_cast<std::size_t>(std::max(periodCount, 0) + kHistoryExtra);
    std::vector<Draw> records = parseRecords(kind, body, length);
    if (records.size() < static_cast<std::size_t>(kMinimumRecords))
        return std::nullopt;
    records.resize(length);
    return DrawHistory(std::move(records));
}

} // namespace tandor28
