#include "bankroll/simulation.h"

#include <QTest>

#include <algorithm>
#include <cmath>
#include <map>

using namespace tandor28;

namespace {

SessionPlan makePlan(const QString& rule, double balance, std::optional<double> stopLoss = {},
                     std::optional<double> takeProfit = {}, std::optional<int> maxBets = {}, bool allIn = false)
{
    SessionPlan plan;
    plan.balance = balance;
    plan.rule = *parseStakingRule(rule).rule;
    plan.stops = {stopLoss, takeProfit, maxBets, allIn};
    return plan;
}

std::vector<ChanceBet> sameBets(int count, double chance, double odds)
{
    return std::vector<ChanceBet>(std::size_t(count), ChanceBet{chance, odds});
}

// The exact law of a doubling session (stake S x 2^min(j, K)) over `count` bets, each a hit with
// `chance`: a Markov chain over (balance in cents, misses in a row), stepped bet by bet, each state
// ending where the session's stops end it.
struct ExactDoubling
{
    std::array<double, kStopReasonCount> stop{};
    double meanBets = 0;
    double meanSquareBets = 0;
};

ExactDoubling exactDoubling(int stakeCents, int top, qint64 balanceCents, std::optional<qint64> stopLossCents,
                            std::optional<qint64> takeProfitCents, int count, bool allIn, double chance, int oddsCents)
{
    ExactDoubling exact;
    std::map<std::pair<qint64, int>, double> states{{{balanceCents, 0}, 1.0}};
    const auto end = [&exact](StopReason reason, int bets, double weight) {
        exact.stop[std::size_t(reason)] += weight;
        exact.meanBets += weight * bets;
        exact.meanSquareBets += weight * bets * bets;
    };
    for (int bets = 0; !states.empty(); ++bets) {
        std::map<std::pair<qint64, int>, double> next;
        for (const auto& [state, weight] : states) {
            const auto [balance, misses] = state;
            qint64 stake = qint64(stakeCents) << std::min(misses, top);
            if (balance <= 0 || (stake > balance && !allIn)) {
                end(StopReason::NoMoney, bets, weight);
                continue;
            }
            stake = std::min(stake, balance);
            if (bets == count) {
                end(StopReason::End, bets, weight);
                continue;
            }
            const qint64 won = balance + stake * (oddsCents - 100) / 100;
            const qint64 lost = balance - stake;
            for (const auto& [after, missRun, p] :
                 {std::tuple(won, 0, chance), std::tuple(lost, std::min(misses + 1, top), 1 - chance)}) {
                if (stopLossCents && after <= *stopLossCents)
                    end(StopReason::StopLoss, bets + 1, weight * p);
                else if (takeProfitCents && after >= *takeProfitCents)
                    end(StopReason::TakeProfit, bets + 1, weight * p);
                else
                    next[{after, missRun}] += weight * p;
            }
        }
        states = std::move(next);
    }
    return exact;
}

} // namespace

class TestSimulation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void ruinAgainstTheExactChain_data();
    void ruinAgainstTheExactChain();
    void returnPerStakedIsTheBetsOwn_data();
    void returnPerStakedIsTheBetsOwn();
    void sameSeedSameResultOnAnyThreads();
    void otherSeedOtherFutures();
    void certainVerdictsReplayThePast_data();
    void certainVerdictsReplayThePast();
    void keptPathsAreTheSessions();
    void quantiles_data();
    void quantiles();
    void cancelled();
    void progressReachesTheTotal();
};

