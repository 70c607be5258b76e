#include "plantabfixture.h"

#include "plans/generators.h"
#include "plans/planrules.h"

#include <QTest>

using namespace tandor28;

class TestFreePlansTab : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void selectionRebuildsTable_data();
    void selectionRebuildsTable();
    void nextIssueCellsGoToTheOtherTables();
    void pressSelectsOnlyF12AndF13_data();
    void pressSelectsOnlyF12AndF13();
    void shortHistoryLeavesEveryTable();
    void periodCountNotANumberWritesRowOne();
};

void TestFreePlansTab::selectionRebuildsTable_data()
{
    QTest::addColumn<int>("plan");
    QTest::addColumn<int>("code");
    QTest::newRow("F01计划A combo") << 1 << 1;
    QTest::newRow("F03计划 size") << 6 << 2;
    QTest::newRow("F08计划 parity") << 11 << 3;
    QTest::newRow("F01计划C kill combo") << 3 << 4;
    QTest::newRow("F11计划 kill3n") << 14 << 5;
}

void TestFreePlansTab::selectionRebuildsTable()
{
    QFETCH(int, plan);
    QFETCH(int, code);
    PlanTabsFixture f(110);
    QTest::mouseClick(f.freeTab->betTypeButtons().at(code - 1), Qt::LeftButton);
    QTest::mouseClick(f.freeTab->planButtons().at(plan - 1), Qt::LeftButton);
    QCOMPARE(f.freeTab->currentPlan(), plan);
    QCOMPARE(f.freeTab->currentBetCode(), code);
    const std::optional<PredictionTable> expected =
        generateFreeTable(f.state.history, loadPlanRules().free, plan, code, kPeriodCount);
    QVERIFY(expected);
    for (int row = 1; row <= 101; ++row) {
        QString why;
        QVERIFY2(gridShows(f.freeTab->table(), *expected, row, &why), qPrintable(why));
    }
    int selected = 0;
    QCOMPARE(highlightedCount(f.freeTab->planButtons(), &selected), 1);
    QCOMPARE(selected, plan);
    QCOMPARE(paintedBackground(f.freeTab->planButtons().at(plan - 1)), kSelectedButton);
    QCOMPARE(highlightedCount(f.freeTab->betTypeButtons(), &selected), 1);
    QCOMPARE(selected, code);
}

void TestFreePlansTab::nextIssueCellsGoToTheOtherTables()
{
    PlanTabsFixture f(110);
    QTest::mouseClick(f.freeTab->planButtons().at(1), Qt::LeftButton);
    const QString next = QString::number(f.state.history.at(1).issue.toLongLong() + 1);
    for (QTableWidget* table : {f.parts.freePlanTable, f.parts.memberPlanTable, f.parts.customPredictionTable}) {
        QCOMPARE(cellText(table, 1, 0), next);
        QCOMPARE(cellText(table, 1, 1), QStringLiteral("00:00"));
        QCOMPARE(cellText(table, 1, 2), QStringLiteral("  ?"));
    }
    // Only columns 0..2 of row 1 are shared; the rest of the other tables is untouched.
    for (QTableWidget* table : {f.parts.memberPlanTable, f.parts.customPredictionTable}) {
        QCOMPARE(cellText(table, 1, 3), QStringLiteral("old"));
        QCOMPARE(cellText(table, 2, 0), QStringLiteral("old"));
    }
}

void TestFreePlansTab::pressSelectsOnlyF12AndF13_data()
{
    QTest::addColumn<int>("plan");
    QTest::addColumn<bool>("selectedOnPress");
    QTest::newRow("F12计划 on press") << 15 << true;
    QTest::newRow("F13计划 on press") << 16 << true;
    QTest::newRow("F11计划 on release") << 14 << false;
    QTest::newRow("F01计划B on release") << 2 << false;
}

void TestFreePlansTab::pressSelectsOnlyF12AndF13()
{
    QFETCH(int, plan);
    QFETCH(bool, selectedOnPress);
    PlanTabsFixture f(110);
    QPushButton* button = f.freeTab->planButtons().at(plan - 1);
    QTest::mousePress(button, Qt::LeftButton);
    QCOMPARE(f.freeTab->currentPlan() == plan, selectedOnPress);
    QCOMPARE(buttonBackground(button) == kSelectedButton, selectedOnPress);
    QTest::mouseRelease(button, Qt::LeftButton);
    QCOMPARE(f.freeTab->currentPlan(), plan);
    int selected = 0;
    QCOMPARE(highlightedCount(f.freeTab->planButtons(), &selected), 1);
    QCOMPARE(selected, plan);
}

void TestFreePlansTab::shortHistoryLeavesEveryTable()
{
    PlanTabsFixture f(9);
    QTest::mouseClick(f.freeTab->planButtons().at(4), Qt::LeftButton);
    QCOMPARE(f.freeTab->currentPlan(), 5);
    for (QTableWidget* table : {f.parts.freePlanTable, f.parts.memberPlanTable, f.parts.customPredictionTable}) {
        QCOMPARE(cellText(table, 1, 0), QStringLiteral("old"));
        QCOMPARE(cellText(table, 2, 3), QStringLiteral("old"));
    }
}

void TestFreePlansTab::periodCountNotANumberWritesRowOne()
{
    PlanTabsFixture f(110);
    f.periods.setBoxText(QStringLiteral("abc"));
    QTest::mouseClick(f.freeTab->planButtons().at(4), Qt::LeftButton);
    QVERIFY(cellText(f.parts.freePlanTable, 1, 3) != QStringLiteral("old"));
    QCOMPARE(cellText(f.parts.freePlanTable, 2, 0), QStringLiteral("old"));
}

QTEST_MAIN(TestFreePlansTab)
#include "tst_freeplanstab.moc"
