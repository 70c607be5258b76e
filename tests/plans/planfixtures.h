#pragma once

#include "model/draw.h"

#include <QString>

#include <vector>

// Small builders for the plan tests: draws with chosen digits or sums and consecutive issues.
namespace planfixtures {

inline tandor28::Draw drawWithDigits(const QString& issue, int d1, int d2, int d3, const QString& time = "12:00")
{
    return tandor28::makeDraw(issue, time, QString::number(d1), QString::number(d2), QString::number(d3));
}

// Digits 9, 9, rest (as far as the sum allows) so that any sum 0..27 can be drawn.
inline tandor28::Draw drawWithSum(const QString& issue, int sum)
{
    const int d1 = sum > 9 ? 9 : sum;
    const int d2 = sum - d1 > 9 ? 9 : sum - d1;
    return drawWithDigits(issue, d1, d2, sum - d1 - d2);
}

// `count` draws, newest first, issues counting down from `newestIssue`, digits from a fixed
// pseudo-random sequence so that plans and bet types meet hits and misses alike.
inline tandor28::DrawHistory sampleHistory(int count, long long newestIssue = 3255100, unsigned seed = 28)
{
    std::vector<tandor28::Draw> draws;
    unsigned state = seed;
    auto next = [&state] {
        state = state * 1103515245u + 12345u;
        return static_cast<int>((state >> 16) % 10);
    };
    for (int i = 0; i < count; ++i) {
        const int d1 = next();
        const int d2 = next();
        const int d3 = next();
        const QString time = QStringLiteral("%1:%2")
                                 .arg(23 - (i / 12) % 24, 2, 10, QChar(u'0'))
                                 .arg(55 - (i % 12) * 5, 2, 10, QChar(u'0'));
        draws.push_back(drawWithDigits(QString::number(newestIssue - i), d1, d2, d3, time));
    }
    return tandor28::DrawHistory(std::move(draws));
}

} // namespace planfixtures
