#include "columnformula.h"

#include "jsnumber.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tandor28 {

namespace {

// The column loops are compiled twice where the compiler can choose at run time: for AVX2 (four
// doubles a step) and for the baseline (two). Both give the same IEEE results; no fused
// multiply-add is enabled.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__)
#define TANDOR28_COLUMN_TARGETS [[gnu::target_clones("avx2", "default")]]
#else
#define TANDOR28_COLUMN_TARGETS
#endif

// The loops below take distinct input and output columns (an operation never writes a column it
// reads), so the compiler vectorises them without run-time overlap checks.

inline void fillColumn(double value, double* __restrict out, int rows)
{
    for (int r = 0; r < rows; ++r)
        out[r] = value;
}

inline void negateColumn(const double* __restrict a, double* __restrict out, int rows)
{
    for (int r = 0; r < rows; ++r)
        out[r] = -a[r];
}

inline void addColumns(const double* __restrict a, const double* __restrict b, double* __restrict out, int rows)
{
    for (int r = 0; r < rows; ++r)
        out[r] = a[r] + b[r];
}

inline void subtractColumns(const double* __restrict a, const double* __restrict b, double* __restrict out, int rows)
{
    for (int r = 0; r < rows; ++r)
        out[r] = a[r] - b[r];
}

inline void divideColumns(const double* __restrict a, const double* __restrict b, double* __restrict out, int rows)
{
    for (int r = 0; r < rows; ++r)
        out[r] = a[r] / b[r];
}

inline void remainderColumns(const double* __restrict a, const double* __restrict b, double* __restrict out, int rows)
{
    for (int r = 0; r < rows; ++r)
        out[r] = std::fmod(a[r], b[r]);
}

// A negative value the engine holds as a 32-bit integer. Values out of range and NaN are kept away
// from the conversion.
inline bool isNegativeEngineInteger(double x)
{
    const double inRange = (x < 0) & (x >= -2147483648.0) ? x : -1.5;
    return static_cast<double>(static_cast<std::int32_t>(inRange)) == x;
}

inline bool isPositiveZero(double x)
{
    return (x == 0) & (std::copysign(1.0, x) > 0);
}

// The engine multiplies two 32-bit integers as integers, so a zero product of such operands is +0
// where IEEE arithmetic gives -0: that is +0 times a negative integer, in either order (-0 itself is
// not such an integer). Only a column that holds a -0 product is looked at again. Bitwise rather
// than short-circuit operators keep the loops free of branches.
inline void multiplyColumns(const double* __restrict a, const double* __restrict b, double* __restrict out, int rows)
{
    int negativeZero = 0;
    for (int r = 0; r < rows; ++r) {
        const double product = a[r] * b[r];
        out[r] = product;
        if ((product == 0) & (std::copysign(1.0, product) < 0))
            negativeZero = 1;
    }
    if (negativeZero == 0)
        return;
    for (int r = 0; r < rows; ++r) {
        const bool integerZero = (isPositiveZero(a[r]) & isNegativeEngineInteger(b[r])) |
                                 (isPositiveZero(b[r]) & isNegativeEngineInteger(a[r]));
        out[r] = integerZero ? 0.0 : out[r];
    }
}

} // namespace

ColumnView ColumnView::slice(int first, int count) const
{
    ColumnView part;
    part.rows = std::clamp(count, 0, std::max(rows - first, 0));
    for (std::size_t s = 0; s < slotColumns.size(); ++s)
        part.slotColumns[s] = slotColumns[s] ? slotColumns[s] + first : nullptr;
    return part;
}

WorkingValues FormulaColumns::rowValues(int row) const
{
    WorkingValues values{};
    for (std::size_t s = 0; s < values.size(); ++s)
        values[s] = static_cast<int>(view.slotColumns[s][row]);
    return values;
}

