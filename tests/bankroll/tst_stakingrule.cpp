#include "bankroll/stakingrule.h"

#include <QTest>

using namespace tandor28;

class TestStakingRule : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void accepted_data();
    void accepted();
    void refused_data();
    void refused();
    void refusalTexts_data();
    void refusalTexts();
    void stakesByState_data();
    void stakesByState();
};

void TestStakingRule::accepted_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("written");
    QTest::addColumn<int>("kind");
    QTest::addColumn<double>("first");
    // clang-format off
    QTest::newRow("flat")                 << "flat:10"               << "flat:10"               << int(StakingKind::Flat)      << 10.0;
    QTest::newRow("flat, decimal")        << "flat:2.5"              << "flat:2.5"              << int(StakingKind::Flat)      << 2.5;
    QTest::newRow("flat, blanks")         << "  flat: 3 "            << "flat:3"                << int(StakingKind::Flat)      << 3.0;
    QTest::newRow("double")               << "double:10,top=6"       << "double:10,top=6"       << int(StakingKind::Double)    << 10.0;
    QTest::newRow("double, top 0")        << "double:1,top=0"        << "double:1,top=0"        << int(StakingKind::Double)    << 1.0;
    QTest::newRow("double, blanks")       << "double:5, top=3"       << "double:5,top=3"        << int(StakingKind::Double)    << 5.0;
    QTest::newRow("ladder of the issue")  << "ladder:1,2,4,8,17,36"  << "ladder:1,2,4,8,17,36"  << int(StakingKind::Ladder)    << 1.0;
    QTest::newRow("ladder of one step")   << "ladder:7"              << "ladder:7"              << int(StakingKind::Ladder)    << 7.0;
    QTest::newRow("ladder, decimals")     << "ladder:0.5, 1.5 ,3"    << "ladder:0.5,1.5,3"      << int(StakingKind::Ladder)    << 0.5;
    QTest::newRow("fib")                  << "fib:5"                 << "fib:5"                 << int(StakingKind::Fibonacci) << 5.0;
    QTest::newRow("fraction")             << "fraction:0.02"         << "fraction:0.02"         << int(StakingKind::Fraction)  << 2.0;
    QTest::newRow("fraction, all")        << "fraction:1"            << "fraction:1"            << int(StakingKind::Fraction)  << 100.0;
    // clang-format on
}

void TestStakingRule::accepted()
{
    QFETCH(QString, text);
    QFETCH(int, kind);
    QFETCH(double, first);
    const StakingRuleParse parse = parseStakingRule(text);
    QVERIFY2(parse.rule, qPrintable(stakingProblemText(parse)));
    QCOMPARE(parse.problem, StakingProblem::None);
    QCOMPARE(int(parse.rule->kind), kind);
    QTEST(stakingRuleText(*parse.rule), "written");
    QCOMPARE(ruleStake(*parse.rule, StakingState{}, 100), first);
    const StakingRuleParse again = parseStakingRule(stakingRuleText(*parse.rule));
    QVERIFY(again.rule);
    QCOMPARE(*again.rule, *parse.rule);
}

void TestStakingRule::refused_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("problem");
    QTest::addColumn<int>("entry");
    QTest::addColumn<QString>("word");
    const QString longLadder = QStringLiteral("ladder:") + QStringList(101, QStringLiteral("1")).join(u',');
    // clang-format off
    QTest::newRow("empty")                  << ""                       << int(StakingProblem::UnknownRule)    << 0 << "";
    QTest::newRow("no colon")               << "flat"                   << int(StakingProblem::UnknownRule)    << 0 << "flat";
    QTest::newRow("unknown")                << "martingale:1"           << int(StakingProblem::UnknownRule)    << 0 << "martingale:1";
    QTest::newRow("upper case")             << "FLAT:1"                 << int(StakingProblem::UnknownRule)    << 0 << "FLAT:1";
    QTest::newRow("flat zero")              << "flat:0"                 << int(StakingProblem::BadAmount)      << 0 << "0";
    QTest::newRow("flat negative")          << "flat:-5"                << int(StakingProblem::BadAmount)      << 0 << "-5";
    QTest::newRow("flat empty")             << "flat:"                  << int(StakingProblem::BadAmount)      << 0 << "";
    QTest::newRow("flat letters")           << "flat:ten"               << int(StakingProblem::BadAmount)      << 0 << "ten";
    QTest::newRow("flat infinite")          << "flat:inf"               << int(StakingProblem::BadAmount)      << 0 << "inf";
    QTest::newRow("flat not a number")      << "flat:nan"               << int(StakingProblem::BadAmount)      << 0 << "nan";
    QTest::newRow("flat absurd")            << "flat:1e13"              << int(StakingProblem::BadAmount)      << 0 << "1e13";
    QTest::newRow("fib zero")               << "fib:0"                  << int(StakingProblem::BadAmount)      << 0 << "0";
    QTest::newRow("double without top")     << "double:10"              << int(StakingProblem::MissingTop)     << 0 << "10";
    QTest::newRow("double, other key")      << "double:10,cap=3"        << int(StakingProblem::MissingTop)     << 0 << "10,cap=3";
    QTest::newRow("double, three parts")    << "double:10,top=3,x"      << int(StakingProblem::MissingTop)     << 0 << "10,top=3,x";
    QTest::newRow("double zero stake")      << "double:0,top=3"         << int(StakingProblem::BadAmount)      << 0 << "0";
    QTest::newRow("double negative top")    << "double:1,top=-1"        << int(StakingProblem::BadTop)         << 0 << "-1";
    QTest::newRow("double top too high")    << "double:1,top=41"        << int(StakingProblem::BadTop)         << 0 << "41";
    QTest::newRow("double top not whole")   << "double:1,top=2.5"       << int(StakingProblem::BadTop)         << 0 << "2.5";
    QTest::newRow("ladder empty")           << "ladder:"                << int(StakingProblem::EmptyLadder)    << 0 << "";
    QTest::newRow("ladder zero step")       << "ladder:1,2,0,8"         << int(StakingProblem::BadLadderEntry) << 3 << "0";
    QTest::newRow("ladder negative step")   << "ladder:-1,2"            << int(StakingProblem::BadLadderEntry) << 1 << "-1";
    QTest::newRow("ladder absurd step")     << "ladder:1,2,4e15"        << int(StakingProblem::BadLadderEntry) << 3 << "4e15";
    QTest::newRow("ladder empty step")      << "ladder:1,,4"            << int(StakingProblem::BadLadderEntry) << 2 << "";
    QTest::newRow("ladder trailing comma")  << "ladder:1,2,"            << int(StakingProblem::BadLadderEntry) << 3 << "";
    QTest::newRow("ladder of 101 steps")    << longLadder               << int(StakingProblem::LongLadder)     << 0 << "101";
    QTest::newRow("fraction zero")          << "fraction:0"             << int(StakingProblem::BadFraction)    << 0 << "0";
    QTest::newRow("fraction above one")     << "fraction:1.5"           << int(StakingProblem::BadFraction)    << 0 << "1.5";
    QTest::newRow("fraction percent")       << "fraction:2%"            << int(StakingProblem::BadFraction)    << 0 << "2%";
    // clang-format on
}

