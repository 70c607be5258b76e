#pragma once

#include <QString>

#include <optional>

namespace tandor28 {

// What the formula engine may be given. A substituted formula is admitted only when it is made of
// numbers, the operators of arithmetic, comparison, bitwise and logical expressions, "?:", commas,
// round and square brackets and the members of Math ("Math.abs", "Math.PI"), separated by blanks or
// tabs. Anything else (names, strings, regular expressions, "new", assignment, increments, braces,
// functions, comments) could reach built-ins that allocate without bound or crash inside a single
// call, where no watchdog can stop them; such a text never reaches the engine and counts as
// rejected. Nothing admitted can loop, allocate more than its own length, or change the engine's
// state for the next formula.
inline constexpr qsizetype kMaxEngineTextLength = 10000;
// Open round and square brackets at once.
inline constexpr int kMaxEngineNesting = 200;

// The text the engine is given for `expression`, with number literals that have leading zeros
// written in decimal ("05" is 5, "010" is 8, "019" is 19), as formulas read them; nullopt when the
// text is not admitted.
[[nodiscard]] std::optional<QString> admitToEngine(QStringView expression);

} // namespace tandor28
