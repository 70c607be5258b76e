#pragma once

#include <QString>

#include <cstdint>
#include <vector>

namespace tandor28 {

// A compiled arithmetic expression: numbers, working-value slots, + - * / %, unary signs and
// parentheses, in postfix order. Evaluating it is IEEE double arithmetic exactly as a JavaScript
// engine computes the same text.
struct ArithmeticProgram
{
    enum class OpKind : std::uint8_t
    {
        Constant,
        Slot, // working value 1..18, stored 0-based
        Negate,
        Add,
        Subtract,
        Multiply,
        Divide,
        Remainder,
    };
    struct Op
    {
        OpKind kind = OpKind::Constant;
        std::uint8_t slot = 0;
        double value = 0;
    };
    std::vector<Op> ops;
    int maxDepth = 0;
    std::uint32_t slotMask = 0; // bit s set when slot s (0-based) is read
};

enum class ArithmeticStatus
{
    Program,       // pure arithmetic, compiled
    Empty,         // nothing but blanks: the engine returns no value
    Invalid,       // arithmetic tokens that the engine rejects (a syntax error, "4 5", "07.5")
    NotArithmetic, // anything else: only the engine can tell
    Glued,         // a slot written against a number or another slot ("[1][2]", "[1]0"): its
                   // meaning depends on the substituted text, so it is compiled per row
};

struct ArithmeticCompilation
{
    ArithmeticStatus status = ArithmeticStatus::NotArithmetic;
    ArithmeticProgram program;
};

// Compiles `text`. With `withSlots` the tokens "[1]".."[18]" are read as slots, so one compilation
// serves every row; without it the text is taken as already substituted.
[[nodiscard]] ArithmeticCompilation compileArithmetic(QStringView text, bool withSlots);

// Evaluates a compiled program over the working values (indexed 0..17).
[[nodiscard]] double evaluateArithmetic(const ArithmeticProgram& program, const int* values);

} // namespace tandor28
