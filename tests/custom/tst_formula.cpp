#include "custom/formula.h"
#include "custom/jsnumber.h"

#include "enginegate.h"
#include "expressionengine.h"

#include <QFile>
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

// The most memory the process has held so far, in kB (0 where the system does not tell).
qint64 peakMemoryKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
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
    void gluedTokensWithLeadingZero_data();
    void gluedTokensWithLeadingZero();
    void customNumberOfTheExample();
    void digitOfValueText_data();
    void digitOfValueText();
    void jsNumberText_data();
    void jsNumberText();
    void runawayFormulaIsRejected();
    void engineOffersNoHost_data();
    void engineOffersNoHost();
    void hostileFormulaGivesZero_data();
    void hostileFormulaGivesZero();
    void engineGate_data();
    void engineGate();
    void formulaCompiles_data();
    void formulaCompiles();
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
    QTest::newRow("string is not admitted") << "'7'+[1]"
                                            << "" << 0;
    QTest::newRow("comparison") << "[1]<[2]?[3]:[4]"
                                << "8" << 8;
    QTest::newRow("bitwise and logical") << "([12]^[2])|([1]&&7)"
                                         << "15" << 5;
    QTest::newRow("leading zero is decimal") << "05+[1]"
                                             << "9" << 9;
    QTest::newRow("leading zero octal") << "010"
                                        << "8" << 8;
    QTest::newRow("leading zero with 8 is decimal") << "08"
                                                    << "8" << 8;
    QTest::newRow("leading zero with 9 is decimal") << "019"
                                                    << "19" << 9;
    QTest::newRow("decimal with leading zero and fraction") << "08.5*2"
                                                            << "17" << 7;
    QTest::newRow("octal takes no fraction") << "07.5"
                                             << "" << 0;
    QTest::newRow("octal beside a token") << "011*[1]"
                                          << "36" << 6;
    QTest::newRow("octal in Math call") << "Math.max(011,[1])"
                                        << "9" << 9;
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
    // The reference engine agrees.
    ExpressionEngine engine;
    QCOMPARE(engine.evaluate(substituteWorkingValues(formula, exampleValues())), text);
}

void TestFormula::gluedTokensWithLeadingZero_data()
{
    // Working values [1], [2], [3] (the rest 0), the formula, and its value text.
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("second");
    QTest::addColumn<int>("third");
    QTest::addColumn<QString>("formula");
    QTest::addColumn<QString>("text");
    // clang-format off
    QTest::newRow("0 then 7 reads 7") << 0 << 7 << 0 << "[1][2]" << "7";
    QTest::newRow("0 then 8 reads 8") << 0 << 8 << 0 << "[1][2]" << "8";
    QTest::newRow("0 1 0 is octal 8") << 0 << 1 << 0 << "[1][2][3]" << "8";
    QTest::newRow("0 1 9 is decimal 19") << 0 << 1 << 9 << "[1][2][3]" << "19";
    QTest::newRow("0 0 reads 0") << 0 << 0 << 5 << "[1][2]+[3]" << "5";
    QTest::newRow("octal times a token") << 0 << 1 << 3 << "[1][2]0*[3]" << "24";
    QTest::newRow("leading zero beside Math") << 0 << 6 << 2 << "Math.pow([1][2],[3])" << "36";
    // clang-format on
}