namespace {

// Fills the three digit arrays from `count` draws and points the eighteen slotColumns at them: slot 3j + m
// of row r reads digit m of draw r + j.
FormulaColumns columnsFromDigits(std::array<std::vector<double>, 3> digits, int rows, int firstPosition)
{
    FormulaColumns columns;
    columns.digits = std::move(digits);
    columns.firstPosition = firstPosition;
    columns.view.rows = std::max(rows, 0);
    for (std::size_t j = 0; j < 6; ++j) {
        for (std::size_t m = 0; m < 3; ++m)
            columns.view.slotColumns[3 * j + m] = columns.digits[m].data() + j;
    }
    for (std::size_t m = 0; m < 3; ++m) {
        const std::vector<double>& digit = columns.digits[m];
        for (std::size_t i = 0; i < digit.size(); ++i) {
            if (digit[i] < 0) {
                // Draw i is read by rows i - 5 .. i, as slot 3j + m for j = i - row.
                for (std::size_t j = 0; j < 6; ++j) {
                    if (i >= j && static_cast<int>(i - j) < columns.view.rows)
                        columns.negativeSlots |= 1u << (3 * j + m);
                }
            }
        }
    }
    return columns;
}

} // namespace

FormulaColumns historyColumns(const DrawHistory& history, int firstPosition, int rows)
{
    rows = std::max(rows, 0);
    // Row r reads the draws at positions firstPosition + r + 1 .. firstPosition + r + 6.
    const int draws = rows > 0 ? rows + 5 : 0;
    std::array<std::vector<double>, 3> digits;
    for (std::vector<double>& digit : digits)
        digit.resize(static_cast<std::size_t>(draws));
    for (int i = 0; i < draws; ++i) {
        const Draw& draw = history.at(firstPosition + 1 + i);
        digits[0][static_cast<std::size_t>(i)] = draw.d1;
        digits[1][static_cast<std::size_t>(i)] = draw.d2;
        digits[2][static_cast<std::size_t>(i)] = draw.d3;
    }
    return columnsFromDigits(std::move(digits), rows, firstPosition);
}

FormulaColumns seriesColumns(const std::vector<Draw>& newestFirst)
{
    const int size = static_cast<int>(newestFirst.size());
    std::array<std::vector<double>, 3> digits;
    for (std::vector<double>& digit : digits)
        digit.resize(newestFirst.size());
    for (std::size_t i = 0; i < newestFirst.size(); ++i) {
        digits[0][i] = newestFirst[i].d1;
        digits[1][i] = newestFirst[i].d2;
        digits[2][i] = newestFirst[i].d3;
    }
    return columnsFromDigits(std::move(digits), std::max(size - 5, 0), 0);
}

