#pragma once

#include "model/draw.h"

#include <QList>
#include <QString>

#include <algorithm>

namespace tandor28::testing {

// A draw whose digits add up to sum, spread so that no two digits are equal where that is possible
// (pairs and triples are built explicitly with drawOfDigits).
inline Draw drawOfSum(int sum, int issue)
{
    for (int a = 0; a <= 9; ++a)
        for (int b = a + 1; b <= 9; ++b) {
            const int c = sum - a - b;
            if (c > b && c <= 9)
                return makeDraw(QString::number(issue), QStringLiteral("12:00"), QString::number(a), QString::number(b),
                                QString::number(c));
        }
    const int a = std::min(9, sum);
    const int b = std::min(9, sum - a);
    return makeDraw(QString::number(issue), QStringLiteral("12:00"), QString::number(a), QString::number(b),
                    QString::number(sum - a - b));
}

inline Draw drawOfDigits(const QList<int>& digits, int issue)
{
    return makeDraw(QString::number(issue), QStringLiteral("12:00"), QString::number(digits.value(0)),
                    QString::number(digits.value(1)), QString::number(digits.value(2)));
}

// Newest first, issues counting down from 1000, padded with empty draws to `length` positions.
inline DrawHistory historyOfSums(const QList<int>& sums, int length = kHistoryLength)
{
    DrawHistory history;
    int issue = 1000;
    for (int sum : sums)
        history.append(drawOfSum(sum, issue--));
    while (history.size() < length)
        history.append(Draw{});
    return history;
}

inline DrawHistory historyOfDigits(const QList<QList<int>>& draws, int length = kHistoryLength)
{
    DrawHistory history;
    int issue = 1000;
    for (const QList<int>& digits : draws)
        history.append(drawOfDigits(digits, issue--));
    while (history.size() < length)
        history.append(Draw{});
    return history;
}

} // namespace tandor28::testing
