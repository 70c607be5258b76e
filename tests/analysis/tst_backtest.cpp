#include "analysis/backtest.h"

#include "custom/formula.h"
#include "plans/generators.h"
#include "plans/marking.h"
#include "plans/planstats.h"

#include "drawbuilders.h"
#include "seriesbuilder.h"

#include <QTest>

#include <algorithm>

using namespace tandor28;
using seriesbuilder::randomSeries;
using seriesbuilder::seriesOfSums;
using seriesbuilder::withoutIssues;

Q_DECLARE_METATYPE(tandor28::PlanTab)

namespace {

const FormulaTriple kFormulas = {QStringLiteral("[1]+[5]*[9]"), QStringLiteral("([2]+[13])%7"),
                                 QStringLiteral("[18]*3-[4]")};

// The table of a tab for the plan (or the formulas) and code over 100 judged rows.
std::optional<PredictionTable> planTable(const DrawHistory& history, PlanTab tab, int plan, int code)
{
    const PlanRules rules = loadPlanRules();
    FormulaEvaluator evaluator;
    switch (tab) {
    case PlanTab::Free:
        return generateFreeTable(history, rules.free, plan, code, 100);
    case PlanTab::Member:
        return generateMemberTable(history, rules.member, plan, code, 100);
    case PlanTab::Custom:
        return generateCustomTable(evaluator, history, kFormulas, code, 100);
    }
    return std::nullopt;
}

std::optional<BacktestResult> backtest(const DrawSeries& series, PlanTab tab, int plan, int code, int last)
{
    FormulaEvaluator evaluator;
    const PlanRules rules = loadPlanRules();
    if (tab == PlanTab::Custom)
        return backtestFormulas(evaluator, series, kFormulas, code, {last, true});
    return backtestPlan(series, tab == PlanTab::Free ? rules.free : rules.member, tab, plan, code, {last, true});
}

// A member list whose plan 1 predicts the sum of the draw before the judged one: with the size bet a
// row is a hit exactly when the judged draw has the size of the draw before it.
QStringList sizeFollowingRules()
{
    return {QStringLiteral("S----1|2|3")};
}

} // namespace

class TestBacktest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void agreesWithThePlanTables_data();
    void agreesWithThePlanTables();
    void gapsSkipExactlyTheirRows_data();
    void gapsSkipExactlyTheirRows();
    void streaksStopAtGaps_data();
    void streaksStopAtGaps();
    void rollingHitRates_data();
    void rollingHitRates();
    void newestRollingRates();
    void allPlansOfABetType_data();
    void allPlansOfABetType();
    void refusesWhatTheTabDoesNotOffer();
};

void TestBacktest::agreesWithThePlanTables_data()
{
    QTest::addColumn<PlanTab>("tab");
    QTest::addColumn<int>("plan");
    QTest::addColumn<int>("code");
    for (int code = 1; code <= kFreeBetTypeCount; ++code)
        QTest::addRow("free plan %d code %d", code * 3, code) << PlanTab::Free << code * 3 << code;
    for (int code = 1; code <= kMemberBetTypeCount; ++code)
        QTest::addRow("member plan %d code %d", code * 6, code) << PlanTab::Member << code * 6 << code;
    for (int code = 1; code <= kCustomBetTypeCount; ++code)
        QTest::addRow("formulas code %d", code) << PlanTab::Custom << 0 << code;
}

