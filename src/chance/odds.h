#pragma once

#include "betclass.h"
#include "lotterylaw.h"

#include <QString>
#include <QStringList>

#include <array>

namespace tandor28 {

// What a winning bet of 1 pays back, the stake included, for each class and each single sum.
struct OddsTable
{
    std::array<double, kBetClassCount> classes{};
    std::array<double, kLawSums> sums{};
    QStringList problems; // entries of the ini that could not be read, with the reason

    [[nodiscard]] double of(BetClass betClass) const { return classes[static_cast<std::size_t>(betClass)]; }
};

// The usual payouts: 大 小 单 双 1.98; 大单 小双 4.2; 大双 小单 3.6; 极大 极小 15; 豹子 50; 对子 3.3;
// 顺子 12; a single sum s 0.9 x 1000 / (the number of digit triples giving s), rounded down to one
// decimal.
[[nodiscard]] OddsTable defaultOdds();

// The [odds] group of tandor28.ini: one entry a class by its name (大=1.98) or a sum by its number
// (13=12); entries left out keep the default, unreadable or non-positive ones too (listed in
// `problems`).
[[nodiscard]] OddsTable loadOdds(const QString& iniPath);

// The expected return of 1 staked: p x odds - 1.
[[nodiscard]] constexpr double expectedReturn(double p, double odds)
{
    return p * odds - 1.0;
}

// The number of digit triples giving a sum (1 for 0 and 27, 75 for 13 and 14, 0 outside 0..27).
[[nodiscard]] int tripleCountOfSum(int sum);

} // namespace tandor28
