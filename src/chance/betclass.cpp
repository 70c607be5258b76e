#include "betclass.h"

#include <algorithm>

namespace tandor28 {

namespace {

bool isStraight(int d1, int d2, int d3)
{
    // Consecutive around the ring 0..9: some digit starts a run d, d+1, d+2 (mod 10).
    std::array<int, 3> digits{d1, d2, d3};
    std::sort(digits.begin(), digits.end());
    if (digits[0] == digits[1] || digits[1] == digits[2])
        return false;
    for (const int start : digits) {
        const int second = (start + 1) % 10;
        const int third = (start + 2) % 10;
        const auto has = [&](int d) { return std::find(digits.begin(), digits.end(), d) != digits.end(); };
        if (has(second) && has(third))
            return true;
    }
    return false;
}

} // namespace

const std::array<BetClass, kBetClassCount>& allBetClasses()
{
    static const std::array<BetClass, kBetClassCount> classes = {
        BetClass::Big,     BetClass::Small,    BetClass::Odd,       BetClass::Even,       BetClass::BigOdd,
        BetClass::BigEven, BetClass::SmallOdd, BetClass::SmallEven, BetClass::ExtremeBig, BetClass::ExtremeSmall,
        BetClass::Triple,  BetClass::Pair,     BetClass::Straight};
    return classes;
}

QString betClassName(BetClass betClass)
{
    switch (betClass) {
    case BetClass::Big:
        return QStringLiteral("大");
    case BetClass::Small:
        return QStringLiteral("小");
    case BetClass::Odd:
        return QStringLiteral("单");
    case BetClass::Even:
        return QStringLiteral("双");
    case BetClass::BigOdd:
        return QStringLiteral("大单");
    case BetClass::BigEven:
        return QStringLiteral("大双");
    case BetClass::SmallOdd:
        return QStringLiteral("小单");
    case BetClass::SmallEven:
        return QStringLiteral("小双");
    case BetClass::ExtremeBig:
        return QStringLiteral("极大");
    case BetClass::ExtremeSmall:
        return QStringLiteral("极小");
    case BetClass::Triple:
        return QStringLiteral("豹子");
    case BetClass::Pair:
        return QStringLiteral("对子");
    case BetClass::Straight:
        return QStringLiteral("顺子");
    }
    return {};
}

bool inBetClass(BetClass betClass, int d1, int d2, int d3)
{
    const int sum = d1 + d2 + d3;
    const bool big = sum >= 14;
    const bool odd = sum % 2 != 0;
    switch (betClass) {
    case BetClass::Big:
        return big;
    case BetClass::Small:
        return !big;
    case BetClass::Odd:
        return odd;
    case BetClass::Even:
        return !odd;
    case BetClass::BigOdd:
        return big && odd;
    case BetClass::BigEven:
        return big && !odd;
    case BetClass::SmallOdd:
        return !big && odd;
    case BetClass::SmallEven:
        return !big && !odd;
    case BetClass::ExtremeBig:
        return sum >= 22;
    case BetClass::ExtremeSmall:
        return sum <= 5;
    case BetClass::Triple:
        return d1 == d2 && d2 == d3;
    case BetClass::Pair:
        return !(d1 == d2 && d2 == d3) && (d1 == d2 || d1 == d3 || d3 == d2);
    case BetClass::Straight:
        return isStraight(d1, d2, d3);
    }
    return false;
}

double lawWeight(const LotteryLaw& law, const std::function<bool(int, int, int)>& holds)
{
    // Summed in integer counts, so the weights of complementary classes add to exactly 1.
    std::uint64_t count = 0;
    for (int d1 = 0; d1 < 10; ++d1)
        for (int d2 = 0; d2 < 10; ++d2)
            for (int d3 = 0; d3 < 10; ++d3)
                if (holds(d1, d2, d3))
                    count += law.counts[static_cast<std::size_t>(tripleIndex(d1, d2, d3))];
    return law.total == 0 ? 0.0 : static_cast<double>(count) / static_cast<double>(law.total);
}

double betClassProbability(const LotteryLaw& law, BetClass betClass)
{
    return lawWeight(law, [betClass](int d1, int d2, int d3) { return inBetClass(betClass, d1, d2, d3); });
}

double sumProbability(const LotteryLaw& law, int sum)
{
    if (sum < 0 || sum >= kLawSums)
        return 0.0;
    return law.sum[static_cast<std::size_t>(sum)];
}

} // namespace tandor28
