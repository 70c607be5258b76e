#include "kenoscheme.h"

#include <algorithm>

namespace tandor28 {

std::optional<KenoScheme> kenoSchemeFromName(QStringView name)
{
    if (name.compare(QLatin1String("interleave"), Qt::CaseInsensitive) == 0)
        return KenoScheme::Interleave;
    if (name.compare(QLatin1String("block"), Qt::CaseInsensitive) == 0)
        return KenoScheme::Block;
    return std::nullopt;
}

QString kenoSchemeName(KenoScheme scheme)
{
    return scheme == KenoScheme::Interleave ? QStringLiteral("interleave") : QStringLiteral("block");
}

std::optional<std::vector<int>> kenoNumbers(const std::vector<int>& sent, QString* why)
{
    const auto reject = [why](const QString& reason) -> std::optional<std::vector<int>> {
        if (why)
            *why = reason;
        return std::nullopt;
    };
    if (sent.size() < kKenoNumbers)
        return reject(QStringLiteral("%1 numbers, 20 needed").arg(sent.size()));
    if (sent.size() > kKenoNumbers + 1)
        return reject(QStringLiteral("%1 numbers, at most 21 expected").arg(sent.size()));
    std::vector<int> numbers(sent.begin(), sent.begin() + kKenoNumbers);
    for (const int n : numbers) {
        if (n < 1 || n > kKenoHighest)
            return reject(QStringLiteral("number %1 outside 1 to 80").arg(n));
    }
    std::sort(numbers.begin(), numbers.end());
    if (const auto twice = std::adjacent_find(numbers.begin(), numbers.end()); twice != numbers.end())
        return reject(QStringLiteral("number %1 drawn twice").arg(*twice));
    return numbers;
}

namespace {

std::array<int, 3> digitsOf(const int* sorted, KenoScheme scheme)
{
    std::array<int, 3> sums{0, 0, 0};
    for (int digit = 0; digit < 3; ++digit) {
        for (int k = 0; k < 6; ++k) {
            // 0-based positions: interleave 1 + digit + 3k, block 6 * digit + k.
            const int at = scheme == KenoScheme::Interleave ? 1 + digit + 3 * k : 6 * digit + k;
            sums[static_cast<std::size_t>(digit)] += sorted[at];
        }
    }
    for (int& sum : sums)
        sum %= 10;
    return sums;
}

} // namespace

std::array<int, 3> kenoDigits(const std::vector<int>& sorted, KenoScheme scheme)
{
    if (sorted.size() < kKenoNumbers - 1)
        return {0, 0, 0};
    return digitsOf(sorted.data(), scheme);
}

std::array<int, 3> kenoDigits(const std::array<int, kKenoNumbers>& sorted, KenoScheme scheme)
{
    return digitsOf(sorted.data(), scheme);
}

} // namespace tandor28
