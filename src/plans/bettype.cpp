#include "bettype.h"

#include <span>

namespace tandor28 {

namespace {

constexpr BetType kMemberOrder[] = {
    BetType::Combo,  BetType::Size,        BetType::Parity,     BetType::KillCombo,       BetType::Kill3N,
    BetType::Kill4N, BetType::DoubleCombo, BetType::DoubleItem, BetType::KillDoubleCombo,
};

// The custom tab has no 双组 and lists 杀双组 before 双项.
constexpr BetType kCustomOrder[] = {
    BetType::Combo,  BetType::Size,   BetType::Parity,          BetType::KillCombo,
    BetType::Kill3N, BetType::Kill4N, BetType::KillDoubleCombo, BetType::DoubleItem,
};
static_assert(std::size(kMemberOrder) == kMemberBetTypeCount && std::size(kCustomOrder) == kCustomBetTypeCount);

std::optional<BetType> byCode(std::span<const BetType> order, int code)
{
    if (code < 1 || static_cast<std::size_t>(code) > order.size())
        return std::nullopt;
    return order[static_cast<std::size_t>(code - 1)];
}

QStringList labels(std::span<const BetType> order)
{
    QStringList result;
    for (const BetType betType : order)
        result.append(betTypeLabel(betType));
    return result;
}

// The free tab offers the first five bet types in the member tab's order.
const std::span<const BetType> kFreeCodes(kMemberOrder, kFreeBetTypeCount);
const std::span<const BetType> kMemberCodes(kMemberOrder);
const std::span<const BetType> kCustomCodes(kCustomOrder);

} // namespace

std::optional<BetType> freeBetType(int code)
{
    return byCode(kFreeCodes, code);
}

std::optional<BetType> memberBetType(int code)
{
    return byCode(kMemberCodes, code);
}

std::optional<BetType> customBetType(int code)
{
    return byCode(kCustomCodes, code);
}

QString betTypeLabel(BetType betType)
{
    switch (betType) {
    case BetType::Combo:
        return QStringLiteral("组合");
    case BetType::Size:
        return QStringLiteral("大小");
    case BetType::Parity:
        return QStringLiteral("单双");
    case BetType::KillCombo:
        return QStringLiteral("杀组");
    case BetType::Kill3N:
        return QStringLiteral("杀3N");
    case BetType::Kill4N:
        return QStringLiteral("杀4N");
    case BetType::DoubleCombo:
        return QStringLiteral("双组");
    case BetType::DoubleItem:
        return QStringLiteral("双项");
    case BetType::KillDoubleCombo:
        return QStringLiteral("杀双组");
    }
    return {};
}

QStringList freeBetTypeLabels()
{
    return labels(kFreeCodes);
}

QStringList memberBetTypeLabels()
{
    return labels(kMemberCodes);
}

QStringList customBetTypeLabels()
{
    return labels(kCustomCodes);
}

} // namespace tandor28
