#include "enginegate.h"

#include "custom/jsnumber.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

namespace tandor28 {

namespace {

// Every member Math has in the engine's language.
constexpr std::array<std::u16string_view, 43> kMathMembers = {
    u"E",     u"LN10",   u"LN2",    u"LOG10E", u"LOG2E", u"PI",   u"SQRT1_2", u"SQRT2", u"abs",  u"acos", u"acosh",
    u"asin",  u"asinh",  u"atan",   u"atan2",  u"atanh", u"cbrt", u"ceil",    u"clz32", u"cos",  u"cosh", u"exp",
    u"expm1", u"floor",  u"fround", u"hypot",  u"imul",  u"log",  u"log10",   u"log1p", u"log2", u"max",  u"min",
    u"pow",   u"random", u"round",  u"sign",   u"sin",   u"sinh", u"sqrt",    u"tan",   u"tanh", u"trunc"};

// The operators admitted, longest first so that the longest match is taken as the engine's lexer
// takes it.
constexpr std::array<std::u16string_view, 29> kOperators = {
    u">>>", u"===", u"!==", u"==", u"!=", u"<=", u">=", u"&&", u"||", u"?\?", u"**", u"<<", u">>", u"+", u"-",
    u"*",   u"/",   u"%",   u"<",  u">",  u"&",  u"|",  u"^",  u"!",  u"~",   u"?",  u":",  u",",  u"("};

// Operators that the engine would read as a longer token than an admitted one: assignment,
// increments, arrows, spread, optional chaining and comments.
constexpr std::array<std::u16string_view, 22> kLongerTokens = {
    u">>>=", u"**=", u"<<=", u">>=", u"&&=", u"||=", u"?\?=", u"...", u"=>", u"++", u"--",
    u"+=",   u"-=",  u"*=",  u"/=",  u"%=",  u"&=",  u"|=",   u"^=",  u"//", u"/*", u"?."};

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isIdentifierPart(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || isDigit(c) || c == u'_' || c == u'$';
}

bool startsWith(QStringView text, qsizetype at, std::u16string_view token)
{
    const auto tokenSize = static_cast<qsizetype>(token.size());
    return at + tokenSize <= text.size() &&
           std::equal(token.begin(), token.end(), text.begin() + at,
                      [](char16_t expected, QChar actual) { return expected == actual.unicode(); });
}

class Gate
{
public:
    explicit Gate(QStringView text) : m_text(text) { m_out.reserve(text.size()); }

    std::optional<QString> run()
    {
        while (m_at < m_text.size()) {
            const QChar c = m_text[m_at];
            bool ok = false;
            if (c == u' ' || c == u'\t') {
                m_out.append(c);
                ++m_at;
                ok = true;
            } else if (isDigit(c) || (c == u'.' && m_at + 1 < m_text.size() && isDigit(m_text[m_at + 1]))) {
                ok = number();
            } else if (c == u'M') {
                ok = mathMember();
            } else {
                ok = punctuator();
            }
            if (!ok)
                return std::nullopt;
        }
        return m_out;
    }

private:
    // A literal as the engine's lexer delimits it; one with leading zeros is written in decimal.
    bool number()
    {
        if (!m_expectOperand)
            return false;
        const qsizetype start = m_at;
        if (m_text[m_at] == u'0' && m_at + 1 < m_text.size() && QStringView(u"xXoObB").contains(m_text[m_at + 1])) {
            // 0x.., 0o.., 0b..: the engine reads and checks them.
            m_at += 2;
            while (m_at < m_text.size() && isIdentifierPart(m_text[m_at]))
                ++m_at;
            m_out.append(m_text.mid(start, m_at - start));
            return operandDone();
        }
        while (m_at < m_text.size() && isDigit(m_text[m_at]))
            ++m_at;
        const bool leadingZero = m_at - start >= 2 && m_text[start] == u'0';
        const bool octal = leadingZero && std::all_of(m_text.begin() + start, m_text.begin() + m_at,
                                                      [](QChar d) { return d <= u'7'; });
        if (octal) {
            // An octal literal ends at its digits; a point after it could only start a member name.
            if (m_at < m_text.size() && (m_text[m_at] == u'.' || isIdentifierPart(m_text[m_at])))
                return false;
        } else {
            if (m_at < m_text.size() && m_text[m_at] == u'.') {
                ++m_at;
                while (m_at < m_text.size() && isDigit(m_text[m_at]))
                    ++m_at;
            }
            if (m_at < m_text.size() && (m_text[m_at] == u'e' || m_text[m_at] == u'E')) {
                qsizetype exponent = m_at + 1;
                if (exponent < m_text.size() && (m_text[exponent] == u'+' || m_text[exponent] == u'-'))
                    ++exponent;
                if (exponent < m_text.size() && isDigit(m_text[exponent])) {
                    m_at = exponent;
                    while (m_at < m_text.size() && isDigit(m_text[m_at]))
                        ++m_at;
                }
            }
            // A name or digit glued to a literal is a syntax error, or a name: nothing to admit.
            if (m_at < m_text.size() && (isIdentifierPart(m_text[m_at]) || m_text[m_at] == u'\\'))
                return false;
        }
        const QStringView literal = m_text.mid(start, m_at - start);
        if (!leadingZero) {
            m_out.append(literal);
            return operandDone();
        }
        const std::string latin = literal.toLatin1().toStdString();
        double value = 0;
        if (!parseFormulaNumberLiteral(latin, value))
            return false;
        if (octal) {
            m_out.append(jsNumberToString(value));
        } else {
            // Keep the digits as typed, less the leading zeros, so the engine rounds them itself.
            qsizetype firstNonZero = 0;
            while (literal[firstNonZero] == u'0')
                ++firstNonZero;
            m_out.append(literal.mid(firstNonZero));
        }
        return operandDone();
    }

