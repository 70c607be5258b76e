#include "analysis/backtest.h"
#include "analysis/missed.h"
#include "app/analysistab.h"
#include "archive/drawarchive.h"
#include "custom/formula.h"
#include "seriesbuilder.h"

#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QRandomGenerator>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace tandor28;

namespace {

// `count` draws of consecutive issues with pseudo-random digits, oldest first.
DrawSeries archiveSeries(int count)
{
    return seriesbuilder::randomSeries(count, 2000000, 11);
}

// The feed's view of a series: its newest 110 draws, newest first.
DrawHistory feedHistory(const DrawSeries& series)
{
    DrawSeries newest(series.end() - std::min<std::ptrdiff_t>(kHistoryLength, std::ptrdiff_t(series.size())),
                      series.end());
    return historyFromSeries(newest);
}

QLineSeries* lineOf(QChart* chart)
{
    return qobject_cast<QLineSeries*>(chart->series().front());
}

QBarSet* barSet(QChart* chart, int index)
{
    return qobject_cast<QBarSeries*>(chart->series().front())->barSets()[index];
}

int rowOfCaption(const QTableWidget* table, const QString& caption)
{
    for (int row = 0; row < table->rowCount(); ++row)
        if (table->item(row, 0)->text() == caption)
            return row;
    return -1;
}

} // namespace

class TestAnalysisTab : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void fillsFromTheArchive();
    void recomputesOnlyForANewDraw();
    void hiddenTabComputesNothing();
    void newAlgorithmJudgedAtTheNextDraw();
    void betTypeChoosesThePlans_data();
    void betTypeChoosesThePlans();
    void clickOpensThePlansCurve();
    void sortsNumerically();
    void worksWithoutAnArchive();
    void namesADamagedArchive();
    void judgesSavedAlgorithms_data();
    void judgesSavedAlgorithms();
    void clickOpensAnAlgorithmsCurve();
    void newerSnapshotReplacesOneBeingShown();
    void curveFollowsTheBetType();
    void closingStopsARunningComputation();

private:
    void startTab(ArchiveReader reader);

    DrawSeries m_archive;
    AppState m_state;
    std::unique_ptr<AnalysisTab> m_tab;
    std::vector<CustomAlgorithm> m_algorithms;
    int m_reads = 0;
};

void TestAnalysisTab::init()
{
    m_archive = archiveSeries(5000);
    // The feed is three draws ahead of the archive: the tab sees both.
    m_state.history = feedHistory(m_archive);
    m_archive.resize(m_archive.size() - 3);
    m_algorithms.clear();
    m_reads = 0;
}

void TestAnalysisTab::cleanup()
{
    m_tab.reset();
}

void TestAnalysisTab::startTab(ArchiveReader reader)
{
    m_tab = std::make_unique<AnalysisTab>(m_state, std::move(reader));
    m_tab->setAlgorithmReader([this] { return m_algorithms; });
    m_tab->resize(890, 564);
    m_tab->show();
    m_tab->onRefreshFinished();
    QTRY_COMPARE_WITH_TIMEOUT(m_tab->shownCount(), 1, 60000);
}

