#include "plantabfixture.h"

#include "plans/generators.h"
#include "plans/marking.h"
#include "plans/planrules.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

using namespace tandor28;

class TestMemberPlansTab : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void selectionRebuildsTable_data();
    void selectionRebuildsTable();
    void markButtonColoursCaptions_data();
    void markButtonColoursCaptions();
    void automaticMarkingFollowsTheCheckBox();
    void shortHistoryLeavesTableAndMarksZero();

private:
    static QLabel* statsLabel(PlanTabsFixture& f) { return f.memberTab->findChild<QLabel*>("memberStatsLabel"); }
    static QCheckBox* autoMark(PlanTabsFixture& f) { return f.memberTab->findChild<QCheckBox*>("autoMarkCheck"); }
};

void TestMemberPlansTab::initTestCase()
{
    PlanTabsFixture f(110);
    QCOMPARE(statsLabel(f)->text(), initialStatsLabelText());
    QCOMPARE(f.memberTab->planButtons().size(), kMemberPlanCount);
    QCOMPARE(f.memberTab->betTypeButtons().size(), kMemberBetTypeCount);
    for (int plan = 1; plan <= kMemberPlanCount; ++plan)
        QCOMPARE(f.memberTab->planButtons().at(plan - 1)->text(), memberPlanCaption(plan));
    QCOMPARE(autoMark(f)->isChecked(), true);
}

void TestMemberPlansTab::selectionRebuildsTable_data()
{
    QTest::addColumn<int>("plan");
    QTest::addColumn<int>("code");
    QTest::newRow("F16计划A combo") << 29 << 1;
    QTest::newRow("F15计划A kill combo") << 21 << 4;
    QTest::newRow("F20计划D double item") << 56 << 8;
    QTest::newRow("F14计划A kill double combo") << 5 << 9;
    QTest::newRow("F01计划F kill4n") << 2 << 6;
}

void TestMemberPlansTab::selectionRebuildsTable()
{
    QFETCH(int, plan);
    QFETCH(int, code);
    PlanTabsFixture f(110);
    autoMark(f)->setChecked(false);
    QTest::mouseClick(f.memberTab->betTypeButtons().at(code - 1), Qt::LeftButton);
    QTest::mouseClick(f.memberTab->planButtons().at(plan - 1), Qt::LeftButton);
    QCOMPARE(f.memberTab->currentPlan(), plan);
    QCOMPARE(f.memberTab->currentBetCode(), code);

    const std::optional<PredictionTable> expected =
        generateMemberTable(f.state.history, loadPlanRules().member, plan, code, kPeriodCount);
    QVERIFY(expected);
    for (const int row : {1, 2, 3, 50, 101}) {
        QString why;
        QVERIFY2(gridShows(f.memberTab->table(), *expected, row, &why), qPrintable(why));
    }
    // Row 1 column 6 is never written by a generator.
    QCOMPARE(cellText(f.memberTab->table(), 1, 6), QStringLiteral("old"));

    int selected = 0;
    QCOMPARE(highlightedCount(f.memberTab->planButtons(), &selected), 1);
    QCOMPARE(selected, plan);
    QCOMPARE(paintedBackground(f.memberTab->planButtons().at(plan - 1)), kSelectedButton);
    QCOMPARE(paintedBackground(f.memberTab->planButtons().at(plan % kMemberPlanCount)), kUnselectedButton);
    QCOMPARE(highlightedCount(f.memberTab->betTypeButtons(), &selected), 1);
    QCOMPARE(selected, code);

    // Automatic marking is off: the label and the captions stay as they were.
    QCOMPARE(statsLabel(f)->text(), initialStatsLabelText());
    for (QPushButton* button : f.memberTab->planButtons())
        QCOMPARE(buttonCaptionColour(button), kBlack);
}

void TestMemberPlansTab::markButtonColoursCaptions_data()
{
    QTest::addColumn<int>("plan");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("criterion");
    QTest::addColumn<int>("comparison");
    QTest::newRow("accuracy >= own, window 50") << 29 << 1 << "50" << 2 << 0;
    QTest::newRow("wrong <= own, window 20") << 13 << 4 << "20" << 1 << 1;
    QTest::newRow("loss streak > own, window 100") << 40 << 9 << "100" << 4 << 2;
}

