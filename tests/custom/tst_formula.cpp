#include "custom/expressionengine.h"
#include "custom/formula.h"
#include "custom/jsnumber.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace tandor28;

namespace {

// The six draws of the instruction text's example, newest first.
DrawHistory exampleHistory()
{
    const int digits[6][3] = {{4, 5, 8}, {6, 2, 6}, {7, 8, 1}, {6, 7, 9}, {2, 9, 7}, {6, 1, 1}};
    std::vector<Draw> draws;
    for (int i = 0; i < 6; ++i) {
        draws.push_back(makeDraw(QString::number(1000 - i), QStringLiteral("12:00"), QString::number(digits[i][0]),
                                 QString::number(digits[i][1]), QString::number(digits[i][2])));
    }
    return DrawHistory(std::move(draws));
}

WorkingValues exampleValues()
{
    return fillCustomWorkingValues(exampleHistory(), 0);
}

} // namespace

class TestFormula : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void workingValuesFollowTheDraws();
    void workingValuesOfALaterPosition();
    void substitution_data();
    void substitution();
    void workedExample_data();
    void workedExample();
    void customNumberOfTheExample();
    void digitOfValueText_data();
    void digitOfValueText();
    void jsNumberText_data();
    void jsNumberText();
    void runawayFormulaIsRejected();
    void slowFormulaIsRejectedAfterItsBudget_data();
    void slowFormulaIsRejectedAfterItsBudget();
    void engineOffersNoHost_data();
    void engineOffersNoHost();
    void hugeInputIsRejected();
    void customNumberStaysInRange_data();
    void customNumberStaysInRange();
    void helpText();
};

void TestFormula::workingValuesFollowTheDraws()
{
    const WorkingValues values = exampleValues();
    const WorkingValues expected = {4, 5, 8, 6, 2, 6, 7, 8, 1, 6, 7, 9, 2, 9, 7, 6, 1, 1};
    QCOMPARE(values, expected);
}

void TestFormula::workingValuesOfALaterPosition()
{
    // For position 1 the slots start at position 2; the seventh draw is beyond the history: zeros.
    const WorkingValues values = fillCustomWorkingValues(exampleHistory(), 1);
    const WorkingValues expected = {6, 2, 6, 7, 8, 1, 6, 7, 9, 2, 9, 7, 6, 1, 1, 0, 0, 0};
    QCOMPARE(values, expected);
}

void TestFormula::substitution_data()
{
    QTest::addColumn<QString>("formula");
    QTest::addColumn<QString>("expected");
    QTest::newRow("default first") << "[1]+[8]+[9]+[12]/[8]*[6]"
                                   << "4+8+1+9/8*6";
    QTest::newRow("twelve is not one then 2]") << "[12]"
                                               << "9";
    QTest::newRow("eighteen") << "[18]*[10]"
                              << "1*6";
    QTest::newRow("nineteen kept") << "[19]+[1]"
                                   << "[19]+4";
    QTest::newRow("zero kept") << "[0]"
                               << "[0]";
    QTest::newRow("leading zero kept") << "[01]"
                                       << "[01]";
    QTest::newRow("blank inside kept") << "[ 1]"
                                       << "[ 1]";
    QTest::newRow("glued tokens") << "[1][2]"
                                  << "45";
    QTest::newRow("token then digit") << "[1]0"
                                      << "40";
    QTest::newRow("blanks and text kept") << " [3] x ( [4] ) "
                                          << " 8 x ( 6 ) ";
    QTest::newRow("nested bracket forms a later token") << "[[1]]"
                                                        << "6";
    QTest::newRow("value closes into token 14") << "[1[1]]"
                                                << "9";
    QTest::newRow("earlier token formed stays") << "[[5]]"
                                                << "[2]";
    QTest::newRow("twice nested") << "[[[1]]]"
                                  << "6";
    QTest::newRow("empty") << ""
                           << "";
}

void TestFormula::substitution()
{
    QFETCH(QString, formula);
    QFETCH(QString, expected);
    QCOMPARE(substituteWorkingValues(formula, exampleValues()), expected);
}

