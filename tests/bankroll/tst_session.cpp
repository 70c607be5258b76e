#include "bankroll/session.h"

#include <QTest>

#include <cmath>

using namespace tandor28;

namespace {

// "0 1 1:4.2": a miss, a hit, and a hit at odds 4.2; a verdict without odds is at `odds`.
std::vector<PlacedBet> placedBets(const QString& verdicts, double odds)
{
    std::vector<PlacedBet> bets;
    for (const QString& word : verdicts.split(u' ', Qt::SkipEmptyParts)) {
        const QStringList parts = word.split(u':');
        bets.push_back({parts[0] == QLatin1String("1"), parts.size() > 1 ? parts[1].toDouble() : odds});
    }
    return bets;
}

// -1 stands for no stop in the tables.
std::optional<double> moneyStop(double value)
{
    return value < 0 ? std::nullopt : std::optional<double>(value);
}

bool near(double a, double b)
{
    return std::abs(a - b) < 1e-9;
}

} // namespace

class TestSession : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void replay_data();
    void replay();
    void highLowAndDrawdown();
    void problems_data();
    void problems();
};

void TestSession::replay_data()
{
    QTest::addColumn<QString>("rule");
    QTest::addColumn<double>("start");
    QTest::addColumn<double>("stopLoss");
    QTest::addColumn<double>("takeProfit");
    QTest::addColumn<int>("maxBets");
    QTest::addColumn<bool>("allIn");
    QTest::addColumn<double>("odds");
    QTest::addColumn<QString>("verdicts");
    QTest::addColumn<QList<double>>("balances");
    QTest::addColumn<double>("staked");
    QTest::addColumn<double>("drawdown");
    QTest::addColumn<int>("longestMissRun");
    QTest::addColumn<QString>("stoppedBy");
    // clang-format off
    QTest::newRow("flat to the end")              << "flat:10"               << 100.0  << -1.0 << -1.0  << 0 << false << 2.0  << "0 0 1 0 1 1"     << QList<double>{90, 80, 90, 80, 90, 100}             << 60.0  << 20.0 << 2 << "end";
    QTest::newRow("flat at 1.98")                 << "flat:10"               << 100.0  << -1.0 << -1.0  << 0 << false << 1.98 << "1 0 1"           << QList<double>{109.8, 99.8, 109.6}                  << 30.0  << 10.0 << 1 << "end";
    QTest::newRow("double to its top")            << "double:10,top=2"       << 1000.0 << -1.0 << -1.0  << 0 << false << 2.0  << "0 0 0 0 1 0 1"   << QList<double>{990, 970, 930, 890, 930, 920, 940}   << 180.0 << 110.0 << 4 << "end";
    QTest::newRow("double out of money")          << "double:10,top=2"       << 100.0  << -1.0 << -1.0  << 0 << false << 2.0  << "0 0 0 0 1"       << QList<double>{90, 70, 30}                          << 70.0  << 70.0 << 3 << "no-money";
    QTest::newRow("double all in")                << "double:10,top=2"       << 100.0  << -1.0 << -1.0  << 0 << true  << 2.0  << "0 0 0 0 1"       << QList<double>{90, 70, 30, 0}                       << 100.0 << 100.0 << 4 << "no-money";
    QTest::newRow("double all in, then a hit")    << "double:10,top=2"       << 100.0  << -1.0 << -1.0  << 0 << true  << 2.0  << "0 0 0 1 0"       << QList<double>{90, 70, 30, 60, 50}                  << 110.0 << 70.0 << 3 << "end";
    QTest::newRow("ladder round and again")       << "ladder:1,2,4"          << 100.0  << -1.0 << -1.0  << 0 << false << 2.0  << "0 0 0 0 1 0 1"   << QList<double>{99, 97, 93, 92, 94, 93, 95}          << 13.0  << 8.0  << 4 << "end";
    QTest::newRow("ladder of the issue at 1.98")  << "ladder:1,2,4,8,17,36"  << 100.0  << -1.0 << -1.0  << 0 << false << 1.98 << "0 0 0 0 1 1"     << QList<double>{99, 97, 93, 85, 101.66, 102.64}      << 33.0  << 15.0 << 4 << "end";
    QTest::newRow("ladder beyond the balance")    << "ladder:1,2,4,8,17,36"  << 60.0   << -1.0 << -1.0  << 0 << false << 1.98 << "0 0 0 0 0 1"     << QList<double>{59, 57, 53, 45, 28}                  << 32.0  << 32.0 << 5 << "no-money";
    QTest::newRow("fib on and back")              << "fib:1"                 << 100.0  << -1.0 << -1.0  << 0 << false << 2.0  << "0 0 0 0 1 1 0 1" << QList<double>{99, 98, 96, 93, 98, 100, 99, 100}   << 16.0  << 7.0  << 4 << "end";
    QTest::newRow("fraction unrounded")           << "fraction:0.5"          << 100.0  << -1.0 << -1.0  << 0 << false << 2.0  << "0 1 0"           << QList<double>{50, 75, 37.5}                        << 112.5 << 62.5 << 1 << "end";
    QTest::newRow("stop-loss reached exactly")    << "flat:10"               << 100.0  << 80.0 << -1.0  << 0 << false << 2.0  << "0 0 0 0 0"       << QList<double>{90, 80}                              << 20.0  << 20.0 << 2 << "stop-loss";
    QTest::newRow("stop-loss passed")             << "flat:15"               << 100.0  << 75.0 << -1.0  << 0 << false << 2.0  << "0 0 0 0 0"       << QList<double>{85, 70}                              << 30.0  << 30.0 << 2 << "stop-loss";
    QTest::newRow("take-profit reached exactly")  << "flat:10"               << 100.0  << -1.0 << 120.0 << 0 << false << 2.0  << "1 1 1"           << QList<double>{110, 120}                            << 20.0  << 0.0  << 0 << "take-profit";
    QTest::newRow("max-bets")                     << "flat:10"               << 100.0  << -1.0 << -1.0  << 3 << false << 2.0  << "1 0 1 0 1"       << QList<double>{110, 100, 110}                       << 30.0  << 10.0 << 1 << "max-bets";
    QTest::newRow("stop-loss before max-bets")    << "flat:10"               << 100.0  << 80.0 << -1.0  << 2 << false << 2.0  << "0 0 1"           << QList<double>{90, 80}                              << 20.0  << 20.0 << 2 << "stop-loss";
    QTest::newRow("take-profit before max-bets")  << "flat:10"               << 100.0  << -1.0 << 110.0 << 1 << false << 2.0  << "1 1"             << QList<double>{110}                                 << 10.0  << 0.0  << 0 << "take-profit";
    QTest::newRow("max-bets before no-money")     << "flat:60"               << 100.0  << -1.0 << -1.0  << 1 << false << 2.0  << "0 1"             << QList<double>{40}                                  << 60.0  << 60.0 << 1 << "max-bets";
    QTest::newRow("max-bets before the end")      << "flat:10"               << 100.0  << -1.0 << -1.0  << 2 << false << 2.0  << "0 1"             << QList<double>{90, 100}                             << 20.0  << 10.0 << 1 << "max-bets";
    QTest::newRow("no-money before the end")      << "flat:60"               << 100.0  << -1.0 << -1.0  << 0 << false << 2.0  << "0"               << QList<double>{40}                                  << 60.0  << 60.0 << 1 << "no-money";
    QTest::newRow("no verdicts")                  << "flat:10"               << 100.0  << -1.0 << -1.0  << 0 << false << 2.0  << ""                << QList<double>{}                                    << 0.0   << 0.0  << 0 << "end";
    QTest::newRow("classes at their own odds")    << "flat:10"               << 100.0  << -1.0 << -1.0  << 0 << false << 1.98 << "1:4.2 0 1 1:50"  << QList<double>{132, 122, 131.8, 621.8}              << 40.0  << 10.0 << 1 << "end";
    QTest::newRow("a stake of all of it")         << "fraction:1"            << 100.0  << -1.0 << -1.0  << 0 << false << 2.0  << "1 0 1"           << QList<double>{200, 0}                              << 300.0 << 200.0 << 1 << "no-money";
    // clang-format on
}

