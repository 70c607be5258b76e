#include "cliruns.h"
#include "fixtures.h"

#include "plans/generators.h"
#include "plans/marking.h"
#include "plans/planrules.h"

#include <QTest>

using namespace tandor28;

namespace {

const QString kLuckyFeed = testsupport::feedPath("lucky28_120.txt");
const QString kShortFeed = testsupport::feedPath("lucky28_4.txt");

using Run = clitest::CliRun;
using clitest::run;

QStringList feedArgs(const QString& path = kLuckyFeed)
{
    return {QStringLiteral("--file"), path, QStringLiteral("--lottery"), QStringLiteral("lucky28")};
}

DrawHistory fixtureHistory()
{
    return testsupport::feedHistory(LotteryKind::Lucky28, "lucky28_120.txt");
}

} // namespace

class TestCliPlans : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tableEqualsCore_data();
    void tableEqualsCore();
    void statsEqualsCore_data();
    void statsEqualsCore();
    void markListsEveryMemberPlan_data();
    void markListsEveryMemberPlan();
    void badArguments_data();
    void badArguments();
    void shortFeedYieldsNothing();
    void betByName_data();
    void betByName();
    void helpListsEachTabsBetCodes_data();
    void helpListsEachTabsBetCodes();
};

void TestCliPlans::tableEqualsCore_data()
{
    QTest::addColumn<QString>("tab");
    QTest::addColumn<int>("plan");
    QTest::addColumn<int>("code");
    for (int code = 1; code <= kFreeBetTypeCount; ++code)
        QTest::addRow("free plan %d bet %d", code * 3, code) << "free" << code * 3 << code;
    for (int code = 1; code <= kMemberBetTypeCount; ++code)
        QTest::addRow("member plan %d bet %d", code * 6, code) << "member" << code * 6 << code;
}

void TestCliPlans::tableEqualsCore()
{
    QFETCH(QString, tab);
    QFETCH(int, plan);
    QFETCH(int, code);
    const Run result = run(QStringList{"table"} + feedArgs() +
                           QStringList{"--tab", tab, "--plan", QString::number(plan), "--bet", QString::number(code)});
    QCOMPARE(result.status, 0);
    const PlanRules rules = loadPlanRules();
    const DrawHistory history = fixtureHistory();
    const std::optional<PredictionTable> table =
        tab == "free" ? generateFreeTable(history, rules.free, plan, code, kPeriodCount)
                      : generateMemberTable(history, rules.member, plan, code, kPeriodCount);
    QVERIFY(table);
    QCOMPARE(result.lines.size(), 101);
    for (int row = 1; row <= 101; ++row)
        QCOMPARE(result.lines[row - 1], predictionRowLine(row, table->rows[std::size_t(row - 1)]));
    // Row 1 leaves column 6 and every colour unset; judged rows colour columns 3, 5 and 6.
    QVERIFY(result.lines[0].endsWith(QStringLiteral("\t\t-\t-\t-\t-")));
    const QStringList judged = result.lines[1].split(u'\t');
    QCOMPARE(judged.size(), 12);
    QVERIFY(judged[8] != u"-" && judged[10] != u"-" && judged[11] != u"-"); // 双项 may leave column 4
}

void TestCliPlans::statsEqualsCore_data()
{
    QTest::addColumn<int>("plan");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("window");
    QTest::newRow("plan 1 combo 20") << 1 << 1 << 20;
    QTest::newRow("plan 21 kill combo 50") << 21 << 4 << 50;
    QTest::newRow("plan 56 kill double combo 100") << 56 << 9 << 100;
}