void TestBacktest::agreesWithThePlanTables()
{
    QFETCH(PlanTab, tab);
    QFETCH(int, plan);
    QFETCH(int, code);
    const DrawHistory history = testsupport::sampleHistory(110);
    const std::optional<PredictionTable> table = planTable(history, tab, plan, code);
    QVERIFY(table);

    for (const int window : {100, 37}) {
        const std::optional<BacktestResult> result = backtest(seriesFromHistory(history), tab, plan, code, window);
        QVERIFY(result);
        QCOMPARE(result->skipped, 0);
        QCOMPARE(int(result->rows.size()), window);
        // Row for row: the table lists the newest draw first, the backtest the oldest.
        std::vector<Verdict> oldestFirst;
        for (int k = window; k >= 1; --k) {
            const BacktestRow& row = result->rows[std::size_t(window - k)];
            QCOMPARE(QString::number(row.issue), history.at(k).issue);
            QCOMPARE(std::optional<Verdict>(row.verdict), table->verdicts[std::size_t(k - 1)]);
            QVERIFY(!row.afterGap);
            oldestFirst.push_back(table->verdicts[std::size_t(k - 1)].value());
        }
        // The statistics label's figures over the same window.
        PlanStats expected = statsFromVerdicts(oldestFirst);
        if (tab == PlanTab::Member)
            QCOMPARE(*evaluateMemberPlan(history, loadPlanRules().member, plan, code, window), expected);
        if (tab == PlanTab::Custom) {
            FormulaEvaluator evaluator;
            QCOMPARE(*evaluateCustomAlgorithm(evaluator, history, kFormulas, code, window), expected);
        }
        QCOMPARE((PlanStats{result->right, result->wrong, result->accuracy, result->winStreak, result->lossStreak}),
                 expected);
    }
}

void TestBacktest::gapsSkipExactlyTheirRows_data()
{
    QTest::addColumn<PlanTab>("tab");
    QTest::addColumn<int>("code");
    QTest::addColumn<QList<qint64>>("missing");
    QTest::addColumn<int>("last");
    QTest::addColumn<QList<qint64>>("skipped");
    // The series runs from issue 1000 to 1199; the newest `last` draws of it are judged.
    QTest::newRow("plans: one issue missing")
        << PlanTab::Member << 1 << QList<qint64>{1150} << 100 << QList<qint64>{1151, 1152, 1153, 1154};
    QTest::newRow("formulas: one issue missing")
        << PlanTab::Custom << 1 << QList<qint64>{1150} << 100 << QList<qint64>{1151, 1152, 1153, 1154, 1155, 1156};
    QTest::newRow("plans: a run of three missing")
        << PlanTab::Free << 2 << QList<qint64>{1170, 1171, 1172} << 100 << QList<qint64>{1173, 1174, 1175, 1176};
    QTest::newRow("plans: two gaps closer than the sources")
        << PlanTab::Member << 8 << QList<qint64>{1160, 1162} << 100 << QList<qint64>{1161, 1163, 1164, 1165, 1166};
    QTest::newRow("plans: the newest draw follows a gap")
        << PlanTab::Member << 9 << QList<qint64>{1198} << 100 << QList<qint64>{1199};
    QTest::newRow("plans: a gap older than the window")
        << PlanTab::Member << 1 << QList<qint64>{1090} << 100 << QList<qint64>{};
    QTest::newRow("plans: a gap across the window's oldest rows")
        << PlanTab::Member << 1 << QList<qint64>{1098} << 100 << QList<qint64>{1100, 1101, 1102};
}

void TestBacktest::gapsSkipExactlyTheirRows()
{
    QFETCH(PlanTab, tab);
    QFETCH(int, code);
    QFETCH(QList<qint64>, missing);
    QFETCH(int, last);
    QFETCH(QList<qint64>, skipped);
    const DrawSeries whole = randomSeries(200);
    const DrawSeries series = withoutIssues(whole, missing);
    const std::optional<BacktestResult> result = backtest(series, tab, 5, code, last);
    const std::optional<BacktestResult> reference = backtest(whole, tab, 5, code, 200);
    QVERIFY(result && reference);

    QCOMPARE(result->skipped, int(skipped.size()));
    // The newest `last` draws of the gapped series, minus the skipped ones, are judged, each exactly
    // as in the series without the gap.
    QList<qint64> expectedIssues;
    for (auto it = series.end() - last; it != series.end(); ++it)
        if (!skipped.contains(it->issue))
            expectedIssues.append(it->issue);
    QCOMPARE(int(result->rows.size()), int(expectedIssues.size()));
    QCOMPARE(result->right + result->wrong, int(expectedIssues.size()));
    for (std::size_t i = 0; i < result->rows.size(); ++i) {
        const BacktestRow& row = result->rows[i];
        QCOMPARE(row.issue, expectedIssues[qsizetype(i)]);
        const auto same = std::find_if(reference->rows.begin(), reference->rows.end(),
                                       [&](const BacktestRow& r) { return r.issue == row.issue; });
        QVERIFY(same != reference->rows.end());
        QCOMPARE(row.verdict, same->verdict);
        QCOMPARE(row.afterGap, !skipped.isEmpty() && skipped.contains(row.issue - 1));
    }
}