void TestFormula::workedExample_data()
{
    QTest::addColumn<QString>("formula");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("digit");
    QTest::newRow("first default box") << "[1]+[8]+[9]+[12]/[8]*[6]"
                                       << "19.75" << 9;
    QTest::newRow("second default box, empty") << ""
                                               << "" << 0;
    QTest::newRow("third default box") << "[1]*[9]+[5]/[2]+[10]"
                                       << "10.4" << 0;
    QTest::newRow("negative result") << "-3.5"
                                     << "-3.5" << 3;
    QTest::newRow("nested bracket reads a later token") << "[[1]]+10"
                                                        << "16" << 6;
    QTest::newRow("half") << "0.5"
                          << "0.5" << 0;
    QTest::newRow("hundred twenty") << "120"
                                    << "120" << 0;
    QTest::newRow("twenty-seven") << "27"
                                  << "27" << 7;
    QTest::newRow("incomplete") << "[1]+"
                                << "" << 0;
    QTest::newRow("only blanks") << "   "
                                 << "" << 0;
    QTest::newRow("nineteen reaches the engine") << "[19]+[1]"
                                                 << "194" << 4;
    QTest::newRow("glued tokens form 45") << "[1][2]"
                                          << "45" << 5;
    QTest::newRow("glued zero is a leading zero") << "[17]0+[16]"
                                                  << "16" << 6;
    QTest::newRow("unknown name") << "foo+1"
                                  << "" << 0;
    QTest::newRow("division by zero") << "[1]/0"
                                      << "Infinity" << 0;
    QTest::newRow("zero by zero") << "0/0"
                                  << "NaN" << 0;
    QTest::newRow("tiny is exponent form") << "1/10000000"
                                           << "1e-7" << 1;
    QTest::newRow("huge is exponent form") << "[6]e21"
                                           << "6e+21" << 6;
    QTest::newRow("beyond 32 bits") << "123456789012"
                                    << "123456789012" << 2;
    QTest::newRow("negative zero") << "-0"
                                   << "0" << 0;
    QTest::newRow("remainder") << "[12]%[2]"
                               << "4" << 4;
    QTest::newRow("math object") << "Math.max([1],[3])"
                                 << "8" << 8;
    QTest::newRow("boolean") << "[1]>[2]"
                             << "false" << 0;
    QTest::newRow("string result") << "'7'+[1]"
                                   << "74" << 4;
    QTest::newRow("array literal prints its items") << "[[1],[2]]+[3]"
                                                    << "4,58" << 4;
}

void TestFormula::workedExample()
{
    QFETCH(QString, formula);
    QFETCH(QString, text);
    QFETCH(int, digit);
    FormulaEvaluator evaluator;
    const FormulaValue value = evaluator.evaluate(formula, exampleValues());
    QCOMPARE(value.valueText(), text);
    QCOMPARE(value.digit(), digit);
    QCOMPARE(formulaDigit(evaluator, formula, exampleValues()), digit);
    // The engine alone agrees.
    const QString engineText = evaluator.evaluateWithEngine(substituteWorkingValues(formula, exampleValues()));
    QCOMPARE(engineText, text);
}

void TestFormula::customNumberOfTheExample()
{
    FormulaEvaluator evaluator;
    QCOMPARE(customNumber(evaluator, QStringLiteral("[1]+[8]+[9]+[12]/[8]*[6]"), QString(),
                          QStringLiteral("[1]*[9]+[5]/[2]+[10]"), exampleValues()),
             9);
}

void TestFormula::digitOfValueText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("digit");
    QTest::newRow("fraction") << "19.75" << 9;
    QTest::newRow("negative fraction") << "-3.5" << 3;
    QTest::newRow("ten") << "10" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("NaN") << "NaN" << 0;
    QTest::newRow("minus Infinity") << "-Infinity" << 0;
    QTest::newRow("True") << "True" << 0;
    QTest::newRow("leading blanks") << "  42" << 2;
    QTest::newRow("plus sign") << "+13" << 3;
    QTest::newRow("exponent form") << "9.5e+25" << 9;
    // Beyond 32 bits the digit is read from the text as written, not from a saturated integer.
    QTest::newRow("beyond 32 bits") << "98765432101" << 1;
    QTest::newRow("beyond 64 bits") << "123456789012345680000" << 0;
}

