#include "alerts/trend.h"
#include "drawbuilders.h"

#include <QRandomGenerator>
#include <QTest>

using namespace tandor28;
using namespace tandor28::testsupport;

Q_DECLARE_METATYPE(tandor28::Rgb)

class TestTrend : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void categoryCountsOfOneDraw_data();
    void categoryCountsOfOneDraw();
    void listOrderIsFixed();
    void bigEvenRowBeforeBigOddRow();
    void sharesAddUp_data();
    void sharesAddUp();
    void shareText_data();
    void shareText();
    void zeroOrShortPeriod_data();
    void zeroOrShortPeriod();
    void trendRowCellsAndColours_data();
    void trendRowCellsAndColours();
    void comboBigOddSharesSmallBlue();
    void trendRowsCoverThePeriod_data();
    void trendRowsCoverThePeriod();
    void positionsWithoutADrawAreNotCounted();
};

void TestTrend::categoryCountsOfOneDraw_data()
{
    QTest::addColumn<QList<int>>("digits");
    QTest::addColumn<QStringList>("counted");

    QTest::newRow("9,9,9 triple at 27") << QList<int>{9, 9, 9}
                                        << QStringList{"大", "单", "边", "大单", "极大", "豹子", "3N0", "4N3", "5N2"};
    QTest::newRow("13 small odd middle") << QList<int>{0, 4, 9}
                                         << QStringList{"小", "单", "中", "小单", "3N1", "4N1", "5N3"};
    QTest::newRow("14 big even middle") << QList<int>{1, 4, 9}
                                        << QStringList{"大", "双", "中", "大双", "3N2", "4N2", "5N4"};
    QTest::newRow("5 extreme small") << QList<int>{0, 1, 4}
                                     << QStringList{"小", "单", "边", "小单", "极小", "3N2", "4N1", "5N0"};
    QTest::newRow("6 not extreme") << QList<int>{0, 2, 4} << QStringList{"小", "双", "边", "小双", "3N0", "4N2", "5N1"};
    QTest::newRow("21 not extreme") << QList<int>{4, 8, 9}
                                    << QStringList{"大", "单", "边", "大单", "3N0", "4N1", "5N1"};
    QTest::newRow("22 extreme big") << QList<int>{5, 8, 9}
                                    << QStringList{"大", "双", "边", "大双", "极大", "3N1", "4N2", "5N2"};
    QTest::newRow("0,0,0 triple at 0") << QList<int>{0, 0, 0}
                                       << QStringList{"小", "双", "边", "小双", "极小", "豹子", "3N0", "4N0", "5N0"};
    QTest::newRow("pair is no triple") << QList<int>{7, 7, 1}
                                       << QStringList{"中", "大", "单", "大单", "3N0", "4N3", "5N0"};
}

void TestTrend::categoryCountsOfOneDraw()
{
    QFETCH(QList<int>, digits);
    QFETCH(QStringList, counted);

    const DrawHistory history = historyOfDigits({digits});
    const auto rows = categoryList(history, 1);
    int hits = 0;
    for (const CategoryRow& row : rows) {
        const bool expected = counted.contains(row.label);
        QCOMPARE(row.count, expected ? 1 : 0);
        QCOMPARE(row.share, expected ? QStringLiteral("100%") : QStringLiteral("0%"));
        hits += row.count;
    }
    QCOMPARE(hits, counted.size());
}

void TestTrend::listOrderIsFixed()
{
    const QStringList expected{"大",   "小",   "单",   "双",   "中",  "边",  "小单", "小双", "大双",
                               "大单", "极大", "极小", "豹子", "3N0", "3N1", "3N2",  "4N0",  "4N1",
                               "4N2",  "4N3",  "5N0",  "5N1",  "5N2", "5N3", "5N4"};
    const auto rows = categoryList(historyOfSums({14}), 1);
    QStringList labels;
    for (const CategoryRow& row : rows)
        labels << row.label;
    QCOMPARE(labels, expected);
    QStringList fixed;
    for (const QString& label : categoryLabels())
        fixed << label;
    QCOMPARE(fixed, expected);
}

void TestTrend::bigEvenRowBeforeBigOddRow()
{
    // one 大双 (14) and two 大单 (15, 17): the rows are labelled by what they count
    const auto rows = categoryList(historyOfSums({14, 15, 17}), 3);
    QCOMPARE(rows[8].label, QStringLiteral("大双"));
    QCOMPARE(rows[8].count, 1);
    QCOMPARE(rows[8].share, QStringLiteral("33.33333333333%"));
    QCOMPARE(rows[9].label, QStringLiteral("大单"));
    QCOMPARE(rows[9].count, 2);
    QCOMPARE(rows[9].share, QStringLiteral("66.66666666667%"));
}

