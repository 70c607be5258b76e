#include "arithmetic.h"

#include "jsnumber.h"

#include <cmath>
#include <string>

namespace tandor28 {

namespace {

enum class TokenKind
{
    Number,
    Slot,
    Plus,
    Minus,
    Star,
    Slash,
    Percent,
    LeftParen,
    RightParen,
    End,
};

struct Token
{
    TokenKind kind = TokenKind::End;
    double value = 0;
    int slot = 0;
};

// Deep nesting is left to the engine rather than risking the stack here.
constexpr int kMaxNesting = 200;

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// The slot number of a token "[t]" (t = 1..18 without leading zeros or blanks) at `at`, or 0.
int slotAt(QStringView text, qsizetype at, qsizetype& length)
{
    if (text[at] != u'[')
        return 0;
    qsizetype i = at + 1;
    int number = 0;
    const qsizetype digitsStart = i;
    while (i < text.size() && isDigit(text[i]) && i - digitsStart < 3) {
        number = number * 10 + (text[i].unicode() - u'0');
        ++i;
    }
    const qsizetype digits = i - digitsStart;
    if (digits == 0 || i >= text.size() || text[i] != u']')
        return 0;
    if (text[digitsStart] == u'0' || number < 1 || number > 18)
        return 0;
    length = i + 1 - at;
    return number;
}

class Lexer
{
public:
    Lexer(QStringView text, bool withSlots) : m_text(text), m_withSlots(withSlots) {}

    // Fills `tokens`; returns the status that stops compilation, or Program when lexing succeeded.
    ArithmeticStatus run(std::vector<Token>& tokens)
    {
        bool previousIsOperand = false; // number or slot directly before, with no blank in between
        bool previousWasIncrementChar = false;
        QChar previousOperator;
        qsizetype i = 0;
        while (i < m_text.size()) {
            const QChar c = m_text[i];
            if (c == u' ' || c == u'\t') {
                previousIsOperand = false;
                previousWasIncrementChar = false;
                ++i;
                continue;
            }
            qsizetype slotLength = 0;
            const int slot = m_withSlots ? slotAt(m_text, i, slotLength) : 0;
            if (slot != 0) {
                if (previousIsOperand)
                    return ArithmeticStatus::Glued;
                tokens.push_back({TokenKind::Slot, 0, slot - 1});
                i += slotLength;
                previousIsOperand = true;
                previousWasIncrementChar = false;
                if (i < m_text.size() && (isDigit(m_text[i]) || m_text[i] == u'.'))
                    return ArithmeticStatus::Glued;
                continue;
            }
            if (isDigit(c) || c == u'.') {
                if (previousIsOperand)
                    return ArithmeticStatus::Glued;
                std::string literal;
                while (i < m_text.size()) {
                    const QChar d = m_text[i];
                    if (isDigit(d) || d == u'.') {
                        literal.push_back(static_cast<char>(d.unicode()));
                        ++i;
                    } else if ((d == u'e' || d == u'E')) {
                        literal.push_back('e');
                        ++i;
                        if (i < m_text.size() && (m_text[i] == u'+' || m_text[i] == u'-')) {
                            literal.push_back(static_cast<char>(m_text[i].unicode()));
                            ++i;
                        }
                    } else {
                        break;
                    }
                }
                if (i < m_text.size()) {
                    const QChar next = m_text[i];
                    // "5in", "0x1F", "5_0": identifiers glued to numbers belong to the engine.
                    if (next.isLetter() || next == u'_' || next == u'$' || next == u'\\')
                        return ArithmeticStatus::NotArithmetic;
                }
                // "2e+[1]" or "[1]0"-like texts only form their literal once substituted.
                if (m_withSlots && i < m_text.size() && slotAt(m_text, i, slotLength) != 0)
                    return ArithmeticStatus::Glued;
                double value = 0;
                if (literal == ".")
                    return ArithmeticStatus::NotArithmetic;
                if (!parseFormulaNumberLiteral(literal, value)) {
                    // A literal the engine's lexer rejects: several points, a bare exponent, an
                    // octal literal with a fraction.
                    return ArithmeticStatus::Invalid;
                }
                tokens.push_back({TokenKind::Number, value, 0});
                previousIsOperand = true;
                previousWasIncrementChar = false;
                continue;
            }
            TokenKind kind;
            switch (c.unicode()) {
            case u'+':
                kind = TokenKind::Plus;
                break;
            case u'-':
                kind = TokenKind::Minus;
                break;
            case u'*':
                kind = TokenKind::Star;
                break;
            case u'/':
                kind = TokenKind::Slash;
                break;
            case u'%':
                kind = TokenKind::Percent;
                break;
            case u'(':
                kind = TokenKind::LeftParen;
                break;
            case u')':
                kind = TokenKind::RightParen;
                break;
            default:
                return ArithmeticStatus::NotArithmetic;
            }
            // "++", "--", "**", "//" and "/*" are other tokens of the engine's language.
            if (previousWasIncrementChar && c == previousOperator)
                return ArithmeticStatus::NotArithmetic;
            if (previousWasIncrementChar && previousOperator == u'/' && c == u'*')
                return ArithmeticStatus::NotArithmetic;
            tokens.push_back({kind, 0, 0});
            previousIsOperand = false;
            previousWasIncrementChar = kind != TokenKind::LeftParen && kind != TokenKind::RightParen;
            previousOperator = c;
            ++i;
        }
        tokens.push_back({TokenKind::End, 0, 0});
        return ArithmeticStatus::Program;
    }

private:
    QStringView m_text;
    bool m_withSlots;
};

class Parser
{
public:
    Parser(const std::vector<Token>& tokens, ArithmeticProgram& program) : m_tokens(tokens), m_program(program) {}