void TestBacktest::streaksStopAtGaps_data()
{
    QTest::addColumn<QList<int>>("sums");
    QTest::addColumn<QList<qint64>>("missing");
    QTest::addColumn<int>("right");
    QTest::addColumn<int>("wrong");
    QTest::addColumn<int>("longestWin");
    QTest::addColumn<int>("longestLoss");
    QTest::addColumn<int>("winStreak");
    QTest::addColumn<int>("lossStreak");
    QTest::addColumn<int>("skipped");
    // Plan 1 predicts the previous sum; with the size bet a row hits when the size repeats.
    // 30 big draws, issues 1..30: targets 5..30 are judged, all hits.
    QTest::newRow("no gap") << QList<int>(30, 20) << QList<qint64>{} << 26 << 0 << 26 << 0 << 26 << 0 << 0;
    // Issue 15 missing: 16..19 are skipped, the runs 5..14 and 20..30 are separate.
    QTest::newRow("one gap") << QList<int>(30, 20) << QList<qint64>{15} << 21 << 0 << 11 << 0 << 11 << 0 << 4;
    // Sizes alternate: every row misses; the gap splits the losing run too.
    QList<int> alternating;
    for (int i = 0; i < 30; ++i)
        alternating.append(i % 2 == 0 ? 5 : 20);
    QTest::newRow("alternating, one gap") << alternating << QList<qint64>{11} << 0 << 21 << 0 << 15 << 0 << 15 << 4;
    // A gap just before the newest draws: the current streak starts after it.
    QTest::newRow("gap near the end") << QList<int>(30, 20) << QList<qint64>{25} << 21 << 0 << 20 << 0 << 1 << 0 << 4;
}

void TestBacktest::streaksStopAtGaps()
{
    QFETCH(QList<int>, sums);
    QFETCH(QList<qint64>, missing);
    const DrawSeries series = withoutIssues(seriesOfSums(sums), missing);
    const std::optional<BacktestResult> result =
        backtestPlan(series, sizeFollowingRules(), PlanTab::Member, 1, 2, {1000, false});
    QVERIFY(result);
    QTEST(result->right, "right");
    QTEST(result->wrong, "wrong");
    QTEST(result->longestWin, "longestWin");
    QTEST(result->longestLoss, "longestLoss");
    QTEST(result->winStreak, "winStreak");
    QTEST(result->lossStreak, "lossStreak");
    QTEST(result->skipped, "skipped");
    QVERIFY(result->rows.empty());
}

void TestBacktest::rollingHitRates_data()
{
    QTest::addColumn<QString>("letters");
    QTest::addColumn<int>("window");
    QTest::addColumn<QList<double>>("rates");
    QTest::newRow("window 2") << "HHMH" << 2 << QList<double>{100, 50, 50};
    QTest::newRow("window 4") << "HHMHMMMM" << 4 << QList<double>{75, 50, 25, 25, 0};
    QTest::newRow("window of all rows") << "HMM" << 3 << QList<double>{100.0 / 3};
    QTest::newRow("fewer rows than the window") << "HMM" << 4 << QList<double>{};
    QTest::newRow("no window") << "HMM" << 0 << QList<double>{};
}

void TestBacktest::rollingHitRates()
{
    QFETCH(QString, letters);
    QFETCH(int, window);
    QFETCH(QList<double>, rates);
    std::vector<BacktestRow> rows;
    for (const QChar letter : letters)
        rows.push_back({0, letter == u'H' ? Verdict::Hit : Verdict::Miss, false});
    const std::vector<double> computed = tandor28::rollingHitRates(rows, window);
    QCOMPARE(QList<double>(computed.begin(), computed.end()), rates);
}