void TestSimulation::ruinAgainstTheExactChain_data()
{
    QTest::addColumn<int>("stake");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("balance");
    QTest::addColumn<int>("stopLoss"); // -1: none
    QTest::addColumn<int>("takeProfit");
    QTest::addColumn<int>("bets");
    QTest::addColumn<bool>("allIn");
    QTest::addColumn<double>("chance");
    QTest::addColumn<int>("oddsCents");
    // clang-format off
    QTest::newRow("大 at 1.98, to 30 from 20")          << 1 << 4 << 20 << -1 << 30 << 60  << false << 0.5   << 198;
    QTest::newRow("大双 at 3.6, stop-loss and profit") << 1 << 5 << 40 << 10 << 50 << 100 << false << 0.26  << 360;
    QTest::newRow("all in, top 3")                     << 2 << 3 << 30 << -1 << 45 << 80  << true  << 0.45  << 198;
    QTest::newRow("极大 at 15, long doubling")          << 1 << 8 << 60 << -1 << 90 << 150 << false << 0.064 << 1500;
    // clang-format on
}

void TestSimulation::ruinAgainstTheExactChain()
{
    QFETCH(int, stake);
    QFETCH(int, top);
    QFETCH(int, balance);
    QFETCH(int, stopLoss);
    QFETCH(int, takeProfit);
    QFETCH(int, bets);
    QFETCH(bool, allIn);
    QFETCH(double, chance);
    QFETCH(int, oddsCents);
    const auto cents = [](int value) { return value < 0 ? std::nullopt : std::optional<qint64>(qint64(value) * 100); };
    const ExactDoubling exact = exactDoubling(stake * 100, top, qint64(balance) * 100, cents(stopLoss),
                                              cents(takeProfit), bets, allIn, chance, oddsCents);
    double total = 0;
    for (const double p : exact.stop)
        total += p;
    QVERIFY(std::abs(total - 1) < 1e-9);
    QVERIFY(exact.stop[std::size_t(StopReason::NoMoney)] > 0.01);

    const SessionPlan plan = makePlan(QStringLiteral("double:%1,top=%2").arg(stake).arg(top), balance,
                                      stopLoss < 0 ? std::nullopt : std::optional<double>(stopLoss), double(takeProfit),
                                      std::nullopt, allIn);
    const qint64 sessions = 20000;
    const SimulationResult result =
        simulateSessions(plan, sameBets(bets, chance, oddsCents / 100.0), {sessions, 20261211, 2, 0});
    QCOMPARE(result.sessions, sessions);
    for (int r = 0; r < kStopReasonCount; ++r) {
        const double p = exact.stop[std::size_t(r)];
        const double se = std::max(std::sqrt(p * (1 - p) / double(sessions)), 1.0 / double(sessions));
        QVERIFY2(std::abs(result.stopShare[std::size_t(r)] - p) <= 3 * se,
                 qPrintable(QStringLiteral("%1: simulated %2, exact %3")
                                .arg(stopReasonName(StopReason(r)))
                                .arg(result.stopShare[std::size_t(r)])
                                .arg(p)));
    }
    const double spread = std::sqrt((exact.meanSquareBets - exact.meanBets * exact.meanBets) / double(sessions));
    QVERIFY2(std::abs(result.meanBets - exact.meanBets) <= 3 * spread,
             qPrintable(QStringLiteral("mean bets: simulated %1, exact %2").arg(result.meanBets).arg(exact.meanBets)));
}

void TestSimulation::returnPerStakedIsTheBetsOwn_data()
{
    QTest::addColumn<QString>("rule");
    QTest::addColumn<double>("balance");
    QTest::addColumn<double>("chance");
    QTest::addColumn<double>("odds");
    QTest::addColumn<int>("bets");
    QTest::addColumn<int>("sessions");
    // A rare win after a long doubling pays thousands: the standard error of a few thousand sessions
    // of 豹子 misses it, so that row takes more sessions.
    // clang-format off
    QTest::newRow("flat on 大")               << "flat:10"              << 1000.0 << 0.5       << 1.98 << 300 << 4000;
    QTest::newRow("double on 大")             << "double:1,top=8"       << 1000.0 << 0.5       << 1.98 << 300 << 4000;
    QTest::newRow("ladder of the issue")      << "ladder:1,2,4,8,17,36" << 500.0  << 0.5       << 1.98 << 300 << 4000;
    QTest::newRow("fib on 大单")              << "fib:1"                << 500.0  << 0.2258    << 4.2  << 300 << 4000;
    QTest::newRow("fraction on 对子")         << "fraction:0.05"        << 1000.0 << 0.27      << 3.3  << 300 << 4000;
    QTest::newRow("double on 豹子, ruinous")  << "double:1,top=10"      << 300.0  << 0.0098603 << 50.0 << 300 << 400000;
    // clang-format on
}

