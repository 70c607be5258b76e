#include "plans/generators.h"
#include "plans/marking.h"

#include "drawbuilders.h"

#include <QTest>

#include <algorithm>

using namespace tandor28;
using testsupport::drawWithSum;
using testsupport::sampleHistory;

namespace {

// A member list whose plan 1 predicts the sum of the draw before the judged one; with the size bet
// a row is a hit exactly when the judged draw has the same size as the draw before it.
QStringList sizeFollowingRules()
{
    QStringList rules{QStringLiteral("S----1|2|3")};
    const PlanRules shipped = loadPlanRules();
    rules.append(shipped.member.mid(1));
    return rules;
}

// 110 draws whose sizes make the verdicts of plan 1 with the size bet, for positions W..1 (oldest
// first), follow `letters` (H hit, M miss).
DrawHistory historyWithVerdicts(const QString& letters)
{
    const int window = int(letters.size());
    std::vector<bool> big(111, true);
    for (int i = 0; i < window; ++i) {
        const int k = window - i;
        big[std::size_t(k)] = letters[i] == u'H' ? big[std::size_t(k + 1)] : !big[std::size_t(k + 1)];
    }
    std::vector<Draw> draws;
    for (int position = 1; position <= 110; ++position)
        draws.push_back(drawWithSum(QString::number(3255200 - position), big[std::size_t(position)] ? 20 : 5));
    return DrawHistory(std::move(draws));
}

} // namespace

class TestMarking : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void evaluatesKnownSeries_data();
    void evaluatesKnownSeries();
    void statsMatchTheMemberTable_data();
    void statsMatchTheMemberTable();
    void nothingEvaluatedBelowTenDraws();
    void comparisons_data();
    void comparisons();
    void passMarksByRule_data();
    void passMarksByRule();
    void passWithoutComparisonLeavesCaptions();
    void passBelowTenDrawsComparesZero_data();
    void passBelowTenDrawsComparesZero();
    void emptyPositionsAreNotJudged_data();
    void emptyPositionsAreNotJudged();
};

void TestMarking::evaluatesKnownSeries_data()
{
    QTest::addColumn<QString>("letters");
    QTest::addColumn<QString>("label");
    QTest::newRow("13 of 20 ending hit hit") << "HHHHHHHHHHMMMMMMHMHH"
                                             << "统计【20期】 对:13 错:7 正确率:65 连中:2 连挂:0";
    QTest::newRow("all misses") << QString(30, u'M') << "统计【30期】 对:0 错:30 正确率:0 连中:0 连挂:30";
    QTest::newRow("29 of 50") << QString(21, u'M') + QString(29, u'H')
                              << "统计【50期】 对:29 错:21 正确率:58 连中:29 连挂:0";
    QTest::newRow("57 of 100 ending miss")
        << QString(57, u'H') + QString(43, u'M') << "统计【100期】 对:57 错:43 正确率:57 连中:0 连挂:43";
}

void TestMarking::evaluatesKnownSeries()
{
    QFETCH(QString, letters);
    QFETCH(QString, label);
    const int window = int(letters.size());
    const std::optional<PlanStats> stats =
        evaluateMemberPlan(historyWithVerdicts(letters), sizeFollowingRules(), 1, 2, window);
    QVERIFY(stats);
    QCOMPARE(statsLabelText(QString::number(window), *stats), label);
}

void TestMarking::statsMatchTheMemberTable_data()
{
    QTest::addColumn<int>("plan");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("window");
    for (int code = 1; code <= 9; ++code)
        QTest::addRow("plan %d code %d window %d", code * 6, code, 10 + code * 10)
            << code * 6 << code << 10 + code * 10;
    QTest::newRow("plan 1 code 8 window 20") << 1 << 8 << 20;
}

