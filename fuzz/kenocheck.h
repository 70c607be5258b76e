#pragma once

#include "fuzzcheck.h"

#include "keno/kenoformats.h"
#include "keno/kenoscheme.h"

#include <algorithm>

// What both Keno readers promise for any input: the scheme changes the digits only; every draw kept
// has 20 sorted numbers in 1..80 without repeats and the digits that scheme gives them.
template <typename Reader> void checkKeno(Reader read, const QByteArray& input)
{
    using namespace tandor28;
    const KenoRead interleave = read(input, KenoScheme::Interleave);
    const KenoRead block = read(input, KenoScheme::Block);
    FUZZ_CHECK(interleave.readable == block.readable);
    FUZZ_CHECK(interleave.rejected == block.rejected);
    FUZZ_CHECK(interleave.draws.size() == block.draws.size());
    if (!interleave.readable)
        FUZZ_CHECK(interleave.draws.empty());
    for (std::size_t i = 0; i < interleave.draws.size(); ++i) {
        const DatedDraw& a = interleave.draws[i];
        const DatedDraw& b = block.draws[i];
        FUZZ_CHECK(a.issue == b.issue && a.drawnAt == b.drawnAt && a.numbers == b.numbers);
        FUZZ_CHECK(a.numbers.size() == static_cast<std::size_t>(kKenoNumbers));
        FUZZ_CHECK(std::is_sorted(a.numbers.begin(), a.numbers.end()));
        FUZZ_CHECK(std::adjacent_find(a.numbers.begin(), a.numbers.end()) == a.numbers.end());
        FUZZ_CHECK(a.numbers.front() >= 1 && a.numbers.back() <= kKenoHighest);
        const std::array<int, 3> digits = kenoDigits(a.numbers, KenoScheme::Interleave);
        FUZZ_CHECK(a.d1 == digits[0] && a.d2 == digits[1] && a.d3 == digits[2]);
        const std::array<int, 3> blockDigits = kenoDigits(b.numbers, KenoScheme::Block);
        FUZZ_CHECK(b.d1 == blockDigits[0] && b.d2 == blockDigits[1] && b.d3 == blockDigits[2]);
    }
}
