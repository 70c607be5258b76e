#pragma once

#include <QString>
#include <QStringView>

namespace tandor28 {

// The leading integer of a text: leading blanks skipped, an optional sign, then decimal digits
// up to the first other character. A text without digits gives 0. Values beyond 32 bits
// saturate at the int range instead of wrapping.
[[nodiscard]] int leadingInt(QStringView text);

// Decimal text with at most 13 significant digits and no trailing zeros, like printf("%.13g").
[[nodiscard]] QString formatG13(double value);

} // namespace tandor28
