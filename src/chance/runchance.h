#pragma once

namespace tandor28 {

// The chance that something of chance p per draw stays away for at least `gap` draws in a row from a
// given start: (1 - p)^gap.
[[nodiscard]] double gapChance(double p, int gap);

// The chance that, somewhere in `draws` independent draws, it stays away for at least `length`
// draws in a row (the run before its first appearance and the run after its last included).
[[nodiscard]] double longestGapChance(double p, int draws, int length);

} // namespace tandor28