namespace {

// Runs the program over the columns. Each stack level owns two columns of `buffers` (2 × depth ×
// rows doubles); an operation writes into the one of its level that none of its operands occupies,
// so inputs and output never overlap and memory stays bounded by the depth, not the length, of the
// formula. Slot reads point at the working-value columns themselves. Returns the result column.
TANDOR28_COLUMN_TARGETS
const double* runProgram(const ArithmeticProgram::Op* ops, std::size_t opCount, const ColumnView& columns,
                         double* buffers, const double** stack)
{
    const auto rows = static_cast<std::size_t>(columns.rows);
    const int count = columns.rows;
    // The free column of `level`: the one its current entry does not occupy.
    const auto freeColumn = [&](int level) {
        double* first = buffers + 2 * static_cast<std::size_t>(level) * rows;
        return stack[level] == first ? first + rows : first;
    };
    int top = -1;
    for (std::size_t i = 0; i < opCount; ++i) {
        const ArithmeticProgram::Op& op = ops[i];
        switch (op.kind) {
        case ArithmeticProgram::OpKind::Constant: {
            ++top;
            double* out = buffers + 2 * static_cast<std::size_t>(top) * rows;
            fillColumn(op.value, out, count);
            stack[top] = out;
            break;
        }
        case ArithmeticProgram::OpKind::Slot:
            stack[++top] = columns.slotColumns[op.slot];
            break;
        case ArithmeticProgram::OpKind::Negate: {
            double* out = freeColumn(top);
            negateColumn(stack[top], out, count);
            stack[top] = out;
            break;
        }
        case ArithmeticProgram::OpKind::Add: {
            double* out = freeColumn(top - 1);
            addColumns(stack[top - 1], stack[top], out, count);
            stack[--top] = out;
            break;
        }
        case ArithmeticProgram::OpKind::Subtract: {
            double* out = freeColumn(top - 1);
            subtractColumns(stack[top - 1], stack[top], out, count);
            stack[--top] = out;
            break;
        }
        case ArithmeticProgram::OpKind::Multiply: {
            double* out = freeColumn(top - 1);
            multiplyColumns(stack[top - 1], stack[top], out, count);
            stack[--top] = out;
            break;
        }
        case ArithmeticProgram::OpKind::Divide: {
            double* out = freeColumn(top - 1);
            divideColumns(stack[top - 1], stack[top], out, count);
            stack[--top] = out;
            break;
        }
        case ArithmeticProgram::OpKind::Remainder: {
            double* out = freeColumn(top - 1);
            remainderColumns(stack[top - 1], stack[top], out, count);
            stack[--top] = out;
            break;
        }
        default:
            // Only pure arithmetic comes here (ArithmeticProgram::arithmeticOnly).
            break;
        }
    }
    return stack[0];
}

constexpr int kRedoDigit = -1;

// The digit rule for integer parts below 2^31: the last digit of t is t - 10 * trunc(t * 0.1), exact
// in doubles at that size. NaN, the infinities and zero give 0 too. Tiny values (exponent form) and
// huge ones are marked kRedoDigit. Returns the smallest digit written. The loops are shaped so that
// both targets vectorise them: selects between doubles, then one conversion to int.
TANDOR28_COLUMN_TARGETS
int fastDigits(const double* __restrict v, int* __restrict digits, int rows)
{
    constexpr double kLargest = std::numeric_limits<double>::max();
    constexpr int kChunk = 256;
    double chunk[kChunk];
    int smallest = 0;
    for (int first = 0; first < rows; first += kChunk) {
        const int count = std::min(kChunk, rows - first);
        const double* __restrict in = v + first;
        for (int r = 0; r < count; ++r) {
            const double magnitude = std::fabs(in[r]);
            const double other = (magnitude != 0) & (magnitude <= kLargest) ? static_cast<double>(kRedoDigit) : 0.0;
            const double clipped = (magnitude >= 1e-6) & (magnitude < 2147483648.0) ? magnitude : other;
            const double integer = static_cast<double>(static_cast<std::int32_t>(clipped));
            const double tens = static_cast<double>(static_cast<std::int32_t>(integer * 0.1));
            chunk[r] = integer - 10.0 * tens;
        }
        int* __restrict out = digits + first;
        for (int r = 0; r < count; ++r) {
            const int digit = static_cast<std::int32_t>(chunk[r]);
            out[r] = digit;
            smallest = digit < smallest ? digit : smallest;
        }
    }
    return smallest;
}

} // namespace

std::span<const double> ColumnScratch::values(const ArithmeticProgram& program, const ColumnView& columns)
{
    const int rows = columns.rows;
    if (rows <= 0 || program.ops.empty())
        return {};
    const auto stride = static_cast<std::size_t>(rows);
    const auto depth = static_cast<std::size_t>(std::max(program.maxDepth, 1));
    if (m_buffers.size() < 2 * depth * stride)
        m_buffers.resize(2 * depth * stride);
    if (m_stack.size() < depth)
        m_stack.resize(depth);
    return {runProgram(program.ops.data(), program.ops.size(), columns, m_buffers.data(), m_stack.data()), stride};
}