void TestAnalysisTab::fillsFromTheArchive()
{
    startTab([this](LotteryKind) {
        ++m_reads;
        return m_archive;
    });
    const DrawSeries whole = archiveSeries(5000);
    const PlanRules rules = loadPlanRules();

    // Backtest table: every plan offering 组合, as the core judges them over the default K (10000).
    QTableWidget* backtest = m_tab->backtestTable();
    const std::vector<PlanBacktest> expected = backtestAllPlans(whole, rules, BetType::Combo, 10000);
    QCOMPARE(backtest->rowCount(), 72);
    for (const PlanBacktest& item : expected) {
        const QString caption = item.tab == PlanTab::Free ? freePlanCaption(item.plan) : memberPlanCaption(item.plan);
        const int row = rowOfCaption(backtest, caption);
        QVERIFY2(row >= 0, qPrintable(caption));
        QCOMPARE(backtest->item(row, 1)->text(), QString::number(item.result.right));
        QCOMPARE(backtest->item(row, 2)->text(), QString::number(item.result.wrong));
        QCOMPARE(backtest->item(row, 3)->text(), QString::number(item.result.accuracy));
        QCOMPARE(backtest->item(row, 4)->text(), QString::number(item.result.longestWin));
        QCOMPARE(backtest->item(row, 10)->text(), twoDecimals(*item.result.rollingHitRate[2]));
        QCOMPARE(backtest->item(row, 11)->text(), "0");
    }

    // Missed counts of the merged series; rows at or above 80% of their record highlighted.
    QTableWidget* missed = m_tab->missedTable();
    const auto counts = missedCounts(whole);
    QCOMPARE(missed->rowCount(), kMissedItemCount);
    int highlighted = 0;
    for (int row = 0; row < kMissedItemCount; ++row) {
        const MissedCount& count = counts[std::size_t(row)];
        QCOMPARE(missed->item(row, 0)->text(), count.name);
        QCOMPARE(missed->item(row, 1)->text(), QString::number(count.current));
        QCOMPARE(missed->item(row, 2)->text(), QString::number(count.longest));
        QCOMPARE(missed->item(row, 3)->text(), twoDecimals(count.average));
        const bool near = count.current * 5 >= count.longest * 4;
        QCOMPARE(missed->item(row, 1)->background().style() != Qt::NoBrush, near);
        highlighted += near ? 1 : 0;
    }
    QVERIFY(highlighted > 0 && highlighted < kMissedItemCount);

    // Charts: the newest 100 sums, missed counts and hot/cold bars of the 28 sums.
    QLineSeries* sums = lineOf(m_tab->sumsChart());
    QCOMPARE(sums->count(), 100);
    QCOMPARE(int(sums->at(99).y()), whole.back().sum());
    QCOMPARE(barSet(m_tab->missedChart(), 0)->count(), 28);
    QCOMPARE(int(barSet(m_tab->missedChart(), 0)->at(whole.back().sum())), 0);
    const auto hot = hotCold(whole, 100);
    for (int sum = 0; sum < kSumCount; ++sum) {
        QCOMPARE(int(barSet(m_tab->hotColdChart(), 0)->at(sum)), hot[std::size_t(sum)].count);
        QCOMPARE(barSet(m_tab->hotColdChart(), 1)->at(sum), hot[std::size_t(sum)].expected);
    }
    QCOMPARE(m_reads, 1);
}

void TestAnalysisTab::recomputesOnlyForANewDraw()
{
    startTab([this](LotteryKind) {
        ++m_reads;
        return m_archive;
    });
    // A refresh without a new draw leaves the tab as it is: the tab decides at once whether to start
    // a computation, so there is nothing to wait for.
    m_tab->onRefreshFinished();
    QVERIFY(!m_tab->isComputing());
    QCOMPARE(m_tab->shownCount(), 1);

    // A new draw: the feed's history moves on by one issue. The figures move on by it in place, with
    // no new reading of the archive, and are those of the longer series.
    const DrawSeries longer = archiveSeries(5001);
    m_state.history = feedHistory(longer);
    m_tab->onRefreshFinished();
    QVERIFY(!m_tab->isComputing());
    QTRY_COMPARE_WITH_TIMEOUT(m_tab->shownCount(), 2, 60000);
    QCOMPARE(int(lineOf(m_tab->sumsChart())->at(99).y()), longer.back().sum());
    QCOMPARE(m_reads, 1);
    const std::vector<PlanBacktest> expected = backtestAllPlans(longer, loadPlanRules(), BetType::Combo, 10000);
    for (const PlanBacktest& item : expected) {
        const QString caption = item.tab == PlanTab::Free ? freePlanCaption(item.plan) : memberPlanCaption(item.plan);
        const int row = rowOfCaption(m_tab->backtestTable(), caption);
        QVERIFY2(row >= 0, qPrintable(caption));
        QCOMPARE(m_tab->backtestTable()->item(row, 1)->text(), QString::number(item.result.right));
        QCOMPARE(m_tab->backtestTable()->item(row, 4)->text(), QString::number(item.result.longestWin));
    }
    const auto counts = missedCounts(longer);
    for (int row = 0; row < kMissedItemCount; ++row)
        QCOMPARE(m_tab->missedTable()->item(row, 1)->text(), QString::number(counts[std::size_t(row)].current));

    // The other lottery with the same issue is another series.
    m_state.lottery = LotteryKind::Canada28Night;
    m_tab->onRefreshFinished();
    QTRY_COMPARE_WITH_TIMEOUT(m_tab->shownCount(), 3, 60000);
}

