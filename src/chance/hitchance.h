#pragma once

#include "lotterylaw.h"

#include "plans/bettype.h"

#include <array>

namespace tandor28 {

// A row's verdict depends on its predicted number n (0..27), on the parity of the newest source
// issue (双项 bets on parity or size by it) and on the parity of the judged draw's issue (双项 judges
// parity or size by it); nothing else of the row is random but the draw. One key per such triple.
inline constexpr int kHitKeyCount = kLawSums * 4;

[[nodiscard]] constexpr int hitKey(int n, bool sourceEven, bool targetEven)
{
    return (n * 2 + (sourceEven ? 1 : 0)) * 2 + (targetEven ? 1 : 0);
}

// The chance that a prediction row is a hit, for every key, under one law and one bet type: the
// law's weight of the digit triples that the row's prediction values judge a hit.
class HitChanceTable
{
public:
    HitChanceTable(const LotteryLaw& law, BetType betType);

    [[nodiscard]] double ofKey(int key) const { return m_chance[static_cast<std::size_t>(key)]; }
    // n outside 0..27 is judged afresh (no plan or formula gives one, but nothing forbids it).
    [[nodiscard]] double chance(int n, bool sourceEven, bool targetEven) const;
    [[nodiscard]] BetType betType() const { return m_betType; }

private:
    const LotteryLaw* m_law;
    BetType m_betType;
    std::array<double, kHitKeyCount> m_chance{};
};

// The table of a scheme and bet type, built once per run and shared (safe from any thread).
[[nodiscard]] const HitChanceTable& hitChanceTable(ChanceScheme scheme, BetType betType);

// The chance of a hit of the prediction n judged against the law, by judging its prediction values
// against the draws of each sum. The judgement reads a draw only by its sum and its issue.
[[nodiscard]] double judgedHitChance(const LotteryLaw& law, BetType betType, int n, bool sourceEven, bool targetEven);

} // namespace tandor28
