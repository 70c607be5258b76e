#include "analysis/snapshot.h"

#include "seriesbuilder.h"

#include <QTest>

using namespace tandor28;
using seriesbuilder::randomSeries;
using seriesbuilder::withoutIssues;

namespace {

QList<qint64> issuesOf(const DrawSeries& series)
{
    QList<qint64> issues;
    for (const SeriesDraw& draw : series)
        issues.append(draw.issue);
    return issues;
}

// The issues of the series 1000..1049 outside first..last - 1.
QList<qint64> issuesOutside(qint64 first, qint64 last)
{
    QList<qint64> issues;
    for (qint64 issue = 1000; issue < 1050; ++issue)
        if (issue < first || issue >= last)
            issues.append(issue);
    return issues;
}

} // namespace

class TestSnapshot : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void mergesByIssue_data();
    void mergesByIssue();
    void archiveDrawsStand();
    void countsGaps_data();
    void countsGaps();
    void snapshotOfASeries();
    void historyRoundTrip();
};

void TestSnapshot::mergesByIssue_data()
{
    QTest::addColumn<QList<qint64>>("archiveMissing");
    QTest::addColumn<int>("freshFrom");
    QTest::addColumn<int>("freshTo");
    QTest::addColumn<QList<qint64>>("expectedMissing");
    // The series 1000..1049; the archive lacks some issues, the fresh draws are a slice of the same series.
    QTest::newRow("fresh draws newer than the archive")
        << QList<qint64>{1047, 1048, 1049} << 40 << 50 << QList<qint64>{};
    QTest::newRow("fresh draws fill a gap") << QList<qint64>{1020, 1021} << 15 << 25 << QList<qint64>{};
    QTest::newRow("a gap the fresh draws do not reach") << QList<qint64>{1005} << 30 << 50 << QList<qint64>{1005};
    QTest::newRow("no fresh draws") << QList<qint64>{1010} << 0 << 0 << QList<qint64>{1010};
    QTest::newRow("empty archive") << issuesOf(randomSeries(50)) << 10 << 20 << issuesOutside(1010, 1020);
}

void TestSnapshot::mergesByIssue()
{
    QFETCH(QList<qint64>, archiveMissing);
    QFETCH(int, freshFrom);
    QFETCH(int, freshTo);
    QFETCH(QList<qint64>, expectedMissing);
    const DrawSeries whole = randomSeries(50);
    const DrawSeries fresh(whole.begin() + freshFrom, whole.begin() + freshTo);
    const DrawSeries merged = mergeSeries(withoutIssues(whole, archiveMissing), fresh);
    QCOMPARE(merged, withoutIssues(whole, expectedMissing));
}

void TestSnapshot::archiveDrawsStand()
{
    // Where both hold an issue the archive's draw stands; a fresh list out of order is sorted in.
    const DrawSeries archive = {{10, 1, 1, 1}, {11, 2, 2, 2}};
    const DrawSeries fresh = {{13, 4, 4, 4}, {11, 9, 9, 9}, {12, 3, 3, 3}, {12, 5, 5, 5}};
    const DrawSeries expected = {{10, 1, 1, 1}, {11, 2, 2, 2}, {12, 3, 3, 3}, {13, 4, 4, 4}};
    QCOMPARE(mergeSeries(archive, fresh), expected);
}

void TestSnapshot::countsGaps_data()
{
    QTest::addColumn<QList<qint64>>("missing");
    QTest::addColumn<int>("gaps");
    QTest::newRow("none") << QList<qint64>{} << 0;
    QTest::newRow("one issue") << QList<qint64>{1010} << 1;
    QTest::newRow("a run of three is one gap") << QList<qint64>{1010, 1011, 1012} << 1;
    QTest::newRow("two gaps") << QList<qint64>{1010, 1030} << 2;
    QTest::newRow("the oldest draws are no gap") << QList<qint64>{1000, 1001} << 0;
}

void TestSnapshot::countsGaps()
{
    QFETCH(QList<qint64>, missing);
    QTEST(gapCount(withoutIssues(randomSeries(50), missing)), "gaps");
}

void TestSnapshot::snapshotOfASeries()
{
    const DrawSeries series = withoutIssues(randomSeries(300), {1200});
    AnalysisRequest request;
    request.betType = BetType::Kill4N;
    request.backtestLast = 250;
    request.recentLast = 40;
    const AnalysisSnapshot snapshot = analysisSnapshot(series, loadPlanRules(), request);
    QCOMPARE(snapshot.draws, 299);
    QCOMPARE(snapshot.newestIssue, 1299);
    QCOMPARE(snapshot.gaps, 1);
    QCOMPARE(int(snapshot.backtests.size()), 56);
    QCOMPARE(snapshot.backtests.front().result.skipped, 4);
    QCOMPARE(snapshot.missed, missedCounts(series));
    QCOMPARE(snapshot.hotCold, hotCold(series, 40));
    QCOMPARE(snapshot.recent, DrawSeries(series.end() - 40, series.end()));
}

void TestSnapshot::historyRoundTrip()
{
    const DrawSeries series = withoutIssues(randomSeries(30), {1003});
    const DrawHistory history = historyFromSeries(series);
    QCOMPARE(history.size(), 29);
    QCOMPARE(history.at(1).issue, "1029");
    QCOMPARE(history.at(1).sum, series.back().sum());
    QCOMPARE(history.at(1).resultText.right(2), QStringLiteral("%1").arg(series.back().sum(), 2, 10, QChar(u'0')));
    QCOMPARE(seriesFromHistory(history), series);
    // Empty draws (positions a short feed left empty) are no draws.
    DrawHistory padded = history;
    padded.append(Draw{});
    QCOMPARE(seriesFromHistory(padded), series);
}

QTEST_GUILESS_MAIN(TestSnapshot)
#include "tst_snapshot.moc"
