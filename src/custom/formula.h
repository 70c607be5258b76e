#pragma once

#include "arithmetic.h"
#include "expressionengine.h"

#include "model/draw.h"
#include "plans/planrules.h" // WorkingValues, shared with the plan rules

#include <QHash>
#include <QSet>
#include <QString>

#include <array>
#include <chrono>
#include <functional>
#include <memory>

namespace tandor28 {

// Working values for a prediction of history position k (k = 0: the coming issue): slot 3j + m holds
// digit m of the draw at position k + 1 + j, for j = 0..5. Positions beyond the history read as
// empty draws (digits 0).
[[nodiscard]] WorkingValues fillCustomWorkingValues(const DrawHistory& history, int k);

// Replaces every token "[1]".."[18]" by the decimal text of its working value; everything else,
// including "[0]", "[19]", "[01]" and "[ 1]", is kept as typed.
[[nodiscard]] QString substituteWorkingValues(const QString& formula, const WorkingValues& values);

// One formula compiled for repeated evaluation over different working values.
struct CompiledFormula
{
    enum class Mode
    {
        Empty,   // no value: digit 0
        Invalid, // always rejected by the engine: digit 0
        Program, // pure arithmetic with slots: evaluated by our own code, row by row
        Textual, // substituted per row, then compiled as arithmetic or handed to the engine
        Engine,  // substituted per row and handed to the engine
    };
    QString formula;
    Mode mode = Mode::Empty;
    ArithmeticProgram program;
    // Working values the formula names. A negative value writes a sign into the text, which can
    // change what the text means ("[1] [2]" is rejected for 4 and 5 but reads 4 -5 as -1).
    std::uint32_t slotMask = 0;
};

[[nodiscard]] CompiledFormula compileFormula(const QString& formula);

// What one formula yields for one set of working values.
struct FormulaValue
{
    enum class Kind
    {
        None,   // rejected or no value: the empty text
        Number, // computed by the fast path
        Text,   // as the engine wrote it
    };
    Kind kind = Kind::None;
    double number = 0;
    QString text;

    [[nodiscard]] QString valueText() const;
    // The last digit of the leading integer of valueText().
    [[nodiscard]] int digit() const;
};

// Evaluates formulas for one thread: the fast path for arithmetic, the engine (created on first
// need) for everything else. Compiled formulas are kept, so a formula is compiled once however many
// rows it is evaluated for. A formula the watchdog had to interrupt counts as rejected from then
// on, so a table does not wait out the time limit once per row; so does a formula whose slow
// evaluations, each under the limit, have added up to more than a table may spend on one formula.
class FormulaEvaluator
{
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    FormulaEvaluator();
    // `clock` measures the engine's evaluations against the budget (the steady clock when empty);
    // `admission` is what the engine accepts. Tests set both to reach the budget and the watchdog.
    FormulaEvaluator(Clock clock, ExpressionEngine::Admission admission);
    ~FormulaEvaluator();
    FormulaEvaluator(const FormulaEvaluator&) = delete;
    FormulaEvaluator& operator=(const FormulaEvaluator&) = delete;

    [[nodiscard]] FormulaValue evaluate(const CompiledFormula& formula, const WorkingValues& values);
    [[nodiscard]] FormulaValue evaluate(const QString& formula, const WorkingValues& values);
    [[nodiscard]] int digit(const CompiledFormula& formula, const WorkingValues& values);

    // The engine alone, for an already substituted text (also what the fast path is checked against).
    [[nodiscard]] QString evaluateWithEngine(const QString& expression);

    // Whether the engine accepts an already substituted text without running it.
    [[nodiscard]] bool engineCompiles(const QString& expression);

    // Shared, so a compiled formula stays valid while the cache changes.
    [[nodiscard]] std::shared_ptr<const CompiledFormula> compiled(const QString& formula);

private:
    [[nodiscard]] FormulaValue evaluateText(const CompiledFormula& formula, const QString& expression);
    ExpressionEngine& engine();

    Clock m_clock;
    ExpressionEngine::Admission m_admission = ExpressionEngine::Admission::Formulas;
    std::unique_ptr<ExpressionEngine> m_engine;
    QHash<QString, std::shared_ptr<const CompiledFormula>> m_cache;
    QSet<QString> m_runaway;
    QHash<QString, std::chrono::steady_clock::duration> m_slowTime;
};

// Whether a formula can be saved: empty, pure arithmetic, or a text the engine accepts once its
// tokens are replaced by digits. A formula that fails here would count as 0 in every row.
[[nodiscard]] bool formulaCompiles(FormulaEvaluator& evaluator, const QString& formula);

// 0..9: the last digit of the integer part of the formula's value; rejected formulas give 0.
[[nodiscard]] int formulaDigit(FormulaEvaluator& evaluator, const QString& formula, const WorkingValues& values);

// The sum of the three formula digits, 0..27.
[[nodiscard]] int customNumber(FormulaEvaluator& evaluator, const QString& first, const QString& second,
                               const QString& third, const WorkingValues& values);

// The text "查看说明" shows, lines joined by CR LF.
[[nodiscard]] QString formulaHelpText();

} // namespace tandor28