void TestSession::replay()
{
    QFETCH(QString, rule);
    QFETCH(double, start);
    QFETCH(double, stopLoss);
    QFETCH(double, takeProfit);
    QFETCH(int, maxBets);
    QFETCH(bool, allIn);
    QFETCH(double, odds);
    QFETCH(QString, verdicts);
    QFETCH(QList<double>, balances);
    QFETCH(double, staked);
    QFETCH(double, drawdown);
    QFETCH(QString, stoppedBy);

    SessionPlan plan;
    plan.balance = start;
    plan.rule = *parseStakingRule(rule).rule;
    plan.stops = {moneyStop(stopLoss), moneyStop(takeProfit), maxBets > 0 ? std::optional<int>(maxBets) : std::nullopt,
                  allIn};
    QCOMPARE(sessionProblem(plan), SessionProblem::None);
    const SessionResult result = playSession(plan, placedBets(verdicts, odds));

    QCOMPARE(result.balances.size(), std::size_t(balances.size()));
    for (qsizetype i = 0; i < balances.size(); ++i)
        QVERIFY2(near(result.balances[std::size_t(i)], balances[i]),
                 qPrintable(QStringLiteral("bet %1: %2").arg(i + 1).arg(result.balances[std::size_t(i)])));
    const double final = balances.isEmpty() ? start : balances.last();
    QVERIFY(near(result.final, final));
    QCOMPARE(result.bets, int(balances.size()));
    QVERIFY(near(result.staked, staked));
    QVERIFY(near(result.drawdown, drawdown));
    QTEST(result.longestMissRun, "longestMissRun");
    QCOMPARE(stopReasonName(result.stoppedBy), stoppedBy);
    QVERIFY(near(result.returnPerStaked, staked > 0 ? (final - start) / staked : 0));
    QCOMPARE(result.start, start);
}