// A tab nobody looks at reads and computes nothing; shown, it computes once, over the newest draws.
void TestAnalysisTab::hiddenTabComputesNothing()
{
    m_tab = std::make_unique<AnalysisTab>(m_state, [this](LotteryKind) {
        ++m_reads;
        return m_archive;
    });
    m_tab->resize(890, 564);
    m_tab->onRefreshFinished();
    m_state.history = feedHistory(archiveSeries(5001));
    m_tab->onRefreshFinished();
    QVERIFY(!m_tab->isComputing());
    QCOMPARE(m_reads, 0);
    QCOMPARE(m_tab->shownCount(), 0);

    m_tab->show();
    QTRY_COMPARE_WITH_TIMEOUT(m_tab->shownCount(), 1, 60000);
    QCOMPARE(m_reads, 1);
    QCOMPARE(int(lineOf(m_tab->sumsChart())->at(99).y()), archiveSeries(5001).back().sum());

    // Hidden again, it falls behind and catches up when shown.
    m_tab->hide();
    m_state.history = feedHistory(archiveSeries(5002));
    m_tab->onRefreshFinished();
    QCOMPARE(m_tab->shownCount(), 1);
    m_tab->show();
    QTRY_COMPARE_WITH_TIMEOUT(m_tab->shownCount(), 2, 60000);
    QCOMPARE(int(lineOf(m_tab->sumsChart())->at(99).y()), archiveSeries(5002).back().sum());
    QCOMPARE(m_reads, 1);
}

// An algorithm saved since the last computation is judged from the next new draw on: that draw
// recomputes over the archive; later draws move it on in place again.
void TestAnalysisTab::newAlgorithmJudgedAtTheNextDraw()
{
    startTab([this](LotteryKind) {
        ++m_reads;
        return m_archive;
    });
    QCOMPARE(m_tab->backtestTable()->rowCount(), 72);
    m_algorithms = {{QStringLiteral("和差"), QStringLiteral("[1]+[2]|[3]-[4]|[5]*[6]"), {}, {}, {}}};
    m_state.history = feedHistory(archiveSeries(5001));
    m_tab->onRefreshFinished();
    QTRY_COMPARE_WITH_TIMEOUT(m_tab->shownCount(), 2, 60000);
    QCOMPARE(m_tab->backtestTable()->rowCount(), 73);
    QCOMPARE(m_reads, 2);

    // The custom tab's own figures of the algorithm change with every refresh; that is no new algorithm.
    m_algorithms.front().accuracy = QStringLiteral("55");
    m_state.history = feedHistory(archiveSeries(5002));
    m_tab->onRefreshFinished();
    QVERIFY(!m_tab->isComputing());
    QTRY_COMPARE_WITH_TIMEOUT(m_tab->shownCount(), 3, 60000);
    QCOMPARE(m_tab->backtestTable()->rowCount(), 73);
    QCOMPARE(m_reads, 2);
}

void TestAnalysisTab::betTypeChoosesThePlans_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("plans");
    QTest::newRow("杀3N: free and member plans") << "杀3N" << 72;
    QTest::newRow("杀4N: member plans only") << "杀4N" << 56;
    QTest::newRow("双项: member plans only") << "双项" << 56;
}

void TestAnalysisTab::betTypeChoosesThePlans()
{
    QFETCH(QString, label);
    QFETCH(int, plans);
    startTab([this](LotteryKind) { return m_archive; });
    QComboBox* box = m_tab->betTypeBox();
    box->setCurrentIndex(box->findText(label));
    QTRY_COMPARE_WITH_TIMEOUT(m_tab->shownCount(), 2, 60000);
    QCOMPARE(m_tab->backtestTable()->rowCount(), plans);
    const BetType betType = *memberBetType(box->currentIndex() + 1);
    const auto expected = backtestAllPlans(archiveSeries(5000), loadPlanRules(), betType, 10000);
    const int row = rowOfCaption(m_tab->backtestTable(), memberPlanCaption(56));
    QCOMPARE(m_tab->backtestTable()->item(row, 1)->text(), QString::number(expected.back().result.right));
}

