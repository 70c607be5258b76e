#include "formula.h"

#include "jsnumber.h"

#include <QStringList>

namespace tandor28 {

namespace {

// Compiled formulas kept per evaluator; the search compiles its own and never fills this.
constexpr qsizetype kMaxCachedFormulas = 4096;

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

namespace {

// Digits 1..9 stand in for the draw digits when a formula is checked: tokens glued together still
// read as one number, and no token adds a leading zero.
WorkingValues representativeValues()
{
    WorkingValues digits{};
    for (std::size_t slot = 0; slot < digits.size(); ++slot)
        digits[slot] = static_cast<int>(slot % 9) + 1;
    return digits;
}

// A bracket that is not part of a token, with the text from it for the reason, or nullopt.
std::optional<QString> strayBracket(const QString& formula)
{
    for (qsizetype i = 0; i < formula.size(); ++i) {
        qsizetype length = 0;
        if (tokenAt(formula, i, length)) {
            i += length - 1;
            continue;
        }
        if (formula[i] == u'[' || formula[i] == u']')
            return formula.mid(i, 4);
    }
    return std::nullopt;
}

// The value with the engine's signs of zero, which only its text shows: digits come out the same
// from evaluateArithmetic, which the rows and columns of a table use.
FormulaValue valueOf(const ArithmeticProgram& program, const int* values)
{
    FormulaValue value;
    const ProgramValue result = evaluateProgram(program, values);
    value.kind = result.boolean ? FormulaValue::Kind::Boolean : FormulaValue::Kind::Number;
    value.number = result.number;
    return value;
}

} // namespace

CompiledFormula compileFormula(const QString& formula)
{
    CompiledFormula compiled;
    compiled.formula = formula;
    for (qsizetype i = 0; i < formula.size(); ++i) {
        qsizetype length = 0;
        if (const int token = tokenAt(formula, i, length))
            compiled.slotMask |= 1u << (token - 1);
    }
    const auto refuse = [&compiled](QString reason) {
        compiled.mode = CompiledFormula::Mode::Refused;
        compiled.refusal = std::move(reason);
        compiled.program = {};
        return compiled;
    };
    // Every bracket belongs to a token, so replacing the tokens never forms a new one.
    if (const std::optional<QString> bracket = strayBracket(formula))
        return refuse(QStringLiteral("方括号只能写成[1]到[18]：“%1”").arg(*bracket));
    const QString representative = substituteWorkingValues(formula, representativeValues());
    if (representative.size() > kMaxFormulaTextLength)
        return refuse(QStringLiteral("算法太长（换入数字后最多%1个字符）").arg(kMaxFormulaTextLength));
    ArithmeticCompilation result = compileArithmetic(formula, true);
    switch (result.status) {
    case ArithmeticStatus::Program:
        compiled.mode = CompiledFormula::Mode::Program;
        compiled.program = std::move(result.program);
        return compiled;
    case ArithmeticStatus::Empty:
        compiled.mode = CompiledFormula::Mode::Empty;
        return compiled;
    case ArithmeticStatus::Invalid:
        return refuse(result.reason);
    case ArithmeticStatus::Glued:
        break;
    }
    const ArithmeticCompilation text = compileArithmetic(representative, false);
    if (text.status == ArithmeticStatus::Invalid)
        return refuse(text.reason);
    compiled.mode = CompiledFormula::Mode::Textual;
    return compiled;
}

std::optional<QString> formulaRefusal(const QString& formula)
{
    CompiledFormula compiled = compileFormula(formula);
    if (compiled.mode != CompiledFormula::Mode::Refused)
        return std::nullopt;
    return std::move(compiled.refusal);
}

QString FormulaValue::valueText() const
{
    switch (kind) {
    case Kind::None:
        return {};
    case Kind::Number:
        return jsNumberToString(number);
    case Kind::Boolean:
        return number != 0 ? QStringLiteral("true") : QStringLiteral("false");
    }
    return {};
}

int FormulaValue::digit() const
{
    // "true" and "false" have no leading digits.
    return kind == Kind::Number ? jsNumberDigit(number) : 0;
}

FormulaValue evaluateSubstituted(QStringView text)
{
    const ArithmeticCompilation result = compileArithmetic(text, false);
    if (result.status != ArithmeticStatus::Program)
        return {};
    return valueOf(result.program, nullptr);
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

FormulaValue FormulaEvaluator::evaluate(const CompiledFormula& formula, const WorkingValues& values)
{
    switch (formula.mode) {
    case CompiledFormula::Mode::Empty:
    case CompiledFormula::Mode::Refused:
        return {};
    case CompiledFormula::Mode::Program:
        // A negative value written into the text can merge with a minus before it ("4--3"), so
        // such rows go through the substituted text.
        if (!anyNegative(formula.slotMask, values))
            return valueOf(formula.program, values.data());
        break;
    case CompiledFormula::Mode::Textual:
        break;
    }
    return evaluateSubstituted(substituteWorkingValues(formula.formula, values));
}

FormulaValue FormulaEvaluator::evaluate(const QString& formula, const WorkingValues& values)
{
    return evaluate(*compiled(formula), values);
}

int FormulaEvaluator::digit(const CompiledFormula& formula, const WorkingValues& values)
{
    if (formula.mode == CompiledFormula::Mode::Program && formula.program.arithmeticOnly &&
        !anyNegative(formula.slotMask, values))
        return jsNumberDigit(evaluateArithmetic(formula.program, values.data()));
    return evaluate(formula, values).digit();
}

bool formulaCompiles(FormulaEvaluator& evaluator, const QString& formula)
{
    return evaluator.compiled(formula)->mode != CompiledFormula::Mode::Refused;
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
