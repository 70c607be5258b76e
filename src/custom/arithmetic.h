#pragma once

#include <QString>

#include <cstdint>
#include <vector>

namespace tandor28 {

// The formula language and its compiled form.
//
// A formula, once its tokens are replaced by digits, must be an expression of this grammar (the
// same precedence and meaning as in JavaScript; blanks and tabs may stand between tokens):
//
//   expression  := logicalOr [ "?" expression ":" expression ]
//   logicalOr   := logicalAnd { "||" logicalAnd }
//   logicalAnd  := bitOr { "&&" bitOr }
//   bitOr       := bitXor { "|" bitXor }
//   bitXor      := bitAnd { "^" bitAnd }
//   bitAnd      := equality { "&" equality }
//   equality    := relational { ("==" | "!=" | "===" | "!==") relational }
//   relational  := shift { ("<" | ">" | "<=" | ">=") shift }
//   shift       := additive { ("<<" | ">>" | ">>>") additive }
//   additive    := term { ("+" | "-") term }
//   term        := power { ("*" | "/" | "%") power }
//   power       := unary | primary "**" power       (a sign before "**" needs parentheses)
//   unary       := ("+" | "-" | "!" | "~") unary | primary
//   primary     := number | "(" expression ")" | "Math." constant | "Math." function "(" [ arguments ] ")"
//   arguments   := expression { "," expression }
//   number      := decimal literal (12, 1.5, .5, 5., 1e3, 2E-7), a literal with leading zeros (octal
//                  when all its digits are 0..7: 010 is 8; decimal otherwise: 08, 019, 08.5), 0x1F,
//                  0o17, 0b101
//
// The constants of Math are E, LN10, LN2, LOG10E, LOG2E, PI, SQRT1_2 and SQRT2; its functions abs,
// acos, acosh, asin, asinh, atan, atan2, atanh, cbrt, ceil, clz32, cos, cosh, exp, expm1, floor,
// fround, hypot, imul, log, log10, log1p, log2, max, min, pow, random, round, sign, sin, sinh, sqrt,
// tan, tanh and trunc, each called with the arguments it takes (two for atan2, imul and pow, none for
// random, any number for max, min and hypot, one for the others). Nothing else is admitted: no other name, no bracket,
// no string, no assignment, "++", "--", comma outside the arguments of a call, ";", "??", comment or line break. Values
// are numbers or the booleans that comparisons and "!" give.
struct ArithmeticProgram
{
    enum class OpKind : std::uint8_t
    {
        // Pure arithmetic, which the column path evaluates too.
        Constant,
        Slot, // working value 1..18, stored 0-based
        Negate,
        Add,
        Subtract,
        Multiply,
        Divide,
        Remainder,
        // The rest of the language.
        ToNumber, // unary "+" of a value that may be a boolean
        Not,
        BitNot,
        Power,
        ShiftLeft,
        ShiftRight,
        ShiftRightUnsigned,
        Less,
        Greater,
        LessEqual,
        GreaterEqual,
        Equal,
        NotEqual,
        StrictEqual,
        StrictNotEqual,
        BitAnd,
        BitXor,
        BitOr,
        And,         // a && b: nothing in the language has a side effect, so both sides are computed
        Or,          // a || b
        Conditional, // c ? x : y
        Call,        // Math function `slot` of `arguments` values
    };
    struct Op
    {
        OpKind kind = OpKind::Constant;
        std::uint8_t slot = 0;
        double value = 0;
        std::uint16_t arguments = 0;
    };
    std::vector<Op> ops;
    int maxDepth = 0;
    std::uint32_t slotMask = 0; // bit s set when slot s (0-based) is read
    // Only the pure arithmetic kinds: evaluateArithmetic and the column path take it.
    bool arithmeticOnly = true;
};

enum class ArithmeticStatus
{
    Program, // in the language, compiled
    Empty,   // nothing but blanks: no value
    Invalid, // outside the language; `reason` says why
    Glued,   // a slot written against a number, a name or another slot ("[1][2]", "[1]0", "2e[1]"):
             // its meaning depends on the substituted text, so it is compiled per row
};

struct ArithmeticCompilation
{
    ArithmeticStatus status = ArithmeticStatus::Invalid;
    ArithmeticProgram program;
    QString reason; // for Invalid, in words for the user
};

// Longer texts are refused without being read.
inline constexpr qsizetype kMaxFormulaTextLength = 10000;
// Open parentheses and calls at once.
inline constexpr int kMaxFormulaNesting = 200;

// Compiles `text`. With `withSlots` the tokens "[1]".."[18]" are read as slots, so one compilation
// serves every row; without it the text is taken as already substituted.
[[nodiscard]] ArithmeticCompilation compileArithmetic(QStringView text, bool withSlots);

// Evaluates a program that is arithmeticOnly over the working values (indexed 0..17), with IEEE
// double arithmetic exactly as a JavaScript engine computes the same text.
[[nodiscard]] double evaluateArithmetic(const ArithmeticProgram& program, const int* values);

// A value of the language: a number, or a boolean (number 1 or 0). `integer` follows the engine's
// integer representation: it decides the sign of a zero product (+0 for two integers, as the engine
// multiplies them as integers), which shows in texts such as 1/(0*-1).
struct ProgramValue
{
    double number = 0;
    bool boolean = false;
    bool integer = false;
};

// Evaluates any program over the working values (indexed 0..17; null when it reads no slot).
[[nodiscard]] ProgramValue evaluateProgram(const ArithmeticProgram& program, const int* values);

} // namespace tandor28
