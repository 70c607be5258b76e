// The fast path and the JavaScript engine must agree on every formula: same digit, and where the fast
// path computes a number, the same value text.
#include "custom/formula.h"
#include "custom/jsnumber.h"

#include <QTest>

#include <random>

using namespace tandor28;

namespace {

class FormulaMaker
{
public:
    explicit FormulaMaker(std::uint64_t seed) : m_rng(seed) {}

    int pick(int lo, int hi) { return lo + static_cast<int>(m_rng() % static_cast<std::uint64_t>(hi - lo + 1)); }

    QString token() { return QStringLiteral("[%1]").arg(pick(1, 18)); }

    // Three or four tokens joined by operators, as the random algorithm writes them.
    QString searchFormula(bool mixed)
    {
        static const char* const ops[] = {"+", "-", "*", "/"};
        const int length = pick(1, 4) == 4 ? 4 : 3;
        QString text = token();
        for (int i = 1; i < length; ++i)
            text += QLatin1String(mixed ? ops[pick(0, 3)] : "+") + token();
        return text;
    }

    QString literal()
    {
        static const char* const literals[] = {"0",
                                               "1",
                                               "7",
                                               "10",
                                               "0.5",
                                               ".25",
                                               "3.",
                                               "1e21",
                                               "1e20",
                                               "1e-7",
                                               "1e-6",
                                               "2e+3",
                                               "5E-1",
                                               "123456789012",
                                               "1e308",
                                               "1e309",
                                               "0.1",
                                               "4.35",
                                               "1e-300",
                                               "9007199254740993",
                                               "0e5",
                                               "2.5e-7",
                                               "999999999999999999999",
                                               "12345678901234567890",
                                               "05",
                                               "010",
                                               "00",
                                               "08",
                                               "019",
                                               "0777",
                                               "08.5",
                                               "009e1",
                                               "07.5"};
        return QString::fromLatin1(literals[pick(0, static_cast<int>(std::size(literals)) - 1)]);
    }

    QString blank() { return pick(0, 5) == 0 ? QStringLiteral(" ") : QString(); }

    // Random arithmetic with parentheses, unary signs, % and literals, sometimes with glued tokens.
    QString tricky(int depth)
    {
        const int kind = depth > 3 ? pick(0, 2) : pick(0, 8);
        switch (kind) {
        case 0:
            return token();
        case 1:
            return literal();
        case 2:
            return pick(0, 1) ? token() + token() : token() + QString::number(pick(0, 9));
        case 3:
            return u'(' + blank() + tricky(depth + 1) + blank() + u')';
        case 4:
            return QStringLiteral("-") + blank() + tricky(depth + 1);
        case 5:
            return QStringLiteral("+") + tricky(depth + 1);
        default: {
            static const char* const ops[] = {"+", "-", "*", "/", "%"};
            return tricky(depth + 1) + blank() + QLatin1String(ops[pick(0, 4)]) + blank() + tricky(depth + 1);
        }
        }
    }

    WorkingValues values(bool unusual)
    {
        WorkingValues v{};
        for (int& x : v)
            x = unusual ? pick(-12, 12) : pick(0, 9);
        return v;
    }

private:
    std::mt19937_64 m_rng;
};

struct Agreement
{
    int formulas = 0;
    int fastPathNumbers = 0;
};

void compareOne(FormulaEvaluator& evaluator, const QString& formula, const WorkingValues& values, Agreement& tally)
{
    const QString substituted = substituteWorkingValues(formula, values);
    const QString engineText = evaluator.evaluateWithEngine(substituted);
    const FormulaValue fast = evaluator.evaluate(compileFormula(formula), values);
    const int fastDigit = evaluator.digit(compileFormula(formula), values);
    const int engineDigit = lastDigitOfLeadingInteger(engineText);
    if (fastDigit != engineDigit || fast.digit() != engineDigit) {
        QFAIL(qPrintable(QStringLiteral("digit differs for %1 (= %2): fast %3, engine %4 (%5)")
                             .arg(formula, substituted)
                             .arg(fastDigit)
                             .arg(engineDigit)
                             .arg(engineText)));
    }
    if (fast.kind == FormulaValue::Kind::Number) {
        ++tally.fastPathNumbers;
        if (fast.valueText() != engineText) {
            QFAIL(qPrintable(QStringLiteral("text differs for %1: fast %2, engine %3")
                                 .arg(substituted, fast.valueText(), engineText)));
        }
    } else if (fast.valueText() != engineText) {
        QFAIL(qPrintable(
            QStringLiteral("text differs for %1: fast %2, engine %3").arg(substituted, fast.valueText(), engineText)));
    }
    ++tally.formulas;
}

} // namespace

class TestFormulaDiff : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void randomFormulas_data();
    void randomFormulas();
    void handMade_data();
    void handMade();
};

void TestFormulaDiff::randomFormulas_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("unusualValues");
    QTest::newRow("mixed mode") << 0 << 2500 << false;
    QTest::newRow("simple mode") << 1 << 1000 << false;
    QTest::newRow("tricky arithmetic") << 2 << 2500 << false;
    QTest::newRow("tricky arithmetic, negative and two-digit values") << 2 << 1000 << true;
    QTest::newRow("mixed mode, negative and two-digit values") << 0 << 500 << true;
}

