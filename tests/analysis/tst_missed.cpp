#include "analysis/missed.h"

#include "alerts/trend.h"

#include "seriesbuilder.h"

#include <QTest>

using namespace tandor28;

namespace {

// Five hand-made draws, oldest first: 1+2+2=5, 9+9+2=20, 0+0+5=5, 3+3+3=9, 4+4+5=13.
DrawSeries handMade()
{
    return {{101, 1, 2, 2}, {102, 9, 9, 2}, {103, 0, 0, 5}, {104, 3, 3, 3}, {105, 4, 4, 5}};
}

int itemIndex(const QString& name)
{
    const auto& names = missedItemNames();
    return int(std::find(names.begin(), names.end(), name) - names.begin());
}

} // namespace

class TestMissed : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void itemNames();
    void handMadeHistory_data();
    void handMadeHistory();
    void emptySeries();
    void itemsAreTheTrendListsCategories_data();
    void itemsAreTheTrendListsCategories();
    void twoDecimals_data();
    void twoDecimals();
};

void TestMissed::itemNames()
{
    const auto& names = missedItemNames();
    QCOMPARE(names[0], "0");
    QCOMPARE(names[27], "27");
    QCOMPARE(names[28], "大");
    QCOMPARE(names[36], "大双");
    QCOMPARE(names[40], "豹子");
    QCOMPARE(names[52], "5N4");
}

void TestMissed::handMadeHistory_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("longest");
    QTest::addColumn<QString>("average");
    QTest::addColumn<int>("appearances");
    // Runs without the item: before the first appearance, between appearances, after the last one.
    QTest::newRow("5: runs 0, 1, 2") << "5" << 2 << 2 << "1.00" << 2;
    QTest::newRow("13: only the newest draw") << "13" << 0 << 4 << "2.00" << 1;
    QTest::newRow("9: one before the newest") << "9" << 1 << 3 << "2.00" << 1;
    QTest::newRow("27: never came") << "27" << 5 << 5 << "5.00" << 0;
    QTest::newRow("大: only the second draw") << "大" << 3 << 3 << "2.00" << 1;
    QTest::newRow("小: runs 0, 1, 0, 0, 0") << "小" << 0 << 1 << "0.20" << 4;
    QTest::newRow("单: 5, 5, 9, 13") << "单" << 0 << 1 << "0.20" << 4;
    QTest::newRow("中: only 13") << "中" << 0 << 4 << "2.00" << 1;
    QTest::newRow("极小: the two fives") << "极小" << 2 << 2 << "1.00" << 2;
    QTest::newRow("豹子: 3+3+3") << "豹子" << 1 << 3 << "2.00" << 1;
    QTest::newRow("3N0: 9") << "3N0" << 1 << 3 << "2.00" << 1;
    QTest::newRow("4N1: 5, 5, 9, 13") << "4N1" << 0 << 1 << "0.20" << 4;
    QTest::newRow("5N0: 5, 20, 5") << "5N0" << 2 << 2 << "0.50" << 3;
    QTest::newRow("极大: never") << "极大" << 5 << 5 << "5.00" << 0;
}

void TestMissed::handMadeHistory()
{
    QFETCH(QString, item);
    const std::array<MissedCount, kMissedItemCount> counts = missedCounts(handMade());
    const MissedCount& count = counts[std::size_t(itemIndex(item))];
    QCOMPARE(count.name, item);
    QTEST(count.current, "current");
    QTEST(count.longest, "longest");
    QTEST(tandor28::twoDecimals(count.average), "average");
    QTEST(count.appearances, "appearances");
}

void TestMissed::emptySeries()
{
    for (const MissedCount& count : missedCounts({}))
        QCOMPARE(count, (MissedCount{count.name, 0, 0, 0.0, 0}));
}

void TestMissed::itemsAreTheTrendListsCategories_data()
{
    QTest::addColumn<int>("d1");
    QTest::addColumn<int>("d2");
    QTest::addColumn<int>("d3");
    for (int sum = 0; sum <= 27; ++sum) {
        const int d1 = std::min(sum, 9);
        const int d2 = std::min(sum - d1, 9);
        QTest::addRow("sum %d", sum) << d1 << d2 << sum - d1 - d2;
    }
    QTest::newRow("triple 0") << 0 << 0 << 0;
    QTest::newRow("triple 5") << 5 << 5 << 5;
    QTest::newRow("pair 5") << 5 << 5 << 1;
}

void TestMissed::itemsAreTheTrendListsCategories()
{
    QFETCH(int, d1);
    QFETCH(int, d2);
    QFETCH(int, d3);
    const SeriesDraw draw{1, d1, d2, d3};
    // The trend list's count of a history of this one draw names exactly the same categories.
    const auto list = categoryList(historyFromSeries({draw}), 1);
    std::vector<int> expected{draw.sum()};
    for (int i = 0; i < kCategoryCount; ++i)
        if (list[std::size_t(i)].count == 1)
            expected.push_back(kSumCount + i);
    QCOMPARE(missedItemsOf(draw), expected);
}

void TestMissed::twoDecimals_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("3.5") << 3.5 << "3.50";
    QTest::newRow("two thirds") << 2.0 / 3 << "0.67";
    QTest::newRow("negative") << -1.0005 << "-1.00";
    QTest::newRow("tiny negative") << -0.001 << "0.00";
    QTest::newRow("zero") << 0.0 << "0.00";
    QTest::newRow("large") << 123456.789 << "123456.79";
}

void TestMissed::twoDecimals()
{
    QFETCH(double, value);
    QTEST(tandor28::twoDecimals(value), "text");
}

QTEST_GUILESS_MAIN(TestMissed)
#include "tst_missed.moc"