void TestMarking::statsMatchTheMemberTable()
{
    QFETCH(int, plan);
    QFETCH(int, code);
    QFETCH(int, window);
    const DrawHistory history = sampleHistory(110);
    const QStringList rules = loadPlanRules().member;
    const std::optional<PredictionTable> table = generateMemberTable(history, rules, plan, code, 100);
    QVERIFY(table);
    std::vector<Verdict> oldestFirst;
    for (auto verdict = table->verdicts.begin(); verdict != table->verdicts.begin() + window; ++verdict)
        oldestFirst.push_back(verdict->value());
    std::reverse(oldestFirst.begin(), oldestFirst.end());
    const std::optional<PlanStats> stats = evaluateMemberPlan(history, rules, plan, code, window);
    QVERIFY(stats);
    QCOMPARE(*stats, statsFromVerdicts(oldestFirst));
    QCOMPARE(stats->right + stats->wrong, window);
}

void TestMarking::nothingEvaluatedBelowTenDraws()
{
    const QStringList rules = loadPlanRules().member;
    QVERIFY(!evaluateMemberPlan(sampleHistory(9), rules, 1, 1, 20));
    QVERIFY(evaluateMemberPlan(sampleHistory(10), rules, 1, 1, 20));
    QVERIFY(!evaluateMemberPlan(sampleHistory(110), rules, 57, 1, 20));
    QVERIFY(!evaluateMemberPlan(sampleHistory(110), rules, 1, 10, 20));
    // A window longer than the history is cut to it, and its oldest rows, whose four source draws lie
    // beyond the history, are not judged; an empty window has no accuracy.
    const std::optional<PlanStats> longWindow = evaluateMemberPlan(sampleHistory(110), rules, 1, 1, 1000000);
    QCOMPARE(longWindow->right + longWindow->wrong, 106);
    QCOMPARE(*evaluateMemberPlan(sampleHistory(110), rules, 1, 1, 0), PlanStats{});
}

void TestMarking::comparisons_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("comparison");
    QTest::addColumn<int>("threshold");
    QTest::addColumn<bool>("marked");
    QTest::newRow(">= at threshold") << 80 << 0 << 80 << true;
    QTest::newRow(">= below") << 79 << 0 << 80 << false;
    QTest::newRow("<= at threshold") << 80 << 1 << 80 << true;
    QTest::newRow("<= above") << 81 << 1 << 80 << false;
    QTest::newRow("> at threshold") << 80 << 2 << 80 << false;
    QTest::newRow("> above") << 81 << 2 << 80 << true;
    QTest::newRow("< at threshold") << 80 << 3 << 80 << false;
    QTest::newRow("< below") << 79 << 3 << 80 << true;
    QTest::newRow("< 0 never") << 0 << 3 << 0 << false;
    QTest::newRow("signed: -1 < 0") << 0 << 2 << -1 << true;
}

void TestMarking::comparisons()
{
    QFETCH(int, value);
    QFETCH(int, comparison);
    QFETCH(int, threshold);
    QFETCH(bool, marked);
    QCOMPARE(meetsMarkRule(value, comparison, threshold), std::optional<bool>(marked));
}

void TestMarking::passMarksByRule_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("window");
    QTest::addColumn<int>("criterion");
    QTest::addColumn<int>("comparison");
    QTest::newRow("accuracy >= plan 1's own") << 1 << 20 << 2 << 0;
    QTest::newRow("accuracy > plan 1's own") << 1 << 20 << 2 << 2;
    QTest::newRow("wrong <= plan 1's own") << 4 << 50 << 1 << 1;
    QTest::newRow("win streak < plan 1's own") << 9 << 100 << 3 << 3;
    QTest::newRow("loss streak >= plan 1's own") << 8 << 30 << 4 << 0;
    QTest::newRow("right >= plan 1's own") << 6 << 40 << 0 << 0;
}

