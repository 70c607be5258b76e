#pragma once

#include <QString>

#include <string_view>

namespace tandor28 {

// The text a JavaScript engine gives for a number (Number::toString): the shortest digits that read
// back to the same double, exponent form from 1e21 upwards and below 1e-6, "NaN", "Infinity",
// "-Infinity", and "0" for negative zero.
[[nodiscard]] QString jsNumberToString(double value);

// The last digit of the leading integer of jsNumberToString(value), without building the text.
// NaN and the infinities have no leading digits and give 0; exponent forms give their first digit.
[[nodiscard]] int jsNumberDigit(double value);

// The last digit of the leading integer of a value text: leading blanks and one sign are skipped, then
// the run of decimal digits is read; the digit is the last one of that run as written, or 0 when the
// text has no leading digits. For values that fit 32 bits this is |leadingInt(text)| mod 10; for
// longer runs it keeps reading the text instead of saturating at the int range.
[[nodiscard]] int lastDigitOfLeadingInteger(QStringView text);

// Reads an unsigned JavaScript decimal literal (digits, optional fraction, optional exponent; no
// leading zero before another digit). Returns false when the text is not such a literal.
[[nodiscard]] bool parseJsDecimalLiteral(std::string_view text, double& value);

// Reads an unsigned number literal as formulas mean it: a JavaScript decimal literal, or one with
// leading zeros, which is octal when all its digits are 0-7 ("010" is 8, "05" is 5) and decimal
// otherwise ("08", "019", "08.5"). An octal literal takes no fraction or exponent ("07.5" is false).
[[nodiscard]] bool parseFormulaNumberLiteral(std::string_view text, double& value);

} // namespace tandor28
