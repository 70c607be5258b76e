#include "plans/planrules.h"

#include "drawbuilders.h"

#include <QSet>
#include <QTest>

using namespace tandor28;
using testsupport::drawWithDigits;

Q_DECLARE_METATYPE(tandor28::WorkingValues)

namespace {

// Slots 1..12 = 1..12, and 13..18 set to 105 so that a rule reading them would show.
WorkingValues countingValues()
{
    WorkingValues values{};
    for (int i = 0; i < 18; ++i)
        values[static_cast<std::size_t>(i)] = i < 12 ? i + 1 : 105;
    return values;
}

WorkingValues valuesOf(std::initializer_list<int> firstSlots)
{
    WorkingValues values{};
    std::size_t i = 0;
    for (const int value : firstSlots)
        values[i++] = value;
    return values;
}

} // namespace

class TestPlanRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void planNumber_data();
    void planNumber();
    void wellFormed_data();
    void wellFormed();
    void fillsSlotsFromFourDraws();
    void fillingLeavesCustomSlots();
    void fillingBeyondHistoryReadsEmptyDraws();
    void splitRuleList_data();
    void splitRuleList();
    void shippedListsAreComplete();
    void ruleLineOutsideList();
    void captions_data();
    void captions();
};

void TestPlanRules::planNumber_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<WorkingValues>("values");
    QTest::addColumn<int>("n");

    QTest::newRow("sum of newest source draw 4 5 8") << "X----1|2|3" << valuesOf({4, 5, 8}) << 17;
    QTest::newRow("term keeps last digit of 27") << "X----1+2+3|4|5" << valuesOf({9, 9, 9, 1, 2}) << 10;
    QTest::newRow("text after second marker ignored") << "X----1|2|3----9|9|9" << valuesOf({4, 5, 8}) << 17;
    QTest::newRow("three and four positions") << "F----1+4+7|2+5+8+11|3+6+9+12" << countingValues() << 2 + 6 + 0;
    QTest::newRow("parts after the third term ignored") << "X----1|2|3|4|5" << valuesOf({1, 2, 3, 4, 5}) << 6;
    QTest::newRow("leading text with dashes") << "A-B---C----1|2|3" << valuesOf({1, 1, 1}) << 3;
    QTest::newRow("all nines in all terms")
        << "X----1+2+3+4|5+6+7+8|9+10+11+12" << valuesOf({9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9}) << 18;
    QTest::newRow("maximum 27") << "X----1|2|3" << valuesOf({9, 9, 9}) << 27;
    QTest::newRow("out-of-range digits keep last digit") << "X----1|2|3" << valuesOf({12, 0, 0}) << 2;
    QTest::newRow("negative slot uses last digit of its text") << "X----1|2|3" << valuesOf({-13, 0, 0}) << 3;
    // Malformed lines: never crash, never read outside slots 1..12.
    QTest::newRow("no marker predicts 0") << "1|2|3" << countingValues() << 0;
    QTest::newRow("empty line predicts 0") << "" << countingValues() << 0;
    QTest::newRow("marker only predicts 0") << "X----" << countingValues() << 0;
    QTest::newRow("two terms, third counts 0") << "X----1|2" << countingValues() << 3;
    QTest::newRow("one term") << "X----4+5" << countingValues() << 9;
    QTest::newRow("position 13 dropped") << "X----13|2|3" << countingValues() << 5;
    QTest::newRow("position 18 dropped") << "X----1+18|2|3" << countingValues() << 6;
    QTest::newRow("position 0 dropped") << "X----0|2|3" << countingValues() << 5;
    QTest::newRow("negative position dropped") << "X-----1|2|3" << countingValues() << 5;
    QTest::newRow("huge position dropped") << "X----99999999999|2|3" << countingValues() << 5;
    QTest::newRow("text position dropped") << "X----a+1|b|3" << countingValues() << 4;
    QTest::newRow("empty pieces dropped") << "X----1++2||3" << countingValues() << 6;
    QTest::newRow("position with trailing text reads leading digits") << "X----1x|2 |3" << countingValues() << 6;
}

void TestPlanRules::planNumber()
{
    QFETCH(QString, line);
    QFETCH(WorkingValues, values);
    QFETCH(int, n);
    QCOMPARE(tandor28::planNumber(line, values), n);
    QCOMPARE(tandor28::planNumber(parsePlanRule(line), values), n);
}

void TestPlanRules::wellFormed_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("wellFormed");
    QTest::newRow("three terms") << "X----1+2+3|4+5+6+7|8+9+10" << true;
    QTest::newRow("ignored tail") << "X----1|2|3----junk" << true;
    QTest::newRow("extra parts ignored") << "X----1|2|3|junk" << true;
    QTest::newRow("no marker") << "1|2|3" << false;
    QTest::newRow("two terms") << "X----1|2" << false;
    QTest::newRow("position 13") << "X----1|2|13" << false;
    QTest::newRow("position 0") << "X----1|0|3" << false;
    QTest::newRow("empty piece") << "X----1+|2|3" << false;
}

void TestPlanRules::wellFormed()
{
    QFETCH(QString, line);
    QFETCH(bool, wellFormed);
    QCOMPARE(parsePlanRule(line).wellFormed, wellFormed);
}

void TestPlanRules::fillsSlotsFromFourDraws()
{
    const DrawHistory history({drawWithDigits("5", 1, 2, 3), drawWithDigits("4", 4, 5, 6), drawWithDigits("3", 7, 8, 9),
                               drawWithDigits("2", 0, 1, 2), drawWithDigits("1", 3, 4, 5)});
    WorkingValues values{};
    fillPlanSlots(values, history, 1);
    QCOMPARE(values, valuesOf({1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 1, 2}));
    fillPlanSlots(values, history, 2);
    QCOMPARE(values, valuesOf({4, 5, 6, 7, 8, 9, 0, 1, 2, 3, 4, 5}));
}

