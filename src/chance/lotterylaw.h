#pragma once

#include "keno/kenoscheme.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace tandor28 {

// How a lottery's three digits come about: from a 20-of-80 Keno draw by one of the two schemes, or
// (for a feed whose origin is unknown) as three independent fair digits.
enum class ChanceScheme
{
    Interleave,
    Block,
    Uniform,
};

inline constexpr int kTripleCount = 1000;
inline constexpr int kLawSums = 28;

// C(80, 20): the number of Keno draws, every one equally likely.
inline constexpr std::uint64_t kKenoDrawCount = 3535316142212174320ULL;

// The joint law of (d1, d2, d3): for each triple, index d1 * 100 + d2 * 10 + d3, the number of
// equally likely outcomes giving it out of `total` (C(80, 20) for a Keno scheme, 1000 for uniform).
struct LotteryLaw
{
    ChanceScheme scheme = ChanceScheme::Uniform;
    std::array<std::uint64_t, kTripleCount> counts{};
    std::uint64_t total = 0;
    std::array<double, kTripleCount> triple{}; // counts / total
    std::array<double, kLawSums> sum{};        // the law of d1 + d2 + d3
};

[[nodiscard]] constexpr int tripleIndex(int d1, int d2, int d3)
{
    return d1 * 100 + d2 * 10 + d3;
}

// Computes the law afresh: a dynamic programme over the numbers 1..80 in order whose state is how
// many numbers are taken and the three digits' partial sums mod 10. Milliseconds.
[[nodiscard]] LotteryLaw computeLotteryLaw(ChanceScheme scheme);

// The law of a scheme, computed once per run and shared (safe from any thread).
[[nodiscard]] const LotteryLaw& lotteryLaw(ChanceScheme scheme);

// "interleave", "block", "uniform"; nullopt for any other text.
[[nodiscard]] std::optional<ChanceScheme> chanceSchemeFromName(QStringView name);
[[nodiscard]] QString chanceSchemeName(ChanceScheme scheme);
[[nodiscard]] ChanceScheme chanceScheme(KenoScheme scheme);

} // namespace tandor28
