#include "formula.h"

#include "enginegate.h"
#include "jsnumber.h"

#include <QStringList>

namespace tandor28 {

namespace {

// Compiled formulas kept per evaluator; the search compiles its own and never fills this.
constexpr qsizetype kMaxCachedFormulas = 4096;

// A plain formula takes microseconds in the engine. Evaluations slower than this count against
// the formula, and once they add up to the budget the formula counts as rejected, so a formula
// that stays just under the watchdog's limit cannot hold the window for a whole table of rows.
constexpr std::chrono::milliseconds kSlowEvaluation{20};
constexpr std::chrono::milliseconds kSlowBudget{300};

// The token number of "[t]" at `at` (t = 1..18, no leading zero, no blanks), or 0.
int tokenAt(const QString& text, qsizetype at, qsizetype& length)
{
    if (text[at] != u'[' || at + 2 >= text.size())
        return 0;
    const QChar first = text[at + 1];
    if (first < u'1' || first > u'9')
        return 0;
    int number = first.unicode() - u'0';
    qsizetype i = at + 2;
    if (text[i] >= u'0' && text[i] <= u'9') {
        number = number * 10 + (text[i].unicode() - u'0');
        ++i;
    }
    if (i >= text.size() || text[i] != u']' || number > 18)
        return 0;
    length = i + 1 - at;
    return number;
}

bool anyNegative(std::uint32_t slotMask, const WorkingValues& values)
{
    for (int slot = 0; slot < 18; ++slot) {
        if ((slotMask & (1u << slot)) && values[static_cast<std::size_t>(slot)] < 0)
            return true;
    }
    return false;
}

} // namespace

WorkingValues fillCustomWorkingValues(const DrawHistory& history, int k)
{
    WorkingValues values{};
    for (int j = 0; j < 6; ++j) {
        const Draw& draw = history.at(k + 1 + j);
        values[static_cast<std::size_t>(3 * j)] = draw.d1;
        values[static_cast<std::size_t>(3 * j + 1)] = draw.d2;
        values[static_cast<std::size_t>(3 * j + 2)] = draw.d3;
    }
    return values;
}

QString substituteWorkingValues(const QString& formula, const WorkingValues& values)
{
    // "[1]" is replaced everywhere first, then "[2]", and so on: brackets around a token can close
    // around its value and form a later token ("[[1]]" becomes "[4]" and then working value 4).
    QString text = formula;
    if (!text.contains(u'['))
        return text;
    for (int t = 1; t <= 18; ++t) {
        text.replace(u'[' + QString::number(t) + u']', QString::number(values[static_cast<std::size_t>(t - 1)]),
                     Qt::CaseSensitive);
    }
    return text;
}

CompiledFormula compileFormula(const QString& formula)
{
    CompiledFormula compiled;
    compiled.formula = formula;
    for (qsizetype i = 0; i < formula.size(); ++i) {
        qsizetype length = 0;
        if (const int token = tokenAt(formula, i, length))
            compiled.slotMask |= 1u << (token - 1);
    }
    // A substituted text longer than the engine takes means nothing in either evaluator; whether
    // it is longer is known only once the tokens are replaced.
    if (formula.size() > kMaxEngineTextLength) {
        compiled.mode = CompiledFormula::Mode::Textual;
        return compiled;
    }
    ArithmeticCompilation result = compileArithmetic(formula, true);
    switch (result.status) {
    case ArithmeticStatus::Program:
        compiled.mode = CompiledFormula::Mode::Program;
        compiled.program = std::move(result.program);
        break;
    case ArithmeticStatus::Empty:
        compiled.mode = CompiledFormula::Mode::Empty;
        break;
    case ArithmeticStatus::Invalid:
        compiled.mode = CompiledFormula::Mode::Invalid;
        break;
    case ArithmeticStatus::Glued:
        compiled.mode = CompiledFormula::Mode::Textual;
        break;
    case ArithmeticStatus::NotArithmetic:
        compiled.mode = CompiledFormula::Mode::Engine;
        break;
    }
    return compiled;
}

QString FormulaValue::valueText() const
{
    switch (kind) {
    case Kind::None:
        return {};
    case Kind::Number:
        return jsNumberToString(number);
    case Kind::Text:
        return text;
    }
    return {};
}

int FormulaValue::digit() const
{
    switch (kind) {
    case Kind::None:
        return 0;
    case Kind::Number:
        return jsNumberDigit(number);
    case Kind::Text:
        return lastDigitOfLeadingInteger(text);
    }
    return 0;
}

FormulaEvaluator::FormulaEvaluator() : FormulaEvaluator(Clock(), ExpressionEngine::Admission::Formulas) {}

FormulaEvaluator::FormulaEvaluator(Clock clock, ExpressionEngine::Admission admission)
    : m_clock(clock ? std::move(clock) : Clock([] { return std::chrono::steady_clock::now(); })), m_admission(admission)
{}

FormulaEvaluator::~FormulaEvaluator() = default;

ExpressionEngine& FormulaEvaluator::engine()
{
    if (!m_engine)
        m_engine = std::make_unique<ExpressionEngine>(ExpressionEngine::kDefaultTimeLimit, m_admission);
    return *m_engine;
}

bool FormulaEvaluator::engineCompiles(const QString& expression)
{
    return engine().compiles(expression);
}

QString FormulaEvaluator::evaluateWithEngine(const QString& expression)
{
    return engine().evaluate(expression);
}

std::shared_ptr<const CompiledFormula> FormulaEvaluator::compiled(const QString& formula)
{
    auto it = m_cache.constFind(formula);
    if (it != m_cache.constEnd())
        return *it;
    if (m_cache.size() >= kMaxCachedFormulas)
        m_cache.clear();
    auto compiledFormula = std::make_shared<const CompiledFormula>(compileFormula(formula));
    m_cache.insert(formula, compiledFormula);
    return compiledFormula;
}

FormulaValue FormulaEvaluator::evaluateText(const CompiledFormula& formula, const QString& expression)
{
    FormulaValue value;
    if (expression.size() > kMaxEngineTextLength)
        return value;
    const ArithmeticCompilation result = compileArithmetic(expression, false);
    switch (result.status) {
    case ArithmeticStatus::Program:
        value.kind = FormulaValue::Kind::Number;
        value.number = evaluateArithmetic(result.program, nullptr);
        return value;
    case ArithmeticStatus::Empty:
    case ArithmeticStatus::Invalid:
        return value;
    case ArithmeticStatus::Glued:
    case ArithmeticStatus::NotArithmetic:
        break;
    }
    if (m_runaway.contains(formula.formula))
        return value;
    const auto started = m_clock();
    QString text = engine().evaluate(expression);
    if (engine().lastWasInterrupted()) {
        m_runaway.insert(formula.formula);
        return value;
    }
    if (const auto spent = m_clock() - started; spent >= kSlowEvaluation) {
        auto& slow = m_slowTime[formula.formula];
        slow += spent;
        if (slow >= kSlowBudget) {
            m_slowTime.remove(formula.formula);
            m_runaway.insert(formula.formula);
        }
    }
    if (!text.isEmpty()) {
        value.kind = FormulaValue::Kind::Text;
        value.text = std::move(text);
    }
    return value;
}

FormulaValue FormulaEvaluator::evaluate(const CompiledFormula& formula, const WorkingValues& values)
{
    switch (formula.mode) {
    case CompiledFormula::Mode::Empty:
        return {};
    case CompiledFormula::Mode::Invalid:
        if (!anyNegative(formula.slotMask, values))
            return {};
        break;
    case CompiledFormula::Mode::Program:
        // A negative value written into the text can merge with a minus before it ("4--3"), so
        // such rows go through the substituted text.
        if (!anyNegative(formula.slotMask, values)) {
            FormulaValue value;
            value.kind = FormulaValue::Kind::Number;
            value.number = evaluateArithmetic(formula.program, values.data());
            return value;
        }
        break;
    case CompiledFormula::Mode::Textual:
    case CompiledFormula::Mode::Engine:
        break;
    }
    return evaluateText(formula, substituteWorkingValues(formula.formula, values));
}

FormulaValue FormulaEvaluator::evaluate(const QString& formula, const WorkingValues& values)
{
    return evaluate(*compiled(formula), values);
}

int FormulaEvaluator::digit(const CompiledFormula& formula, const WorkingValues& values)
{
    if (formula.mode == CompiledFormula::Mode::Program && !anyNegative(formula.slotMask, values))
        return jsNumberDigit(evaluateArithmetic(formula.program, values.data()));
    return evaluate(formula, values).digit();
}

bool formulaCompiles(FormulaEvaluator& evaluator, const QString& formula)
{
    const std::shared_ptr<const CompiledFormula> compiled = evaluator.compiled(formula);
    switch (compiled->mode) {
    case CompiledFormula::Mode::Empty:
    case CompiledFormula::Mode::Program:
        return true;
    case CompiledFormula::Mode::Invalid:
        return false;
    case CompiledFormula::Mode::Textual:
    case CompiledFormula::Mode::Engine:
        break;
    }
    // Digits 1..9 stand in for the draw digits, so tokens glued together still read as one number.
    WorkingValues digits{};
    for (std::size_t slot = 0; slot < digits.size(); ++slot)
        digits[slot] = static_cast<int>(slot % 9) + 1;
    const QString text = substituteWorkingValues(formula, digits);
    if (text.size() > kMaxEngineTextLength)
        return false;
    if (compileArithmetic(text, false).status == ArithmeticStatus::Program)
        return true;
    return evaluator.engineCompiles(text);
}

int formulaDigit(FormulaEvaluator& evaluator, const QString& formula, const WorkingValues& values)
{
    return evaluator.digit(*evaluator.compiled(formula), values);
}

int customNumber(FormulaEvaluator& evaluator, const QString& first, const QString& second, const QString& third,
                 const WorkingValues& values)
{
    return formulaDigit(evaluator, first, values) + formulaDigit(evaluator, second, values) +
           formulaDigit(evaluator, third, values);
}

QString formulaHelpText()
{
    const QStringList lines = {
        QString(),
        QStringLiteral("Tandor28自定义算法说明："),
        QString(),
        QStringLiteral("开奖号码在软件对应符号为"),
        QStringLiteral("比如开奖："),
        QString(),
        QStringLiteral("4 + 5 + 8 第一期开奖三个数字分别为：[1] [2] [3]"),
        QStringLiteral("6 + 2 + 6 第二期：[4] [5] [6]"),
        QStringLiteral("7 + 8 + 1 第三期：[7] [8] [9]"),
        QStringLiteral("6 + 7 + 9 第四期：[10] [11] [12]"),
        QStringLiteral("2 + 9 + 7 第五期：[13] [14] [15]"),
        QStringLiteral("6 + 1 + 1 第六期：[16] [17] [18]"),
        QString(),
        QStringLiteral("软件只允许使用6期数据，算法采取位置获取"),
        QStringLiteral("比如你算法是"),
        QStringLiteral("第一期第一个数+第二期第二个数+第三期第三个数"),
        QStringLiteral("软件则为：[1]+[5]+[9]"),
        QStringLiteral("第一期结果表示为：[1]+[2]+[3]"),
        QStringLiteral("第二期结果表示为：[4]+[5]+[6]"),
        QStringLiteral("第三期结果表示为：[7]+[8]+[9]"),
        QString(),
        QStringLiteral("==================================="),
        QString(),
        QStringLiteral("搜索算法的条件不能过大，防止软件卡死，"),
        QStringLiteral("软件开奖中不能进行搜索算法，所以开奖完再搜索"),
        QString(),
        QString(),
        QString(),
    };
    return lines.join(QStringLiteral("\r\n"));
}

} // namespace tandor28