void TestFormulaDiff::randomFormulas()
{
    QFETCH(int, kind);
    QFETCH(int, count);
    QFETCH(bool, unusualValues);
    FormulaMaker maker(0x5eed0000u + static_cast<unsigned>(kind) * 7919u + (unusualValues ? 1u : 0u));
    FormulaEvaluator evaluator;
    Agreement tally;
    for (int i = 0; i < count; ++i) {
        const QString formula = kind == 0   ? maker.searchFormula(true)
                                : kind == 1 ? maker.searchFormula(false)
                                            : maker.tricky(0);
        compareOne(evaluator, formula, maker.values(unusualValues), tally);
        if (QTest::currentTestFailed())
            return;
    }
    QCOMPARE(tally.formulas, count);
    // The fast path must really carry the arithmetic, not hand it all to the engine.
    QVERIFY2(tally.fastPathNumbers * 2 > count, qPrintable(QString::number(tally.fastPathNumbers)));
}

void TestFormulaDiff::handMade_data()
{
    QTest::addColumn<QString>("formula");
    const char* const formulas[] = {
        "[1]+[8]+[9]+[12]/[8]*[6]",
        "[1]*[9]+[5]/[2]+[10]",
        "",
        "   ",
        "[1]+",
        "(([1]+[2])*([3]-[4]))/([5]%[6])",
        "-[1]",
        "- -[1]",
        "-(-[1])",
        "+-[1]",
        "[1]- -[2]",
        "[1]--[2]",
        "[1]++[2]",
        "[1]+ +[2]",
        "[1]**2",
        "[1][2]",
        "[1]0",
        "[1][2][3]",
        "[1].5",
        "[1]e2",
        "2e+[1]",
        "[1]/0",
        "-[1]/0",
        "0/0",
        "[1]%0",
        "-[1]%[2]",
        "[1]%-[2]",
        "5.5%2",
        "1e21",
        "1e20*10",
        "999999999999999999999",
        "1e21-1",
        "1/10000000",
        "-1/10000000",
        "1/1000000",
        "0.000001",
        "0.0000001",
        "123456789*1000",
        "2147483647+1",
        "-2147483649",
        "4294967296*10+7",
        "1e308*10",
        "-1e308*10",
        "05",
        "00",
        "010",
        "08",
        "019",
        "0009",
        "08.25e1",
        "07.5",
        "07e1",
        "08e",
        "0[1]",
        "0[1][2]",
        "[1]0[2]",
        "01234567*[1]",
        "[01]+[1]",
        "(010)",
        "-010",
        "Math.max(010,[1])",
        "[1]?010:08",
        "[1][2]?[3]:[4]",
        "0.5",
        "00.5",
        "[17]0",
        "1..5",
        "5.5.5",
        "1e",
        ".",
        "()",
        "(1",
        "1)",
        "1 2",
        "1 (2)",
        "(1)(2)",
        "[1] [2]",
        "[19]",
        "[0]+1",
        "[01]",
        "[ 1]",
        "[1]//comment",
        "[1]/*x*/+1",
        "/1/",
        "1+/2/",
        "[1]/ /2/",
        "4\t+5",
        "4\n5",
        "4;5",
        "Math.floor([12]/[2])",
        "0x10+[1]",
        "1_0",
        "[1]<[2]",
        "'3'+[1]",
        "[1]+'3'",
        "NaN",
        "Infinity",
        "-Infinity+1",
        "(function(){return [3]*7;})()",
        "[1]*0*-1",
        "1/([1]*0*-1)",
        "1/(0*-1.5)",
        "1/(-0*1)",
        "1/(-[1]*0)",
        "((((((((((1))))))))))",
        "3 % 2 * 4",
        "-3 % 2",
        "1e-7*3",
        "-0.0000005",
    };
    for (const char* formula : formulas) {
        const QString text = QString::fromLatin1(formula);
        QString name = text;
        name.replace(u'\n', QStringLiteral("\\n")).replace(u'\t', QStringLiteral("\\t"));
        QTest::newRow(qPrintable(name.isEmpty() ? QStringLiteral("(empty)") : name)) << text;
    }
}

void TestFormulaDiff::handMade()
{
    QFETCH(QString, formula);
    FormulaEvaluator evaluator;
    Agreement tally;
    FormulaMaker maker(42);
    const WorkingValues example = {4, 5, 8, 6, 2, 6, 7, 8, 1, 6, 7, 9, 2, 9, 7, 6, 1, 1};
    WorkingValues zeros{};
    compareOne(evaluator, formula, example, tally);
    compareOne(evaluator, formula, zeros, tally);
    for (int i = 0; i < 5 && !QTest::currentTestFailed(); ++i)
        compareOne(evaluator, formula, maker.values(i % 2 == 1), tally);
}

QTEST_GUILESS_MAIN(TestFormulaDiff)
#include "tst_formuladiff.moc"
