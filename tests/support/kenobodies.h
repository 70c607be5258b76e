#pragma once

#include <QByteArray>
#include <QStringList>

#include <vector>

// Keno results as the results service publishes them: JSON records and pages, and the yearly CSV.
namespace tandor28::testsupport {

// The 20 numbers of the hand-computed example: the interleave scheme gives 8 8 6, the block scheme 7 1 0.
[[nodiscard]] std::vector<int> kenoExampleNumbers();
// The same numbers as text, joined by `separator` (", " in the service's JSON, "," in its CSV).
[[nodiscard]] QByteArray kenoExampleNumbersText(const char* separator);

// One JSON record; `number` and the others go in as given, so a test can break any of them.
[[nodiscard]] QByteArray kenoJsonRecord(const QByteArray& number, const QByteArray& date, const QByteArray& time,
                                        const QByteArray& numbers);
// A JSON page of issues newest..newest-count+1, the numbers 1..20 shifted by the last digit
// (interleave 7 3 9 when unshifted), three and a half minutes apart on one morning.
[[nodiscard]] QByteArray kenoJsonPage(long long newest, int count);

// The yearly CSV's header line, CR LF included, and one of its rows.
[[nodiscard]] QByteArray kenoCsvHeader();
[[nodiscard]] QByteArray kenoCsvRow(const QByteArray& number, const QByteArray& stamp, const QByteArray& numbers);

} // namespace tandor28::testsupport