void TestAnalysisTab::clickOpensThePlansCurve()
{
    startTab([this](LotteryKind) { return m_archive; });
    QTableWidget* table = m_tab->backtestTable();
    const int row = rowOfCaption(table, memberPlanCaption(29));
    table->scrollToItem(table->item(row, 0));
    const QRect cell = table->visualItemRect(table->item(row, 0));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    QTRY_VERIFY_WITH_TIMEOUT(m_tab->curveChart()->title().startsWith(memberPlanCaption(29)), 60000);

    const std::optional<BacktestResult> result =
        backtestPlan(archiveSeries(5000), loadPlanRules().member, PlanTab::Member, 29, 1, {10000, true});
    const std::vector<double> rates = rollingHitRates(result->rows, 100);
    QLineSeries* curve = lineOf(m_tab->curveChart());
    // Long curves are thinned to at most 2000 points, evenly, starting with the first window.
    QVERIFY(curve->count() > 0 && curve->count() <= 2000);
    QCOMPARE(curve->at(0).y(), rates.front());
    const int step = int((rates.size() + 1999) / 2000);
    QCOMPARE(curve->at(1).y(), rates[std::size_t(step)]);
}

void TestAnalysisTab::sortsNumerically()
{
    startTab([this](LotteryKind) { return m_archive; });
    QTableWidget* table = m_tab->backtestTable();
    QHeaderView* header = table->horizontalHeader();
    // Clicking the header of "最长连挂" sorts by it; numbers, not texts ("10" after "9").
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(5) + header->sectionSize(5) / 2, header->height() / 2));
    QCOMPARE(header->sortIndicatorSection(), 5);
    for (int row = 1; row < table->rowCount(); ++row) {
        const int previous = table->item(row - 1, 5)->text().toInt();
        const int current = table->item(row, 5)->text().toInt();
        QVERIFY(header->sortIndicatorOrder() == Qt::AscendingOrder ? previous <= current : previous >= current);
    }
    QVERIFY(table->item(0, 5)->text() != table->item(table->rowCount() - 1, 5)->text());
}

void TestAnalysisTab::worksWithoutAnArchive()
{
    // No archive: the feed's 110 draws are the whole series.
    startTab({});
    QCOMPARE(m_tab->backtestTable()->rowCount(), 72);
    const PlanBacktest first =
        backtestAllPlans(seriesFromHistory(m_state.history), loadPlanRules(), BetType::Combo, 10000).front();
    QCOMPARE(m_tab->backtestTable()->item(rowOfCaption(m_tab->backtestTable(), freePlanCaption(1)), 1)->text(),
             QString::number(first.result.right));
    QCOMPARE(first.result.right + first.result.wrong, kHistoryLength - 4);
}

void TestAnalysisTab::namesADamagedArchive()
{
    // An archive of 10,001 draws with random bytes over one page in its middle: the tab says the
    // archive is damaged rather than counting the draws before the damage as all there are.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("draws.sqlite3"));
    {
        ArchiveOpening opening = DrawArchive::open(path);
        QVERIFY(opening.archive);
        std::vector<DatedDraw> draws;
        const QDateTime first(QDate(2026, 1, 1), QTime(9, 5));
        for (qint64 i = 0; i < 10001; ++i)
            draws.push_back(
                {3000000 + i, first.addSecs(i * 300), int(i % 10), int(i / 10 % 10), int(i / 100 % 10), {}});
        QCOMPARE(opening.archive->addDraws(LotteryKind::Lucky28, draws, QStringLiteral("test")).added, 10001);
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QRandomGenerator random(28);
    QByteArray noise(4096, Qt::Uninitialized);
    for (char& byte : noise)
        byte = char(random.bounded(256));
    noise[0] = char(0x71); // no valid page type
    QVERIFY(file.seek(file.size() / 4096 / 2 * 4096));
    QCOMPARE(file.write(noise), qint64(noise.size()));
    file.close();
    m_state.lottery = LotteryKind::Lucky28;
    startTab(archiveFileReader(path));
    const QString status = m_tab->findChild<QLabel*>(QStringLiteral("analysisStatusLabel"))->text();
    QVERIFY2(status.startsWith(QStringLiteral("开奖存档无法读取（the archive file is damaged）")), qPrintable(status));
    // The figures are those of the feed's draws alone, never a part of the archive's.
    QVERIFY2(status.contains(QStringLiteral("共 %1 期").arg(kHistoryLength)), qPrintable(status));
}

// Saved algorithms are judged with the custom tab's code of the chosen bet type, after the plans;
// one without formulas, or a bet type the custom tab does not offer, gives no row.
void TestAnalysisTab::judgesSavedAlgorithms_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("plans");
    QTest::addColumn<int>("customCode");
    QTest::newRow("组合: custom code 1") << "组合" << 72 << 1;
    QTest::newRow("杀双组: member code 9, custom code 7") << "杀双组" << 56 << 7;
    QTest::newRow("双组: not a custom bet type") << "双组" << 56 << 0;
}

