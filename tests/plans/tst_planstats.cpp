#include "plans/planstats.h"

#include <QTest>

using namespace tandor28;

namespace {

// A verdict series written oldest to newest as letters: H hit, M miss.
std::vector<Verdict> series(const QString& letters)
{
    std::vector<Verdict> verdicts;
    for (const QChar letter : letters)
        verdicts.push_back(letter == u'H' ? Verdict::Hit : Verdict::Miss);
    return verdicts;
}

QString repeat(const QString& letters, int times)
{
    return letters.repeated(times);
}

} // namespace

class TestPlanStats : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void countsSeries_data();
    void countsSeries();
    void fieldByCriterionIndex_data();
    void fieldByCriterionIndex();
    void emptyWindowHasNoAccuracy();
    void labelTexts();
};

void TestPlanStats::countsSeries_data()
{
    QTest::addColumn<QString>("letters");
    QTest::addColumn<int>("right");
    QTest::addColumn<int>("wrong");
    QTest::addColumn<int>("accuracy");
    QTest::addColumn<int>("winStreak");
    QTest::addColumn<int>("lossStreak");

    QTest::newRow("13 of 20 after seven misses") << repeat("M", 7) + repeat("H", 13) << 13 << 7 << 65 << 13 << 0;
    QTest::newRow("13 of 20 ending miss hit hit") << "HHHHHHHHHHMMMMMMHMHH" << 13 << 7 << 65 << 2 << 0;
    QTest::newRow("29 of 100 truncates") << repeat("H", 29) + repeat("M", 71) << 29 << 71 << 29 << 0 << 71;
    QTest::newRow("57 of 100") << repeat("M", 43) + repeat("H", 57) << 57 << 43 << 57 << 57 << 0;
    QTest::newRow("29 of 50 gives 58") << repeat("H", 29) + repeat("M", 21) << 29 << 21 << 58 << 0 << 21;
    QTest::newRow("2 of 3 gives 66") << "HMH" << 2 << 1 << 66 << 1 << 0;
    QTest::newRow("1 of 3 gives 33") << "MMH" << 1 << 2 << 33 << 1 << 0;
    QTest::newRow("all misses") << repeat("M", 20) << 0 << 20 << 0 << 0 << 20;
    QTest::newRow("all hits") << repeat("H", 30) << 30 << 0 << 100 << 30 << 0;
    QTest::newRow("newest row decides: miss hit hit") << "HHHHMHH" << 6 << 1 << 85 << 2 << 0;
    QTest::newRow("newest row decides: hit miss miss") << "MMMHMM" << 1 << 5 << 16 << 0 << 2;
}

void TestPlanStats::countsSeries()
{
    QFETCH(QString, letters);
    QFETCH(int, right);
    QFETCH(int, wrong);
    QFETCH(int, accuracy);
    QFETCH(int, winStreak);
    QFETCH(int, lossStreak);
    const PlanStats stats = statsFromVerdicts(series(letters));
    QCOMPARE(stats.right, right);
    QCOMPARE(stats.wrong, wrong);
    QCOMPARE(stats.accuracy, accuracy);
    QCOMPARE(stats.winStreak, winStreak);
    QCOMPARE(stats.lossStreak, lossStreak);
    // After at least one row exactly one streak is running.
    QVERIFY((stats.winStreak == 0) != (stats.lossStreak == 0));
}

void TestPlanStats::fieldByCriterionIndex_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("value");
    QTest::newRow("0 right") << 0 << 11;
    QTest::newRow("1 wrong") << 1 << 22;
    QTest::newRow("2 accuracy") << 2 << 33;
    QTest::newRow("3 win streak") << 3 << 44;
    QTest::newRow("4 loss streak") << 4 << 55;
    QTest::newRow("-1 none") << -1 << 0;
    QTest::newRow("5 none") << 5 << 0;
}

void TestPlanStats::fieldByCriterionIndex()
{
    QFETCH(int, index);
    QFETCH(int, value);
    const PlanStats stats{11, 22, 33, 44, 55};
    QCOMPARE(stats.field(index), value);
}

void TestPlanStats::emptyWindowHasNoAccuracy()
{
    QCOMPARE(statsFromVerdicts({}), PlanStats{});
    PlanStats stats;
    finishWindow(stats, 0);
    QCOMPARE(stats.accuracy, 0);
}

void TestPlanStats::labelTexts()
{
    QCOMPARE(statsLabelText("20", PlanStats{13, 7, 65, 2, 0}),
             QStringLiteral("统计【20期】 对:13 错:7 正确率:65 连中:2 连挂:0"));
    QCOMPARE(statsLabelText("100", PlanStats{}), QStringLiteral("统计【100期】 对:0 错:0 正确率:0 连中:0 连挂:0"));
    QCOMPARE(statsLabelText("%1", PlanStats{1, 2, 3, 4, 5}),
             QStringLiteral("统计【%1期】 对:1 错:2 正确率:3 连中:4 连挂:5"));
    QCOMPARE(initialStatsLabelText(), QStringLiteral("对:0 错:0 正确率:0 连中:0 连挂:0 （待标记）"));
}

QTEST_APPLESS_MAIN(TestPlanStats)
#include "tst_planstats.moc"
