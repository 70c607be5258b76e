#pragma once

#include "plans/planrules.h" // WorkingValues

#include <QString>

#include <cstdint>
#include <random>

// Random formulas for the tests that hold the fast formula paths against the JavaScript engine.
namespace tandor28::testsupport {

class FormulaMaker
{
public:
    // How tricky() writes. Columns: formulas as the column path meets them, with decimal literals
    // and now and then a token with a digit glued on. Engine: also blanks, two tokens glued together
    // and literals with leading zeros, to catch every difference in reading a formula.
    enum class Style
    {
        Columns,
        Engine,
    };

    FormulaMaker(std::uint64_t seed, Style style) : m_rng(seed), m_style(style) {}

    int pick(int lo, int hi) { return lo + static_cast<int>(m_rng() % static_cast<std::uint64_t>(hi - lo + 1)); }

    QString token() { return QStringLiteral("[%1]").arg(pick(1, 18)); }
    // Three or four tokens joined by operators, as the random algorithm writes them.
    QString searchFormula(bool mixed);
    QString literal();
    // Arithmetic with parentheses, unary signs, % and literals, sometimes with glued tokens.
    QString tricky(int depth);
    // The whole formula language: also comparisons, logical and bitwise operators, "?:", "**", "!",
    // "~", and Math's functions (Math.random aside) and constants, with tricky operands.
    QString grammar(int depth);
    // Working values 0..9, or -12..12 when `unusual`.
    WorkingValues values(bool unusual);

private:
    // A blank now and then, where the engine style spaces its formulas.
    QString blank();

    std::mt19937_64 m_rng;
    Style m_style;
};

} // namespace tandor28::testsupport
