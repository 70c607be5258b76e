// Formulas as typed into a formula box. Every formula is evaluated (no crash, no abort, a digit 0..9);
// where our own code computes it (arithmetic, also glued tokens), the engine must give the same digit
// for the substituted text.
// The working values come from a hash of the input, so every input has its own fixed values.
#include "fuzzcheck.h"

#include "custom/formula.h"
#include "custom/jsnumber.h"

#include <QCoreApplication>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

tandor28::WorkingValues valuesFor(const std::uint8_t* data, std::size_t size)
{
    std::uint64_t hash = 1469598103934665603ull;
    for (std::size_t i = 0; i < size; ++i)
        hash = (hash ^ data[i]) * 1099511628211ull;
    tandor28::WorkingValues values{};
    for (int& value : values) {
        value = static_cast<int>(hash % 10);
        hash = hash / 10 + (hash % 7) * 0x9E3779B97F4A7C15ull;
    }
    return values;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tandor28;
    static FormulaEvaluator evaluator;
    const QString formula = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const WorkingValues values = valuesFor(data, size);
    const CompiledFormula compiled = compileFormula(formula);
    const int digit = evaluator.digit(compiled, values);
    FUZZ_CHECK(digit >= 0 && digit <= 9);
    if (compiled.mode == CompiledFormula::Mode::Program || compiled.mode == CompiledFormula::Mode::Textual) {
        const QString engineText = evaluator.evaluateWithEngine(substituteWorkingValues(formula, values));
        if (lastDigitOfLeadingInteger(engineText) != digit) {
            std::fprintf(stderr, "fast path %d, engine %d (%s) for %s\n", digit, lastDigitOfLeadingInteger(engineText),
                         qPrintable(engineText), qPrintable(formula));
            FUZZ_CHECK(false);
        }
    }
    return 0;
}
