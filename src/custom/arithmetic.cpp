#include "arithmetic.h"

#include "jsnumber.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <string>
#include <string_view>

namespace tandor28 {

namespace {

enum class TokenKind
{
    Number,
    Name,
    Dot,
    Plus,
    Minus,
    Star,
    StarStar,
    Slash,
    Percent,
    LeftParen,
    RightParen,
    Comma,
    Question,
    Colon,
    Less,
    Greater,
    LessEqual,
    GreaterEqual,
    Equal,
    NotEqual,
    StrictEqual,
    StrictNotEqual,
    Amp,
    AmpAmp,
    Pipe,
    PipePipe,
    Caret,
    Tilde,
    Bang,
    ShiftLeft,
    ShiftRight,
    ShiftRightUnsigned,
    End,
};

struct Token
{
    TokenKind kind = TokenKind::End;
    double value = 0;
    int slot = -1; // 0-based slot of a token "[t]"
    QStringView text;
};

enum class MathFunction : std::uint8_t
{
    Abs,
    Acos,
    Acosh,
    Asin,
    Asinh,
    Atan,
    Atan2,
    Atanh,
    Cbrt,
    Ceil,
    Clz32,
    Cos,
    Cosh,
    Exp,
    Expm1,
    Floor,
    Fround,
    Hypot,
    Imul,
    Log,
    Log10,
    Log1p,
    Log2,
    Max,
    Min,
    Pow,
    Random,
    Round,
    Sign,
    Sin,
    Sinh,
    Sqrt,
    Tan,
    Tanh,
    Trunc,
};

constexpr std::array<std::u16string_view, 35> kMathFunctions = {
    u"abs",   u"acos",  u"acosh", u"asin",  u"asinh", u"atan",  u"atan2", u"atanh",  u"cbrt",
    u"ceil",  u"clz32", u"cos",   u"cosh",  u"exp",   u"expm1", u"floor", u"fround", u"hypot",
    u"imul",  u"log",   u"log10", u"log1p", u"log2",  u"max",   u"min",   u"pow",    u"random",
    u"round", u"sign",  u"sin",   u"sinh",  u"sqrt",  u"tan",   u"tanh",  u"trunc"};

struct MathConstant
{
    std::u16string_view name;
    double value;
};

constexpr std::array<MathConstant, 8> kMathConstants = {{
    {u"E", std::numbers::e},
    {u"LN10", std::numbers::ln10},
    {u"LN2", std::numbers::ln2},
    {u"LOG10E", std::numbers::log10e},
    {u"LOG2E", std::numbers::log2e},
    {u"PI", std::numbers::pi},
    {u"SQRT1_2", 0.7071067811865476},
    {u"SQRT2", std::numbers::sqrt2},
}};

// How many arguments a Math function takes; -1 for any number (max, min, hypot).
int mathArity(MathFunction function)
{
    switch (function) {
    case MathFunction::Max:
    case MathFunction::Min:
    case MathFunction::Hypot:
        return -1;
    case MathFunction::Random:
        return 0;
    case MathFunction::Atan2:
    case MathFunction::Imul:
    case MathFunction::Pow:
        return 2;
    default:
        return 1;
    }
}

bool equals(QStringView text, std::u16string_view name)
{
    return text.size() == static_cast<qsizetype>(name.size()) &&
           std::equal(name.begin(), name.end(), text.begin(), [](char16_t a, QChar b) { return a == b.unicode(); });
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isIdentifierStart(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_' || c == u'$';
}

bool isIdentifierPart(QChar c)
{
    return isIdentifierStart(c) || isDigit(c);
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

QString quoted(QStringView text)
{
    return QStringLiteral("“") + text.toString() + QStringLiteral("”");
}

// Splits a text into tokens, as a JavaScript lexer delimits them, refusing every token outside the
// language with its reason.
class Lexer
{
public:
    Lexer(QStringView text, bool withSlots) : m_text(text), m_withSlots(withSlots) {}

    ArithmeticStatus run(std::vector<Token>& tokens, QString& reason)
    {
        qsizetype previousEnd = -1;
        TokenKind previousKind = TokenKind::End;
        qsizetype i = 0;
        while (i < m_text.size()) {
            const QChar c = m_text[i];
            if (c == u' ' || c == u'\t') {
                ++i;
                continue;
            }
            const qsizetype start = i;
            const bool touching = previousEnd == start;
            qsizetype slotLength = 0;
            const int slot = m_withSlots ? slotAt(m_text, i, slotLength) : 0;
            Token token;
            if (slot != 0) {
                // A slot against a number, a name or a point reads as one literal with it once
                // substituted; so does one followed by a digit, a letter, a point or another slot.
                if (touching && (previousKind == TokenKind::Number || previousKind == TokenKind::Name ||
                                 previousKind == TokenKind::Dot))
                    return ArithmeticStatus::Glued;
                i += slotLength;
                if (i < m_text.size() &&
                    (isIdentifierPart(m_text[i]) || m_text[i] == u'.' || m_text[i] == u'[' || m_text[i] == u'\\'))
                    return ArithmeticStatus::Glued;
                token.kind = TokenKind::Number;
                token.slot = slot - 1;
            } else if (isDigit(c) || (c == u'.' && i + 1 < m_text.size() && isDigit(m_text[i + 1]))) {
                const ArithmeticStatus status = number(i, token, reason);
                if (status != ArithmeticStatus::Program)
                    return status;
            } else if (isIdentifierStart(c)) {
                while (i < m_text.size() && isIdentifierPart(m_text[i]))
                    ++i;
                if (m_withSlots && i < m_text.size() && slotAt(m_text, i, slotLength) != 0)
                    return ArithmeticStatus::Glued;
                if (i < m_text.size() && (m_text[i] == u'\\' || m_text[i].unicode() >= 0x80))
                    return fail(reason,
                                QStringLiteral("名称只能用英文字母：%1").arg(quoted(m_text.mid(start, i - start + 1))));
                token.kind = TokenKind::Name;
            } else {
                const ArithmeticStatus status = punctuator(i, token, reason);
                if (status != ArithmeticStatus::Program)
                    return status;
            }
            token.text = m_text.mid(start, i - start);
            tokens.push_back(token);
            previousEnd = i;
            previousKind = token.kind;
        }
        tokens.push_back({TokenKind::End, 0, -1, {}});
        return ArithmeticStatus::Program;
    }

private:
    static ArithmeticStatus fail(QString& reason, QString text)
    {
        reason = std::move(text);
        return ArithmeticStatus::Invalid;
    }

    bool at(qsizetype i, char16_t c) const { return i < m_text.size() && m_text[i] == QChar(c); }

    // A number literal as the engine reads it, legacy octal included.
    ArithmeticStatus number(qsizetype& i, Token& token, QString& reason)
    {
        const qsizetype start = i;
        token.kind = TokenKind::Number;
        if (m_text[i] == u'0' && i + 1 < m_text.size() && QStringView(u"xXoObB").contains(m_text[i + 1])) {
            const char16_t base = m_text[i + 1].toLower().unicode();
            const int radix = base == u'x' ? 16 : base == u'o' ? 8 : 2;
            i += 2;
            double value = 0;
            const qsizetype digitsStart = i;
            while (i < m_text.size()) {
                const int digit = QStringView(u"0123456789abcdef").indexOf(m_text[i].toLower());
                if (digit < 0 || digit >= radix)
                    break;
                value = value * radix + digit;
                ++i;
            }
            if (i == digitsStart || (i < m_text.size() && (isIdentifierPart(m_text[i]) || m_text[i] == u'.')))
                return fail(reason, QStringLiteral("数字%1写错了").arg(quoted(literalAround(start, i))));
            token.value = value;
            return ArithmeticStatus::Program;
        }
        std::string literal;
        const auto take = [&] {
            literal.push_back(static_cast<char>(m_text[i].unicode()));
            ++i;
        };
        while (i < m_text.size() && isDigit(m_text[i]))
            take();
        const bool leadingZero = literal.size() >= 2 && literal[0] == '0';
        const bool octal = leadingZero && literal.find_first_of("89") == std::string::npos;
        if (octal) {
            // A legacy octal literal ends at its digits.
            if (i < m_text.size() && (m_text[i] == u'.' || isIdentifierPart(m_text[i])))
                return fail(reason, QStringLiteral("以0开头的数字%1是八进制，不能带小数点或指数")
                                        .arg(quoted(literalAround(start, i + 1))));
        } else {
            if (at(i, u'.')) {
                take();
                while (i < m_text.size() && isDigit(m_text[i]))
                    take();
            }
            if (at(i, u'e') || at(i, u'E')) {
                take();
                if (at(i, u'+') || at(i, u'-'))
                    take();
                if (m_withSlots && i < m_text.size() && slotAtHere(i))
                    return ArithmeticStatus::Glued;
                if (!(i < m_text.size() && isDigit(m_text[i])))
                    return fail(reason, QStringLiteral("数字%1的指数不完整").arg(quoted(m_text.mid(start, i - start))));
                while (i < m_text.size() && isDigit(m_text[i]))
                    take();
            }
        }
        if (m_withSlots && i < m_text.size() && slotAtHere(i))
            return ArithmeticStatus::Glued;
        if (i < m_text.size() && (isIdentifierPart(m_text[i]) || m_text[i] == u'\\'))
            return fail(reason, QStringLiteral("数字后面不能紧跟字母：%1").arg(quoted(literalAround(start, i + 1))));
        if (!parseFormulaNumberLiteral(literal, token.value))
            return fail(reason, QStringLiteral("数字%1写错了").arg(quoted(m_text.mid(start, i - start))));
        return ArithmeticStatus::Program;
    }

    bool slotAtHere(qsizetype i) const
    {
        qsizetype length = 0;
        return slotAt(m_text, i, length) != 0;
    }

    // The literal from `start` with the character that spoils it, for a reason's text.
    QStringView literalAround(qsizetype start, qsizetype end) const
    {
        return m_text.mid(start, std::min(end, m_text.size()) - start);
    }

    ArithmeticStatus punctuator(qsizetype& i, Token& token, QString& reason)
    {
        // Longest match first, as the engine's lexer reads them; tokens of other constructs are
        // refused by name so the reason says what was written.
        struct Punctuator
        {
            std::u16string_view text;
            TokenKind kind;
            const char* refusal; // null when admitted
        };
        static constexpr Punctuator kPunctuators[] = {
            {u">>>=", TokenKind::End, "不能赋值"},
            {u"**=", TokenKind::End, "不能赋值"},
            {u"<<=", TokenKind::End, "不能赋值"},
            {u">>=", TokenKind::End, "不能赋值"},
            {u"&&=", TokenKind::End, "不能赋值"},
            {u"||=", TokenKind::End, "不能赋值"},
            {u"?\?=", TokenKind::End, "不能赋值"},
            {u"...", TokenKind::End, "不在算法语言里"},
            {u"===", TokenKind::StrictEqual, nullptr},
            {u"!==", TokenKind::StrictNotEqual, nullptr},
            {u">>>", TokenKind::ShiftRightUnsigned, nullptr},
            {u"=>", TokenKind::End, "不在算法语言里"},
            {u"++", TokenKind::End, "不在算法语言里（两个正负号之间要加空格或括号）"},
            {u"--", TokenKind::End, "不在算法语言里（两个正负号之间要加空格或括号）"},
            {u"+=", TokenKind::End, "不能赋值"},
            {u"-=", TokenKind::End, "不能赋值"},
            {u"*=", TokenKind::End, "不能赋值"},
            {u"/=", TokenKind::End, "不能赋值"},
            {u"%=", TokenKind::End, "不能赋值"},
            {u"&=", TokenKind::End, "不能赋值"},
            {u"|=", TokenKind::End, "不能赋值"},
            {u"^=", TokenKind::End, "不能赋值"},
            {u"//", TokenKind::End, "是注释，不在算法语言里"},
            {u"/*", TokenKind::End, "是注释，不在算法语言里"},
            {u"??", TokenKind::End, "不在算法语言里"},
            {u"**", TokenKind::StarStar, nullptr},
            {u"==", TokenKind::Equal, nullptr},
            {u"!=", TokenKind::NotEqual, nullptr},
            {u"<=", TokenKind::LessEqual, nullptr},
            {u">=", TokenKind::GreaterEqual, nullptr},
            {u"&&", TokenKind::AmpAmp, nullptr},
            {u"||", TokenKind::PipePipe, nullptr},
            {u"<<", TokenKind::ShiftLeft, nullptr},
            {u">>", TokenKind::ShiftRight, nullptr},
            {u"=", TokenKind::End, "不能赋值"},
            {u"+", TokenKind::Plus, nullptr},
            {u"-", TokenKind::Minus, nullptr},
            {u"*", TokenKind::Star, nullptr},
            {u"/", TokenKind::Slash, nullptr},
            {u"%", TokenKind::Percent, nullptr},
            {u"<", TokenKind::Less, nullptr},
            {u">", TokenKind::Greater, nullptr},
            {u"&", TokenKind::Amp, nullptr},
            {u"|", TokenKind::Pipe, nullptr},
            {u"^", TokenKind::Caret, nullptr},
            {u"~", TokenKind::Tilde, nullptr},
            {u"!", TokenKind::Bang, nullptr},
            {u"(", TokenKind::LeftParen, nullptr},
            {u")", TokenKind::RightParen, nullptr},
            {u",", TokenKind::Comma, nullptr},
            {u"?", TokenKind::Question, nullptr},
            {u":", TokenKind::Colon, nullptr},
            {u".", TokenKind::Dot, nullptr},
        };
        const QChar c = m_text[i];
        // "?." before a digit is a conditional followed by a fraction ("1?.5:2"); otherwise it is
        // optional chaining.
        if (c == u'?' && at(i + 1, u'.') && !(i + 2 < m_text.size() && isDigit(m_text[i + 2])))
            return fail(reason, QStringLiteral("“?.”不在算法语言里"));
        for (const Punctuator& p : kPunctuators) {
            const auto size = static_cast<qsizetype>(p.text.size());
            if (i + size > m_text.size() || !equals(m_text.mid(i, size), p.text))
                continue;
            if (p.refusal)
                return fail(reason, quoted(m_text.mid(i, size)) + QString::fromUtf8(p.refusal));
            token.kind = p.kind;
            i += size;
            return ArithmeticStatus::Program;
        }
        if (c == u'[' || c == u']')
            return fail(reason, QStringLiteral("方括号只能用于[1]到[18]：%1").arg(quoted(m_text.mid(i, 4))));
        if (c == u'\'' || c == u'"' || c == u'`')
            return fail(reason, QStringLiteral("算法里不能有文字（引号%1）").arg(quoted(m_text.mid(i, 1))));
        if (c == u';')
            return fail(reason, QStringLiteral("算法只能是一个式子，不能有“;”"));
        if (c == u'\r' || c == u'\n' || c == QChar(0x2028) || c == QChar(0x2029))
            return fail(reason, QStringLiteral("算法不能换行"));
        if (c == u'{' || c == u'}')
            return fail(reason, QStringLiteral("算法里不能有花括号"));
        return fail(reason,
                    QStringLiteral("%1不是算法能用的字符").arg(quoted(m_text.mid(i, c.isHighSurrogate() ? 2 : 1))));
    }

    QStringView m_text;
    bool m_withSlots;
};

using OpKind = ArithmeticProgram::OpKind;

// Recursive descent over the tokens, emitting the program in postfix order. Each rule returns
// whether its value may be a boolean, so a unary "+" converts only where it has to.
class Parser
{
public:
    Parser(const std::vector<Token>& tokens, ArithmeticProgram& program) : m_tokens(tokens), m_program(program) {}

    ArithmeticStatus run(QString& reason)
    {
        if (m_tokens.front().kind == TokenKind::End)
            return ArithmeticStatus::Empty;
        bool maybeBoolean = false;
        if (!expression(maybeBoolean) || (peek() != TokenKind::End && !unexpected())) {
            reason = m_reason;
            return ArithmeticStatus::Invalid;
        }
        return ArithmeticStatus::Program;
    }

private:
    TokenKind peek() const { return m_tokens[m_pos].kind; }

    void emit(OpKind kind, int depthChange, double value = 0, int slot = 0, int arguments = 0)
    {
        m_program.ops.push_back({kind, static_cast<std::uint8_t>(slot), value, static_cast<std::uint16_t>(arguments)});
        if (kind > OpKind::Remainder)
            m_program.arithmeticOnly = false;
        m_depth += depthChange;
        if (m_depth > m_program.maxDepth)
            m_program.maxDepth = m_depth;
    }

    bool fail(QString reason)
    {
        if (m_reason.isEmpty())
            m_reason = std::move(reason);
        return false;
    }

    // Why the current token cannot stand where it stands.
    bool unexpected()
    {
        const Token& token = m_tokens[m_pos];
        if (token.kind == TokenKind::End)
            return fail(QStringLiteral("算法不完整，结尾缺少数字或括号"));
        if (token.kind == TokenKind::Comma)
            return fail(QStringLiteral("逗号只能用在 Math 函数的参数之间"));
        if (token.kind == TokenKind::RightParen)
            return fail(QStringLiteral("多了一个“)”"));
        return fail(QStringLiteral("算法在%1处写错了").arg(quoted(token.text)));
    }

    bool enter()
    {
        if (++m_nesting > kMaxFormulaNesting)
            return fail(QStringLiteral("括号或函数套得太深（最多%1层）").arg(kMaxFormulaNesting));
        return true;
    }

    bool expression(bool& maybeBoolean)
    {
        if (!enter())
            return false;
        bool ok = logicalOr(maybeBoolean);
        if (ok && peek() == TokenKind::Question) {
            ++m_pos;
            bool first = false;
            bool second = false;
            ok = expression(first);
            if (ok && peek() != TokenKind::Colon)
                ok = peek() == TokenKind::End ? fail(QStringLiteral("“?”后面缺少“:”")) : unexpected();
            if (ok) {
                ++m_pos;
                ok = expression(second);
            }
            if (ok)
                emit(OpKind::Conditional, -2);
            maybeBoolean = first || second;
        }
        --m_nesting;
        return ok;
    }

    using Rule = bool (Parser::*)(bool&);

    // One level of left-associative binary operators.
    bool binary(Rule operand, std::initializer_list<std::pair<TokenKind, OpKind>> operators, bool& maybeBoolean,
                bool resultMayBeBoolean, bool resultIsBoolean)
    {
        if (!(this->*operand)(maybeBoolean))
            return false;
        for (;;) {
            const TokenKind next = peek();
            const auto match = std::find_if(operators.begin(), operators.end(),
                                            [next](const auto& entry) { return entry.first == next; });
            if (match == operators.end())
                return true;
            ++m_pos;
            bool right = false;
            if (!(this->*operand)(right))
                return false;
            emit(match->second, -1);
            maybeBoolean = resultIsBoolean || (resultMayBeBoolean && (maybeBoolean || right));
        }
    }

    bool logicalOr(bool& b) { return binary(&Parser::logicalAnd, {{TokenKind::PipePipe, OpKind::Or}}, b, true, false); }
    bool logicalAnd(bool& b) { return binary(&Parser::bitOr, {{TokenKind::AmpAmp, OpKind::And}}, b, true, false); }
    bool bitOr(bool& b) { return binary(&Parser::bitXor, {{TokenKind::Pipe, OpKind::BitOr}}, b, false, false); }
    bool bitXor(bool& b) { return binary(&Parser::bitAnd, {{TokenKind::Caret, OpKind::BitXor}}, b, false, false); }
    bool bitAnd(bool& b) { return binary(&Parser::equality, {{TokenKind::Amp, OpKind::BitAnd}}, b, false, false); }
    bool equality(bool& b)
    {
        return binary(&Parser::relational,
                      {{TokenKind::Equal, OpKind::Equal},
                       {TokenKind::NotEqual, OpKind::NotEqual},
                       {TokenKind::StrictEqual, OpKind::StrictEqual},
                       {TokenKind::StrictNotEqual, OpKind::StrictNotEqual}},
                      b, false, true);
    }
    bool relational(bool& b)
    {
        return binary(&Parser::shift,
                      {{TokenKind::Less, OpKind::Less},
                       {TokenKind::Greater, OpKind::Greater},
                       {TokenKind::LessEqual, OpKind::LessEqual},
                       {TokenKind::GreaterEqual, OpKind::GreaterEqual}},
                      b, false, true);
    }
    bool shift(bool& b)
    {
        return binary(&Parser::additive,
                      {{TokenKind::ShiftLeft, OpKind::ShiftLeft},
                       {TokenKind::ShiftRight, OpKind::ShiftRight},
                       {TokenKind::ShiftRightUnsigned, OpKind::ShiftRightUnsigned}},
                      b, false, false);
    }
    bool additive(bool& b)
    {
        return binary(&Parser::term, {{TokenKind::Plus, OpKind::Add}, {TokenKind::Minus, OpKind::Subtract}}, b, false,
                      false);
    }
    bool term(bool& b)
    {
        return binary(&Parser::power,
                      {{TokenKind::Star, OpKind::Multiply},
                       {TokenKind::Slash, OpKind::Divide},
                       {TokenKind::Percent, OpKind::Remainder}},
                      b, false, false);
    }

    static bool isUnaryOperator(TokenKind kind)
    {
        return kind == TokenKind::Plus || kind == TokenKind::Minus || kind == TokenKind::Bang ||
               kind == TokenKind::Tilde;
    }

    bool power(bool& maybeBoolean)
    {
        if (isUnaryOperator(peek())) {
            if (!unary(maybeBoolean))
                return false;
            if (peek() == TokenKind::StarStar)
                return fail(QStringLiteral("“**”前面带正负号或“!”“~”时要加括号，例如 (-2)**2"));
            return true;
        }
        if (!primary(maybeBoolean))
            return false;
        if (peek() != TokenKind::StarStar)
            return true;
        ++m_pos;
        if (!enter())
            return false;
        bool right = false;
        const bool ok = power(right);
        --m_nesting;
        if (!ok)
            return false;
        emit(OpKind::Power, -1);
        maybeBoolean = false;
        return true;
    }

    bool unary(bool& maybeBoolean)
    {
        if (!isUnaryOperator(peek()))
            return primary(maybeBoolean);
        const TokenKind op = peek();
        ++m_pos;
        if (!enter())
            return false;
        bool operand = false;
        const bool ok = unary(operand);
        --m_nesting;
        if (!ok)
            return false;
        switch (op) {
        case TokenKind::Minus:
            emit(OpKind::Negate, 0);
            maybeBoolean = false;
            break;
        case TokenKind::Plus:
            // The unary plus of a number is the number itself.
            if (operand)
                emit(OpKind::ToNumber, 0);
            maybeBoolean = false;
            break;
        case TokenKind::Bang:
            emit(OpKind::Not, 0);
            maybeBoolean = true;
            break;
        default:
            emit(OpKind::BitNot, 0);
            maybeBoolean = false;
            break;
        }
        return true;
    }

    bool primary(bool& maybeBoolean)
    {
        maybeBoolean = false;
        const Token& token = m_tokens[m_pos];
        switch (token.kind) {
        case TokenKind::Number:
            ++m_pos;
            if (token.slot >= 0) {
                emit(OpKind::Slot, 1, 0, token.slot);
                m_program.slotMask |= 1u << token.slot;
            } else {
                emit(OpKind::Constant, 1, token.value);
            }
            return true;
        case TokenKind::LeftParen: {
            ++m_pos;
            if (!expression(maybeBoolean))
                return false;
            if (peek() != TokenKind::RightParen)
                return peek() == TokenKind::End ? fail(QStringLiteral("缺少“)”")) : unexpected();
            ++m_pos;
            return true;
        }
        case TokenKind::Name:
            return math();
        default:
            return unexpected();
        }
    }

    bool math()
    {
        const Token& name = m_tokens[m_pos];
        if (!equals(name.text, u"Math"))
            return fail(QStringLiteral("%1不是算法能用的名称（只能用[1]到[18]、数字和 Math 的函数与常数）")
                            .arg(quoted(name.text)));
        ++m_pos;
        // "Math.abs" is written as one word.
        const auto follows = [](const Token& before, const Token& after) {
            return before.text.data() + before.text.size() == after.text.data();
        };
        if (peek() != TokenKind::Dot || m_tokens[m_pos + 1].kind != TokenKind::Name ||
            !follows(name, m_tokens[m_pos]) || !follows(m_tokens[m_pos], m_tokens[m_pos + 1]))
            return fail(QStringLiteral("Math 后面要紧跟函数或常数，例如 Math.abs(x)、Math.PI"));
        const QStringView member = m_tokens[m_pos + 1].text;
        m_pos += 2;
        for (const MathConstant& constant : kMathConstants) {
            if (!equals(member, constant.name))
                continue;
            if (peek() == TokenKind::LeftParen)
                return fail(QStringLiteral("Math.%1是常数，不能调用").arg(member.toString()));
            emit(OpKind::Constant, 1, constant.value);
            return true;
        }
        const auto function = std::find_if(kMathFunctions.begin(), kMathFunctions.end(),
                                           [member](std::u16string_view f) { return equals(member, f); });
        if (function == kMathFunctions.end())
            return fail(QStringLiteral("Math.%1不是 Math 的函数或常数").arg(member.toString()));
        if (peek() != TokenKind::LeftParen)
            return fail(QStringLiteral("Math.%1要直接调用，例如 Math.%1(x)").arg(member.toString()));
        ++m_pos;
        int arguments = 0;
        if (peek() != TokenKind::RightParen) {
            for (;;) {
                bool ignored = false;
                if (!expression(ignored))
                    return false;
                ++arguments;
                if (arguments > 1000)
                    return fail(QStringLiteral("Math.%1的参数太多").arg(member.toString()));
                if (peek() != TokenKind::Comma)
                    break;
                ++m_pos;
            }
        }
        if (peek() != TokenKind::RightParen)
            return peek() == TokenKind::End ? fail(QStringLiteral("Math.%1(缺少“)”").arg(member.toString()))
                                            : unexpected();
        ++m_pos;
        const auto index = static_cast<MathFunction>(function - kMathFunctions.begin());
        if (const int arity = mathArity(index); arity >= 0 && arguments != arity)
            return fail(
                QStringLiteral("Math.%1要%2个参数，这里有%3个").arg(member.toString()).arg(arity).arg(arguments));
        emit(OpKind::Call, 1 - arguments, 0, static_cast<int>(index), arguments);
        return true;
    }

    const std::vector<Token>& m_tokens;
    ArithmeticProgram& m_program;
    std::size_t m_pos = 0;
    int m_depth = 0;
    int m_nesting = 0;
    QString m_reason;
};

// A value the engine holds as a 32-bit integer: integral, in range, and not -0.
bool isEngineInteger(double value)
{
    if (!(value >= -2147483648.0 && value <= 2147483647.0)) // NaN fails both
        return false;
    const auto integer = static_cast<std::int32_t>(value);
    return static_cast<double>(integer) == value && !(value == 0 && std::signbit(value));
}

// The engine multiplies two 32-bit integers as integers, so a zero product of such operands is +0
// even when IEEE arithmetic gives -0 (it shows in 1/(0*-1)).
double multiply(double a, double b)
{
    const double product = a * b;
    return product == 0 && isEngineInteger(a) && isEngineInteger(b) ? 0.0 : product;
}

std::uint32_t toUint32(double value)
{
    if (!std::isfinite(value))
        return 0;
    double t = std::fmod(std::trunc(value), 4294967296.0);
    if (t < 0)
        t += 4294967296.0;
    return static_cast<std::uint32_t>(t);
}

std::int32_t toInt32(double value)
{
    return static_cast<std::int32_t>(toUint32(value));
}

// Math.pow: NaN for an exponent NaN, and for a base of magnitude 1 with an infinite exponent, where
// C's pow gives 1.
double mathPow(double base, double exponent)
{
    if (std::isnan(exponent))
        return std::numeric_limits<double>::quiet_NaN();
    if (std::isinf(exponent) && std::fabs(base) == 1)
        return std::numeric_limits<double>::quiet_NaN();
    return std::pow(base, exponent);
}

// The "**" operator as the engine computes it: like Math.pow, except that 1 ** NaN is 1.
double exponentiate(double base, double exponent)
{
    if (std::isinf(exponent) && std::fabs(base) == 1)
        return std::numeric_limits<double>::quiet_NaN();
    return std::pow(base, exponent);
}

double mathRandom()
{
    thread_local std::mt19937_64 generator{std::random_device{}()};
    return std::generate_canonical<double, 53>(generator);
}

// Math.round as the engine computes it: halves towards +Infinity by floor(x + 0.5), so integers
// above 2^52 can move by one, and -0 for -0.5 <= x < 0.
double round(double x)
{
    if (!std::isfinite(x))
        return x;
    if (x < 0.5 && x >= -0.5)
        return std::copysign(0.0, x);
    return std::floor(x + 0.5);
}

double sign(double x)
{
    if (std::isnan(x) || x == 0)
        return x;
    return x > 0 ? 1.0 : -1.0;
}

double callMath(MathFunction function, const ProgramValue* args, int count)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double x = count > 0 ? args[0].number : nan;
    const double y = count > 1 ? args[1].number : nan;
    switch (function) {
    case MathFunction::Abs:
        return std::fabs(x);
    case MathFunction::Acos:
        return std::acos(x);
    case MathFunction::Acosh:
        return std::acosh(x);
    case MathFunction::Asin:
        return std::asin(x);
    case MathFunction::Asinh:
        return std::asinh(x);
    case MathFunction::Atan:
        return std::atan(x);
    case MathFunction::Atan2:
        return std::atan2(x, y);
    case MathFunction::Atanh:
        return std::atanh(x);
    case MathFunction::Cbrt:
        return std::cbrt(x);
    case MathFunction::Ceil:
        return std::ceil(x);
    case MathFunction::Clz32:
        return std::countl_zero(toUint32(x));
    case MathFunction::Cos:
        return std::cos(x);
    case MathFunction::Cosh:
        return std::cosh(x);
    case MathFunction::Exp:
        return std::exp(x);
    case MathFunction::Expm1:
        return std::expm1(x);
    case MathFunction::Floor:
        return std::floor(x);
    case MathFunction::Fround:
        return static_cast<double>(static_cast<float>(x));
    case MathFunction::Hypot: {
        // Scaled by the largest magnitude so far, rescaling as a larger one comes, as the engine
        // computes it (the last digit can differ from C's hypot and depends on the order).
        bool anyNan = false;
        for (int i = 0; i < count; ++i) {
            if (std::isinf(args[i].number))
                return HUGE_VAL;
            anyNan = anyNan || std::isnan(args[i].number);
        }
        if (anyNan)
            return nan;
        double scale = 0;
        double sum = 1;
        for (int i = 0; i < count; ++i) {
            const double magnitude = std::fabs(args[i].number);
            if (magnitude == 0)
                continue;
            if (scale < magnitude) {
                const double ratio = scale / magnitude;
                sum = 1 + sum * ratio * ratio;
                scale = magnitude;
            } else {
                const double ratio = magnitude / scale;
                sum += ratio * ratio;
            }
        }
        return scale * std::sqrt(sum);
    }
    case MathFunction::Imul:
        return static_cast<std::int32_t>(toUint32(x) * toUint32(y));
    case MathFunction::Log:
        return std::log(x);
    case MathFunction::Log10:
        return std::log10(x);
    case MathFunction::Log1p:
        return std::log1p(x);
    case MathFunction::Log2:
        return std::log2(x);
    case MathFunction::Max:
    case MathFunction::Min: {
        const bool max = function == MathFunction::Max;
        double result = max ? -HUGE_VAL : HUGE_VAL;
        for (int i = 0; i < count; ++i) {
            const double v = args[i].number;
            if (std::isnan(v))
                return nan;
            if (max ? (v > result || (v == 0 && result == 0 && !std::signbit(v)))
                    : (v < result || (v == 0 && result == 0 && std::signbit(v))))
                result = v;
        }
        return result;
    }
    case MathFunction::Pow:
        return mathPow(x, y);
    case MathFunction::Random:
        return mathRandom();
    case MathFunction::Round:
        return round(x);
    case MathFunction::Sign:
        return sign(x);
    case MathFunction::Sin:
        return std::sin(x);
    case MathFunction::Sinh:
        return std::sinh(x);
    case MathFunction::Sqrt:
        return std::sqrt(x);
    case MathFunction::Tan:
        return std::tan(x);
    case MathFunction::Tanh:
        return std::tanh(x);
    case MathFunction::Trunc:
        return std::trunc(x);
    }
    return nan;
}

bool truthy(const ProgramValue& v)
{
    return v.number != 0 && !std::isnan(v.number);
}

// A number the engine keeps as a double even when it is integral.
ProgramValue number(double value)
{
    return {value, false, false};
}

// A number the engine writes as an integer when it is one.
ProgramValue smallest(double value)
{
    return {value, false, isEngineInteger(value)};
}

ProgramValue boolean(bool value)
{
    return {value ? 1.0 : 0.0, true, false};
}

// Booleans take the engine's integer paths as 0 and 1.
bool integerLike(const ProgramValue& v)
{
    return v.integer || v.boolean;
}

// + - * / % of two integers stay integers where the result is one; with a double they stay doubles.
ProgramValue arithmetic(double result, const ProgramValue& l, const ProgramValue& r)
{
    return integerLike(l) && integerLike(r) ? smallest(result) : number(result);
}

// Math results: abs, floor, max, min, clz32 and imul come back as integers where they are integral,
// the other functions as doubles.
bool mathGivesIntegers(MathFunction function)
{
    switch (function) {
    case MathFunction::Abs:
    case MathFunction::Floor:
    case MathFunction::Max:
    case MathFunction::Min:
    case MathFunction::Clz32:
    case MathFunction::Imul:
        return true;
    default:
        return false;
    }
}

} // namespace

ArithmeticCompilation compileArithmetic(QStringView text, bool withSlots)
{
    ArithmeticCompilation result;
    // With slots the caller measures the text the tokens leave, which is shorter.
    if (!withSlots && text.size() > kMaxFormulaTextLength) {
        result.reason = QStringLiteral("算法太长（最多%1个字符）").arg(kMaxFormulaTextLength);
        return result;
    }
    std::vector<Token> tokens;
    tokens.reserve(16);
    result.status = Lexer(text, withSlots).run(tokens, result.reason);
    if (result.status != ArithmeticStatus::Program)
        return result;
    result.status = Parser(tokens, result.program).run(result.reason);
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
        case OpKind::Constant:
            stack[++top] = op.value;
            break;
        case OpKind::Slot:
            stack[++top] = values[op.slot];
            break;
        case OpKind::Negate:
            stack[top] = -stack[top];
            break;
        case OpKind::Add:
            stack[top - 1] = stack[top - 1] + stack[top];
            --top;
            break;
        case OpKind::Subtract:
            stack[top - 1] = stack[top - 1] - stack[top];
            --top;
            break;
        case OpKind::Multiply:
            stack[top - 1] = multiply(stack[top - 1], stack[top]);
            --top;
            break;
        case OpKind::Divide:
            stack[top - 1] = stack[top - 1] / stack[top];
            --top;
            break;
        case OpKind::Remainder:
            stack[top - 1] = std::fmod(stack[top - 1], stack[top]);
            --top;
            break;
        default:
            // Not arithmetic: the caller uses evaluateProgram for such programs.
            return std::numeric_limits<double>::quiet_NaN();
        }
    }
    return stack[0];
}

