#include "analysis/liveanalysis.h"
#include "analysis/rollingbacktest.h"

#include "seriesbuilder.h"

#include <QTest>

#include <atomic>
#include <climits>
#include <thread>

using namespace tandor28;
using seriesbuilder::randomSeries;
using seriesbuilder::withoutIssues;

namespace {

void compareSnapshots(const AnalysisSnapshot& live, const AnalysisSnapshot& full)
{
    QCOMPARE(live.draws, full.draws);
    QCOMPARE(live.newestIssue, full.newestIssue);
    QCOMPARE(live.gaps, full.gaps);
    QCOMPARE(live.backtests.size(), full.backtests.size());
    for (std::size_t i = 0; i < full.backtests.size(); ++i) {
        const PlanBacktest& a = live.backtests[i];
        const PlanBacktest& b = full.backtests[i];
        QCOMPARE(int(a.tab), int(b.tab));
        QCOMPARE(a.plan, b.plan);
        QCOMPARE(a.code, b.code);
        QCOMPARE(a.name, b.name);
        QVERIFY2(a.result == b.result, qPrintable(QStringLiteral("backtest %1: %2/%3/%4/%5 against %6/%7/%8/%9")
                                                      .arg(i)
                                                      .arg(a.result.right)
                                                      .arg(a.result.longestWin)
                                                      .arg(a.result.longestLoss)
                                                      .arg(a.result.skipped)
                                                      .arg(b.result.right)
                                                      .arg(b.result.longestWin)
                                                      .arg(b.result.longestLoss)
                                                      .arg(b.result.skipped)));
    }
    QVERIFY(live.missed == full.missed);
    QVERIFY(live.hotCold == full.hotCold);
    QVERIFY(live.recent == full.recent);
}

} // namespace

// The analysis moved on draw by draw shows what a computation over the longer series shows.
class TestLiveAnalysis : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void followsTheFullComputation_data();
    void followsTheFullComputation();
    void refusesDrawsPastAGap();
    void rollingWindowSlides();
    void stopEndsTheComputation_data();
    void stopEndsTheComputation();
};

void TestLiveAnalysis::followsTheFullComputation_data()
{
    QTest::addColumn<int>("draws");
    QTest::addColumn<int>("added");
    QTest::addColumn<int>("backtestLast");
    QTest::addColumn<int>("recentLast");
    QTest::addColumn<QList<qint64>>("missing");
    QTest::addColumn<bool>("oneByOne");
    QTest::addColumn<int>("betType");

    // clang-format off
    QTest::newRow("window slides, one by one")         << 1500 << 40 << 1000 << 100 << QList<qint64>{} << true << int(BetType::Combo);
    QTest::newRow("window grows: fewer draws than K")  << 300 << 30 << 1000 << 100 << QList<qint64>{} << true << int(BetType::Combo);
    QTest::newRow("all draws")                         << 1300 << 25 << INT_MAX << 500 << QList<qint64>{} << true << int(BetType::Size);
    QTest::newRow("gaps leave and enter the window")   << 700 << 60 << 200 << 50 << QList<qint64>{1480, 1500, 1501, 1690, 1745} << true << int(BetType::Parity);
    QTest::newRow("many at once")                      << 900 << 120 << 500 << 100 << QList<qint64>{1950} << false << int(BetType::Combo);
    QTest::newRow("small K, long streaks leave")       << 400 << 80 << 7 << 3 << QList<qint64>{} << true << int(BetType::DoubleItem);
    // clang-format on
}

void TestLiveAnalysis::followsTheFullComputation()
{
    QFETCH(int, draws);
    QFETCH(int, added);
    QFETCH(int, backtestLast);
    QFETCH(int, recentLast);
    QFETCH(QList<qint64>, missing);
    QFETCH(bool, oneByOne);
    QFETCH(int, betType);
    const DrawSeries whole = withoutIssues(randomSeries(draws + added), missing);
    const std::size_t first = whole.size() - static_cast<std::size_t>(added);
    AnalysisRequest request;
    request.betType = static_cast<BetType>(betType);
    request.backtestLast = backtestLast;
    request.recentLast = recentLast;
    request.threads = 2;
    request.algorithms = {{QStringLiteral("和差"), QStringLiteral("[1]+[5]|[2]+[9]|[3]+[13]"), {}, {}, {}},
                          {QStringLiteral("空"), QStringLiteral("||"), {}, {}, {}}};
    const PlanRules rules = loadPlanRules();

    LiveAnalysis live(DrawSeries(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(first)), rules, request);
    compareSnapshots(live.snapshot(),
                     analysisSnapshot(DrawSeries(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(first)),
                                      rules, request));
    if (oneByOne) {
        for (std::size_t i = first; i < whole.size(); ++i) {
            // A feed's view: the newest draws, the new one among them.
            const DrawSeries fresh(whole.begin() + static_cast<std::ptrdiff_t>(i > 20 ? i - 20 : 0),
                                   whole.begin() + static_cast<std::ptrdiff_t>(i + 1));
            QCOMPARE(live.append(fresh), std::optional<int>(1));
        }
    } else {
        QCOMPARE(live.append(DrawSeries(whole.begin() + static_cast<std::ptrdiff_t>(first) - 5, whole.end())),
                 std::optional<int>(added));
    }
    compareSnapshots(live.snapshot(), analysisSnapshot(whole, rules, request));
}