void TestAnalysisTab::judgesSavedAlgorithms()
{
    QFETCH(QString, label);
    QFETCH(int, plans);
    QFETCH(int, customCode);
    m_algorithms = {
        {QStringLiteral("和差"), QStringLiteral("[1]+[2]|[3]-[4]|[5]*[6]"), {}, {}, {}},
        {QStringLiteral("空"), QStringLiteral("||"), {}, {}, {}},
        {QStringLiteral("取余"), QStringLiteral("[2]%7|[6]+3|[1]*[3]+[5]"), {}, {}, {}},
    };
    startTab([this](LotteryKind) { return m_archive; });
    QComboBox* box = m_tab->betTypeBox();
    const int shown = m_tab->shownCount();
    box->setCurrentIndex(box->findText(label));
    if (box->currentIndex() != 0)
        QTRY_COMPARE_WITH_TIMEOUT(m_tab->shownCount(), shown + 1, 60000);

    QTableWidget* table = m_tab->backtestTable();
    QCOMPARE(table->rowCount(), plans + (customCode ? 2 : 0));
    QCOMPARE(rowOfCaption(table, QStringLiteral("算法：空")), -1);
    if (!customCode) {
        QCOMPARE(rowOfCaption(table, QStringLiteral("算法：和差")), -1);
        return;
    }
    FormulaEvaluator evaluator;
    for (const int index : {0, 2}) {
        const CustomAlgorithm& algorithm = m_algorithms[std::size_t(index)];
        const int row = rowOfCaption(table, QStringLiteral("算法：") + algorithm.name);
        QVERIFY2(row >= 0, qPrintable(algorithm.name));
        const std::optional<BacktestResult> expected = backtestFormulas(
            evaluator, archiveSeries(5000), splitFormulas(algorithm.formulas), customCode, {10000, false});
        QVERIFY(expected);
        QCOMPARE(table->item(row, 1)->text(), QString::number(expected->right));
        QCOMPARE(table->item(row, 2)->text(), QString::number(expected->wrong));
        QCOMPARE(table->item(row, 5)->text(), QString::number(expected->longestLoss));
        QCOMPARE(table->item(row, 0)->toolTip(), algorithm.formulas);
    }
}

void TestAnalysisTab::clickOpensAnAlgorithmsCurve()
{
    m_algorithms = {{QStringLiteral("和差"), QStringLiteral("[1]+[2]|[3]-[4]|[5]*[6]"), {}, {}, {}}};
    startTab([this](LotteryKind) { return m_archive; });
    QTableWidget* table = m_tab->backtestTable();
    const int row = rowOfCaption(table, QStringLiteral("算法：和差"));
    table->scrollToItem(table->item(row, 0));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualItemRect(table->item(row, 0)).center());
    QTRY_VERIFY_WITH_TIMEOUT(m_tab->curveChart()->title().startsWith(QStringLiteral("算法：和差")), 60000);

    FormulaEvaluator evaluator;
    const std::optional<BacktestResult> result =
        backtestFormulas(evaluator, archiveSeries(5000), splitFormulas(m_algorithms[0].formulas), 1, {10000, true});
    const std::vector<double> rates = rollingHitRates(result->rows, 100);
    QLineSeries* curve = lineOf(m_tab->curveChart());
    QVERIFY(!rates.empty());
    QCOMPARE(curve->at(0).y(), rates.front());
}

