#pragma once

#include "lotterylaw.h"

#include <QString>

#include <array>
#include <functional>

namespace tandor28 {

// The classes a player bets on, as the window names them.
enum class BetClass
{
    Big,          // 大: sum 14 and above
    Small,        // 小
    Odd,          // 单
    Even,         // 双
    BigOdd,       // 大单
    BigEven,      // 大双
    SmallOdd,     // 小单
    SmallEven,    // 小双
    ExtremeBig,   // 极大: sum 22 and above
    ExtremeSmall, // 极小: sum 5 and below
    Triple,       // 豹子: three equal digits
    Pair,         // 对子: exactly two equal digits
    Straight,     // 顺子: three consecutive digits in any order, 8 9 0 and 9 0 1 included
};

inline constexpr int kBetClassCount = 13;

[[nodiscard]] const std::array<BetClass, kBetClassCount>& allBetClasses();
// "大", "小", ... as the window names the class.
[[nodiscard]] QString betClassName(BetClass betClass);

// Whether the digits d1, d2, d3 (each 0..9) fall in the class.
[[nodiscard]] bool inBetClass(BetClass betClass, int d1, int d2, int d3);

// The law's weight of the triples for which `holds` is true.
[[nodiscard]] double lawWeight(const LotteryLaw& law, const std::function<bool(int, int, int)>& holds);

[[nodiscard]] double betClassProbability(const LotteryLaw& law, BetClass betClass);
// The chance of a sum 0..27 (0 outside).
[[nodiscard]] double sumProbability(const LotteryLaw& law, int sum);

} // namespace tandor28
