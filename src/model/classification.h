#pragma once

#include "draw.h"
#include "rgb.h"

#include <QString>

namespace tandor28 {

// "大" for 14 and above, otherwise "小".
[[nodiscard]] QString sizeLabel(int sum);
// "单" when odd (negative odd sums too), "双" when even.
[[nodiscard]] QString parityLabel(int sum);
// Size then parity: "大单", "大双", "小单", "小双".
[[nodiscard]] QString comboLabel(int sum);
// "中" for 10..17, otherwise "边".
[[nodiscard]] QString middleEdgeLabel(int sum);
// "极小" for 5 and below, "极大" for 22 and above, otherwise empty.
[[nodiscard]] QString extremeLabel(int sum);
// Remainder of sum / divisor (3, 4 or 5); outside 0..27 the truncated floating remainder, so a
// negative sum gives a negative or zero remainder.
[[nodiscard]] int sumMod(int sum, int divisor);
// "豹子": all three digits equal.
[[nodiscard]] bool isTriple(const Draw& draw);
// "对子": exactly two digits equal; a triple is not a pair.
[[nodiscard]] bool isPair(const Draw& draw);
// "大单" <-> "小双", "大双" <-> "小单"; any other text gives the empty text.
[[nodiscard]] QString partnerCombo(const QString& combo);
// The three combinations left when one is killed, e.g. "大单" -> "双 + 小单" (spaced) or "双+小单".
[[nodiscard]] QString killComplementText(const QString& combo, bool spaced);
// "0" + n below 10 (so -1 gives "0-1"), otherwise the decimal text.
[[nodiscard]] QString twoDigit(int n);
// "4 + 5 + 8 = 17", "0 + 0 + 3 = 03".
[[nodiscard]] QString resultText(int d1, int d2, int d3);
// The colour a category label is painted in; black for any text without one.
[[nodiscard]] Rgb categoryColour(const QString& label);

} // namespace tandor28