void TestPlanRules::fillingLeavesCustomSlots()
{
    WorkingValues values{};
    values.fill(7);
    fillPlanSlots(values, DrawHistory({drawWithDigits("1", 1, 1, 1)}), 1);
    for (int slot = 13; slot <= 18; ++slot)
        QCOMPARE(values[static_cast<std::size_t>(slot - 1)], 7);
}

void TestPlanRules::fillingBeyondHistoryReadsEmptyDraws()
{
    WorkingValues values{};
    values.fill(7);
    fillPlanSlots(values, DrawHistory({drawWithDigits("1", 1, 2, 3)}), 1);
    QCOMPARE(values[0], 1);
    for (int slot = 4; slot <= 12; ++slot)
        QCOMPARE(values[static_cast<std::size_t>(slot - 1)], 0);
}

void TestPlanRules::splitRuleList_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("crlf with final") << "a----1|2|3\r\nb----4|5|6\r\n" << QStringList{"a----1|2|3", "b----4|5|6"};
    QTest::newRow("crlf without final") << "a\r\nb" << QStringList{"a", "b"};
    QTest::newRow("lf") << "a\nb\n" << QStringList{"a", "b"};
    QTest::newRow("inner empty line kept") << "a\r\n\r\nb" << QStringList{"a", "", "b"};
    QTest::newRow("empty") << "" << QStringList{};
}

void TestPlanRules::splitRuleList()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(tandor28::splitRuleList(text), lines);
}

void TestPlanRules::shippedListsAreComplete()
{
    const PlanRules rules = loadPlanRules();
    QCOMPARE(rules.free.size(), kFreePlanCount);
    QCOMPARE(rules.member.size(), kMemberPlanCount);
    QSet<QString> bodies;
    bool threePositions = false;
    bool fourPositions = false;
    for (const QString& line : rules.free + rules.member) {
        const PlanRule rule = parsePlanRule(line);
        QVERIFY2(rule.wellFormed, qPrintable(line));
        for (const std::vector<int>& term : rule.terms) {
            threePositions = threePositions || term.size() == 3;
            fourPositions = fourPositions || term.size() == 4;
        }
        bodies.insert(line.mid(line.indexOf(QStringLiteral("----"))));
    }
    QVERIFY(threePositions);
    QVERIFY(fourPositions);
    QCOMPARE(bodies.size(), kFreePlanCount + kMemberPlanCount); // no two rules alike
}

void TestPlanRules::ruleLineOutsideList()
{
    const QStringList rules{"a----1|2|3", "b----4|5|6"};
    QCOMPARE(ruleLine(rules, 1), QStringLiteral("a----1|2|3"));
    QCOMPARE(ruleLine(rules, 2), QStringLiteral("b----4|5|6"));
    QCOMPARE(ruleLine(rules, 0), QString());
    QCOMPARE(ruleLine(rules, 3), QString());
}

void TestPlanRules::captions_data()
{
    QTest::addColumn<QString>("tab");
    QTest::addColumn<int>("plan");
    QTest::addColumn<QString>("caption");
    QTest::newRow("free 1") << "free" << 1 << "F01计划A";
    QTest::newRow("free 4") << "free" << 4 << "F01计划D";
    QTest::newRow("free 5") << "free" << 5 << "F02计划";
    QTest::newRow("free 16") << "free" << 16 << "F13计划";
    QTest::newRow("free 17 none") << "free" << 17 << "";
    QTest::newRow("member 1") << "member" << 1 << "F01计划E";
    QTest::newRow("member 4") << "member" << 4 << "F01计划H";
    QTest::newRow("member 5") << "member" << 5 << "F14计划A";
    QTest::newRow("member 12") << "member" << 12 << "F11计划D";
    QTest::newRow("member 13") << "member" << 13 << "F09计划A";
    QTest::newRow("member 20") << "member" << 20 << "F13计划D";
    QTest::newRow("member 21") << "member" << 21 << "F15计划A";
    QTest::newRow("member 22") << "member" << 22 << "F12计划A";
    QTest::newRow("member 25") << "member" << 25 << "F12计划D";
    QTest::newRow("member 26") << "member" << 26 << "F15计划B";
    QTest::newRow("member 28") << "member" << 28 << "F15计划D";
    QTest::newRow("member 29") << "member" << 29 << "F16计划A";
    QTest::newRow("member 33") << "member" << 33 << "F17计划A";
    QTest::newRow("member 40") << "member" << 40 << "F17计划H";
    QTest::newRow("member 41") << "member" << 41 << "F10计划A";
    QTest::newRow("member 48") << "member" << 48 << "F18计划D";
    QTest::newRow("member 52") << "member" << 52 << "F19计划D";
    QTest::newRow("member 56") << "member" << 56 << "F20计划D";
    QTest::newRow("member 0 none") << "member" << 0 << "";
    QTest::newRow("member 57 none") << "member" << 57 << "";
}

void TestPlanRules::captions()
{
    QFETCH(QString, tab);
    QFETCH(int, plan);
    QFETCH(QString, caption);
    QCOMPARE(tab == "free" ? freePlanCaption(plan) : memberPlanCaption(plan), caption);
}

QTEST_APPLESS_MAIN(TestPlanRules)
#include "tst_planrules.moc"