    ArithmeticStatus run()
    {
        if (m_tokens.front().kind == TokenKind::End)
            return ArithmeticStatus::Empty;
        if (!additive())
            return m_status;
        if (peek() != TokenKind::End)
            return ArithmeticStatus::Invalid;
        return ArithmeticStatus::Program;
    }

private:
    TokenKind peek() const { return m_tokens[m_pos].kind; }

    void emit(ArithmeticProgram::OpKind kind, int depthChange, double value = 0, int slot = 0)
    {
        m_program.ops.push_back({kind, static_cast<std::uint8_t>(slot), value});
        m_depth += depthChange;
        if (m_depth > m_program.maxDepth)
            m_program.maxDepth = m_depth;
    }

    bool fail(ArithmeticStatus status)
    {
        m_status = status;
        return false;
    }

    bool additive()
    {
        if (!multiplicative())
            return false;
        while (peek() == TokenKind::Plus || peek() == TokenKind::Minus) {
            const bool add = peek() == TokenKind::Plus;
            ++m_pos;
            if (!multiplicative())
                return false;
            emit(add ? ArithmeticProgram::OpKind::Add : ArithmeticProgram::OpKind::Subtract, -1);
        }
        return true;
    }

    bool multiplicative()
    {
        if (!unary())
            return false;
        while (peek() == TokenKind::Star || peek() == TokenKind::Slash || peek() == TokenKind::Percent) {
            const TokenKind op = peek();
            ++m_pos;
            if (!unary())
                return false;
            emit(op == TokenKind::Star    ? ArithmeticProgram::OpKind::Multiply
                 : op == TokenKind::Slash ? ArithmeticProgram::OpKind::Divide
                                          : ArithmeticProgram::OpKind::Remainder,
                 -1);
        }
        return true;
    }

    bool unary()
    {
        if (++m_nesting > kMaxNesting)
            return fail(ArithmeticStatus::NotArithmetic);
        bool ok;
        if (peek() == TokenKind::Minus) {
            ++m_pos;
            ok = unary();
            if (ok)
                emit(ArithmeticProgram::OpKind::Negate, 0);
        } else if (peek() == TokenKind::Plus) {
            ++m_pos; // unary plus of a number is the number itself
            ok = unary();
        } else {
            ok = primary();
        }
        --m_nesting;
        return ok;
    }