void TestMemberPlansTab::markButtonColoursCaptions()
{
    QFETCH(int, plan);
    QFETCH(int, code);
    QFETCH(QString, window);
    QFETCH(int, criterion);
    QFETCH(int, comparison);
    PlanTabsFixture f(110);
    const QStringList rules = loadPlanRules().member;
    autoMark(f)->setChecked(false);
    QTest::mouseClick(f.memberTab->betTypeButtons().at(code - 1), Qt::LeftButton);
    QTest::mouseClick(f.memberTab->planButtons().at(plan - 1), Qt::LeftButton);

    const PlanStats own = *evaluateMemberPlan(f.state.history, rules, plan, code, window.toInt());
    f.memberTab->findChild<QComboBox*>("statsWindowCombo")->setCurrentText(window);
    f.memberTab->findChild<QComboBox*>("markCriterionCombo")->setCurrentIndex(criterion);
    f.memberTab->findChild<QComboBox*>("markCompareCombo")->setCurrentIndex(comparison);
    auto* threshold = f.memberTab->findChild<QLineEdit*>("markThresholdEdit");
    threshold->clear();
    QTest::keyClicks(threshold, QString::number(own.field(criterion)));
    f.memberTab->setMarkColour({0, 0, 255});
    QCOMPARE(statsLabel(f)->text(), initialStatsLabelText());

    QTest::mouseClick(f.memberTab->findChild<QPushButton*>("markButton"), Qt::LeftButton);
    QCOMPARE(statsLabel(f)->text(), statsLabelText(window, own));
    const std::vector<PlanMark> marks =
        markMemberPlans(f.state.history, rules, code, window.toInt(), {criterion, comparison, own.field(criterion)});
    int marked = 0;
    for (int p = 1; p <= kMemberPlanCount; ++p) {
        const bool isMarked = *marks[std::size_t(p - 1)].marked;
        QCOMPARE(buttonCaptionColour(f.memberTab->planButtons().at(p - 1)), (isMarked ? Rgb{0, 0, 255} : kBlack));
        marked += isMarked ? 1 : 0;
    }
    // The shown plan sits exactly at the threshold.
    QCOMPARE(*marks[std::size_t(plan - 1)].marked, comparison < 2);
    QVERIFY(marked > 0 || comparison >= 2);
    // Marking changes caption colours only; the selection highlight stays.
    int selected = 0;
    QCOMPARE(highlightedCount(f.memberTab->planButtons(), &selected), 1);
    QCOMPARE(selected, plan);
}

void TestMemberPlansTab::automaticMarkingFollowsTheCheckBox()
{
    PlanTabsFixture f(110);
    const QStringList rules = loadPlanRules().member;
    auto* threshold = f.memberTab->findChild<QLineEdit*>("markThresholdEdit");
    threshold->setText(QStringLiteral("0")); // accuracy >= 0: every plan is marked
    f.memberTab->setMarkColour({0, 160, 0});

    // Ticked (the default): a plan selection marks.
    QTest::mouseClick(f.memberTab->planButtons().at(6), Qt::LeftButton);
    const PlanStats plan7 = *evaluateMemberPlan(f.state.history, rules, 7, 1, 20);
    QCOMPARE(statsLabel(f)->text(), statsLabelText("20", plan7));
    for (QPushButton* button : f.memberTab->planButtons())
        QCOMPARE(buttonCaptionColour(button), (Rgb{0, 160, 0}));

    // A bet-type selection marks as well, with the new bet type.
    QTest::mouseClick(f.memberTab->betTypeButtons().at(4), Qt::LeftButton);
    QCOMPARE(statsLabel(f)->text(), statsLabelText("20", *evaluateMemberPlan(f.state.history, rules, 7, 5, 20)));

    // Cleared: selections rebuild the table but leave label and captions.
    QTest::mouseClick(autoMark(f), Qt::LeftButton);
    QVERIFY(!autoMark(f)->isChecked());
    const QString before = statsLabel(f)->text();
    threshold->setText(QStringLiteral("101"));
    QTest::mouseClick(f.memberTab->planButtons().at(7), Qt::LeftButton);
    QCOMPARE(f.memberTab->currentPlan(), 8);
    QCOMPARE(statsLabel(f)->text(), before);
    for (QPushButton* button : f.memberTab->planButtons())
        QCOMPARE(buttonCaptionColour(button), (Rgb{0, 160, 0}));
    // "标记" still marks: nothing reaches 101.
    QTest::mouseClick(f.memberTab->findChild<QPushButton*>("markButton"), Qt::LeftButton);
    QCOMPARE(statsLabel(f)->text(), statsLabelText("20", *evaluateMemberPlan(f.state.history, rules, 8, 5, 20)));
    for (QPushButton* button : f.memberTab->planButtons())
        QCOMPARE(buttonCaptionColour(button), kBlack);
}

void TestMemberPlansTab::shortHistoryLeavesTableAndMarksZero()
{
    PlanTabsFixture f(9);
    f.memberTab->findChild<QLineEdit*>("markThresholdEdit")->setText(QStringLiteral("0"));
    QTest::mouseClick(f.memberTab->planButtons().at(2), Qt::LeftButton);
    QCOMPARE(f.memberTab->currentPlan(), 3);
    for (const int row : {1, 2, 101})
        QCOMPARE(cellText(f.memberTab->table(), row, 3), QStringLiteral("old"));
    // No plan is evaluated: every counter is 0, and 0 >= 0 marks every plan.
    QCOMPARE(statsLabel(f)->text(), QStringLiteral("统计【20期】 对:0 错:0 正确率:0 连中:0 连挂:0"));
    for (QPushButton* button : f.memberTab->planButtons())
        QCOMPARE(buttonCaptionColour(button), kHitRed);
}

QTEST_MAIN(TestMemberPlansTab)
#include "tst_memberplanstab.moc"