void TestSimulation::returnPerStakedIsTheBetsOwn()
{
    QFETCH(QString, rule);
    QFETCH(double, balance);
    QFETCH(double, chance);
    QFETCH(double, odds);
    QFETCH(int, bets);
    QFETCH(int, sessions);
    const SimulationResult result =
        simulateSessions(makePlan(rule, balance), sameBets(bets, chance, odds), {sessions, 7, 2, 0});
    const double expected = chance * odds - 1;
    QVERIFY(result.returnStandardError > 0);
    QVERIFY2(result.returnStandardError < 0.05, qPrintable(QString::number(result.returnStandardError)));
    QVERIFY2(std::abs(result.returnPerStaked - expected) <= 3 * result.returnStandardError,
             qPrintable(QStringLiteral("pooled %1 +- %2, expected %3")
                            .arg(result.returnPerStaked)
                            .arg(result.returnStandardError)
                            .arg(expected)));
}

void TestSimulation::sameSeedSameResultOnAnyThreads()
{
    const SessionPlan plan = makePlan(QStringLiteral("ladder:1,2,4,8,17,36"), 200, 50.0, 300.0);
    std::vector<ChanceBet> bets;
    for (int i = 0; i < 500; ++i)
        bets.push_back(i % 3 == 0 ? ChanceBet{0.2258, 4.2} : ChanceBet{0.5, 1.98});
    const SimulationResult one = simulateSessions(plan, bets, {3001, 99, 1, 3});
    for (const int threads : {2, 3}) {
        const SimulationResult many = simulateSessions(plan, bets, {3001, 99, threads, 3});
        QCOMPARE(many.finals, one.finals);
        QCOMPARE(many.paths, one.paths);
        QCOMPARE(many.finalQuantiles, one.finalQuantiles);
        QCOMPARE(many.stopShare, one.stopShare);
        QCOMPARE(many.meanBets, one.meanBets);
        QCOMPARE(many.returnPerStaked, one.returnPerStaked);
        QCOMPARE(many.returnStandardError, one.returnStandardError);
    }
}

void TestSimulation::otherSeedOtherFutures()
{
    const SessionPlan plan = makePlan(QStringLiteral("flat:1"), 100);
    const std::vector<ChanceBet> bets = sameBets(200, 0.5, 1.98);
    const SimulationResult a = simulateSessions(plan, bets, {500, 1, 2, 0});
    const SimulationResult b = simulateSessions(plan, bets, {500, 2, 2, 0});
    QVERIFY(a.finals != b.finals);
    // Sessions are not copies of each other.
    std::vector<double> distinct = a.finals;
    std::sort(distinct.begin(), distinct.end());
    QVERIFY(std::unique(distinct.begin(), distinct.end()) - distinct.begin() > 20);
}

void TestSimulation::certainVerdictsReplayThePast_data()
{
    QTest::addColumn<double>("chance");
    QTest::addColumn<QString>("stoppedBy");
    QTest::newRow("never a hit") << 0.0 << "no-money";
    QTest::newRow("always a hit") << 1.0 << "take-profit";
}

void TestSimulation::certainVerdictsReplayThePast()
{
    QFETCH(double, chance);
    QFETCH(QString, stoppedBy);
    const SessionPlan plan = makePlan(QStringLiteral("double:1,top=10"), 100, std::nullopt, 150.0);
    const std::vector<PlacedBet> past(60, PlacedBet{chance > 0, 1.98});
    const SessionResult replay = playSession(plan, past);
    QCOMPARE(stopReasonName(replay.stoppedBy), stoppedBy);
    const SimulationResult result = simulateSessions(plan, sameBets(60, chance, 1.98), {100, 5, 2, 1});
    QCOMPARE(result.paths.front(), replay.balances);
    for (const double final : result.finals)
        QCOMPARE(final, replay.final);
    QCOMPARE(result.meanBets, double(replay.bets));
}

