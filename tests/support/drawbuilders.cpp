#include "drawbuilders.h"

#include <QDateTime>

#include <algorithm>

namespace tandor28::testsupport {

std::array<int, 3> highDigitsOfSum(int sum)
{
    const int d1 = sum > 9 ? 9 : sum;
    const int d2 = sum - d1 > 9 ? 9 : sum - d1;
    return {d1, d2, sum - d1 - d2};
}

Draw drawWithDigits(const QString& issue, int d1, int d2, int d3, const QString& time)
{
    return makeDraw(issue, time, QString::number(d1), QString::number(d2), QString::number(d3));
}

Draw drawWithSum(const QString& issue, int sum)
{
    const std::array<int, 3> digits = highDigitsOfSum(sum);
    return drawWithDigits(issue, digits[0], digits[1], digits[2]);
}

DrawHistory sampleHistory(int count, long long newestIssue, unsigned seed)
{
    std::vector<Draw> draws;
    DigitSequence digits(seed);
    for (int i = 0; i < count; ++i) {
        const int d1 = digits.next();
        const int d2 = digits.next();
        const int d3 = digits.next();
        const QString time = QStringLiteral("%1:%2")
                                 .arg(23 - (i / 12) % 24, 2, 10, QChar(u'0'))
                                 .arg(55 - (i % 12) * 5, 2, 10, QChar(u'0'));
        draws.push_back(drawWithDigits(QString::number(newestIssue - i), d1, d2, d3, time));
    }
    return DrawHistory(std::move(draws));
}

Draw drawOfSum(int sum, int issue)
{
    for (int a = 0; a <= 9; ++a)
        for (int b = a + 1; b <= 9; ++b) {
            const int c = sum - a - b;
            if (c > b && c <= 9)
                return drawWithDigits(QString::number(issue), a, b, c);
        }
    const int a = std::min(9, sum);
    const int b = std::min(9, sum - a);
    return drawWithDigits(QString::number(issue), a, b, sum - a - b);
}

Draw drawOfDigits(const QList<int>& digits, int issue)
{
    return drawWithDigits(QString::number(issue), digits.value(0), digits.value(1), digits.value(2));
}

DrawHistory historyOfSums(const QList<int>& sums, int length)
{
    DrawHistory history;
    int issue = 1000;
    for (const int sum : sums)
        history.append(drawOfSum(sum, issue--));
    while (history.size() < length)
        history.append(Draw{});
    return history;
}

DrawHistory historyOfDigits(const QList<QList<int>>& draws, int length)
{
    DrawHistory history;
    int issue = 1000;
    for (const QList<int>& digits : draws)
        history.append(drawOfDigits(digits, issue--));
    while (history.size() < length)
        history.append(Draw{});
    return history;
}

std::vector<DatedDraw> archiveDraws(qint64 first, qint64 last)
{
    std::vector<DatedDraw> draws;
    const QDateTime start(QDate(2026, 7, 31), QTime(0, 0));
    for (qint64 issue = first; issue <= last; ++issue) {
        draws.push_back(DatedDraw{issue,
                                  start.addSecs((issue - first) * 210),
                                  static_cast<int>(issue % 10),
                                  static_cast<int>(issue / 10 % 10),
                                  static_cast<int>(issue / 100 % 10),
                                  {}});
    }
    return draws;
}

} // namespace tandor28::testsupport