// The views are written in parts on later turns of the event loop; a snapshot that arrives while an
// older one is being written replaces it, so no view is left with the older one's values.
void TestAnalysisTab::newerSnapshotReplacesOneBeingShown()
{
    startTab({});
    const PlanRules rules = loadPlanRules();
    AnalysisRequest request;
    const AnalysisSnapshot older = analysisSnapshot(archiveSeries(300), rules, request);
    const AnalysisSnapshot newer = analysisSnapshot(archiveSeries(400), rules, request);
    QVERIFY(older.backtests.front().result.right != newer.backtests.front().result.right);
    QVERIFY(older.missed[0].current != newer.missed[0].current || older.missed[1].current != newer.missed[1].current);

    const int shown = m_tab->shownCount();
    m_tab->showSnapshot(older);
    QVERIFY(m_tab->showNextPart()); // the older snapshot's backtest table only
    QCOMPARE(m_tab->shownCount(), shown);
    m_tab->showSnapshot(newer);
    QTRY_COMPARE_WITH_TIMEOUT(m_tab->shownCount(), shown + 1, 10000);
    QVERIFY(!m_tab->showNextPart());

    QTableWidget* table = m_tab->backtestTable();
    const PlanBacktest first = newer.backtests.front();
    QCOMPARE(table->item(rowOfCaption(table, freePlanCaption(1)), 1)->text(), QString::number(first.result.right));
    QCOMPARE(m_tab->missedTable()->item(0, 1)->text(), QString::number(newer.missed[0].current));
    QCOMPARE(m_tab->missedTable()->item(1, 1)->text(), QString::number(newer.missed[1].current));
    QCOMPARE(lineOf(m_tab->sumsChart())->count(), int(newer.recent.size()));
    QCOMPARE(int(lineOf(m_tab->sumsChart())->at(newer.recent.size() - 1).y()), newer.recent.back().sum());
}

void TestAnalysisTab::curveFollowsTheBetType()
{
    startTab([this](LotteryKind) { return m_archive; });
    QTableWidget* table = m_tab->backtestTable();
    const auto clickPlan = [table](int plan) {
        const int row = rowOfCaption(table, memberPlanCaption(plan));
        table->scrollToItem(table->item(row, 0));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualItemRect(table->item(row, 0)).center());
    };
    const auto firstRate = [](int code) {
        const std::optional<BacktestResult> result =
            backtestPlan(archiveSeries(5000), loadPlanRules().member, PlanTab::Member, 29, code, {10000, true});
        return rollingHitRates(result->rows, 100).front();
    };
    clickPlan(29);
    QTRY_VERIFY_WITH_TIMEOUT(lineOf(m_tab->curveChart())->count() > 0, 60000);
    QCOMPARE(lineOf(m_tab->curveChart())->at(0).y(), firstRate(1));
    QVERIFY(firstRate(1) != firstRate(2));

    // Another 玩法: the curve shown is the same plan's under the new bet type, not the old one's.
    QComboBox* box = m_tab->betTypeBox();
    box->setCurrentIndex(box->findText(QStringLiteral("大小")));
    QTRY_COMPARE_WITH_TIMEOUT(m_tab->shownCount(), 2, 60000);
    QTRY_COMPARE_WITH_TIMEOUT(lineOf(m_tab->curveChart())->at(0).y(), firstRate(2), 60000);
    QVERIFY(m_tab->curveChart()->title().startsWith(memberPlanCaption(29)));
}

// The tab going away (the window closes) stops a computation over a long archive at its next step
// and waits for it: the rows judged stay far below the whole, and nothing of it is left running.
void TestAnalysisTab::closingStopsARunningComputation()
{
    const auto huge = std::make_shared<const DrawSeries>(seriesbuilder::randomSeries(1000000, 2000000, 11));
    m_tab = std::make_unique<AnalysisTab>(m_state, [huge](LotteryKind) { return ArchiveRead{*huge}; });
    const std::shared_ptr<const std::atomic<qint64>> judged = m_tab->judgedRows();
    // "全部": every plan is judged over every draw.
    QComboBox* last = m_tab->findChild<QComboBox*>(QStringLiteral("analysisBacktestLastBox"));
    QVERIFY(last);
    last->setCurrentIndex(last->count() - 1);
    QVERIFY(m_tab->isComputing());
    QTRY_VERIFY_WITH_TIMEOUT(judged->load() > 0, 60000);
    m_tab.reset();
    // The reader is held by the tab and by its task alone: both are gone.
    QCOMPARE(huge.use_count(), 1);
    const qint64 total = 72 * qint64(huge->size() - kPlanSourceDraws);
    QVERIFY2(judged->load() < total / 10, qPrintable(QString::number(judged->load())));
}

QTEST_MAIN(TestAnalysisTab)
#include "tst_analysistab.moc"