    bool primary()
    {
        const Token& token = m_tokens[m_pos];
        switch (token.kind) {
        case TokenKind::Number:
            ++m_pos;
            emit(ArithmeticProgram::OpKind::Constant, 1, token.value);
            return true;
        case TokenKind::Slot:
            ++m_pos;
            emit(ArithmeticProgram::OpKind::Slot, 1, 0, token.slot);
            m_program.slotMask |= 1u << token.slot;
            return true;
        case TokenKind::LeftParen: {
            ++m_pos;
            if (++m_nesting > kMaxNesting)
                return fail(ArithmeticStatus::NotArithmetic);
            if (!additive())
                return false;
            --m_nesting;
            if (peek() != TokenKind::RightParen)
                return fail(ArithmeticStatus::Invalid);
            ++m_pos;
            return true;
        }
        case TokenKind::Slash:
            // A slash where an operand belongs starts a regular expression in the engine's language.
            return fail(ArithmeticStatus::NotArithmetic);
        default:
            return fail(ArithmeticStatus::Invalid);
        }
    }

    const std::vector<Token>& m_tokens;
    ArithmeticProgram& m_program;
    std::size_t m_pos = 0;
    int m_depth = 0;
    int m_nesting = 0;
    ArithmeticStatus m_status = ArithmeticStatus::Invalid;
};

// A value the engine holds as a 32-bit integer: integral, in range, and not -0.
bool isEngineInteger(double value)
{
    if (value < -2147483648.0 || value > 2147483647.0)
        return false;
    const auto integer = static_cast<std::int32_t>(value);
    return static_cast<double>(integer) == value && !(value == 0 && std::signbit(value));
}

} // namespace

ArithmeticCompilation compileArithmetic(QStringView text, bool withSlots)
{
    ArithmeticCompilation result;
    std::vector<Token> tokens;
    tokens.reserve(16);
    result.status = Lexer(text, withSlots).run(tokens);
    if (result.status != ArithmeticStatus::Program)
        return result;
    result.status = Parser(tokens, result.program).run();
    if (result.status != ArithmeticStatus::Program)
        result.program = {};
    return result;
}

double evaluateArithmetic(const ArithmeticProgram& program, const int* values)
{
    constexpr int kInlineDepth = 32;
    double inlineStack[kInlineDepth] = {};
    std::vector<double> heapStack;
    double* stack = inlineStack;
    if (program.maxDepth > kInlineDepth) {
        heapStack.resize(static_cast<std::size_t>(program.maxDepth));
        stack = heapStack.data();
    }
    int top = -1;
    for (const ArithmeticProgram::Op& op : program.ops) {
        switch (op.kind) {
        case ArithmeticProgram::OpKind::Constant:
            stack[++top] = op.value;
            break;
        case ArithmeticProgram::OpKind::Slot:
            stack[++top] = values[op.slot];
            break;
        case ArithmeticProgram::OpKind::Negate:
            stack[top] = -stack[top];
            break;
        case ArithmeticProgram::OpKind::Add:
            stack[top - 1] = stack[top - 1] + stack[top];
            --top;
            break;
        case ArithmeticProgram::OpKind::Subtract:
            stack[top - 1] = stack[top - 1] - stack[top];
            --top;
            break;
        case ArithmeticProgram::OpKind::Multiply: {
            const double product = stack[top - 1] * stack[top];
            // The engine multiplies two 32-bit integers as integers, so a zero product of such
            // operands is +0 even when IEEE arithmetic gives -0 (it shows in 1/(0*-1)).
            stack[top - 1] =
                product == 0 && isEngineInteger(stack[top - 1]) && isEngineInteger(stack[top]) ? 0.0 : product;
            --top;
            break;
        }
        case ArithmeticProgram::OpKind::Divide:
            stack[top - 1] = stack[top - 1] / stack[top];
            --top;
            break;
        case ArithmeticProgram::OpKind::Remainder:
            stack[top - 1] = std::fmod(stack[top - 1], stack[top]);
            --top;
            break;
        }
    }
    return stack[0];
}

} // namespace tandor28