void TestTrend::sharesAddUp_data()
{
    QTest::addColumn<QList<int>>("sums");
    QTest::addColumn<int>("periodCount");

    QTest::newRow("three draws") << QList<int>{15, 17, 20} << 3;
    QTest::newRow("seven draws") << QList<int>{0, 27, 13, 14, 5, 22, 9} << 7;
    QList<int> random;
    QRandomGenerator generator(28);
    for (int i = 0; i < kHistoryLength; ++i)
        random << generator.bounded(28);
    QTest::newRow("hundred of a full history") << random << 100;
}

void TestTrend::sharesAddUp()
{
    QFETCH(QList<int>, sums);
    QFETCH(int, periodCount);

    const auto rows = categoryList(historyOfSums(sums), periodCount);
    // 大/小, 单/双, 中/边, the four combinations and each remainder group cover every draw once
    const QList<QList<int>> groups{
        {0, 1}, {2, 3}, {4, 5}, {6, 7, 8, 9}, {13, 14, 15}, {16, 17, 18, 19}, {20, 21, 22, 23, 24}};
    for (const QList<int>& group : groups) {
        int count = 0;
        double share = 0;
        for (int index : group) {
            count += rows[static_cast<std::size_t>(index)].count;
            QString text = rows[static_cast<std::size_t>(index)].share;
            QVERIFY(text.endsWith(QLatin1Char('%')));
            text.chop(1);
            share += text.toDouble();
        }
        QCOMPARE(count, periodCount);
        QVERIFY2(qAbs(share - 100.0) < 1e-9, qPrintable(QString::number(share, 'g', 17)));
    }
}

void TestTrend::shareText_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("periodCount");
    QTest::addColumn<QString>("expected");

    QTest::newRow("half") << 50 << 100 << "50%";
    QTest::newRow("one third, 13 digits") << 1 << 3 << "33.33333333333%";
    QTest::newRow("two thirds rounded") << 2 << 3 << "66.66666666667%";
    QTest::newRow("none") << 0 << 100 << "0%";
    QTest::newRow("all") << 100 << 100 << "100%";
    QTest::newRow("one of seven") << 1 << 7 << "14.28571428571%";
    QTest::newRow("period 0 gives 0%") << 3 << 0 << "0%";
    QTest::newRow("negative period gives 0%") << 3 << -5 << "0%";
}

void TestTrend::shareText()
{
    QFETCH(int, count);
    QFETCH(int, periodCount);
    QFETCH(QString, expected);
    QCOMPARE(tandor28::shareText(count, periodCount), expected);
}

void TestTrend::zeroOrShortPeriod_data()
{
    QTest::addColumn<int>("historyLength");
    QTest::addColumn<int>("periodCount");
    QTest::addColumn<int>("bigCount");
    QTest::addColumn<QString>("bigShare");

    // five big draws; the history holds only them unless padded
    QTest::newRow("period 0 counts nothing") << 5 << 0 << 0 << "0%";
    QTest::newRow("negative period counts nothing") << 5 << -1 << 0 << "0%";
    QTest::newRow("history shorter than the period: shares of the draws that happened") << 5 << 100 << 5 << "100%";
    QTest::newRow("period shorter than the history") << 5 << 2 << 2 << "100%";
    QTest::newRow("empty history") << 0 << 100 << 0 << "0%";
}

void TestTrend::zeroOrShortPeriod()
{
    QFETCH(int, historyLength);
    QFETCH(int, periodCount);
    QFETCH(int, bigCount);
    QFETCH(QString, bigShare);

    QList<int> sums;
    for (int i = 0; i < historyLength; ++i)
        sums << 20;
    const auto rows = categoryList(historyOfSums(sums, historyLength), periodCount);
    QCOMPARE(rows[0].label, QStringLiteral("大"));
    QCOMPARE(rows[0].count, bigCount);
    QCOMPARE(rows[0].share, bigShare);
    QCOMPARE(rows[1].count, 0);
    QCOMPARE(rows[1].share, QStringLiteral("0%"));
}

