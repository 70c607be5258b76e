#pragma once

#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace tandor28 {

// How three digits come from the 20 sorted Keno numbers (positions 1-based):
// interleave: positions 2, 5, ..., 17 / 3, 6, ..., 18 / 4, 7, ..., 19, each sum modulo 10;
// block: positions 1-6 / 7-12 / 13-18, each sum modulo 10.
enum class KenoScheme
{
    Interleave,
    Block,
};

inline constexpr int kKenoNumbers = 20;
inline constexpr int kKenoHighest = 80;

// "interleave" / "block"; nullopt for any other text.
[[nodiscard]] std::optional<KenoScheme> kenoSchemeFromName(QStringView name);
[[nodiscard]] QString kenoSchemeName(KenoScheme scheme);

// The 20 numbers of a draw, sorted ascending. A 21st number, where a source sends one, is dropped
// before sorting. Fewer than 20, more than 21, duplicates or numbers outside 1..80 give nullopt and
// the reason in `why`.
[[nodiscard]] std::optional<std::vector<int>> kenoNumbers(const std::vector<int>& sent, QString* why = nullptr);

// The three digits of 20 sorted, checked numbers (as kenoNumbers gives them).
[[nodiscard]] std::array<int, 3> kenoDigits(const std::vector<int>& sorted, KenoScheme scheme);
[[nodiscard]] std::array<int, 3> kenoDigits(const std::array<int, kKenoNumbers>& sorted, KenoScheme scheme);

} // namespace tandor28