void TestFormula::gluedTokensWithLeadingZero()
{
    QFETCH(int, first);
    QFETCH(int, second);
    QFETCH(int, third);
    QFETCH(QString, formula);
    QFETCH(QString, text);
    WorkingValues values{};
    values[0] = first;
    values[1] = second;
    values[2] = third;
    FormulaEvaluator evaluator;
    QCOMPARE(evaluator.evaluate(formula, values).valueText(), text);
    QCOMPARE(formulaDigit(evaluator, formula, values), lastDigitOfLeadingInteger(text));
    ExpressionEngine engine;
    QCOMPARE(engine.evaluate(substituteWorkingValues(formula, values)), text);
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
    // No admitted formula can loop; the watchdog stays behind the gate, checked with any script.
    ExpressionEngine engine(std::chrono::milliseconds(100), ExpressionEngine::Admission::AnyScript);
    QCOMPARE(engine.evaluate(QStringLiteral("(function(){while(1);})()")), QString());
    QVERIFY(engine.lastWasInterrupted());
    // The engine is usable again at once.
    QCOMPARE(engine.evaluate(QStringLiteral("4*1+2/5+6")), QStringLiteral("10.4"));
    QVERIFY(!engine.lastWasInterrupted());

    // Our own evaluator never runs it: the formula is outside the language.
    FormulaEvaluator evaluator;
    const QString endless = QStringLiteral("[1]+(function(){while(1);})()");
    QVERIFY(formulaRefusal(endless).has_value());
    QCOMPARE(formulaDigit(evaluator, endless, exampleValues()), 0);
    QCOMPARE(formulaDigit(evaluator, QStringLiteral("[1]+1"), exampleValues()), 5);
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

void TestFormula::hostileFormulaGivesZero_data()
{
    // Texts that crash, abort, freeze or fill the memory of an engine that runs them.
    QTest::addColumn<QString>("formula");
    // clang-format off
    QTest::newRow("copyWithin on a big array") << "new Array(6e5).copyWithin(0,1)";
    QTest::newRow("replace that doubles a string") << "s=\"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\";s=s.replace(/x/g,s);s=s.replace(/x/g,s);s=s.replace(/x/g,s)";
    QTest::newRow("map over a billion") << "new Array(1e9).map(function(x){return 1})";
    QTest::newRow("fill") << "new Array(1e9).fill(1).length";
    QTest::newRow("filter") << "Array(1e9).filter(function(){return 1}).length";
    QTest::newRow("concat") << "[[1]].concat(Array(1e9)).length+[1]";
    QTest::newRow("join") << "Array(1e9).join('xx').length";
    QTest::newRow("repeat") << "'x'.repeat(1e9).length";
    QTest::newRow("JSON.stringify") << "JSON.stringify(Array(1e8)).length";
    QTest::newRow("toLocaleString") << "Array(1e8).toLocaleString().length";
    QTest::newRow("string of a huge array") << "String(Array(1e9)).length";
    QTest::newRow("array from a length") << "Array.from({length:1e9}).length";
    QTest::newRow("endless loop") << "[1]+(function(){while(1);})()";
    QTest::newRow("recursion") << "(function f(){return f()})()";
    QTest::newRow("assignment to Math") << "Math.abs=0";
    QTest::newRow("increment of a Math member") << "Math.max++";
    QTest::newRow("Math member of a member") << "Math.max.apply(0,[1,2])";
    QTest::newRow("Math constructor") << "Math.constructor([1])";
    QTest::newRow("regular expression") << "/(x+x+)+y/.test([1])";
    QTest::newRow("template") << "`${[1]}`";
    QTest::newRow("comment") << "[1]//x";
    QTest::newRow("spread") << "Math.max(...[1,2])";
    QTest::newRow("arrow") << "(x=>x)([1])";
    QTest::newRow("braces") << "{[1]}";
    QTest::newRow("statements") << "[1];[2]";
    QTest::newRow("unicode escape") << "Math.\\u0061bs(-1)";
    QTest::newRow("deep round brackets") << QString(5000, u'(') + u'1' + QString(5000, u')');
    QTest::newRow("deep square brackets") << QString(300, u'[') + u'1' + QString(300, u']');
    QTest::newRow("deep Math calls") << QStringLiteral("Math.abs(").repeated(300) + u'1' + QString(300, u')');
    QTest::newRow("huge length") << QStringLiteral("Math.abs(1)+").repeated(100000) + u'1';
    QTest::newRow("arithmetic beyond the length limit") << QStringLiteral("1+").repeated(6000) + u'1';
    QTest::newRow("huge number literal") << QStringLiteral("Math.abs(") + QString(200000, u'9') + u')';
    // clang-format on
}

void TestFormula::hostileFormulaGivesZero()
{
    QFETCH(QString, formula);
    const qint64 peakBefore = peakMemoryKb();
    FormulaEvaluator evaluator;
    for (int row = 0; row < 3; ++row) {
        const FormulaValue value = evaluator.evaluate(formula, exampleValues());
        QCOMPARE(value.valueText(), QString());
        QCOMPARE(value.digit(), 0);
    }
    ExpressionEngine engine;
    QCOMPARE(engine.evaluate(substituteWorkingValues(formula, exampleValues())), QString());
    QVERIFY(!tandor28::formulaCompiles(evaluator, formula));
    QVERIFY(formulaRefusal(formula).has_value());
    // The engine is unharmed and Math unchanged.
    QCOMPARE(formulaDigit(evaluator, QStringLiteral("Math.max(Math.abs(-[1]),[3])++[2]"), exampleValues()), 0);
    QCOMPARE(evaluator.evaluate(QStringLiteral("Math.abs(-[3])+Math.max([1],2)"), exampleValues()).valueText(),
             QStringLiteral("12"));
    QVERIFY2(peakMemoryKb() - peakBefore < 300 * 1024, qPrintable(QString::number(peakMemoryKb() - peakBefore)));
}

void TestFormula::engineGate_data()
{
    // What the engine is given for a substituted text; "-" when it is not admitted.
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("admitted");
    // clang-format off
    QTest::newRow("arithmetic") << "4+8+1+9/8*6" << "4+8+1+9/8*6";
    QTest::newRow("blanks and tabs kept") << " 4 *\t(5) " << " 4 *\t(5) ";
    QTest::newRow("comparison, logic, bitwise, conditional") << "4<5&&6>=2||!0?~3^1:2>>>1<<2%3" << "4<5&&6>=2||!0?~3^1:2>>>1<<2%3";
    QTest::newRow("equality") << "4==5!=6===7!==8" << "4==5!=6===7!==8";
    QTest::newRow("exponent and nullish") << "2**3?\?1" << "2**3?\?1";
    QTest::newRow("conditional before a fraction") << "1?.5:2" << "1?.5:2";
    QTest::newRow("comma and arrays") << "[4,[5]],6" << "[4,[5]],6";
    QTest::newRow("Math members") << "Math.max(Math.PI,Math.SQRT1_2)" << "Math.max(Math.PI,Math.SQRT1_2)";
    QTest::newRow("number forms") << "1.5e+3+.5+3.+0x1F+0o7+0b1+1E-2" << "1.5e+3+.5+3.+0x1F+0o7+0b1+1E-2";
    QTest::newRow("zero alone") << "0+0.5+0e1" << "0+0.5+0e1";
    QTest::newRow("leading zero decimal") << "05" << "5";
    QTest::newRow("octal") << "010" << "8";
    QTest::newRow("zeros") << "00+000" << "0+0";
    QTest::newRow("leading zero with 8") << "08" << "8";
    QTest::newRow("leading zero with 9") << "019" << "19";
    QTest::newRow("non-octal keeps fraction and exponent") << "008.50e1" << "8.50e1";
    QTest::newRow("long octal") << "01234567" << "342391";
    QTest::newRow("octal in brackets") << "[01]" << "[1]";
    QTest::newRow("division after bracket") << "(4)/[2]/2" << "(4)/[2]/2";
    QTest::newRow("octal with fraction") << "07.5" << "-";
    QTest::newRow("octal with exponent") << "07e1" << "-";
    QTest::newRow("octal with member") << "05.toString()" << "-";
    QTest::newRow("name") << "x+1" << "-";
    QTest::newRow("Math alone") << "Math+1" << "-";
    QTest::newRow("unknown Math member") << "Math.foo(1)" << "-";
    QTest::newRow("Math by index") << "Math['abs'](1)" << "-";
    QTest::newRow("Math glued to a name") << "xMath.PI" << "-";
    QTest::newRow("string") << "'1'" << "-";
    QTest::newRow("double quotes") << "\"1\"" << "-";
    QTest::newRow("regular expression") << "/1/" << "-";
    QTest::newRow("regular expression after operator") << "1+/1/" << "-";
    QTest::newRow("assignment") << "1=1" << "-";
    QTest::newRow("compound assignment") << "Math.PI+=1" << "-";
    QTest::newRow("increment") << "1++" << "-";
    QTest::newRow("decrement between numbers") << "4--5" << "-";
    QTest::newRow("html comment") << "1<!--2" << "-";
    QTest::newRow("block comment") << "1/*2*/" << "-";
    QTest::newRow("optional chaining") << "Math?.PI" << "-";
    QTest::newRow("semicolon") << "4;5" << "-";
    QTest::newRow("line break") << "4\n5" << "-";
    QTest::newRow("glued numbers") << "4 5" << "-";
    QTest::newRow("number glued to a name") << "1_0" << "-";
    QTest::newRow("bare exponent") << "1e" << "-";
    QTest::newRow("unbalanced closing bracket") << "1)+(2" << "-";
    QTest::newRow("full-width bracket") << "（1）" << "-";
    QTest::newRow("keyword") << "typeof 1" << "-";
    QTest::newRow("nesting at the limit") << QString(200, u'(') + u'1' + QString(200, u')') << QString(200, u'(') + u'1' + QString(200, u')');
    QTest::newRow("nesting beyond the limit") << QString(201, u'[') + u'1' + QString(201, u']') << "-";
    QTest::newRow("length at the limit") << QString(10000, u'1') << QString(10000, u'1');
    QTest::newRow("length beyond the limit") << QString(10001, u'1') << "-";
    // clang-format on
}

void TestFormula::engineGate()
{
    QFETCH(QString, text);
    QFETCH(QString, admitted);
    const std::optional<QString> result = admitToEngine(text);
    QCOMPARE(result.value_or(QStringLiteral("-")), admitted);
}

void TestFormula::formulaCompiles_data()
{
    QTest::addColumn<QString>("formula");
    QTest::addColumn<bool>("compiles");
    // clang-format off
    QTest::newRow("empty") << "" << true;
    QTest::newRow("default first box") << "[1]+[8]+[9]+[12]/[8]*[6]" << true;
    QTest::newRow("glued tokens") << "[1][2]+[3]" << true;
    QTest::newRow("Math") << "Math.floor([12]/[2])" << true;
    QTest::newRow("array") << "[[1],[2]]+[3]" << false;
    QTest::newRow("division by zero") << "[1]/0" << true;
    QTest::newRow("leading zero") << "05+[1]" << true;
    QTest::newRow("incomplete") << "[1]+" << false;
    QTest::newRow("two numbers") << "[1] [2]" << false;
    QTest::newRow("unclosed bracket") << "([1]+[2]" << false;
    QTest::newRow("only blanks") << "   " << true;
    QTest::newRow("unknown name") << "foo+1" << false;
    QTest::newRow("string") << "'7'+[1]" << false;
    QTest::newRow("octal with fraction") << "07.5" << false;
    QTest::newRow("nineteen is a bracket") << "[19]+1" << false;
    QTest::newRow("conditional without else") << "[1]?[2]" << false;
    // clang-format on
}

void TestFormula::formulaCompiles()
{
    QFETCH(QString, formula);
    QFETCH(bool, compiles);
    FormulaEvaluator evaluator;
    QCOMPARE(tandor28::formulaCompiles(evaluator, formula), compiles);
}

void TestFormula::hugeInputIsRejected()
{
    // The limit holds for the text the tokens leave: 2,600 tokens shrink to digits within it.
    FormulaEvaluator tokens;
    QCOMPARE(tokens.evaluate(QStringLiteral("[1]+").repeated(2600) + u'1', exampleValues()).valueText(),
             QStringLiteral("10401"));

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