void TestFormula::digitOfValueText()
{
    QFETCH(QString, text);
    QFETCH(int, digit);
    QCOMPARE(lastDigitOfLeadingInteger(text), digit);
}

void TestFormula::jsNumberText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("digit");
    QTest::newRow("integer") << 27.0 << "27" << 7;
    QTest::newRow("fraction") << 19.75 << "19.75" << 9;
    QTest::newRow("shortest digits") << 0.1 + 0.2 << "0.30000000000000004" << 0;
    QTest::newRow("one third") << 1.0 / 3.0 << "0.3333333333333333" << 0;
    QTest::newRow("1e-6 is decimal") << 1e-6 << "0.000001" << 0;
    QTest::newRow("below 1e-6 is exponent") << 9.999999e-7 << "9.999999e-7" << 9;
    QTest::newRow("negative tiny") << -2.5e-7 << "-2.5e-7" << 2;
    QTest::newRow("just below 1e21") << 999999999999999900000.0 << "999999999999999900000" << 0;
    QTest::newRow("1e21 is exponent") << 1e21 << "1e+21" << 1;
    QTest::newRow("above 2^53") << 9007199254740993.0 << "9007199254740992" << 2;
    QTest::newRow("big with zeros") << 12345678901234567890.0 << "12345678901234567000" << 0;
    QTest::newRow("largest") << 1.7976931348623157e308 << "1.7976931348623157e+308" << 1;
    QTest::newRow("smallest") << 5e-324 << "5e-324" << 5;
    QTest::newRow("negative zero") << -0.0 << "0" << 0;
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << "NaN" << 0;
    QTest::newRow("Infinity") << HUGE_VAL << "Infinity" << 0;
    QTest::newRow("minus Infinity") << -HUGE_VAL << "-Infinity" << 0;
}

void TestFormula::jsNumberText()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QFETCH(int, digit);
    QCOMPARE(jsNumberToString(value), text);
    QCOMPARE(jsNumberDigit(value), digit);
    QCOMPARE(lastDigitOfLeadingInteger(text), digit);
}

void TestFormula::runawayFormulaIsRejected()
{
    ExpressionEngine engine(std::chrono::milliseconds(100));
    QCOMPARE(engine.evaluate(QStringLiteral("(function(){while(1);})()")), QString());
    QVERIFY(engine.lastWasInterrupted());
    // The engine is usable again at once.
    QCOMPARE(engine.evaluate(QStringLiteral("4*1+2/5+6")), QStringLiteral("10.4"));
    QVERIFY(!engine.lastWasInterrupted());

    FormulaEvaluator evaluator;
    const QString endless = QStringLiteral("[1]+(function(){while(1);})()");
    QCOMPARE(formulaDigit(evaluator, endless, exampleValues()), 0);
    QCOMPARE(formulaDigit(evaluator, endless, exampleValues()), 0);
    QCOMPARE(formulaDigit(evaluator, QStringLiteral("[1]+1"), exampleValues()), 5);
}

void TestFormula::slowFormulaIsRejectedAfterItsBudget_data()
{
    // Each evaluation waits at least the given milliseconds, below the watchdog's limit.
    QTest::addColumn<int>("milliseconds");
    QTest::addColumn<int>("mostAnswered");
    QTest::newRow("30 ms a row") << 30 << 10;
    QTest::newRow("60 ms a row") << 60 << 5;
}

