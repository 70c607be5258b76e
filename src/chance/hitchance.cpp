#include "hitchance.h"

#include "plans/judgement.h"

#include <mutex>
#include <optional>

namespace tandor28 {

double judgedHitChance(const LotteryLaw& law, BetType betType, int n, bool sourceEven, bool targetEven)
{
    const PredictionValues values =
        predictionValues(betType, n, sourceEven ? QStringLiteral("0") : QStringLiteral("1"));
    Draw draw;
    draw.issue = targetEven ? QStringLiteral("0") : QStringLiteral("1");
    double chance = 0.0;
    for (int sum = 0; sum < kLawSums; ++sum) {
        draw.sum = sum;
        if (judgeVerdict(betType, values, draw) == Verdict::Hit)
            chance += law.sum[static_cast<std::size_t>(sum)];
    }
    return chance;
}

HitChanceTable::HitChanceTable(const LotteryLaw& law, BetType betType) : m_law(&law), m_betType(betType)
{
    for (int n = 0; n < kLawSums; ++n)
        for (const bool sourceEven : {false, true})
            for (const bool targetEven : {false, true})
                m_chance[static_cast<std::size_t>(hitKey(n, sourceEven, targetEven))] =
                    judgedHitChance(law, betType, n, sourceEven, targetEven);
}

double HitChanceTable::chance(int n, bool sourceEven, bool targetEven) const
{
    if (n < 0 || n >= kLawSums)
        return judgedHitChance(*m_law, m_betType, n, sourceEven, targetEven);
    return ofKey(hitKey(n, sourceEven, targetEven));
}

const HitChanceTable& hitChanceTable(ChanceScheme scheme, BetType betType)
{
    constexpr std::size_t kSchemes = 3;
    constexpr std::size_t kBetTypes = 9;
    static std::once_flag once[kSchemes][kBetTypes];
    static std::optional<HitChanceTable> tables[kSchemes][kBetTypes];
    const auto s = static_cast<std::size_t>(scheme);
    const auto b = static_cast<std::size_t>(betType);
    std::call_once(once[s][b], [&] { tables[s][b].emplace(lotteryLaw(scheme), betType); });
    return *tables[s][b];
}

} // namespace tandor28