void columnDigits(std::span<const double> values, int* out)
{
    const int rows = static_cast<int>(values.size());
    if (fastDigits(values.data(), out, rows) != kRedoDigit)
        return;
    for (int r = 0; r < rows; ++r) {
        if (out[r] == kRedoDigit)
            out[r] = jsNumberDigit(values[static_cast<std::size_t>(r)]);
    }
}

namespace {

TANDOR28_COLUMN_TARGETS
int countMissesLoop(const std::uint32_t* __restrict hitMasks, const int* __restrict numbers, int rows)
{
    int misses = 0;
    for (int r = 0; r < rows; ++r)
        misses += static_cast<int>(((hitMasks[r] >> static_cast<std::uint32_t>(numbers[r])) & 1u) ^ 1u);
    return misses;
}

} // namespace

int countMisses(const std::uint32_t* hitMasks, const int* numbers, int rows)
{
    return countMissesLoop(hitMasks, numbers, rows);
}

void programDigits(ColumnScratch& scratch, const ArithmeticProgram& program, const ColumnView& columns, int* out)
{
    if (program.ops.empty()) {
        std::fill(out, out + std::max(columns.rows, 0), 0);
        return;
    }
    // Long series go in blocks, so the columns of one block stay in the first-level cache.
    constexpr int kBlockRows = 512;
    if (columns.rows <= kBlockRows) {
        columnDigits(scratch.values(program, columns), out);
        return;
    }
    for (int first = 0; first < columns.rows; first += kBlockRows)
        columnDigits(scratch.values(program, columns.slice(first, kBlockRows)), out + first);
}

void columnFormulaDigits(ColumnScratch& scratch, FormulaEvaluator& rowPath, const CompiledFormula& formula,
                         const FormulaColumns& columns, int* out)
{
    const int rows = columns.rows();
    if (formula.mode == CompiledFormula::Mode::Empty) {
        std::fill(out, out + rows, 0);
        return;
    }
    if (formula.mode != CompiledFormula::Mode::Program || !formula.program.arithmeticOnly) {
        for (int r = 0; r < rows; ++r)
            out[r] = rowPath.digit(formula, columns.rowValues(r));
        return;
    }
    programDigits(scratch, formula.program, columns.view, out);
    if ((columns.negativeSlots & formula.slotMask) == 0)
        return;
    // A negative value written into the text can merge with a minus before it ("4--3"): those rows
    // take the row path, which reads the substituted text.
    for (int r = 0; r < rows; ++r) {
        for (std::size_t s = 0; s < columns.view.slotColumns.size(); ++s) {
            if ((formula.slotMask & (1u << s)) && columns.view.slotColumns[s][r] < 0) {
                out[r] = rowPath.digit(formula, columns.rowValues(r));
                break;
            }
        }
    }
}

void columnCustomNumbers(ColumnScratch& scratch, FormulaEvaluator& rowPath,
                         const std::array<const CompiledFormula*, 3>& formulas, const FormulaColumns& columns, int* out)
{
    const int rows = columns.rows();
    std::fill(out, out + rows, 0);
    std::vector<int> digits(static_cast<std::size_t>(rows));
    for (const CompiledFormula* formula : formulas) {
        columnFormulaDigits(scratch, rowPath, *formula, columns, digits.data());
        for (int r = 0; r < rows; ++r)
            out[r] += digits[static_cast<std::size_t>(r)];
    }
}

std::vector<int> formulaDigitsOverSeries(const CompiledFormula& formula, const std::vector<Draw>& newestFirst)
{
    const FormulaColumns columns = seriesColumns(newestFirst);
    std::vector<int> digits(static_cast<std::size_t>(columns.rows()));
    ColumnScratch scratch;
    FormulaEvaluator rowPath;
    columnFormulaDigits(scratch, rowPath, formula, columns, digits.data());
    return digits;
}

} // namespace tandor28