void TestMarking::passMarksByRule()
{
    QFETCH(int, code);
    QFETCH(int, window);
    QFETCH(int, criterion);
    QFETCH(int, comparison);
    const DrawHistory history = sampleHistory(110);
    const QStringList rules = loadPlanRules().member;
    // The threshold is plan 1's own value, so plan 1 sits exactly at it.
    const int threshold = evaluateMemberPlan(history, rules, 1, code, window)->field(criterion);
    const std::vector<PlanMark> marks =
        markMemberPlans(history, rules, code, window, {criterion, comparison, threshold});
    QCOMPARE(int(marks.size()), kMemberPlanCount);
    int marked = 0;
    for (int plan = 1; plan <= kMemberPlanCount; ++plan) {
        const PlanMark& mark = marks[std::size_t(plan - 1)];
        const std::optional<PlanStats> stats = evaluateMemberPlan(history, rules, plan, code, window);
        QCOMPARE(mark.stats, *stats);
        QCOMPARE(mark.criterionValue, stats->field(criterion));
        QCOMPARE(mark.marked, meetsMarkRule(mark.criterionValue, comparison, threshold));
        marked += *mark.marked ? 1 : 0;
    }
    QCOMPARE(*marks.front().marked, comparison == 0 || comparison == 1);
    QVERIFY(marked < kMemberPlanCount || comparison < 2);
}

void TestMarking::passWithoutComparisonLeavesCaptions()
{
    const std::vector<PlanMark> marks =
        markMemberPlans(sampleHistory(110), loadPlanRules().member, 1, 20, {2, std::nullopt, 80});
    for (const PlanMark& mark : marks)
        QVERIFY(!mark.marked.has_value());
}

void TestMarking::passBelowTenDrawsComparesZero_data()
{
    QTest::addColumn<int>("comparison");
    QTest::addColumn<int>("threshold");
    QTest::addColumn<bool>("marked");
    QTest::newRow("0 >= 80 unmarked") << 0 << 80 << false;
    QTest::newRow("0 <= 80 marked") << 1 << 80 << true;
    QTest::newRow("0 >= 0 marked") << 0 << 0 << true;
    QTest::newRow("0 < 0 unmarked") << 3 << 0 << false;
}

void TestMarking::passBelowTenDrawsComparesZero()
{
    QFETCH(int, comparison);
    QFETCH(int, threshold);
    QFETCH(bool, marked);
    const std::vector<PlanMark> marks =
        markMemberPlans(sampleHistory(9), loadPlanRules().member, 1, 20, {2, comparison, threshold});
    for (const PlanMark& mark : marks) {
        QCOMPARE(mark.stats, PlanStats{});
        QCOMPARE(mark.marked, std::optional<bool>(marked));
    }
}

void TestMarking::emptyPositionsAreNotJudged_data()
{
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("window");
    QTest::addColumn<int>("judged");
    // A row is judged when its draw and the four draws its prediction comes from happened.
    QTest::newRow("7 records, window 20") << 7 << 20 << 3;
    QTest::newRow("5 records, window 20") << 5 << 20 << 1;
    QTest::newRow("30 records, window 20") << 30 << 20 << 20;
    QTest::newRow("30 records, window 100") << 30 << 100 << 26;
}

void TestMarking::emptyPositionsAreNotJudged()
{
    QFETCH(int, records);
    QFETCH(int, window);
    QFETCH(int, judged);
    // The feed's records, then the empty positions of a history of 110.
    DrawHistory history = sampleHistory(records);
    while (history.size() < kHistoryLength)
        history.append(Draw{});
    const QStringList rules = loadPlanRules().member;
    for (int code = 1; code <= kMemberBetTypeCount; ++code) {
        const std::optional<PlanStats> stats = evaluateMemberPlan(history, rules, 1, code, window);
        QVERIFY(stats);
        QCOMPARE(stats->right + stats->wrong, judged);
        QCOMPARE(stats->accuracy, judged > 0 ? stats->right * 100 / judged : 0);
        const std::optional<PredictionTable> table = generateMemberTable(history, rules, 1, code, kPeriodCount);
        QVERIFY(table);
        for (int position = 1; position <= kPeriodCount; ++position) {
            const bool rowJudged = position + 4 <= records;
            QCOMPARE(table->verdicts[std::size_t(position - 1)].has_value(), rowJudged);
            const PredictionRow& row = table->rows[std::size_t(position)];
            QCOMPARE(row[6].text.value_or(QString()).isEmpty(), !rowJudged);
            QCOMPARE(row[2].text.value_or(QString()).isEmpty(), position > records);
        }
    }
}

QTEST_APPLESS_MAIN(TestMarking)
#include "tst_marking.moc"