void TestFormula::slowFormulaIsRejectedAfterItsBudget()
{
    QFETCH(int, milliseconds);
    QFETCH(int, mostAnswered);
    FormulaEvaluator evaluator;
    const QString slow =
        QStringLiteral("[1]+(function(){var t=Date.now();while(Date.now()-t<%1);return 0})()").arg(milliseconds);
    int answered = 0;
    for (int row = 0; row < 3 * mostAnswered; ++row) {
        if (formulaDigit(evaluator, slow, exampleValues()) == 4)
            ++answered;
    }
    // However slow the machine, the budget is spent after this many rows; the rest count as 0.
    QVERIFY2(answered <= mostAnswered, qPrintable(QString::number(answered)));
    QCOMPARE(formulaDigit(evaluator, slow, exampleValues()), 0);
    // Other formulas of the same evaluator are not affected.
    QCOMPARE(formulaDigit(evaluator, QStringLiteral("Math.max([1],[3])"), exampleValues()), 8);
}

void TestFormula::engineOffersNoHost_data()
{
    QTest::addColumn<QString>("expression");
    QTest::newRow("no console") << "console.log(1)";
    QTest::newRow("no print") << "print(1)";
    QTest::newRow("no require") << "require('fs')";
    QTest::newRow("no XMLHttpRequest") << "new XMLHttpRequest()";
    QTest::newRow("no Qt object") << "Qt.quit()";
    QTest::newRow("no huge repeat") << "'x'.repeat(1<<30).length";
    QTest::newRow("no huge pad") << "''.padStart(1<<30).length";
    QTest::newRow("no huge buffer") << "new ArrayBuffer(1<<30).byteLength";
    QTest::newRow("no huge join") << "Array(3e8).join('xy').length";
    QTest::newRow("no huge array from") << "Array.from({length: 3e8}).length";
}

void TestFormula::engineOffersNoHost()
{
    QFETCH(QString, expression);
    ExpressionEngine engine;
    QCOMPARE(engine.evaluate(expression), QString());
}

void TestFormula::hugeInputIsRejected()
{
    ExpressionEngine engine;
    const QString huge = QStringLiteral("1") + QStringLiteral("+1").repeated(ExpressionEngine::kMaxExpressionLength);
    QCOMPARE(engine.evaluate(huge), QString());
    FormulaEvaluator evaluator;
    QCOMPARE(formulaDigit(evaluator, QStringLiteral("Math.max(") + huge + u')', exampleValues()), 0);
}

void TestFormula::customNumberStaysInRange_data()
{
    QTest::addColumn<QString>("formula");
    QTest::newRow("huge") << "[1]*1e300";
    QTest::newRow("negative") << "-[12]*[12]*[12]";
    QTest::newRow("string") << "'x'";
    QTest::newRow("nines") << "9999999999";
}

void TestFormula::customNumberStaysInRange()
{
    QFETCH(QString, formula);
    FormulaEvaluator evaluator;
    const int n = customNumber(evaluator, formula, formula, formula, exampleValues());
    QVERIFY(n >= 0 && n <= 27);
}

void TestFormula::helpText()
{
    const QStringList lines = formulaHelpText().split(QStringLiteral("\r\n"));
    // 29 lines less the contact line this program does not carry.
    QCOMPARE(lines.size(), 28);
    QCOMPARE(lines[0], QString());
    QCOMPARE(lines[1], QStringLiteral("Tandor28自定义算法说明："));
    QCOMPARE(lines[6], QStringLiteral("4 + 5 + 8 第一期开奖三个数字分别为：[1] [2] [3]"));
    QCOMPARE(lines[11], QStringLiteral("6 + 1 + 1 第六期：[16] [17] [18]"));
    QCOMPARE(lines[16], QStringLiteral("软件则为：[1]+[5]+[9]"));
    QCOMPARE(lines[21], QString(35, u'='));
    QCOMPARE(lines[24], QStringLiteral("软件开奖中不能进行搜索算法，所以开奖完再搜索"));
    QCOMPARE(lines[25], QString());
    QCOMPARE(lines[27], QString());
    QVERIFY(!formulaHelpText().contains(u'\n') || formulaHelpText().count(QStringLiteral("\r\n")) == 27);
}

QTEST_GUILESS_MAIN(TestFormula)
#include "tst_formula.moc"
