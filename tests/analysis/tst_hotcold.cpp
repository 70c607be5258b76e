#include "analysis/hotcold.h"

#include "seriesbuilder.h"

#include <QTest>

#include <cmath>
#include <numeric>

using namespace tandor28;
using seriesbuilder::randomSeries;
using seriesbuilder::seriesOfSums;

class TestHotCold : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tripleCounts_data();
    void tripleCounts();
    void expectedCountsAddUpToTheDraws_data();
    void expectedCountsAddUpToTheDraws();
    void countsAndZ_data();
    void countsAndZ();
};

void TestHotCold::tripleCounts_data()
{
    QTest::addColumn<int>("sum");
    QTest::addColumn<int>("count");
    QTest::newRow("0") << 0 << 1;
    QTest::newRow("1") << 1 << 3;
    QTest::newRow("9") << 9 << 55;
    QTest::newRow("10") << 10 << 63;
    QTest::newRow("13") << 13 << 75;
    QTest::newRow("14") << 14 << 75;
    QTest::newRow("26") << 26 << 3;
    QTest::newRow("27") << 27 << 1;
    QTest::newRow("28 is no sum") << 28 << 0;
    QTest::newRow("-1 is no sum") << -1 << 0;
}

void TestHotCold::tripleCounts()
{
    QFETCH(int, sum);
    QTEST(tripleCount(sum), "count");
    int all = 0;
    for (int s = 0; s < kSumCount; ++s)
        all += tripleCount(s);
    QCOMPARE(all, 1000);
}

void TestHotCold::expectedCountsAddUpToTheDraws_data()
{
    QTest::addColumn<int>("seriesLength");
    QTest::addColumn<int>("last");
    QTest::addColumn<int>("draws");
    QTest::newRow("no draws") << 0 << 100 << 0;
    QTest::newRow("one draw") << 1 << 1 << 1;
    QTest::newRow("100 of 300") << 300 << 100 << 100;
    QTest::newRow("all of 12345") << 12345 << 12345 << 12345;
    QTest::newRow("more than the series") << 777 << 100000 << 777;
    QTest::newRow("negative") << 50 << -3 << 0;
}

void TestHotCold::expectedCountsAddUpToTheDraws()
{
    QFETCH(int, seriesLength);
    QFETCH(int, last);
    QFETCH(int, draws);
    const auto items = hotCold(randomSeries(seriesLength), last);
    double expected = 0;
    int counted = 0;
    for (const HotCold& item : items) {
        expected += item.expected;
        counted += item.count;
    }
    QVERIFY(std::abs(expected - draws) < 1e-9);
    QCOMPARE(counted, draws);
}

void TestHotCold::countsAndZ_data()
{
    QTest::addColumn<QList<int>>("sums");
    QTest::addColumn<int>("last");
    QTest::addColumn<int>("sum");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("z");
    // 1000 draws of 13: expected 75, z = 925 / sqrt(1000 * 0.075 * 0.925).
    QTest::newRow("hot 13") << QList<int>(1000, 13) << 1000 << 13 << 1000 << "75.00"
                            << "111.06";
    QTest::newRow("cold 0") << QList<int>(1000, 13) << 1000 << 0 << 0 << "1.00"
                            << "-1.00";
    // Only the newest draws count: of 13, 13, 13, 14, 14, 14 the last four are 13 once and 14 three times.
    QTest::newRow("last 4: 14") << QList<int>{13, 13, 13, 14, 14, 14} << 4 << 14 << 3 << "0.30"
                                << "5.13";
    QTest::newRow("last 4: 13") << QList<int>{13, 13, 13, 14, 14, 14} << 4 << 13 << 1 << "0.30"
                                << "1.33";
    QTest::newRow("nothing counted") << QList<int>{13} << 0 << 13 << 0 << "0.00"
                                     << "0.00";
}

void TestHotCold::countsAndZ()
{
    QFETCH(QList<int>, sums);
    QFETCH(int, last);
    QFETCH(int, sum);
    const HotCold item = hotCold(seriesOfSums(sums), last)[std::size_t(sum)];
    QCOMPARE(item.sum, sum);
    QTEST(item.count, "count");
    QTEST(twoDecimals(item.expected), "expected");
    QTEST(twoDecimals(item.z), "z");
}

QTEST_GUILESS_MAIN(TestHotCold)
#include "tst_hotcold.moc"
