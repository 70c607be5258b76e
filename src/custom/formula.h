#pragma once

#include "arithmetic.h"

#include "model/draw.h"
#include "plans/planrules.h" // WorkingValues, shared with the plan rules

#include <QHash>
#include <QString>

#include <array>
#include <memory>
#include <optional>

namespace tandor28 {

// Working values for a prediction of history position k (k = 0: the coming issue): slot 3j + m holds
// digit m of the draw at position k + 1 + j, for j = 0..5. Positions beyond the history read as
// empty draws (digits 0).
[[nodiscard]] WorkingValues fillCustomWorkingValues(const DrawHistory& history, int k);

// Replaces every token "[1]".."[18]" by the decimal text of its working value; everything else,
// including "[0]", "[19]", "[01]" and "[ 1]", is kept as typed.
[[nodiscard]] QString substituteWorkingValues(const QString& formula, const WorkingValues& values);

// One formula compiled for repeated evaluation over different working values. A formula is in the
// language (arithmetic.h) when the text its tokens leave is; one outside it is refused with its
// reason and never evaluated.
struct CompiledFormula
{
    enum class Mode
    {
        Empty,   // no value: digit 0
        Refused, // outside the language: digit 0, `refusal` says why
        Program, // compiled with slots: evaluated by our own code, row by row or column by column
        Textual, // tokens glued to digits or to each other: substituted and compiled per row
    };
    QString formula;
    Mode mode = Mode::Empty;
    ArithmeticProgram program;
    QString refusal;
    // Working values the formula names. A negative value writes a sign into the text, which can
    // change what the text means ("[1]-[2]" is "4--5", outside the language), so such rows are
    // substituted and compiled.
    std::uint32_t slotMask = 0;
};

[[nodiscard]] CompiledFormula compileFormula(const QString& formula);

// Why a formula is outside the language, in words for the user; nullopt when it is in it (the empty
// formula and one of blanks are: they give no value).
[[nodiscard]] std::optional<QString> formulaRefusal(const QString& formula);

// What one formula yields for one set of working values.
struct FormulaValue
{
    enum class Kind
    {
        None, // refused or no value: the empty text
        Number,
        Boolean, // a comparison's value: "true" or "false"
    };
    Kind kind = Kind::None;
    double number = 0; // 1 or 0 for a boolean

    [[nodiscard]] QString valueText() const;
    // The last digit of the leading integer of valueText().
    [[nodiscard]] int digit() const;
};

// Evaluates formulas for one thread, all with our own code: no formula ever reaches a script
// engine. Compiled formulas are kept, so a formula is compiled once however many rows it is
// evaluated for.
class FormulaEvaluator
{
public:
    FormulaEvaluator() = default;
    FormulaEvaluator(const FormulaEvaluator&) = delete;
    FormulaEvaluator& operator=(const FormulaEvaluator&) = delete;

    [[nodiscard]] FormulaValue evaluate(const CompiledFormula& formula, const WorkingValues& values);
    [[nodiscard]] FormulaValue evaluate(const QString& formula, const WorkingValues& values);
    [[nodiscard]] int digit(const CompiledFormula& formula, const WorkingValues& values);

    // Shared, so a compiled formula stays valid while the cache changes.
    [[nodiscard]] std::shared_ptr<const CompiledFormula> compiled(const QString& formula);

private:
    QHash<QString, std::shared_ptr<const CompiledFormula>> m_cache;
};

// Whether a formula can be saved: whether it is in the language (see formulaRefusal).
[[nodiscard]] bool formulaCompiles(FormulaEvaluator& evaluator, const QString& formula);

// The value of an already substituted text, as the formula language gives it: None when the text is
// outside the language.
[[nodiscard]] FormulaValue evaluateSubstituted(QStringView text);

// 0..9: the last digit of the integer part of the formula's value; rejected formulas give 0.
[[nodiscard]] int formulaDigit(FormulaEvaluator& evaluator, const QString& formula, const WorkingValues& values);

// The sum of the three formula digits, 0..27.
[[nodiscard]] int customNumber(FormulaEvaluator& evaluator, const QString& first, const QString& second,
                               const QString& third, const WorkingValues& values);

// The text "查看说明" shows, lines joined by CR LF.
[[nodiscard]] QString formulaHelpText();

} // namespace tandor28