void TestCliPlans::statsEqualsCore()
{
    QFETCH(int, plan);
    QFETCH(int, code);
    QFETCH(int, window);
    const Run result = run(QStringList{"stats"} + feedArgs() +
                           QStringList{"--tab", "member", "--plan", QString::number(plan), "--bet",
                                       QString::number(code), "--window", QString::number(window)});
    QCOMPARE(result.status, 0);
    const PlanStats stats = *evaluateMemberPlan(fixtureHistory(), loadPlanRules().member, plan, code, window);
    QCOMPARE(result.lines, QStringList{QStringLiteral("%1\t%2\t%3\t%4\t%5")
                                           .arg(stats.right)
                                           .arg(stats.wrong)
                                           .arg(stats.accuracy)
                                           .arg(stats.winStreak)
                                           .arg(stats.lossStreak)});
}

void TestCliPlans::markListsEveryMemberPlan_data()
{
    QTest::addColumn<int>("criterion");
    QTest::addColumn<int>("comparison");
    QTest::addColumn<int>("threshold");
    QTest::newRow("accuracy >= 50") << 2 << 0 << 50;
    QTest::newRow("wrong < 0 marks none") << 1 << 3 << 0;
    QTest::newRow("right >= 0 marks all") << 0 << 0 << 0;
}

void TestCliPlans::markListsEveryMemberPlan()
{
    QFETCH(int, criterion);
    QFETCH(int, comparison);
    QFETCH(int, threshold);
    const Run result =
        run(QStringList{"mark"} + feedArgs() +
            QStringList{"--bet", "1", "--window", "20", "--criterion", QString::number(criterion), "--compare",
                        QString::number(comparison), "--threshold", QString::number(threshold)});
    QCOMPARE(result.status, 0);
    QCOMPARE(result.lines.size(), kMemberPlanCount);
    const std::vector<PlanMark> marks =
        markMemberPlans(fixtureHistory(), loadPlanRules().member, 1, 20, {criterion, comparison, threshold});
    int marked = 0;
    for (int plan = 1; plan <= kMemberPlanCount; ++plan) {
        const QStringList fields = result.lines[plan - 1].split(u'\t');
        QCOMPARE(fields.size(), 8);
        QCOMPARE(fields[0], QString::number(plan));
        QCOMPARE(fields[1], memberPlanCaption(plan));
        const PlanMark& mark = marks[std::size_t(plan - 1)];
        QCOMPARE(fields[4], QString::number(mark.stats.accuracy));
        QCOMPARE(fields[7], *mark.marked ? QStringLiteral("1") : QStringLiteral("0"));
        marked += fields[7] == u"1" ? 1 : 0;
    }
    if (comparison == 3 && threshold == 0)
        QCOMPARE(marked, 0);
    if (comparison == 0 && threshold == 0)
        QCOMPARE(marked, kMemberPlanCount);
}

void TestCliPlans::badArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("free plan 17") << QStringList{"table", "--tab", "free", "--plan", "17", "--bet", "1"};
    QTest::newRow("free bet 6") << QStringList{"table", "--tab", "free", "--plan", "1", "--bet", "6"};
    QTest::newRow("member bet 10") << QStringList{"table", "--tab", "member", "--plan", "1", "--bet", "10"};
    QTest::newRow("member plan missing") << QStringList{"table", "--tab", "member", "--bet", "1"};
    QTest::newRow("plan not a number") << QStringList{"table", "--tab", "member", "--plan", "x", "--bet", "1"};
    QTest::newRow("stats window 0") << QStringList{"stats", "--tab", "member",   "--plan", "1",
                                                   "--bet", "1",     "--window", "0"};
    QTest::newRow("stats window 101") << QStringList{"stats", "--tab", "member",   "--plan", "1",
                                                     "--bet", "1",     "--window", "101"};
    QTest::newRow("mark compare 4") << QStringList{"mark", "--bet",     "1", "--window",    "20", "--criterion",
                                                   "2",    "--compare", "4", "--threshold", "80"};
    QTest::newRow("mark criterion 5") << QStringList{"mark", "--bet",     "1", "--window",    "20", "--criterion",
                                                     "5",    "--compare", "0", "--threshold", "80"};
    QTest::newRow("mark threshold text") << QStringList{"mark", "--bet",     "1", "--window",    "20", "--criterion",
                                                        "2",    "--compare", "0", "--threshold", "abc"};
    QTest::newRow("mark option without value") << QStringList{"mark", "--bet"};
}

