#include "formulamaker.h"

#include <iterator>

namespace tandor28::testsupport {

namespace {

// clang-format off
const char* const kColumnLiterals[] = {"0", "1", "7", "10", "0.5", ".25", "3.", "1e21", "1e-7", "1e-6", "2e+3",
                                       "123456789012", "1e308", "1e309", "0.1", "4.35", "1e-300", "5e-324",
                                       "9007199254740993", "2147483648", "4294967296", "2.5e-7", "0e5", "05"};
const char* const kEngineLiterals[] = {"0", "1", "7", "10", "0.5", ".25", "3.", "1e21", "1e20", "1e-7", "1e-6", "2e+3",
                                       "5E-1", "123456789012", "1e308", "1e309", "0.1", "4.35", "1e-300",
                                       "9007199254740993", "0e5", "2.5e-7", "999999999999999999999",
                                       "12345678901234567890", "05", "010", "00", "08", "019", "0777", "08.5",
                                       "009e1", "07.5"};
// clang-format on

} // namespace

QString FormulaMaker::searchFormula(bool mixed)
{
    static const char* const ops[] = {"+", "-", "*", "/"};
    const int length = pick(1, 4) == 4 ? 4 : 3;
    QString text = token();
    for (int i = 1; i < length; ++i)
        text += QLatin1String(mixed ? ops[pick(0, 3)] : "+") + token();
    return text;
}

QString FormulaMaker::literal()
{
    if (m_style == Style::Columns)
        return QString::fromLatin1(kColumnLiterals[pick(0, static_cast<int>(std::size(kColumnLiterals)) - 1)]);
    return QString::fromLatin1(kEngineLiterals[pick(0, static_cast<int>(std::size(kEngineLiterals)) - 1)]);
}

QString FormulaMaker::blank()
{
    return pick(0, 5) == 0 ? QStringLiteral(" ") : QString();
}

// Where the styles differ, each keeps its own expression, so that it draws its random numbers in
// the order it always has and a seed still gives the formulas it gave.
QString FormulaMaker::tricky(int depth)
{
    const int kind = depth > 3 ? pick(0, 2) : pick(0, 8);
    static const char* const ops[] = {"+", "-", "*", "/", "%"};
    switch (kind) {
    case 0:
        return token();
    case 1:
        return literal();
    case 5:
        return QStringLiteral("+") + tricky(depth + 1);
    default:
        break;
    }
    const bool columns = m_style == Style::Columns;
    switch (kind) {
    case 2:
        if (columns)
            return pick(0, 3) != 0 ? token() : token() + QString::number(pick(0, 9));
        return pick(0, 1) ? token() + token() : token() + QString::number(pick(0, 9));
    case 3:
        if (columns)
            return u'(' + tricky(depth + 1) + u')';
        return u'(' + blank() + tricky(depth + 1) + blank() + u')';
    case 4:
        if (columns)
            return QStringLiteral("-") + tricky(depth + 1);
        return QStringLiteral("-") + blank() + tricky(depth + 1);
    default:
        if (columns)
            return tricky(depth + 1) + QLatin1String(ops[pick(0, 4)]) + tricky(depth + 1);
        return tricky(depth + 1) + blank() + QLatin1String(ops[pick(0, 4)]) + blank() + tricky(depth + 1);
    }
}

QString FormulaMaker::grammar(int depth)
{
    static const char* const binary[] = {"+",  "-",   "*",   "/", "%", "**", "<",  ">",  "<=",  ">=", "==",
                                         "!=", "===", "!==", "&", "|", "^",  "<<", ">>", ">>>", "&&", "||"};
    static const char* const unary[] = {"-", "+", "!", "~"};
    static const char* const functions[] = {
        "abs",  "acos", "acosh", "asin",  "asinh",  "atan",  "atan2", "atanh", "cbrt",  "ceil",  "clz32", "cos",
        "cosh", "exp",  "expm1", "floor", "fround", "hypot", "imul",  "log",   "log10", "log1p", "log2",  "max",
        "min",  "pow",  "round", "sign",  "sin",    "sinh",  "sqrt",  "tan",   "tanh",  "trunc"};
    static const char* const constants[] = {"E", "LN10", "LN2", "LOG10E", "LOG2E", "PI", "SQRT1_2", "SQRT2"};
    static const char* const specials[] = {
        "0.5",  "-0.5",       "2.5",        "-2.5",        "1.5",   "0.49999999999999994",
        "1e21", "4294967296", "2147483648", "-2147483649", "1/0",   "-1/0",
        "0/0",  "-0",         "0x1F",       "0o17",        "0b101", "010",
        "08",   "1e-7"};
    const int kind = depth > 3 ? pick(0, 3) : pick(0, 12);
    const auto operand = [&] { return grammar(depth + 1); };
    switch (kind) {
    case 0:
        return token();
    case 1:
        return literal();
    case 2:
        return QString::fromLatin1(specials[pick(0, static_cast<int>(std::size(specials)) - 1)]);
    case 3:
        return QStringLiteral("Math.") +
               QString::fromLatin1(constants[pick(0, static_cast<int>(std::size(constants)) - 1)]);
    case 4:
        return u'(' + operand() + u')';
    case 5: {
        // A sign before "**" needs parentheses.
        const QString op = QString::fromLatin1(unary[pick(0, 3)]);
        return u'(' + op + blank() + operand() + u')';
    }
    case 6: {
        QString call = QStringLiteral("Math.") +
                       QString::fromLatin1(functions[pick(0, static_cast<int>(std::size(functions)) - 1)]) + u'(';
        const QString name = call.mid(5, call.size() - 6);
        const bool variadic =
            name == QLatin1String("max") || name == QLatin1String("min") || name == QLatin1String("hypot");
        const bool two =
            name == QLatin1String("atan2") || name == QLatin1String("imul") || name == QLatin1String("pow");
        const int arguments = variadic ? pick(0, 3) : two ? 2 : 1;
        for (int i = 0; i < arguments; ++i)
            call += (i > 0 ? QStringLiteral(",") + blank() : QString()) + operand();
        return call + u')';
    }
    case 7:
        return u'(' + operand() + blank() + u'?' + blank() + operand() + blank() + u':' + blank() + operand() + u')';
    case 8:
        return QStringLiteral("1/(") + operand() + u')';
    default: {
        const QString op = QString::fromLatin1(binary[pick(0, static_cast<int>(std::size(binary)) - 1)]);
        // Operands in parentheses where a sign could meet "**" or another sign.
        return u'(' + operand() + u')' + blank() + op + blank() + u'(' + operand() + u')';
    }
    }
}

WorkingValues FormulaMaker::values(bool unusual)
{
    WorkingValues v{};
    for (int& x : v)
        x = unusual ? pick(-12, 12) : pick(0, 9);
    return v;
}

} // namespace tandor28::testsupport