void TestSimulation::keptPathsAreTheSessions()
{
    const SessionPlan plan = makePlan(QStringLiteral("fib:2"), 100, 20.0, 200.0, 150);
    const SimulationResult result = simulateSessions(plan, sameBets(400, 0.5, 1.98), {300, 3, 2, 20});
    QCOMPARE(result.paths.size(), std::size_t(20));
    QCOMPARE(result.finals.size(), std::size_t(300));
    for (std::size_t k = 0; k < result.paths.size(); ++k) {
        QVERIFY(!result.paths[k].empty());
        QVERIFY(result.paths[k].size() <= 150);
        QCOMPARE(result.paths[k].back(), result.finals[k]);
    }
}

void TestSimulation::quantiles_data()
{
    QTest::addColumn<QList<double>>("values");
    QTest::addColumn<double>("q");
    QTest::addColumn<double>("quantile");
    // clang-format off
    QTest::newRow("median of five")     << QList<double>{5, 1, 4, 2, 3} << 0.5  << 3.0;
    QTest::newRow("median of four")     << QList<double>{4, 1, 3, 2}    << 0.5  << 2.5;
    QTest::newRow("5 % of five")        << QList<double>{1, 2, 3, 4, 5} << 0.05 << 1.2;
    QTest::newRow("95 % of five")       << QList<double>{1, 2, 3, 4, 5} << 0.95 << 4.8;
    QTest::newRow("25 % of five")       << QList<double>{1, 2, 3, 4, 5} << 0.25 << 2.0;
    QTest::newRow("one value")          << QList<double>{7}             << 0.95 << 7.0;
    QTest::newRow("none")               << QList<double>{}              << 0.5  << 0.0;
    // clang-format on
}

void TestSimulation::quantiles()
{
    QFETCH(QList<double>, values);
    QFETCH(double, q);
    QFETCH(double, quantile);
    std::vector<double> list(values.begin(), values.end());
    QVERIFY(std::abs(quantileOf(list, q) - quantile) < 1e-12);
}

void TestSimulation::cancelled()
{
    const SessionPlan plan = makePlan(QStringLiteral("flat:1"), 100);
    const std::vector<ChanceBet> bets = sameBets(100, 0.5, 1.98);
    std::stop_source before;
    before.request_stop();
    QVERIFY(simulateSessions(plan, bets, {10000, 1, 2, 0}, before.get_token()).cancelled);

    std::stop_source midway;
    qint64 calls = 0;
    const SimulationResult result =
        simulateSessions(plan, bets, {100000, 1, 2, 0}, midway.get_token(), [&](qint64, qint64) {
            ++calls;
            midway.request_stop();
        });
    QVERIFY(result.cancelled);
    QVERIFY(result.finals.empty());
    QVERIFY(calls < 100000 / 64);
}

void TestSimulation::progressReachesTheTotal()
{
    std::vector<qint64> seen;
    const SimulationResult result = simulateSessions(makePlan(QStringLiteral("flat:1"), 100), sameBets(50, 0.5, 1.98),
                                                     {1000, 1, 2, 0}, {}, [&](qint64 done, qint64 total) {
                                                         QCOMPARE(total, qint64(1000));
                                                         seen.push_back(done);
                                                     });
    QVERIFY(!result.cancelled);
    QVERIFY(!seen.empty());
    QVERIFY(std::is_sorted(seen.begin(), seen.end()));
    QCOMPARE(seen.back(), qint64(1000));
}

QTEST_GUILESS_MAIN(TestSimulation)
#include "tst_simulation.moc"
