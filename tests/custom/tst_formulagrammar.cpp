// The formula language is a grammar: what it admits is evaluated by our own code and agrees with the
// JavaScript engine; what it does not admit is refused with its reason and never run, and leaves
// every other formula's digits as they were.
#include "custom/algorithmlist.h"
#include "custom/customtable.h"
#include "custom/formula.h"
#include "custom/jsnumber.h"
#include "custom/search.h"

#include "drawbuilders.h"
#include "expressionengine.h"

#include <QFile>
#include <QTest>

using namespace tandor28;

namespace {

// The working values of the instruction text's example.
const WorkingValues kValues = {4, 5, 8, 6, 2, 6, 7, 8, 1, 6, 7, 9, 2, 9, 7, 6, 1, 1};

// Formulas whose digits must not move whatever ran before them.
const QStringList kBystanders = {QStringLiteral("[1]+[8]+[9]+[12]/[8]*[6]"), QStringLiteral("[1]*[9]+[5]/[2]+[10]"),
                                 QStringLiteral("Math.abs([1]-[12])+Math.floor([3]/2)"),
                                 QStringLiteral("Math.max([1],[3])%10")};

CustomAlgorithm item(const QString& name, const QString& formulas)
{
    CustomAlgorithm algorithm;
    algorithm.name = name;
    algorithm.formulas = formulas;
    return algorithm;
}

} // namespace

class TestFormulaGrammar : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void admitted_data();
    void admitted();
    void engineDefectIsNotCopied();
    void refused_data();
    void refused();
    void playerFormulasStayValid_data();
    void playerFormulasStayValid();
    void refusedAlgorithmIsNeverRun();
    void saveRefusesWithTheReason_data();
    void saveRefusesWithTheReason();
    void programsHaveNoScriptEngine_data();
    void programsHaveNoScriptEngine();
};

void TestFormulaGrammar::admitted_data()
{
    // The formula, its value text with the example's working values.
    QTest::addColumn<QString>("formula");
    QTest::addColumn<QString>("text");
    // clang-format off
    QTest::newRow("precedence") << "[1]+[2]*[3]-[4]/[5]%[6]" << "41";
    QTest::newRow("parentheses") << "([1]+[2])*[3]" << "72";
    QTest::newRow("unary signs") << "-[1]+ +[2]- -[3]" << "9";
    QTest::newRow("power is right-associative") << "2**3**2" << "512";
    QTest::newRow("power of a signed value in parentheses") << "(-[1])**2" << "16";
    QTest::newRow("power with a signed exponent") << "2**-[1]" << "0.0625";
    QTest::newRow("comparison gives a boolean") << "[1]<[2]" << "true";
    QTest::newRow("boolean in arithmetic") << "([1]<[2])+([3]>[4])" << "2";
    QTest::newRow("unary plus of a boolean") << "+([1]==4)" << "1";
    QTest::newRow("loose equality of a boolean") << "([1]<[2])==1" << "true";
    QTest::newRow("strict equality of a boolean") << "([1]<[2])===1" << "false";
    QTest::newRow("strict inequality") << "[1]!==4" << "false";
    QTest::newRow("relational chain") << "[1]<[2]<[3]" << "true";
    QTest::newRow("logical and gives an operand") << "[1]&&[2]" << "5";
    QTest::newRow("logical or gives an operand") << "0||[3]" << "8";
    QTest::newRow("logical or of NaN") << "0/0||[2]" << "5";
    QTest::newRow("not") << "!([1]-4)" << "true";
    QTest::newRow("double not") << "!![1]" << "true";
    QTest::newRow("bitwise") << "([12]^[2])|([1]&6)" << "12";
    QTest::newRow("bitwise not") << "~[1]" << "-5";
    QTest::newRow("shifts") << "([1]<<3)+(-[12]>>1)+(-1>>>28)" << "42";
    QTest::newRow("bitwise of a big number") << "4294967297|0" << "1";
    QTest::newRow("conditional") << "[1]>[2]?[3]:[4]" << "6";
    QTest::newRow("nested conditional") << "[1]?[2]?7:8:9" << "7";
    QTest::newRow("conditional before a fraction") << "1?.5:2" << "0.5";
    QTest::newRow("Math constant") << "Math.PI*2" << "6.283185307179586";
    QTest::newRow("every Math constant") << "Math.E+Math.LN10+Math.LN2+Math.LOG10E+Math.LOG2E+Math.SQRT1_2+Math.SQRT2" << "9.712323968364895";
    QTest::newRow("Math functions") << "Math.abs(-[1])+Math.floor([12]/[2])+Math.ceil(0.5)+Math.round(2.5)" << "9";
    QTest::newRow("Math with two arguments") << "Math.pow([1],2)+Math.atan2(0,1)+Math.imul(3,[1])" << "28";
    QTest::newRow("Math with many arguments") << "Math.max([1],[2],[3],[12])-Math.min()" << "-Infinity";
    QTest::newRow("Math without arguments") << "Math.max()" << "-Infinity";
    QTest::newRow("hypot") << "Math.hypot(3,[1])" << "5";
    QTest::newRow("clz32 and fround") << "Math.clz32([1])+Math.fround(0.1)" << "29.100000001490116";
    QTest::newRow("round of a negative half") << "1/Math.round(-0.5)" << "-Infinity";
    QTest::newRow("sign of a negative zero") << "1/Math.sign(-0)" << "-Infinity";
    QTest::newRow("blanks before the arguments") << "Math.abs ( -[1] )" << "4";
    QTest::newRow("tabs") << "[1]\t*\t[2]" << "20";
    QTest::newRow("legacy octal") << "010+[1]" << "12";
    QTest::newRow("decimal with a leading zero") << "08.5*2" << "17";
    QTest::newRow("hexadecimal, octal, binary") << "0x1F+0o17+0b101" << "51";
    QTest::newRow("glued tokens") << "[1][2]+[3]" << "53";
    QTest::newRow("glued token and exponent") << "[1]e2" << "400";
    QTest::newRow("glued tokens with Math") << "Math.max([1][2],[3])" << "45";
    QTest::newRow("division by zero") << "[1]/0" << "Infinity";
    QTest::newRow("exponent form") << "[6]e21" << "6e+21";
    // clang-format on
}

