// Formulas as typed into a formula box. Every formula is compiled and evaluated by our own code (no
// crash, no abort, a digit 0..9); a formula outside the language is refused and gives 0, and for every
// formula in it the reference engine must give the same value text and digit for the substituted text.
// The working values come from a hash of the input, so every input has its own fixed values.
#include "fuzzcheck.h"

#include "custom/formula.h"
#include "custom/jsnumber.h"
#include "expressionengine.h"

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
    const FormulaValue value = evaluator.evaluate(compiled, values);
    FUZZ_CHECK(value.digit() == digit);
    if (compiled.mode == CompiledFormula::Mode::Refused) {
        FUZZ_CHECK(value.kind == FormulaValue::Kind::None && !compiled.refusal.isEmpty());
        return 0;
    }
    // Math.random has no reference value.
    if (formula.contains(QLatin1String("random")))
        return 0;
    // A fresh engine each time, so nothing an earlier input did can stand in its way.
    ExpressionEngine reference;
    const QString engineText = reference.evaluate(substituteWorkingValues(formula, values));
    if (lastDigitOfLeadingInteger(engineText) != digit || value.valueText() != engineText) {
        std::fprintf(stderr, "ours %d (%s), engine %d (%s) for %s\n", digit, qPrintable(value.valueText()),
                     lastDigitOfLeadingInteger(engineText), qPrintable(engineText), qPrintable(formula));
        FUZZ_CHECK(false);
    }
    return 0;
}
