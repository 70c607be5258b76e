#include "kenobodies.h"

#include <QString>

namespace tandor28::testsupport {

std::vector<int> kenoExampleNumbers()
{
    return {44, 3, 80, 26, 61, 12, 73, 33, 7, 58, 22, 47, 15, 77, 40, 66, 18, 52, 31, 70};
}

QByteArray kenoExampleNumbersText(const char* separator)
{
    QByteArrayList numbers;
    for (const int n : kenoExampleNumbers())
        numbers << QByteArray::number(n);
    return numbers.join(separator);
}

QByteArray kenoJsonRecord(const QByteArray& number, const QByteArray& date, const QByteArray& time,
                          const QByteArray& numbers)
{
    return "{\"drawNbr\": " + number + ", \"drawDate\": \"" + date + "\", \"drawTime\": \"" + time +
           "\", \"drawNbrs\": [" + numbers + "], \"drawBonus\": 1.0}";
}

QByteArray kenoJsonPage(long long newest, int count)
{
    QByteArray body = "[";
    for (int i = 0; i < count; ++i) {
        const long long issue = newest - i;
        QByteArray numbers;
        for (int n = 1; n <= 20; ++n)
            numbers += (n > 1 ? "," : "") + QByteArray::number(n + issue % 10);
        const int minutes = 600 - i * 3;
        const QByteArray time = QStringLiteral("%1:%2:00 %3")
                                    .arg((minutes / 60 + 11) % 12 + 1, 2, 10, QLatin1Char('0'))
                                    .arg(minutes % 60, 2, 10, QLatin1Char('0'))
                                    .arg(minutes / 60 >= 12 ? QLatin1String("PM") : QLatin1String("AM"))
                                    .toLatin1();
        body += (i > 0 ? "," : "") + QByteArray("{\"drawNbr\": ") + QByteArray::number(issue) +
                ", \"drawDate\": \"Oct 13, 2025\", \"drawTime\": \"" + time + "\", \"drawNbrs\": [" + numbers + "]}";
    }
    return body + "]";
}

QByteArray kenoCsvHeader()
{
    QByteArray header = "\"PRODUCT\",\"DRAW NUMBER\",\"DRAW DATE\",\"BONUS MULTIPLIER\"";
    for (int i = 1; i <= 20; ++i)
        header += ",\"NUMBER DRAWN " + QByteArray::number(i) + "\"";
    return header + "\r\n";
}

QByteArray kenoCsvRow(const QByteArray& number, const QByteArray& stamp, const QByteArray& numbers)
{
    return "\"KENO\"," + number + ",\"" + stamp + "\",1," + numbers + "\r\n";
}

} // namespace tandor28::testsupport
