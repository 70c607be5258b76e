#include "custom/customtable.h"
#include "custom/formula.h"

#include "model/classification.h"

#include <QTest>

#include <random>

using namespace tandor28;

Q_DECLARE_METATYPE(tandor28::PlanStats)
Q_DECLARE_METATYPE(std::vector<int>)

namespace QTest {
template <> char* toString(const tandor28::PlanStats& stats)
{
    return qstrdup(qPrintable(QStringLiteral("right %1 wrong %2 accuracy %3 win %4 loss %5")
                                  .arg(stats.right)
                                  .arg(stats.wrong)
                                  .arg(stats.accuracy)
                                  .arg(stats.winStreak)
                                  .arg(stats.lossStreak)));
}
} // namespace QTest

namespace {

const FormulaTriple kDefaultFormulas = {QStringLiteral("[1]+[8]+[9]+[12]/[8]*[6]"), QString(),
                                        QStringLiteral("[1]*[9]+[5]/[2]+[10]")};

Draw draw(long long issue, int d1, int d2, int d3)
{
    return makeDraw(QString::number(issue), QStringLiteral("12:34:56"), QString::number(d1), QString::number(d2),
                    QString::number(d3));
}

// 110 draws; positions 1..6 are the six draws of the instruction text's example, the newest issue is
// `newestIssue`, the rest are seeded random draws.
DrawHistory exampleHistory(long long newestIssue = 3001001)
{
    const int digits[6][3] = {{4, 5, 8}, {6, 2, 6}, {7, 8, 1}, {6, 7, 9}, {2, 9, 7}, {6, 1, 1}};
    std::mt19937 rng(11);
    std::vector<Draw> draws;
    for (int position = 1; position <= kHistoryLength; ++position) {
        const long long issue = newestIssue - position + 1;
        if (position <= 6) {
            const int* d = digits[position - 1];
            draws.push_back(draw(issue, d[0], d[1], d[2]));
        } else {
            draws.push_back(
                draw(issue, static_cast<int>(rng() % 10), static_cast<int>(rng() % 10), static_cast<int>(rng() % 10)));
        }
    }
    return DrawHistory(std::move(draws));
}

DrawHistory randomHistory(unsigned seed, int size = kHistoryLength)
{
    std::mt19937 rng(seed);
    std::vector<Draw> draws;
    for (int position = 1; position <= size; ++position) {
        draws.push_back(draw(5000000 - position, static_cast<int>(rng() % 10), static_cast<int>(rng() % 10),
                             static_cast<int>(rng() % 10)));
    }
    return DrawHistory(std::move(draws));
}

// A history whose newest draws have the given sums (newest first), the rest sum 0.
DrawHistory historyOfSums(const std::vector<int>& sums)
{
    std::vector<Draw> draws;
    for (int position = 1; position <= kHistoryLength; ++position) {
        const int sum = position <= static_cast<int>(sums.size()) ? sums[static_cast<std::size_t>(position - 1)] : 0;
        const int d1 = std::min(sum, 9);
        const int d2 = std::min(sum - d1, 9);
        draws.push_back(draw(7000000 - position, d1, d2, sum - d1 - d2));
    }
    return DrawHistory(std::move(draws));
}

} // namespace

class TestCustomTable : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void emptyPositionsAreNotJudged_data();
    void emptyPositionsAreNotJudged();
    void nextIssueRowOfTheExample_data();
    void nextIssueRowOfTheExample();
    void nextIssueRowLeavesTheOtherCellsAlone();
    void doubleItemFollowsTheSourceIssue_data();
    void doubleItemFollowsTheSourceIssue();
    void judgedRowsShowASpecialNumber();
    void emptyFormulasPredictZero();
    void secondValuesFollowTheBetType();
    void fewerThanTenDraws();
    void unknownCode();
    void statsOfKnownWindows_data();
    void statsOfKnownWindows();
    void statsAgreeWithTheTable_data();
    void statsAgreeWithTheTable();
    void savedAlgorithmStats_data();
    void savedAlgorithmStats();
    void savedAlgorithmStatsWithFewDraws();
};

void TestCustomTable::nextIssueRowOfTheExample_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("column4");
    QTest::addColumn<QString>("column5");
    QTest::newRow("组合") << 1 << "小"
                          << "单";
    QTest::newRow("大小") << 2 << ""
                          << "小";
    QTest::newRow("杀组") << 4 << "杀小单"
                          << "双 + 大单";
    QTest::newRow("杀3N") << 5 << ""
                          << "杀3N0";
    QTest::newRow("杀4N") << 6 << ""
                          << "杀4N1";
    QTest::newRow("杀双组") << 7 << "杀小单"
                            << "杀大双";
}