void TestStakingRule::refused()
{
    QFETCH(QString, text);
    const StakingRuleParse parse = parseStakingRule(text);
    QVERIFY(!parse.rule);
    QTEST(int(parse.problem), "problem");
    QTEST(parse.entry, "entry");
    QTEST(parse.word, "word");
    QVERIFY(!stakingProblemText(parse).isEmpty());
    QVERIFY(!stakingProblemTextZh(parse).isEmpty());
}

void TestStakingRule::refusalTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("english");
    QTest::addColumn<QString>("chinese");
    // clang-format off
    QTest::newRow("zero step")  << "ladder:1,2,0" << "ladder step 3 (\"0\") must be a number above 0 and at most 1000000000000" << "注额序列第 3 步（“0”）须为大于 0、不超过 1000000000000 的数";
    QTest::newRow("top")        << "double:1,top=99" << "the top \"99\" of double must be a whole number from 0 to 40" << "倍投封顶“99”须为 0 到 40 的整数";
    QTest::newRow("unknown")    << "all:1" << "unknown staking rule \"all:1\" (flat:S, double:S,top=K, ladder:A1,...,AM, fib:S or fraction:F)" << "未知的投注方式“all:1”（flat:S、double:S,top=K、ladder:A1,...,AM、fib:S 或 fraction:F）";
    // clang-format on
}

void TestStakingRule::refusalTexts()
{
    QFETCH(QString, text);
    const StakingRuleParse parse = parseStakingRule(text);
    QTEST(stakingProblemText(parse), "english");
    QTEST(stakingProblemTextZh(parse), "chinese");
}

// The stake of each bet for a run of verdicts ("0" miss, "1" hit), the balance held at 100.
void TestStakingRule::stakesByState_data()
{
    QTest::addColumn<QString>("rule");
    QTest::addColumn<QString>("verdicts");
    QTest::addColumn<QList<double>>("stakes");
    // clang-format off
    QTest::newRow("flat")             << "flat:3"          << "0010" << QList<double>{3, 3, 3, 3, 3};
    QTest::newRow("double to its top") << "double:1,top=3" << "00000100" << QList<double>{1, 2, 4, 8, 8, 8, 1, 2, 4};
    QTest::newRow("double, top 0")    << "double:2,top=0"  << "000" << QList<double>{2, 2, 2, 2};
    QTest::newRow("ladder round")     << "ladder:1,2,4"    << "0000010" << QList<double>{1, 2, 4, 1, 2, 4, 1, 2};
    QTest::newRow("ladder hit")       << "ladder:1,2,4"    << "01001" << QList<double>{1, 2, 1, 2, 4, 1};
    QTest::newRow("fib on and back")  << "fib:1"           << "000001101" << QList<double>{1, 1, 2, 3, 5, 8, 3, 1, 2, 1};
    QTest::newRow("fib not below F0") << "fib:2"           << "0111" << QList<double>{2, 2, 2, 2, 2};
    QTest::newRow("fraction")         << "fraction:0.1"    << "01" << QList<double>{10, 10, 10};
    // clang-format on
}

void TestStakingRule::stakesByState()
{
    QFETCH(QString, rule);
    QFETCH(QString, verdicts);
    QFETCH(QList<double>, stakes);
    const StakingRule parsed = *parseStakingRule(rule).rule;
    StakingState state;
    QList<double> seen{ruleStake(parsed, state, 100)};
    for (const QChar verdict : verdicts) {
        advanceStaking(parsed, state, verdict == u'1');
        seen << ruleStake(parsed, state, 100);
    }
    QCOMPARE(seen, stakes);
}

QTEST_GUILESS_MAIN(TestStakingRule)
#include "tst_stakingrule.moc"
