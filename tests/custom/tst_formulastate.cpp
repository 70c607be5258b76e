// A formula leaves nothing behind: the digit of a formula is the same whatever formulas the same
// evaluator ran before it. (Found by the formula fuzzer: "e++" after "e=1" gave a new digit each time.)
#include "custom/formula.h"

#include <QTest>

using namespace tandor28;

namespace {

// The working values of the instruction text's example.
const WorkingValues kValues = {4, 5, 8, 6, 2, 6, 7, 8, 1, 6, 7, 9, 2, 9, 7, 6, 1, 1};

} // namespace

class TestFormulaState : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void laterFormulaUnaffected_data();
    void laterFormulaUnaffected();
};

void TestFormulaState::laterFormulaUnaffected_data()
{
    QTest::addColumn<QString>("earlier");
    QTest::addColumn<QString>("later");
    // clang-format off
    QTest::newRow("a global set")            << "e=5"                                << "[1]+e";
    QTest::newRow("a global counted up")     << "e=1"                                << "[1][1]+e++";
    QTest::newRow("a property of the global object") << "this.e=[2]"                   << "[1]+e";
    QTest::newRow("a variable declared")     << "var x=[1]*2"                        << "x+1";
    QTest::newRow("Math changed")            << "Math.floor=function(){return 7}"    << "Math.floor([1]/3)";
    QTest::newRow("a built-in replaced")     << "parseInt=function(){return 3}"      << "parseInt([2])";
    QTest::newRow("Math.abs and Math.floor replaced") << "Math.abs=Math.floor=function(){return 7}" << "Math.abs([1]-[12])+Math.floor([3]/2)";
    QTest::newRow("Math.abs replaced by a member") << "Math.abs=Math.max" << "Math.abs(-[2])";
    // clang-format on
}

void TestFormulaState::laterFormulaUnaffected()
{
    QFETCH(QString, earlier);
    QFETCH(QString, later);
    // The earlier formula is outside the language and never runs.
    QVERIFY(formulaRefusal(earlier).has_value());
    FormulaEvaluator fresh;
    const int alone = formulaDigit(fresh, later, kValues);
    FormulaEvaluator used;
    (void)formulaDigit(used, earlier, kValues);
    QCOMPARE(formulaDigit(used, later, kValues), alone);
    // Also row after row, as a table evaluates it.
    QCOMPARE(formulaDigit(used, later, kValues), alone);
}

QTEST_GUILESS_MAIN(TestFormulaState)
#include "tst_formulastate.moc"