void TestCustomTable::nextIssueRowOfTheExample()
{
    QFETCH(int, code);
    QFETCH(QString, column4);
    QFETCH(QString, column5);
    FormulaEvaluator evaluator;
    const auto table = generateCustomTable(evaluator, exampleHistory(), kDefaultFormulas, code, kPeriodCount);
    QVERIFY(table);
    QCOMPARE(table->predictions[0].n, 9);
    QCOMPARE(table->rows[0][4].text, std::optional<QString>(column4));
    QCOMPARE(table->rows[0][5].text, std::optional<QString>(column5));
}

void TestCustomTable::nextIssueRowLeavesTheOtherCellsAlone()
{
    FormulaEvaluator evaluator;
    const auto table = generateCustomTable(evaluator, exampleHistory(), kDefaultFormulas, 1, kPeriodCount);
    QVERIFY(table);
    QCOMPARE(table->rows.size(), std::size_t(kPeriodCount + 1));
    for (int column : {0, 1, 2, 3, 6}) {
        QVERIFY(!table->rows[0][static_cast<std::size_t>(column)].text);
        QVERIFY(!table->rows[0][static_cast<std::size_t>(column)].colour);
    }
    QVERIFY(!table->rows[0][4].colour);
    QVERIFY(!table->rows[0][5].colour);
}

void TestCustomTable::doubleItemFollowsTheSourceIssue_data()
{
    QTest::addColumn<qlonglong>("newestIssue");
    QTest::addColumn<QString>("column5");
    // n = 9: size 小, parity 单. The next issue's prediction comes from the newest draw.
    QTest::newRow("odd newest issue bets size") << 3001001LL << "小";
    QTest::newRow("even newest issue bets parity") << 3001002LL << "单";
}

void TestCustomTable::doubleItemFollowsTheSourceIssue()
{
    QFETCH(qlonglong, newestIssue);
    QFETCH(QString, column5);
    FormulaEvaluator evaluator;
    const auto table = generateCustomTable(evaluator, exampleHistory(newestIssue), kDefaultFormulas, 8, kPeriodCount);
    QVERIFY(table);
    QCOMPARE(table->rows[0][4].text, std::optional<QString>(QString()));
    QCOMPARE(table->rows[0][5].text, std::optional<QString>(column5));
    for (std::size_t row = 1; row < table->rows.size(); ++row) {
        QCOMPARE(table->rows[row][4].text, std::optional<QString>(QString()));
        const QString value = *table->rows[row][5].text;
        // Row k + 1 holds the prediction made from position k + 1, whose issue decides the attribute.
        const bool sourceEven = (newestIssue - static_cast<qlonglong>(row)) % 2 == 0;
        QVERIFY2(sourceEven ? (value == u"单" || value == u"双") : (value == u"大" || value == u"小"),
                 qPrintable(value));
    }
}

void TestCustomTable::judgedRowsShowASpecialNumber()
{
    FormulaEvaluator evaluator;
    const DrawHistory history = exampleHistory();
    const auto table = generateCustomTable(evaluator, history, kDefaultFormulas, 1, kPeriodCount);
    QVERIFY(table);
    for (int k = 1; k <= kPeriodCount; ++k) {
        const PredictionRow& row = table->rows[static_cast<std::size_t>(k)];
        QCOMPARE(row[0].text, std::optional<QString>(history.at(k).issue));
        QCOMPARE(row[1].text, std::optional<QString>(QStringLiteral("12:34")));
        QCOMPARE(row[2].text, std::optional<QString>(history.at(k).resultText));
        QCOMPARE(row[3].text, std::optional<QString>(twoDigit(table->predictions[static_cast<std::size_t>(k)].n)));
        QVERIFY(row[3].colour);
        QVERIFY(row[6].text && !row[6].text->isEmpty());
    }
}

void TestCustomTable::emptyFormulasPredictZero()
{
    FormulaEvaluator evaluator;
    const auto table = generateCustomTable(evaluator, randomHistory(3), {}, 1, kPeriodCount);
    QVERIFY(table);
    for (std::size_t row = 0; row < table->rows.size(); ++row) {
        QCOMPARE(table->predictions[row].n, 0);
        QCOMPARE(table->rows[row][4].text, std::optional<QString>(QStringLiteral("小")));
        QCOMPARE(table->rows[row][5].text, std::optional<QString>(QStringLiteral("双")));
        if (row > 0)
            QCOMPARE(table->rows[row][3].text, std::optional<QString>(QStringLiteral("00")));
    }
}