void TestLiveAnalysis::refusesDrawsPastAGap()
{
    const DrawSeries whole = randomSeries(300);
    AnalysisRequest request;
    request.backtestLast = 100;
    LiveAnalysis live(DrawSeries(whole.begin(), whole.begin() + 200), loadPlanRules(), request);
    const AnalysisSnapshot before = live.snapshot();
    // Draws 250.. with nothing that reaches back to the newest held one: what lies between is unknown.
    QCOMPARE(live.append(DrawSeries(whole.begin() + 250, whole.end())), std::nullopt);
    compareSnapshots(live.snapshot(), before);
    // Nothing newer: nothing to do.
    QCOMPARE(live.append(DrawSeries(whole.begin() + 150, whole.begin() + 200)), std::optional<int>(0));
    compareSnapshots(live.snapshot(), before);
}

// The longest streaks of a window fall when the draws that held them leave.
void TestLiveAnalysis::rollingWindowSlides()
{
    RollingBacktest rolling(4);
    for (const bool hit : {true, true, true, false, true, false})
        rolling.enter(hit ? Verdict::Hit : Verdict::Miss);
    // Window: hit, miss, hit, miss; the three hits in a row have left it.
    BacktestResult result = rolling.result();
    QCOMPARE(result.right, 2);
    QCOMPARE(result.wrong, 2);
    QCOMPARE(result.longestWin, 1);
    QCOMPARE(result.longestLoss, 1);
    QCOMPARE(result.lossStreak, 1);
    rolling.enter(std::nullopt);
    rolling.enter(Verdict::Miss);
    result = rolling.result();
    // Window: hit, miss, skipped, miss: the two misses are no streak across the skipped draw.
    QCOMPARE(result.skipped, 1);
    QCOMPARE(result.wrong, 2);
    QCOMPARE(result.longestLoss, 1);
    QCOMPARE(result.lossStreak, 1);
}

void TestLiveAnalysis::stopEndsTheComputation_data()
{
    QTest::addColumn<bool>("stopFirst"); // stopped before it starts, or once it judges
    QTest::addColumn<bool>("stopMidway");
    QTest::newRow("never stopped") << false << false;
    QTest::newRow("stopped before it starts") << true << false;
    QTest::newRow("stopped while it judges") << false << true;
}

// A computation asked to stop ends at its next step, its figures marked incomplete; one left alone
// judges every row of every plan.
void TestLiveAnalysis::stopEndsTheComputation()
{
    QFETCH(bool, stopFirst);
    QFETCH(bool, stopMidway);
    const int draws = stopMidway ? 1000000 : 20000;
    const DrawSeries series = randomSeries(draws);
    const PlanRules rules = loadPlanRules();
    std::stop_source stop;
    AnalysisRequest request;
    request.backtestLast = INT_MAX;
    request.threads = 1;
    request.stop = stop.get_token();
    request.judgedRows = std::make_shared<std::atomic<qint64>>(0);
    if (stopFirst)
        stop.request_stop();
    // The watcher asks for the stop as soon as the first rows are counted.
    std::jthread watcher([&stop, counter = request.judgedRows, stopMidway](std::stop_token own) {
        while (stopMidway && !own.stop_requested() && counter->load() == 0)
            std::this_thread::yield();
        if (stopMidway)
            stop.request_stop();
    });
    const LiveAnalysis live(series, rules, request);
    watcher.request_stop();
    const qint64 plans = qint64(PlanJudges(rules, request.betType).plans().size());
    const qint64 total = plans * (draws - kPlanSourceDraws);
    QCOMPARE(live.stopped(), stopFirst || stopMidway);
    if (stopFirst)
        QCOMPARE(request.judgedRows->load(), 0);
    else if (stopMidway)
        QVERIFY2(request.judgedRows->load() < total / 10, qPrintable(QString::number(request.judgedRows->load())));
    else
        QCOMPARE(request.judgedRows->load(), total);
}

QTEST_GUILESS_MAIN(TestLiveAnalysis)
#include "tst_liveanalysis.moc"