void TestFormulaGrammar::admitted()
{
    QFETCH(QString, formula);
    QFETCH(QString, text);
    QCOMPARE(formulaRefusal(formula), std::nullopt);
    FormulaEvaluator evaluator;
    const FormulaValue value = evaluator.evaluate(formula, kValues);
    QCOMPARE(value.valueText(), text);
    QCOMPARE(formulaDigit(evaluator, formula, kValues), lastDigitOfLeadingInteger(text));
    // The reference engine reads the same text the same way.
    ExpressionEngine engine;
    QCOMPARE(engine.evaluate(substituteWorkingValues(formula, kValues)), text);
}

void TestFormulaGrammar::engineDefectIsNotCopied()
{
    // The engine's Math.abs of the integer -2147483648 returns a stray double; ours follows the
    // number rules.
    FormulaEvaluator evaluator;
    QCOMPARE(evaluator.evaluate(QStringLiteral("Math.abs(1<<31)"), kValues).valueText(), QStringLiteral("2147483648"));
    QCOMPARE(evaluator.evaluate(QStringLiteral("Math.abs(~2147483647)"), kValues).digit(), 8);
    ExpressionEngine engine;
    QCOMPARE(engine.evaluate(QStringLiteral("Math.abs(1<<31)")), QStringLiteral("5.56267403628905e-309"));
}

