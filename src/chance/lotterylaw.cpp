#include "lotterylaw.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace tandor28 {

namespace {

constexpr int kPicked = kKenoNumbers;
constexpr int kDigitPositions = 6;

// The digit (0..2) that sorted position `position` (0-based) adds to, -1 for a position no digit
// reads.
int digitOfPosition(ChanceScheme scheme, int position)
{
    if (scheme == ChanceScheme::Interleave) {
        if (position < 1 || position > 3 * kDigitPositions)
            return -1;
        return (position - 1) % 3;
    }
    if (position >= 3 * kDigitPositions)
        return -1;
    return position / kDigitPositions;
}

// State index: numbers taken (0..20) and the three partial sums mod 10.
constexpr std::size_t stateIndex(int taken, int s1, int s2, int s3)
{
    return static_cast<std::size_t>(((taken * 10 + s1) * 10 + s2) * 10 + s3);
}

constexpr std::size_t kStates = static_cast<std::size_t>(kPicked + 1) * kTripleCount;

void fillProbabilities(LotteryLaw& law)
{
    law.sum.fill(0.0);
    for (int d1 = 0; d1 < 10; ++d1)
        for (int d2 = 0; d2 < 10; ++d2)
            for (int d3 = 0; d3 < 10; ++d3) {
                const auto at = static_cast<std::size_t>(tripleIndex(d1, d2, d3));
                law.triple[at] = static_cast<double>(law.counts[at]) / static_cast<double>(law.total);
                law.sum[static_cast<std::size_t>(d1 + d2 + d3)] += law.triple[at];
            }
}

LotteryLaw uniformLaw()
{
    LotteryLaw law;
    law.scheme = ChanceScheme::Uniform;
    law.counts.fill(1);
    law.total = kTripleCount;
    fillProbabilities(law);
    return law;
}

} // namespace

LotteryLaw computeLotteryLaw(ChanceScheme scheme)
{
    if (scheme == ChanceScheme::Uniform)
        return uniformLaw();
    // ways[state]: how many subsets of the numbers seen so far take `taken` of them with these
    // partial digit sums. Taking number x as the next sorted position adds x to that position's digit.
    // Every count is at most C(80, 20), so 64 bits hold them.
    std::vector<std::uint64_t> ways(kStates, 0);
    std::vector<std::uint64_t> next(kStates, 0);
    ways[stateIndex(0, 0, 0, 0)] = 1;
    for (int x = 1; x <= kKenoHighest; ++x) {
        next = ways; // x not taken
        const int lowestTaken = std::max(0, kPicked - (kKenoHighest - x + 1));
        const int highestTaken = std::min(kPicked - 1, x - 1);
        for (int taken = lowestTaken; taken <= highestTaken; ++taken) {
            const int digit = digitOfPosition(scheme, taken);
            const int add = x % 10;
            for (int s1 = 0; s1 < 10; ++s1)
                for (int s2 = 0; s2 < 10; ++s2)
                    for (int s3 = 0; s3 < 10; ++s3) {
                        const std::uint64_t count = ways[stateIndex(taken, s1, s2, s3)];
                        if (count == 0)
                            continue;
                        const int t1 = digit == 0 ? (s1 + add) % 10 : s1;
                        const int t2 = digit == 1 ? (s2 + add) % 10 : s2;
                        const int t3 = digit == 2 ? (s3 + add) % 10 : s3;
                        next[stateIndex(taken + 1, t1, t2, t3)] += count;
                    }
        }
        ways.swap(next);
    }
    LotteryLaw law;
    law.scheme = scheme;
    law.total = 0;
    for (int t = 0; t < kTripleCount; ++t) {
        law.counts[static_cast<std::size_t>(t)] = ways[static_cast<std::size_t>(kPicked * kTripleCount + t)];
        law.total += law.counts[static_cast<std::size_t>(t)];
    }
    fillProbabilities(law);
    return law;
}

const LotteryLaw& lotteryLaw(ChanceScheme scheme)
{
    static std::once_flag once[3];
    static LotteryLaw laws[3];
    const auto at = static_cast<std::size_t>(scheme);
    std::call_once(once[at], [&] { laws[at] = computeLotteryLaw(scheme); });
    return laws[at];
}

std::optional<ChanceScheme> chanceSchemeFromName(QStringView name)
{
    const QStringView trimmed = name.trimmed();
    if (trimmed.compare(QLatin1String("uniform"), Qt::CaseInsensitive) == 0)
        return ChanceScheme::Uniform;
    if (const std::optional<KenoScheme> keno = kenoSchemeFromName(trimmed))
        return chanceScheme(*keno);
    return std::nullopt;
}

QString chanceSchemeName(ChanceScheme scheme)
{
    switch (scheme) {
    case ChanceScheme::Interleave:
        return QStringLiteral("interleave");
    case ChanceScheme::Block:
        return QStringLiteral("block");
    case ChanceScheme::Uniform:
        return QStringLiteral("uniform");
    }
    return QStringLiteral("uniform");
}

ChanceScheme chanceScheme(KenoScheme scheme)
{
    return scheme == KenoScheme::Interleave ? ChanceScheme::Interleave : ChanceScheme::Block;
}

} // namespace tandor28
