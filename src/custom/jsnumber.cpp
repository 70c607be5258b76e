#include "jsnumber.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace tandor28 {

namespace {

// Shortest round-trip decimal digits of a finite, non-zero |value| and the JavaScript exponent n
// (value = 0.d1d2...dk * 10^n).
struct ShortestDigits
{
    char digits[24];
    int count = 0;
    int n = 0;
};

ShortestDigits shortestDigits(double magnitude)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific);
    ShortestDigits out;
    const char* p = buffer;
    const char* end = result.ptr;
    for (; p < end && *p != 'e'; ++p) {
        if (*p >= '0' && *p <= '9')
            out.digits[out.count++] = *p;
    }
    int exponent = 0;
    if (p < end && *p == 'e') {
        ++p;
        std::from_chars(*p == '+' ? p + 1 : p, end, exponent);
    }
    while (out.count > 1 && out.digits[out.count - 1] == '0')
        --out.count;
    out.n = exponent + 1;
    return out;
}

} // namespace

QString jsNumberToString(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NaN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity");
    if (value == 0)
        return QStringLiteral("0");
    const ShortestDigits d = shortestDigits(std::fabs(value));
    const int k = d.count;
    const int n = d.n;
    std::string text;
    if (value < 0)
        text.push_back('-');
    if (k <= n && n <= 21) {
        text.append(d.digits, static_cast<std::size_t>(k));
        text.append(static_cast<std::size_t>(n - k), '0');
    } else if (0 < n && n <= 21) {
        text.append(d.digits, static_cast<std::size_t>(n));
        text.push_back('.');
        text.append(d.digits + n, static_cast<std::size_t>(k - n));
    } else if (-6 < n && n <= 0) {
        text.append("0.");
        text.append(static_cast<std::size_t>(-n), '0');
        text.append(d.digits, static_cast<std::size_t>(k));
    } else {
        text.push_back(d.digits[0]);
        if (k > 1) {
            text.push_back('.');
            text.append(d.digits + 1, static_cast<std::size_t>(k - 1));
        }
        text.push_back('e');
        text.push_back(n - 1 >= 0 ? '+' : '-');
        text.append(std::to_string(std::abs(n - 1)));
    }
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

int jsNumberDigit(double value)
{
    if (!std::isfinite(value))
        return 0;
    const double magnitude = std::fabs(value);
    // Below 2^53 every integer is exact, so the text's integer part is the truncated value.
    if (magnitude >= 1e-6 && magnitude < 9007199254740992.0)
        return static_cast<int>(static_cast<long long>(magnitude) % 10);
    if (magnitude == 0)
        return 0;
    const ShortestDigits d = shortestDigits(magnitude);
    if (magnitude < 1e-6 || magnitude >= 1e21)
        return d.digits[0] - '0'; // exponent form: the leading integer is the first digit
    // An integer written as its shortest digits padded with zeros.
    return d.count < d.n ? 0 : d.digits[d.n - 1] - '0';
}

int lastDigitOfLeadingInteger(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        ++i;
    int digit = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        digit = text[i].unicode() - u'0';
    return digit;
}

bool parseJsDecimalLiteral(std::string_view text, double& value)
{
    const char* begin = text.data();
    const char* end = begin + text.size();
    const char* p = begin;
    // Power of ten of the first non-zero digit, to tell overflow from underflow on range errors.
    long long leadExponent = 0;
    bool seenNonZero = false;
    const char* intStart = p;
    while (p < end && *p >= '0' && *p <= '9')
        ++p;
    const long long intDigits = p - intStart;
    if (intDigits > 1 && *intStart == '0')
        return false; // "05", "00": the engine rejects leading zeros
    for (const char* q = intStart; q < p; ++q) {
        if (*q != '0') {
            seenNonZero = true;
            leadExponent = (p - q) - 1;
            break;
        }
    }
    long long fracDigits = 0;
    if (p < end && *p == '.') {
        ++p;
        const char* fracStart = p;
        while (p < end && *p >= '0' && *p <= '9')
            ++p;
        fracDigits = p - fracStart;
        for (const char* q = fracStart; q < p && !seenNonZero; ++q) {
            if (*q != '0') {
                seenNonZero = true;
                leadExponent = -((q - fracStart) + 1);
            }
        }
    }
    if (intDigits == 0 && fracDigits == 0)
        return false;
    long long exponent = 0;
    if (p < end && (*p == 'e' || *p == 'E')) {
        ++p;
        bool negative = false;
        if (p < end && (*p == '+' || *p == '-')) {
            negative = *p == '-';
            ++p;
        }
        if (p == end)
            return false;
        for (; p < end; ++p) {
            if (*p < '0' || *p > '9')
                return false;
            if (exponent < 1000000)
                exponent = exponent * 10 + (*p - '0');
        }
        if (negative)
            exponent = -exponent;
    }
    if (p != end)
        return false;
    if (!seenNonZero) {
        value = 0.0;
        return true;
    }
    // from_chars wants a digit before the point and a digit after it.
    std::string normal;
    normal.reserve(text.size() + 2);
    if (intDigits == 0)
        normal.push_back('0');
    for (const char* q = begin; q < end; ++q) {
        normal.push_back(*q);
        if (*q == '.' && (q + 1 == end || q[1] < '0' || q[1] > '9'))
            normal.push_back('0');
    }
    const auto result =
        std::from_chars(normal.data(), normal.data() + normal.size(), value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // Too large reads as Infinity, too small as 0, as in the engine.
        value = leadExponent + exponent > 0 ? HUGE_VAL : 0.0;
        return true;
    }
    return result.ec == std::errc() && result.ptr == normal.data() + normal.size();
}

bool parseFormulaNumberLiteral(std::string_view text, double& value)
{
    if (text.size() < 2 || text[0] != '0' || text[1] < '0' || text[1] > '9')
        return parseJsDecimalLiteral(text, value);
    std::size_t run = 0;
    bool octal = true;
    while (run < text.size() && text[run] >= '0' && text[run] <= '9') {
        octal = octal && text[run] <= '7';
        ++run;
    }
    if (!octal) {
        const std::size_t firstNonZero = text.find_first_not_of('0');
        return parseJsDecimalLiteral(text.substr(firstNonZero), value);
    }
    if (run != text.size())
        return false;
    value = 0;
    for (const char digit : text)
        value = value * 8 + (digit - '0');
    return true;
}

} // namespace tandor28