ProgramValue evaluateProgram(const ArithmeticProgram& program, const int* values)
{
    if (program.ops.empty())
        return {};
    constexpr int kInlineDepth = 32;
    ProgramValue inlineStack[kInlineDepth] = {};
    std::vector<ProgramValue> heapStack;
    ProgramValue* stack = inlineStack;
    if (program.maxDepth > kInlineDepth) {
        heapStack.resize(static_cast<std::size_t>(program.maxDepth));
        stack = heapStack.data();
    }
    int top = -1;
    for (const ArithmeticProgram::Op& op : program.ops) {
        if (op.kind == OpKind::Constant || op.kind == OpKind::Slot) {
            stack[++top] = smallest(op.kind == OpKind::Constant ? op.value : values[op.slot]);
            continue;
        }
        if (op.kind == OpKind::Call) {
            const int count = op.arguments;
            const auto function = static_cast<MathFunction>(op.slot);
            const double value = callMath(function, stack + top - count + 1, count);
            top -= count;
            stack[++top] = mathGivesIntegers(function) ? smallest(value) : number(value);
            continue;
        }
        ProgramValue& a = stack[top];
        switch (op.kind) {
        case OpKind::Negate:
            a = integerLike(a) ? smallest(-a.number) : number(-a.number);
            continue;
        case OpKind::ToNumber:
            // The unary plus of a boolean gives a double.
            if (a.boolean)
                a = number(a.number);
            continue;
        case OpKind::Not:
            a = boolean(!truthy(a));
            continue;
        case OpKind::BitNot:
            a = smallest(~toInt32(a.number));
            continue;
        case OpKind::Conditional: {
            const ProgramValue& condition = stack[top - 2];
            stack[top - 2] = truthy(condition) ? stack[top - 1] : stack[top];
            top -= 2;
            continue;
        }
        default:
            break;
        }
        // Binary operators: l op r.
        ProgramValue& l = stack[top - 1];
        const ProgramValue r = stack[top];
        --top;
        const double x = l.number;
        const double y = r.number;
        switch (op.kind) {
        case OpKind::Add:
            l = arithmetic(x + y, l, r);
            break;
        case OpKind::Subtract:
            l = arithmetic(x - y, l, r);
            break;
        case OpKind::Multiply:
            // Two integers multiply as integers: a zero product is +0.
            l = arithmetic(integerLike(l) && integerLike(r) && x * y == 0 ? 0.0 : x * y, l, r);
            break;
        case OpKind::Divide:
            l = arithmetic(x / y, l, r);
            break;
        case OpKind::Remainder:
            l = arithmetic(std::fmod(x, y), l, r);
            break;
        case OpKind::Power:
            l = number(exponentiate(x, y));
            break;
        case OpKind::ShiftLeft:
            l = smallest(static_cast<std::int32_t>(toUint32(x) << (toUint32(y) & 31u)));
            break;
        case OpKind::ShiftRight:
            l = smallest(toInt32(x) >> (toUint32(y) & 31u));
            break;
        case OpKind::ShiftRightUnsigned:
            l = smallest(toUint32(x) >> (toUint32(y) & 31u));
            break;
        case OpKind::Less:
            l = boolean(x < y);
            break;
        case OpKind::Greater:
            l = boolean(x > y);
            break;
        case OpKind::LessEqual:
            l = boolean(x <= y);
            break;
        case OpKind::GreaterEqual:
            l = boolean(x >= y);
            break;
        case OpKind::Equal:
            l = boolean(x == y);
            break;
        case OpKind::NotEqual:
            l = boolean(x != y);
            break;
        case OpKind::StrictEqual:
            l = boolean(l.boolean == r.boolean && x == y);
            break;
        case OpKind::StrictNotEqual:
            l = boolean(!(l.boolean == r.boolean && x == y));
            break;
        case OpKind::BitAnd:
            l = smallest(toInt32(x) & toInt32(y));
            break;
        case OpKind::BitXor:
            l = smallest(toInt32(x) ^ toInt32(y));
            break;
        case OpKind::BitOr:
            l = smallest(toInt32(x) | toInt32(y));
            break;
        case OpKind::And:
            if (truthy(l))
                l = r;
            break;
        case OpKind::Or:
            if (!truthy(l))
                l = r;
            break;
        default:
            break;
        }
    }
    return stack[0];
}

} // namespace tandor28