    bool mathMember()
    {
        if (!m_expectOperand || !startsWith(m_text, m_at, u"Math.") || (m_at > 0 && isIdentifierPart(m_text[m_at - 1])))
            return false;
        const qsizetype nameStart = m_at + 5;
        qsizetype end = nameStart;
        while (end < m_text.size() && isIdentifierPart(m_text[end]))
            ++end;
        const QStringView name = m_text.mid(nameStart, end - nameStart);
        const bool known = std::any_of(kMathMembers.begin(), kMathMembers.end(), [name](std::u16string_view member) {
            return name.size() == static_cast<qsizetype>(member.size()) && startsWith(name, 0, member);
        });
        if (!known || (end < m_text.size() && m_text[end] == u'\\'))
            return false;
        m_out.append(m_text.mid(m_at, end - m_at));
        m_at = end;
        return operandDone();
    }

    bool punctuator()
    {
        // "?." before a digit is a conditional followed by a fraction ("1?.5:2").
        const bool conditionalFraction =
            startsWith(m_text, m_at, u"?.") && m_at + 2 < m_text.size() && isDigit(m_text[m_at + 2]);
        if (!conditionalFraction) {
            for (std::u16string_view token : kLongerTokens) {
                if (startsWith(m_text, m_at, token))
                    return false;
            }
        }
        const QChar c = m_text[m_at];
        if (c == u')' || c == u']') {
            if (m_nesting == 0)
                return false;
            --m_nesting;
            emit(1);
            m_expectOperand = false;
            return true;
        }
        if (c == u'[') {
            if (++m_nesting > kMaxEngineNesting)
                return false;
            emit(1);
            m_expectOperand = true;
            return true;
        }
        for (std::u16string_view token : kOperators) {
            if (!startsWith(m_text, m_at, token))
                continue;
            if (token == u"(") {
                if (++m_nesting > kMaxEngineNesting)
                    return false;
            } else if (token == u"/" && m_expectOperand) {
                return false; // where an operand belongs a slash starts a regular expression
            }
            emit(static_cast<qsizetype>(token.size()));
            m_expectOperand = true;
            return true;
        }
        return false;
    }

    void emit(qsizetype length)
    {
        m_out.append(m_text.mid(m_at, length));
        m_at += length;
    }

    bool operandDone()
    {
        m_expectOperand = false;
        return true;
    }

    QStringView m_text;
    QString m_out;
    qsizetype m_at = 0;
    int m_nesting = 0;
    bool m_expectOperand = true;
};

} // namespace

std::optional<QString> admitToEngine(QStringView expression)
{
    if (expression.size() > kMaxEngineTextLength)
        return std::nullopt;
    return Gate(expression).run();
}

} // namespace tandor28