void TestFormulaGrammar::refused_data()
{
    // The formula and a piece of its reason. Each of these reached the script engine before.
    QTest::addColumn<QString>("formula");
    QTest::addColumn<QString>("reason");
    // clang-format off
    QTest::newRow("a name built from a value's text") << "(Math.abs+[])[3+0]" << "方括号";
    QTest::newRow("a loop inside a built-in") << "[].includes.call({length:1e12},1)" << "方括号";
    QTest::newRow("a string of 4 GB") << "JSON.stringify(Array(1e8))" << "“JSON”";
    QTest::newRow("Math.abs replaced") << "Math.abs=function(x){return 0}" << "不能赋值";
    QTest::newRow("Math.floor replaced") << "Math.floor=Math.ceil" << "不能赋值";
    QTest::newRow("the Function constructor") << "Math.abs.constructor('return 1')()" << "引号";
    QTest::newRow("Math alone") << "Math" << "Math 后面";
    QTest::newRow("Math apart from its member") << "Math . abs(1)" << "Math 后面";
    QTest::newRow("Math function not called") << "Math.abs+1" << "Math.abs要直接调用";
    QTest::newRow("Math constant called") << "Math.PI(1)" << "常数";
    QTest::newRow("unknown Math member") << "Math.constructor" << "不是 Math 的函数或常数";
    QTest::newRow("Math function with another count") << "Math.abs()" << "1个参数";
    QTest::newRow("Math function with two for one") << "Math.sqrt([1],[2])" << "1个参数";
    QTest::newRow("other name") << "foo+1" << "“foo”";
    QTest::newRow("global NaN") << "NaN" << "“NaN”";
    QTest::newRow("keyword") << "typeof 1" << "“typeof”";
    QTest::newRow("new") << "new Array(6e5)" << "“new”";
    QTest::newRow("bracket that is no token") << "[19]+[1]" << "方括号";
    QTest::newRow("token with leading zero") << "[01]" << "方括号";
    QTest::newRow("array literal") << "[[1],[2]]+[3]" << "方括号";
    QTest::newRow("nested token") << "[[1]]+10" << "方括号";
    QTest::newRow("closing bracket") << "[1]]" << "方括号";
    QTest::newRow("object literal") << "{a:1}" << "花括号";
    QTest::newRow("string") << "'7'+[1]" << "引号";
    QTest::newRow("template") << "`1`" << "引号";
    QTest::newRow("assignment") << "e=5" << "不能赋值";
    QTest::newRow("compound assignment") << "[1]+=1" << "不能赋值";
    QTest::newRow("increment") << "[1]++" << "“++”";
    QTest::newRow("decrement between tokens") << "[1]--[2]" << "“--”";
    QTest::newRow("arrow") << "(x=>x)(1)" << "“=>”";
    QTest::newRow("spread") << "Math.max(...1)" << "“...”";
    QTest::newRow("comma outside a call") << "1,2" << "逗号";
    QTest::newRow("statements") << "[1];[2]" << "“;”";
    QTest::newRow("line break") << "4\n5" << "换行";
    QTest::newRow("line comment") << "[1]//x" << "注释";
    QTest::newRow("block comment") << "[1]/*x*/" << "注释";
    QTest::newRow("html comment") << "1<!--2" << "“--”";
    QTest::newRow("regular expression") << "/x/" << "“/”";
    QTest::newRow("nullish") << "1??2" << "“??”";
    QTest::newRow("optional chaining") << "Math?.PI" << "“?.”";
    QTest::newRow("sign before power") << "-2**2" << "“**”";
    QTest::newRow("octal with a fraction") << "07.5" << "八进制";
    QTest::newRow("octal glued to a name") << "05.toString()" << "八进制";
    QTest::newRow("bare exponent") << "1e" << "指数";
    QTest::newRow("number glued to a name") << "1_0" << "紧跟字母";
    QTest::newRow("incomplete") << "[1]+" << "不完整";
    QTest::newRow("two numbers") << "[1] [2]" << "写错了";
    QTest::newRow("unclosed parenthesis") << "([1]+[2]" << "缺少“)”";
    QTest::newRow("extra parenthesis") << "[1])" << "多了";
    QTest::newRow("conditional without else") << "[1]?[2]" << "缺少“:”";
    QTest::newRow("full-width plus") << "[1]＋[2]" << "不是算法能用的字符";
    QTest::newRow("unicode escape") << "Math.\\u0061bs(1)" << "不是算法能用的字符";
    QTest::newRow("deep parentheses") << QString(300, u'(') + u'1' + QString(300, u')') << "太深";
    QTest::newRow("too long") << QStringLiteral("1+").repeated(6000) + u'1' << "太长";
    // clang-format on
}

void TestFormulaGrammar::refused()
{
    QFETCH(QString, formula);
    QFETCH(QString, reason);
    FormulaEvaluator evaluator;
    std::vector<int> alone;
    for (const QString& bystander : kBystanders)
        alone.push_back(formulaDigit(evaluator, bystander, kValues));

    const CompiledFormula compiled = compileFormula(formula);
    QCOMPARE(compiled.mode, CompiledFormula::Mode::Refused);
    QVERIFY2(compiled.refusal.contains(reason), qPrintable(compiled.refusal));
    QCOMPARE(formulaRefusal(formula), std::optional<QString>(compiled.refusal));
    QVERIFY(!formulaCompiles(evaluator, formula));
    // Never run: no value in any row, whatever the working values.
    WorkingValues unusual{};
    unusual[0] = -1;
    unusual[1] = 12;
    unusual[2] = -3;
    for (const WorkingValues& values : {kValues, WorkingValues{}, unusual}) {
        QCOMPARE(evaluator.evaluate(formula, values).kind, FormulaValue::Kind::None);
        QCOMPARE(formulaDigit(evaluator, formula, values), 0);
    }
    // The same evaluator gives every other formula the digits it gave alone.
    for (qsizetype i = 0; i < kBystanders.size(); ++i)
        QCOMPARE(formulaDigit(evaluator, kBystanders[i], kValues), alone[static_cast<std::size_t>(i)]);
}

void TestFormulaGrammar::playerFormulasStayValid_data()
{
    QTest::addColumn<QStringList>("formulas");
    // The instruction text's formulas and the boxes' defaults.
    QTest::newRow("instruction text and defaults") << QStringList{
        "[1]+[5]+[9]",         "[1]+[2]+[3]", "[4]+[5]+[6]", "[7]+[8]+[9]", "[1]+[8]+[9]+[12]/[8]*[6]", "",
        "[1]*[9]+[5]/[2]+[10]"};
    for (const SearchMode mode : {SearchMode::Mixed, SearchMode::Simple}) {
        RandomSource random(mode == SearchMode::Mixed ? 28 : 29);
        QStringList formulas;
        for (int i = 0; i < 600; ++i) {
            for (const QString& formula : randomAlgorithm(random, mode))
                formulas << formula;
        }
        QTest::newRow(mode == SearchMode::Mixed ? "random algorithms, mixed" : "random algorithms, simple") << formulas;
    }
}

