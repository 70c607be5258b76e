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
    void nextIssueCellsStayInTheirTable();
    void newHistoryFillsTheDrawColumns();
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

void TestFreePlansTab::nextIssueCellsStayInTheirTable()
{
    PlanTabsFixture f(110);
    QTest::mouseClick(f.freeTab->planButtons().at(1), Qt::LeftButton);
    const QStringList next{QString::number(f.state.history.at(1).issue.toLongLong() + 1), QStringLiteral("00:00"),
                           QStringLiteral("  ?")};
    for (int column = 0; column < 3; ++column)
        QCOMPARE(cellText(f.freeTable, 1, column), next.at(column));
    // The free generator writes its own table only: the member table is as it was.
    for (int row = 1; row < gridRowCount(f.memberTable); ++row) {
        for (int column = 0; column < 7; ++column)
            QCOMPARE(cellText(f.memberTable, row, column), QStringLiteral("old"));
    }
    // The member tab's own generator gives its table the same next-issue cells.
    QTest::mouseClick(f.memberTab->planButtons().at(1), Qt::LeftButton);
    for (int column = 0; column < 3; ++column)
        QCOMPARE(cellText(f.memberTable, 1, column), next.at(column));
}

void TestFreePlansTab::newHistoryFillsTheDrawColumns()
{
    PlanTabsFixture f(0);
    std::vector<Draw> draws;
    for (int position = 1; position <= kHistoryLength; ++position)
        draws.push_back(makeDraw(QString::number(5000 - position), QStringLiteral("09:15:30"), QStringLiteral("1"),
                                 QStringLiteral("2"), QString::number(position % 10)));
    f.state.setHistory(DrawHistory(std::move(draws)));
    // Only the draw columns of the judged rows change; the next-issue row waits for the generators.
    for (QTableView* table : {f.freeTable, f.memberTable}) {
        QCOMPARE(cellText(table, 1, 0), QStringLiteral("old"));
        QCOMPARE(cellText(table, 2, 0), QStringLiteral("4999"));
        QCOMPARE(cellText(table, 2, 1), QStringLiteral("09:15"));
        QCOMPARE(cellText(table, 2, 2), f.state.history.at(1).resultText);
        QCOMPARE(cellText(table, 2, 3), QStringLiteral("old"));
        QCOMPARE(cellText(table, 101, 0), QStringLiteral("4900"));
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
    for (QTableView* table : {f.freeTable, f.memberTable}) {
        QCOMPARE(cellText(table, 1, 0), QStringLiteral("old"));
        QCOMPARE(cellText(table, 2, 3), QStringLiteral("old"));
    }
}

void TestFreePlansTab::periodCountNotANumberWritesRowOne()
{
    PlanTabsFixture f(110);
    f.periods.setBoxText(QStringLiteral("abc"));
    QTest::mouseClick(f.freeTab->planButtons().at(4), Qt::LeftButton);
    QVERIFY(cellText(f.freeTable, 1, 3) != QStringLiteral("old"));
    QCOMPARE(cellText(f.freeTable, 2, 0), QStringLiteral("old"));
}

QTEST_MAIN(TestFreePlansTab)
#include "tst_freeplanstab.moc"