void TestSession::highLowAndDrawdown()
{
    SessionPlan plan;
    plan.balance = 100;
    plan.rule = *parseStakingRule(QStringLiteral("flat:10")).rule;
    // 110 120 110 100 90 100 110 120 130 120: high 130, low 90 (the start 100 is above it), the
    // largest fall from a high 120 - 90 = 30, not the last fall 130 - 120.
    const SessionResult up = playSession(plan, placedBets(QStringLiteral("1 1 0 0 0 1 1 1 1 0"), 2));
    QCOMPARE(up.high, 130.0);
    QCOMPARE(up.low, 90.0);
    QCOMPARE(up.drawdown, 30.0);
    QCOMPARE(up.longestMissRun, 3);
    // Only gains: the start is the low.
    const SessionResult gains = playSession(plan, placedBets(QStringLiteral("1 1"), 2));
    QCOMPARE(gains.low, 100.0);
    QCOMPARE(gains.high, 120.0);
    QCOMPARE(gains.drawdown, 0.0);
    // Only losses: the start is the high.
    const SessionResult losses = playSession(plan, placedBets(QStringLiteral("0 0"), 2));
    QCOMPARE(losses.high, 100.0);
    QCOMPARE(losses.low, 80.0);
    QCOMPARE(losses.drawdown, 20.0);
}

void TestSession::problems_data()
{
    QTest::addColumn<QString>("rule");
    QTest::addColumn<double>("start");
    QTest::addColumn<double>("stopLoss");
    QTest::addColumn<double>("takeProfit");
    QTest::addColumn<int>("maxBets");
    QTest::addColumn<int>("problem");
    QTest::addColumn<QString>("text");
    // clang-format off
    QTest::newRow("fine")                    << "flat:10"              << 100.0 << 50.0  << 200.0 << 5  << int(SessionProblem::None)               << "";
    QTest::newRow("zero balance")            << "flat:10"              << 0.0   << -1.0  << -1.0  << 0  << int(SessionProblem::BadBalance)         << "the balance must be a number above 0 and at most 1000000000000.00";
    QTest::newRow("negative balance")        << "flat:10"              << -5.0  << -1.0  << -1.0  << 0  << int(SessionProblem::BadBalance)         << "the balance must be a number above 0 and at most 1000000000000.00";
    QTest::newRow("infinite balance")        << "flat:10"              << qInf()<< -1.0  << -1.0  << 0  << int(SessionProblem::BadBalance)         << "the balance must be a number above 0 and at most 1000000000000.00";
    QTest::newRow("first stake too large")   << "flat:150"             << 100.0 << -1.0  << -1.0  << 0  << int(SessionProblem::StakeAboveBalance)  << "the first stake 150.00 is larger than the balance 100.00";
    QTest::newRow("first ladder step")       << "ladder:120,240"       << 100.0 << -1.0  << -1.0  << 0  << int(SessionProblem::StakeAboveBalance)  << "the first stake 120.00 is larger than the balance 100.00";
    QTest::newRow("stake of all of it")      << "flat:100"             << 100.0 << -1.0  << -1.0  << 0  << int(SessionProblem::None)               << "";
    QTest::newRow("stop-loss at the start")  << "flat:10"              << 100.0 << 100.0 << -1.0  << 0  << int(SessionProblem::StopLossNotBelow)   << "the stop-loss 100.00 must be from 0 to below the balance 100.00";
    QTest::newRow("take-profit at the start")<< "flat:10"              << 100.0 << -1.0  << 100.0 << 0  << int(SessionProblem::TakeProfitNotAbove) << "the take-profit 100.00 must be above the balance 100.00";
    QTest::newRow("no bets")                 << "flat:10"              << 100.0 << -1.0  << -1.0  << -3 << int(SessionProblem::BadMaxBets)         << "the largest number of bets must be at least 1";
    // clang-format on
}

void TestSession::problems()
{
    QFETCH(QString, rule);
    QFETCH(double, start);
    QFETCH(double, stopLoss);
    QFETCH(double, takeProfit);
    QFETCH(int, maxBets);
    SessionPlan plan;
    plan.balance = start;
    plan.rule = *parseStakingRule(rule).rule;
    plan.stops = {moneyStop(stopLoss), moneyStop(takeProfit), maxBets != 0 ? std::optional<int>(maxBets) : std::nullopt,
                  false};
    const SessionProblem problem = sessionProblem(plan);
    QTEST(int(problem), "problem");
    QTEST(sessionProblemText(problem, plan), "text");
    QCOMPARE(sessionProblemTextZh(problem, plan).isEmpty(), problem == SessionProblem::None);
}

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