void TestCustomTable::secondValuesFollowTheBetType()
{
    FormulaEvaluator evaluator;
    const DrawHistory history = randomHistory(5);
    const auto killDouble = generateCustomTable(evaluator, history, kDefaultFormulas, 7, kPeriodCount);
    const auto kill3 = generateCustomTable(evaluator, history, kDefaultFormulas, 5, kPeriodCount);
    QVERIFY(killDouble && kill3);
    for (std::size_t i = 0; i < kill3->predictions.size(); ++i) {
        QVERIFY(killDouble->predictions[i].b);
        QVERIFY(!kill3->predictions[i].b);
        QVERIFY(kill3->rows[i][5].text->startsWith(QStringLiteral("杀3N")));
    }
}

void TestCustomTable::fewerThanTenDraws()
{
    FormulaEvaluator evaluator;
    const DrawHistory history = randomHistory(1, 9);
    QVERIFY(!generateCustomTable(evaluator, history, kDefaultFormulas, 1, kPeriodCount));
    QVERIFY(!evaluateCustomAlgorithm(evaluator, history, kDefaultFormulas, 1, 20));
    QVERIFY(generateCustomTable(evaluator, randomHistory(1, 10), kDefaultFormulas, 1, kPeriodCount));
}

void TestCustomTable::unknownCode()
{
    FormulaEvaluator evaluator;
    QVERIFY(!generateCustomTable(evaluator, randomHistory(1), kDefaultFormulas, 9, kPeriodCount));
    QVERIFY(!generateCustomTable(evaluator, randomHistory(1), kDefaultFormulas, 0, kPeriodCount));
}

void TestCustomTable::statsOfKnownWindows_data()
{
    QTest::addColumn<std::vector<int>>("sums"); // newest first
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("window");
    QTest::addColumn<PlanStats>("expected");
    // Empty formulas predict 0: 小双. Against sum 27 (大单) every 组合 row misses.
    QTest::newRow("all misses") << std::vector<int>(30, 27) << 1 << 20 << PlanStats{0, 20, 0, 0, 20};
    // 单双 bets 双: even sums hit. 13 even of 20, the two newest even.
    std::vector<int> sums = {2, 4, 1, 6, 3, 8, 5, 10, 7, 12, 9, 14, 11, 16, 13, 18, 20, 22, 24, 26};
    QTest::newRow("13 of 20") << sums << 3 << 20 << PlanStats{13, 7, 65, 2, 0};
    QTest::newRow("newest decides the streak") << std::vector<int>{1, 2, 4, 3} << 3 << 20 << PlanStats{18, 2, 90, 0, 1};
    QTest::newRow("2 of 3") << std::vector<int>{2, 1, 4} << 3 << 3 << PlanStats{2, 1, 66, 1, 0};
}

void TestCustomTable::statsOfKnownWindows()
{
    QFETCH(std::vector<int>, sums);
    QFETCH(int, code);
    QFETCH(int, window);
    QFETCH(PlanStats, expected);
    FormulaEvaluator evaluator;
    const std::optional<PlanStats> stats = evaluateCustomAlgorithm(evaluator, historyOfSums(sums), {}, code, window);
    QVERIFY(stats);
    QCOMPARE(*stats, expected);
}

void TestCustomTable::statsAgreeWithTheTable_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("window");
    for (int code = 1; code <= 8; ++code) {
        for (int window : {20, 50, 100})
            QTest::addRow("code %d, window %d", code, window) << code << window;
    }
}

void TestCustomTable::statsAgreeWithTheTable()
{
    QFETCH(int, code);
    QFETCH(int, window);
    FormulaEvaluator evaluator;
    const FormulaTriple formulas = {QStringLiteral("[1]*[4]-[7]"), QStringLiteral("[2]+[17]/[3]"),
                                    QStringLiteral("([18]+[5])%7")};
    for (unsigned seed = 1; seed <= 4; ++seed) {
        const DrawHistory history = randomHistory(seed * 97 + static_cast<unsigned>(code));
        const auto table = generateCustomTable(evaluator, history, formulas, code, kPeriodCount);
        QVERIFY(table);
        std::vector<Verdict> oldestToNewest;
        for (int k = window; k >= 1; --k)
            oldestToNewest.push_back(table->verdicts[static_cast<std::size_t>(k - 1)].value());
        const std::optional<PlanStats> stats = evaluateCustomAlgorithm(evaluator, history, formulas, code, window);
        QVERIFY(stats);
        QCOMPARE(*stats, statsFromVerdicts(oldestToNewest));
    }
}

void TestCustomTable::savedAlgorithmStats_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("window");
    QTest::newRow("组合 over 20") << 1 << 20;
    QTest::newRow("双项 over 100") << 8 << 100;
}