void TestFormulaGrammar::playerFormulasStayValid()
{
    QFETCH(QStringList, formulas);
    const DrawHistory history = testsupport::sampleHistory(kHistoryLength);
    ExpressionEngine engine;
    FormulaEvaluator evaluator;
    for (const QString& formula : formulas) {
        QVERIFY2(!formulaRefusal(formula), qPrintable(formula));
        // The same digits as the engine gives the substituted text, row after row.
        for (int k = 0; k < 6; ++k) {
            const WorkingValues values = fillCustomWorkingValues(history, k * 17);
            const QString text = engine.evaluate(substituteWorkingValues(formula, values));
            QCOMPARE(formulaDigit(evaluator, formula, values), lastDigitOfLeadingInteger(text));
        }
    }
}

void TestFormulaGrammar::refusedAlgorithmIsNeverRun()
{
    // A saved item with a formula outside the language is marked and not evaluated; the items after
    // it show what they show alone (a tampering formula once moved them from 65 % to 75 %).
    const DrawHistory history = testsupport::sampleHistory(kHistoryLength);
    const CustomAlgorithm honest =
        item(QStringLiteral("honest"), QStringLiteral("Math.abs([1]-[4])|Math.floor([7]/2)|[9]"));
    std::vector<CustomAlgorithm> alone{honest};
    FormulaEvaluator aloneEvaluator;
    refreshAlgorithmStats(aloneEvaluator, history, alone, 1, 100);

    std::vector<CustomAlgorithm> saved{
        item(QStringLiteral("tampering"), QStringLiteral("Math.abs=Math.floor=function(){return 7}||")),
        item(QStringLiteral("freezing"), QStringLiteral("[].includes.call({length:1e12},1)||")), honest};
    FormulaEvaluator evaluator;
    refreshAlgorithmStats(evaluator, history, saved, 1, 100);
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(saved[static_cast<std::size_t>(i)].accuracy, kRefusedStats);
        QVERIFY(saved[static_cast<std::size_t>(i)].refusal.startsWith(QStringLiteral("第1个公式：")));
    }
    QCOMPARE(saved[2].refusal, QString());
    QCOMPARE(saved[2].accuracy, alone[0].accuracy);
    QCOMPARE(saved[2].winStreak, alone[0].winStreak);
    QCOMPARE(saved[2].lossStreak, alone[0].lossStreak);
    // The formulas text is kept as saved.
    QCOMPARE(saved[0].formulas, QStringLiteral("Math.abs=Math.floor=function(){return 7}||"));
}

void TestFormulaGrammar::saveRefusesWithTheReason_data()
{
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("reason");
    QTest::newRow("loop in a built-in") << "[].includes.call({length:1e12},1)"
                                        << "第2个公式不能保存：方括号";
    QTest::newRow("huge string") << "JSON.stringify(Array(1e8))"
                                 << "第2个公式不能保存：“JSON”";
}

void TestFormulaGrammar::saveRefusesWithTheReason()
{
    QFETCH(QString, second);
    QFETCH(QString, reason);
    FormulaEvaluator evaluator;
    const std::optional<QString> refusal =
        saveRefusal(evaluator, QStringLiteral("x"), {QStringLiteral("[1]"), second, QString()});
    QVERIFY(refusal);
    QVERIFY2(refusal->startsWith(reason), qPrintable(*refusal));
    QVERIFY(refusal->contains(second));
}

void TestFormulaGrammar::programsHaveNoScriptEngine_data()
{
    // No formula can reach a script engine in the program or the companion: neither links one.
    QTest::addColumn<QString>("path");
    QTest::newRow("companion") << QStringLiteral(TANDOR28_BINARY_DIR "/tools/cli/tandor28-cli");
    QTest::newRow("window") << QStringLiteral(TANDOR28_BINARY_DIR "/src/app/tandor28");
}

void TestFormulaGrammar::programsHaveNoScriptEngine()
{
    QFETCH(QString, path);
    QFile binary(path);
    if (!binary.open(QIODevice::ReadOnly))
        QSKIP("not built in this configuration");
    const QByteArray content = binary.readAll();
    QVERIFY(content.size() > 1000);
    QVERIFY(!content.contains("libQt6Qml"));
}

QTEST_GUILESS_MAIN(TestFormulaGrammar)
#include "tst_formulagrammar.moc"