void TestBacktest::newestRollingRates()
{
    // 1,205 big draws then 50 small ones: the plan misses once at the change of size, 50 rows from the
    // newest, and hits everywhere else.
    QList<int> sums(1205, 20);
    sums.append(QList<int>(50, 5));
    const DrawSeries series = seriesOfSums(sums);
    const std::optional<BacktestResult> all =
        backtestPlan(series, sizeFollowingRules(), PlanTab::Member, 1, 2, {100000, false});
    QCOMPARE(all->right + all->wrong, 1251);
    QCOMPARE(all->wrong, 1);
    QCOMPARE(all->rollingHitRate[0], std::optional<double>(99.0));
    QCOMPARE(all->rollingHitRate[1], std::optional<double>(99.8));
    QCOMPARE(all->rollingHitRate[2], std::optional<double>(99.9));

    const std::optional<BacktestResult> short_ =
        backtestPlan(series, sizeFollowingRules(), PlanTab::Member, 1, 2, {120, false});
    QCOMPARE(short_->rollingHitRate[0], std::optional<double>(99.0));
    QVERIFY(!short_->rollingHitRate[1]);
    QVERIFY(!short_->rollingHitRate[2]);
}

void TestBacktest::allPlansOfABetType_data()
{
    QTest::addColumn<int>("betType");
    QTest::addColumn<int>("threads");
    QTest::addColumn<int>("plans");
    QTest::newRow("combo, two threads") << int(BetType::Combo) << 2 << 72;
    QTest::newRow("kill 3N, one thread") << int(BetType::Kill3N) << 1 << 72;
    QTest::newRow("kill 4N: member plans only") << int(BetType::Kill4N) << 2 << 56;
    QTest::newRow("double item, three threads") << int(BetType::DoubleItem) << 3 << 56;
}

void TestBacktest::allPlansOfABetType()
{
    QFETCH(int, betType);
    QFETCH(int, threads);
    QFETCH(int, plans);
    const DrawSeries series = withoutIssues(randomSeries(600), {1300});
    const PlanRules rules = loadPlanRules();
    const std::vector<PlanBacktest> all = backtestAllPlans(series, rules, BetType(betType), 500, threads);
    QCOMPARE(int(all.size()), plans);
    for (const PlanBacktest& item : all) {
        QCOMPARE(item.code, *tabBetCode(item.tab, BetType(betType)));
        const std::optional<BacktestResult> single =
            backtestPlan(series, item.tab == PlanTab::Free ? rules.free : rules.member, item.tab, item.plan, item.code,
                         {500, false});
        QCOMPARE(item.result, *single);
        QCOMPARE(item.result.skipped, 4);
    }
    QCOMPARE(all.front().tab, plans == 72 ? PlanTab::Free : PlanTab::Member);
    QCOMPARE(all.back().plan, kMemberPlanCount);
}

void TestBacktest::refusesWhatTheTabDoesNotOffer()
{
    const DrawSeries series = randomSeries(50);
    const PlanRules rules = loadPlanRules();
    FormulaEvaluator evaluator;
    QVERIFY(!backtestPlan(series, rules.free, PlanTab::Free, 17, 1, {10, false}));
    QVERIFY(!backtestPlan(series, rules.free, PlanTab::Free, 1, 6, {10, false}));
    QVERIFY(!backtestPlan(series, rules.member, PlanTab::Member, 0, 1, {10, false}));
    QVERIFY(!backtestPlan(series, rules.member, PlanTab::Member, 1, 10, {10, false}));
    QVERIFY(!backtestPlan(series, rules.member, PlanTab::Custom, 1, 1, {10, false}));
    QVERIFY(!backtestFormulas(evaluator, series, kFormulas, 9, {10, false}));
    // A series too short for any prediction judges nothing, without failing.
    const std::optional<BacktestResult> tiny =
        backtestPlan(randomSeries(4), rules.member, PlanTab::Member, 1, 1, {10, false});
    QVERIFY(tiny);
    QCOMPARE(tiny->right + tiny->wrong + tiny->skipped, 0);
    QCOMPARE(tiny->accuracy, 0);
}

QTEST_GUILESS_MAIN(TestBacktest)
#include "tst_backtest.moc"