void TestCustomTable::savedAlgorithmStats()
{
    QFETCH(int, code);
    QFETCH(int, window);
    const DrawHistory history = randomHistory(77);
    std::vector<CustomAlgorithm> saved = {
        {QStringLiteral("a"), QStringLiteral("[1]+[8]+[9]+[12]/[8]*[6]||[1]*[9]+[5]/[2]+[10]"), {}, {}, {}},
        {QStringLiteral("b"), QStringLiteral("[3]-[4]"), {}, {}, {}},
        {QStringLiteral("c"), QStringLiteral("[2]|[5]|[7]|[9]"), {}, {}, {}},
        {QStringLiteral("d"), QString(), {}, {}, {}},
    };
    FormulaEvaluator evaluator;
    refreshAlgorithmStats(evaluator, history, saved, code, window);
    for (const CustomAlgorithm& algorithm : saved) {
        const std::optional<PlanStats> stats =
            evaluateCustomAlgorithm(evaluator, history, splitFormulas(algorithm.formulas), code, window);
        QVERIFY(stats);
        QCOMPARE(algorithm.accuracy, QString::number(stats->accuracy));
        QCOMPARE(algorithm.winStreak, QString::number(stats->winStreak));
        QCOMPARE(algorithm.lossStreak, QString::number(stats->lossStreak));
    }
}

void TestCustomTable::savedAlgorithmStatsWithFewDraws()
{
    std::vector<CustomAlgorithm> saved = {{QStringLiteral("a"), QStringLiteral("[1]||"), {}, {}, {}},
                                          {QStringLiteral("b"), QStringLiteral("[2]||"), {}, {}, {}}};
    FormulaEvaluator evaluator;
    refreshAlgorithmStats(evaluator, randomHistory(1, 9), saved, 1, 20);
    for (const CustomAlgorithm& algorithm : saved) {
        QCOMPARE(algorithm.accuracy, QStringLiteral("0"));
        QCOMPARE(algorithm.winStreak, QStringLiteral("0"));
        QCOMPARE(algorithm.lossStreak, QStringLiteral("0"));
    }
}

void TestCustomTable::emptyPositionsAreNotJudged_data()
{
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("window");
    QTest::addColumn<int>("judged");
    // A row is judged when its draw and the six draws its prediction comes from happened.
    QTest::newRow("7 records, window 20") << 7 << 20 << 1;
    QTest::newRow("6 records, window 20") << 6 << 20 << 0;
    QTest::newRow("30 records, window 20") << 30 << 20 << 20;
    QTest::newRow("30 records, window 100") << 30 << 100 << 24;
}

void TestCustomTable::emptyPositionsAreNotJudged()
{
    QFETCH(int, records);
    QFETCH(int, window);
    QFETCH(int, judged);
    std::vector<Draw> draws;
    for (int position = 1; position <= kHistoryLength; ++position) {
        draws.push_back(position <= records
                            ? makeDraw(QString::number(5000 - position), QStringLiteral("12:00"),
                                       QString::number(position * 7 % 10), QString::number(position * 3 % 10),
                                       QString::number(position % 10))
                            : Draw{});
    }
    const DrawHistory history(std::move(draws));
    const FormulaTriple formulas{QStringLiteral("[1]+[5]"), QStringLiteral("[9]*[2]"), QStringLiteral("[13]")};
    FormulaEvaluator evaluator;
    for (int code = 1; code <= 8; ++code) {
        const std::optional<PlanStats> direct = evaluateCustomAlgorithm(evaluator, history, formulas, code, window);
        QVERIFY(direct);
        QCOMPARE(direct->right + direct->wrong, judged);
        // The prepared window (saved list, search) counts the same rows.
        const std::optional<CustomStatsWindow> prepared = prepareCustomStatsWindow(history, code, window);
        QVERIFY(prepared);
        QCOMPARE(prepared->judgedRows, judged);
        const std::array<std::shared_ptr<const CompiledFormula>, 3> compiled = {
            evaluator.compiled(formulas[0]), evaluator.compiled(formulas[1]), evaluator.compiled(formulas[2])};
        const std::array<const CompiledFormula*, 3> raw{compiled[0].get(), compiled[1].get(), compiled[2].get()};
        QCOMPARE(customStats(evaluator, *prepared, raw), *direct);
        QCOMPARE(customStatsByRows(evaluator, *prepared, raw), *direct);
        const std::optional<PredictionTable> table =
            generateCustomTable(evaluator, history, formulas, code, kPeriodCount);
        QVERIFY(table);
        for (int position = 1; position <= kPeriodCount; ++position)
            QCOMPARE(table->verdicts[std::size_t(position - 1)].has_value(), position + 6 <= records);
        QCOMPARE(table->rows[0][5].text.value_or(QString()).isEmpty(), records < 6);
    }
}

QTEST_GUILESS_MAIN(TestCustomTable)
#include "tst_customtable.moc"