void TestTrend::trendRowCellsAndColours_data()
{
    QTest::addColumn<QList<int>>("digits");
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QList<Rgb>>("backgrounds");

    const Rgb red{255, 0, 0}, blue{0, 0, 255}, violet{144, 0, 255}, pink{255, 80, 128}, green{0, 128, 0},
        olive{128, 128, 0}, zero{128, 160, 128}, one{0, 96, 192}, two{255, 128, 0}, three{128, 0, 128},
        four{0, 128, 128}, maroon{128, 0, 0};
    QTest::newRow("4,5,8 = 17") << QList<int>{4, 5, 8}
                                << QStringList{"1000", "4 + 5 + 8 = 17", "大", "单", "大单", "中", "2", "1", "2"}
                                << QList<Rgb>{red, violet, blue, green, two, one, two};
    QTest::newRow("0,0,3 = 03") << QList<int>{0, 0, 3}
                                << QStringList{"1000", "0 + 0 + 3 = 03", "小", "单", "小单", "边", "0", "3", "3"}
                                << QList<Rgb>{blue, violet, maroon, olive, zero, three, three};
    QTest::newRow("9,9,9 = 27") << QList<int>{9, 9, 9}
                                << QStringList{"1000", "9 + 9 + 9 = 27", "大", "单", "大单", "边", "0", "3", "2"}
                                << QList<Rgb>{red, violet, blue, olive, zero, three, two};
    QTest::newRow("2,4,8 = 14") << QList<int>{2, 4, 8}
                                << QStringList{"1000", "2 + 4 + 8 = 14", "大", "双", "大双", "中", "2", "2", "4"}
                                << QList<Rgb>{red, pink, green, green, two, two, four};
}

void TestTrend::trendRowCellsAndColours()
{
    QFETCH(QList<int>, digits);
    QFETCH(QStringList, cells);
    QFETCH(QList<Rgb>, backgrounds);

    const TrendRow row = trendRow(drawOfDigits(digits, 1000));
    QStringList gotCells;
    for (const QString& cell : row.cells)
        gotCells << cell;
    QCOMPARE(gotCells, cells);
    for (int i = 0; i < kTrendCategoryColumnCount; ++i)
        QCOMPARE(row.backgrounds[static_cast<std::size_t>(i)].toHex(), backgrounds[i].toHex());
}

void TestTrend::comboBigOddSharesSmallBlue()
{
    const TrendRow bigOdd = trendRow(drawOfSum(15, 1));
    const TrendRow small = trendRow(drawOfSum(3, 2));
    QCOMPARE(bigOdd.cells[4], QStringLiteral("大单"));
    QCOMPARE(small.cells[2], QStringLiteral("小"));
    QCOMPARE(bigOdd.backgrounds[2], (Rgb{0, 0, 255}));
    QCOMPARE(small.backgrounds[0], bigOdd.backgrounds[2]);
}

void TestTrend::trendRowsCoverThePeriod_data()
{
    QTest::addColumn<int>("periodCount");
    QTest::addColumn<int>("rows");

    QTest::newRow("100 of 110") << 100 << 100;
    QTest::newRow("0 gives no rows") << 0 << 0;
    QTest::newRow("beyond the history: empty draws") << 120 << 120;
}

void TestTrend::trendRowsCoverThePeriod()
{
    QFETCH(int, periodCount);
    QFETCH(int, rows);

    const DrawHistory history = historyOfSums({15, 4, 27});
    const auto trend = trendRows(history, periodCount);
    QCOMPARE(static_cast<int>(trend.size()), rows);
    if (rows > 0) {
        QCOMPARE(trend.front().cells[0], QStringLiteral("1000"));
        QCOMPARE(trend.back().cells[1], history.at(rows).resultText);
    }
}

void TestTrend::positionsWithoutADrawAreNotCounted()
{
    // Five draws padded with empty positions to the 110 of a history: the empty ones are neither
    // small, even nor a triple, and the shares are of the five draws.
    const auto rows = categoryList(historyOfSums({20, 20, 20, 20, 20}), 100);
    QCOMPARE(rows[0].count, 5);
    QCOMPARE(rows[0].share, QStringLiteral("100%"));
    QCOMPARE(rows[1].count, 0);
    QCOMPARE(rows[3].count, 5);
    QCOMPARE(rows[12].label, QStringLiteral("豹子"));
    QCOMPARE(rows[12].count, 0);
    const TrendRow blank = trendRow(Draw{});
    for (const QString& cell : blank.cells)
        QCOMPARE(cell, QString());
    for (const Rgb background : blank.backgrounds)
        QCOMPARE(background, kWhite);
}

QTEST_GUILESS_MAIN(TestTrend)
#include "tst_trend.moc"