void TestCliPlans::badArguments()
{
    QFETCH(QStringList, arguments);
    const Run result = run(arguments.last() == u"--bet" ? arguments : arguments + feedArgs());
    QCOMPARE(result.status, 2);
    QVERIFY(result.lines.isEmpty());
    QVERIFY(!result.err.isEmpty());
}

void TestCliPlans::shortFeedYieldsNothing()
{
    const Run result = run(QStringList{"table", "--tab", "member", "--plan", "1", "--bet", "1"} + feedArgs(kShortFeed));
    QCOMPARE(result.status, 3);
    QVERIFY(result.lines.isEmpty());
}

void TestCliPlans::betByName_data()
{
    QTest::addColumn<QStringList>("byName");
    QTest::addColumn<QStringList>("byCode");
    // clang-format off
    QTest::newRow("free 大小")      << QStringList{"table", "--tab", "free", "--plan", "3", "--bet", "大小"} << QStringList{"table", "--tab", "free", "--plan", "3", "--bet", "2"};
    QTest::newRow("member 杀双组")  << QStringList{"table", "--tab", "member", "--plan", "21", "--bet", "杀双组"} << QStringList{"table", "--tab", "member", "--plan", "21", "--bet", "9"};
    QTest::newRow("custom 双项")    << QStringList{"table", "--tab", "custom", "--plan", "1", "--bet", "双项"} << QStringList{"table", "--tab", "custom", "--plan", "1", "--bet", "8"};
    QTest::newRow("custom 杀双组")  << QStringList{"stats", "--tab", "custom", "--plan", "1", "--bet", "杀双组", "--window", "20"} << QStringList{"stats", "--tab", "custom", "--plan", "1", "--bet", "7", "--window", "20"};
    QTest::newRow("mark 组合")      << QStringList{"mark", "--bet", "组合", "--window", "20", "--criterion", "2", "--compare", "0", "--threshold", "50"} << QStringList{"mark", "--bet", "1", "--window", "20", "--criterion", "2", "--compare", "0", "--threshold", "50"};
    // clang-format on
}

void TestCliPlans::betByName()
{
    QFETCH(QStringList, byName);
    QFETCH(QStringList, byCode);
    const Run named = run(byName + feedArgs());
    const Run coded = run(byCode + feedArgs());
    QCOMPARE(coded.status, 0);
    QCOMPARE(named.status, 0);
    QCOMPARE(named.err, QString());
    QCOMPARE(named.out, coded.out);
}

void TestCliPlans::helpListsEachTabsBetCodes_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("codes");
    const QStringList free{"1 组合 2 大小 3 单双 4 杀组 5 杀3N"};
    const QStringList member{"1 组合 2 大小 3 单双 4 杀组 5 杀3N 6 杀4N 7 双组 8 双项 9 杀双组"};
    const QStringList custom{"1 组合 2 大小 3 单双 4 杀组 5 杀3N 6 杀4N 7 杀双组 8 双项"};
    QTest::newRow("table") << "table" << (free + member + custom);
    QTest::newRow("stats") << "stats" << (member + custom);
    QTest::newRow("mark") << "mark" << member;
    QTest::newRow("search") << "search" << custom;
}

void TestCliPlans::helpListsEachTabsBetCodes()
{
    QFETCH(QString, command);
    QFETCH(QStringList, codes);
    const Run help = run({command, QStringLiteral("--help")});
    QCOMPARE(help.status, 0);
    const auto betLine = std::find_if(help.lines.begin(), help.lines.end(),
                                      [](const QString& line) { return line.startsWith(QStringLiteral("  --bet ")); });
    QVERIFY2(betLine != help.lines.end(), qPrintable(help.out));
    for (const QString& list : codes)
        QVERIFY2(betLine->contains(list), qPrintable(*betLine));
}

QTEST_GUILESS_MAIN(TestCliPlans)
#include "tst_cli_plans.moc"
