#include "chance/betclass.h"
#include "chance/hitchance.h"
#include "chance/lotterylaw.h"

#include "keno/kenoscheme.h"
#include "model/classification.h"
#include "plans/judgement.h"

#include <QTest>

#include <array>
#include <cmath>
#include <vector>

using namespace tandor28;

Q_DECLARE_METATYPE(tandor28::ChanceScheme)
Q_DECLARE_METATYPE(tandor28::BetType)
Q_DECLARE_METATYPE(tandor28::BetClass)

namespace {

using Wide = unsigned __int128;

// A second, independent computation of the law: over the sorted positions 1..20 instead of over
// the numbers, the state being the value at the newest position and the three partial sums, with
// 128-bit counts and prefix sums over the value. It shares nothing with the law's own programme
// but the description of which positions feed which digit.
std::array<Wide, kTripleCount> lawOverPositions(KenoScheme scheme)
{
    constexpr int kValues = kKenoHighest + 1;
    const auto digitOf = [scheme](int position /* 1-based */) {
        if (scheme == KenoScheme::Interleave)
            return position >= 2 && position <= 19 ? (position - 2) % 3 : -1;
        return position <= 18 ? (position - 1) / 6 : -1;
    };
    // ending[v][t]: increasing sequences of the positions so far whose last value is v.
    std::vector<std::array<Wide, kTripleCount>> ending(kValues), prefix(kValues);
    for (auto& row : ending)
        row.fill(0);
    for (int v = 1; v <= kKenoHighest; ++v) {
        const int digit = digitOf(1);
        std::array<int, 3> sums{0, 0, 0};
        if (digit >= 0)
            sums[static_cast<std::size_t>(digit)] = v % 10;
        ending[static_cast<std::size_t>(v)][static_cast<std::size_t>(tripleIndex(sums[0], sums[1], sums[2]))] = 1;
    }
    for (int position = 2; position <= kKenoNumbers; ++position) {
        // prefix[v]: the sequences whose last value is at most v.
        prefix[0].fill(0);
        for (int v = 1; v <= kKenoHighest; ++v)
            for (int t = 0; t < kTripleCount; ++t)
                prefix[static_cast<std::size_t>(v)][static_cast<std::size_t>(t)] =
                    prefix[static_cast<std::size_t>(v - 1)][static_cast<std::size_t>(t)] +
                    ending[static_cast<std::size_t>(v)][static_cast<std::size_t>(t)];
        const int digit = digitOf(position);
        for (int v = 1; v <= kKenoHighest; ++v)
            for (int t = 0; t < kTripleCount; ++t) {
                std::array<int, 3> sums{t / 100, t / 10 % 10, t % 10};
                if (digit >= 0) // the state before adding v
                    sums[static_cast<std::size_t>(digit)] = (sums[static_cast<std::size_t>(digit)] + 10 - v % 10) % 10;
                ending[static_cast<std::size_t>(v)][static_cast<std::size_t>(t)] =
                    prefix[static_cast<std::size_t>(v - 1)]
                          [static_cast<std::size_t>(tripleIndex(sums[0], sums[1], sums[2]))];
            }
    }
    std::array<Wide, kTripleCount> counts{};
    for (int v = 1; v <= kKenoHighest; ++v)
        for (int t = 0; t < kTripleCount; ++t)
            counts[static_cast<std::size_t>(t)] += ending[static_cast<std::size_t>(v)][static_cast<std::size_t>(t)];
    return counts;
}

Wide binomial(int n, int k)
{
    Wide value = 1;
    for (int i = 1; i <= k; ++i)
        value = value * static_cast<Wide>(n - k + i) / static_cast<Wide>(i);
    return value;
}

} // namespace

class TestLotteryLaw : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void agreesWithACountOverPositions_data();
    void agreesWithACountOverPositions();
    void checkValues_data();
    void checkValues();
    void betTypeChances_data();
    void betTypeChances();
    void hitChanceJudgesEveryTriple_data();
    void hitChanceJudgesEveryTriple();
    void classesAsTheirNamesSay_data();
    void classesAsTheirNamesSay();
    void schemeNames_data();
    void schemeNames();
};

void TestLotteryLaw::agreesWithACountOverPositions_data()
{
    QTest::addColumn<ChanceScheme>("scheme");
    QTest::newRow("interleave") << ChanceScheme::Interleave;
    QTest::newRow("block") << ChanceScheme::Block;
}

void TestLotteryLaw::agreesWithACountOverPositions()
{
    QFETCH(ChanceScheme, scheme);
    const LotteryLaw law = computeLotteryLaw(scheme);
    const auto other =
        lawOverPositions(scheme == ChanceScheme::Interleave ? KenoScheme::Interleave : KenoScheme::Block);
    const Wide draws = binomial(80, 20);
    QCOMPARE(static_cast<std::uint64_t>(draws), kKenoDrawCount);
    QCOMPARE(law.total, kKenoDrawCount);
    Wide total = 0;
    double probability = 0;
    for (int t = 0; t < kTripleCount; ++t) {
        const auto at = static_cast<std::size_t>(t);
        total += other[at];
        // Exact counts agree exactly, so the probabilities agree far within 1e-9.
        QCOMPARE(static_cast<Wide>(law.counts[at]), other[at]);
        const double expected = static_cast<double>(other[at]) / static_cast<double>(draws);
        QVERIFY2(std::abs(law.triple[at] - expected) < 1e-9, qPrintable(QString::number(t)));
        probability += law.triple[at];
    }
    QVERIFY(total == draws);
    QVERIFY(std::abs(probability - 1.0) < 1e-12);
}

void TestLotteryLaw::checkValues_data()
{
    QTest::addColumn<ChanceScheme>("scheme");
    QTest::addColumn<QString>("what");
    QTest::addColumn<double>("probability");
    QTest::addColumn<double>("tolerance");
    // clang-format off
    QTest::newRow("interleave sum 0")  << ChanceScheme::Interleave << "0"    << 0.0009860 << 5e-8;
    QTest::newRow("interleave sum 27") << ChanceScheme::Interleave << "27"   << 0.0009860 << 5e-8;
    QTest::newRow("interleave sum 13") << ChanceScheme::Interleave << "13"   << 0.0751496 << 5e-8;
    QTest::newRow("interleave sum 14") << ChanceScheme::Interleave << "14"   << 0.0751496 << 5e-8;
    QTest::newRow("interleave 豹子")    << ChanceScheme::Interleave << "豹子" << 0.0098603 << 5e-8;
    // 0.5000000002: one half to nine decimals, not exactly.
    QTest::newRow("interleave 大")      << ChanceScheme::Interleave << "大"   << 0.5       << 1e-9;
    QTest::newRow("block 大")           << ChanceScheme::Block      << "大"   << 0.5002732 << 5e-8;
    QTest::newRow("block sum 27")       << ChanceScheme::Block      << "27"   << 0.0010070 << 5e-8;
    QTest::newRow("uniform sum 13")     << ChanceScheme::Uniform    << "13"   << 0.075     << 1e-15;
    QTest::newRow("uniform 豹子")        << ChanceScheme::Uniform    << "豹子" << 0.01      << 1e-15;
    QTest::newRow("uniform 对子")        << ChanceScheme::Uniform    << "对子" << 0.27      << 1e-15;
    QTest::newRow("uniform 顺子")        << ChanceScheme::Uniform    << "顺子" << 0.06      << 1e-15;
    QTest::newRow("uniform 大单")        << ChanceScheme::Uniform    << "大单" << 0.231     << 1e-15;
    QTest::newRow("uniform 极大")        << ChanceScheme::Uniform    << "极大" << 0.056     << 1e-15;
    // clang-format on
}

void TestLotteryLaw::checkValues()
{
    QFETCH(ChanceScheme, scheme);
    QFETCH(QString, what);
    QFETCH(double, probability);
    QFETCH(double, tolerance);
    const LotteryLaw& law = lotteryLaw(scheme);
    bool isSum = false;
    const int sum = what.toInt(&isSum);
    double found = -1;
    if (isSum)
        found = sumProbability(law, sum);
    for (const BetClass betClass : allBetClasses())
        if (betClassName(betClass) == what)
            found = betClassProbability(law, betClass);
    QVERIFY2(std::abs(found - probability) < tolerance, qPrintable(QString::number(found, 'f', 10)));
}

void TestLotteryLaw::betTypeChances_data()
{
    // The chance of a hit under the interleave law by bet type and predicted number: a combination
    // bet is right 73.1 % to 76.9 % of the time by the combination it leaves out (74.86 % for the mix
    // the plans predict), a constant 0|0|0 on 杀双组 53.8 %.
    QTest::addColumn<BetType>("betType");
    QTest::addColumn<int>("n");
    QTest::addColumn<double>("chance");
    // clang-format off
    QTest::newRow("大小 13")     << BetType::Size            << 13 << 0.5000;
    QTest::newRow("单双 4")      << BetType::Parity          << 4  << 0.5000;
    QTest::newRow("双项 20")     << BetType::DoubleItem      << 20 << 0.5000;
    QTest::newRow("组合 小双")   << BetType::Combo           << 0  << 0.7690;
    QTest::newRow("组合 小单")   << BetType::Combo           << 13 << 0.7310;
    QTest::newRow("组合 大双")   << BetType::Combo           << 14 << 0.7310;
    QTest::newRow("组合 大单")   << BetType::Combo           << 27 << 0.7690;
    QTest::newRow("杀组 小双")   << BetType::KillCombo       << 0  << 0.7690;
    QTest::newRow("杀3N 0")      << BetType::Kill3N          << 0  << 0.6660;
    QTest::newRow("杀3N 1")      << BetType::Kill3N          << 1  << 0.6670;
    QTest::newRow("杀4N 0")      << BetType::Kill4N          << 0  << 0.7510;
    QTest::newRow("杀4N 1")      << BetType::Kill4N          << 1  << 0.7490;
    QTest::newRow("双组 小双")   << BetType::DoubleCombo     << 0  << 0.4619;
    QTest::newRow("双组 小单")   << BetType::DoubleCombo     << 1  << 0.5381;
    QTest::newRow("杀双组 0")    << BetType::KillDoubleCombo << 0  << 0.5381;
    QTest::newRow("杀双组 1")    << BetType::KillDoubleCombo << 1  << 0.4619;
    // clang-format on
}

void TestLotteryLaw::betTypeChances()
{
    QFETCH(BetType, betType);
    QFETCH(int, n);
    QFETCH(double, chance);
    const HitChanceTable& table = hitChanceTable(ChanceScheme::Interleave, betType);
    // Consecutive issues have opposite parities; 双项 bets and is judged on the same attribute then.
    const double p = table.chance(n, true, false);
    QVERIFY2(std::abs(p - chance) < 0.00006, qPrintable(QString::number(p)));
    QVERIFY(std::abs(table.chance(n, false, true) - p) < 1e-8);
    // The four combinations of a combination bet average three quarters.
    if (betType == BetType::Combo) {
        const double mean = (table.chance(0, true, false) + table.chance(1, true, false) +
                             table.chance(14, true, false) + table.chance(15, true, false)) /
                            4;
        QVERIFY(std::abs(mean - 0.75) < 1e-9);
    }
}

void TestLotteryLaw::hitChanceJudgesEveryTriple_data()
{
    QTest::addColumn<ChanceScheme>("scheme");
    QTest::addColumn<BetType>("betType");
    QTest::newRow("block 组合") << ChanceScheme::Block << BetType::Combo;
    QTest::newRow("block 双项") << ChanceScheme::Block << BetType::DoubleItem;
    QTest::newRow("interleave 杀双组") << ChanceScheme::Interleave << BetType::KillDoubleCombo;
    QTest::newRow("interleave 杀4N") << ChanceScheme::Interleave << BetType::Kill4N;
    QTest::newRow("uniform 大小") << ChanceScheme::Uniform << BetType::Size;
}

void TestLotteryLaw::hitChanceJudgesEveryTriple()
{
    QFETCH(ChanceScheme, scheme);
    QFETCH(BetType, betType);
    const LotteryLaw& law = lotteryLaw(scheme);
    const HitChanceTable& table = hitChanceTable(scheme, betType);
    for (int n = 0; n < kLawSums; ++n)
        for (const bool sourceEven : {false, true})
            for (const bool targetEven : {false, true}) {
                const PredictionValues values =
                    predictionValues(betType, n, sourceEven ? QStringLiteral("100") : QStringLiteral("101"));
                double chance = 0;
                for (int d1 = 0; d1 < 10; ++d1)
                    for (int d2 = 0; d2 < 10; ++d2)
                        for (int d3 = 0; d3 < 10; ++d3) {
                            const Draw draw = makeDraw(targetEven ? QStringLiteral("102") : QStringLiteral("103"),
                                                       QStringLiteral("10:00"), QString::number(d1),
                                                       QString::number(d2), QString::number(d3));
                            if (judgeRow(betType, values, draw).verdict == Verdict::Hit)
                                chance += law.triple[static_cast<std::size_t>(tripleIndex(d1, d2, d3))];
                        }
                QVERIFY(std::abs(table.chance(n, sourceEven, targetEven) - chance) < 1e-12);
            }
}

void TestLotteryLaw::classesAsTheirNamesSay_data()
{
    QTest::addColumn<BetClass>("betClass");
    QTest::addColumn<int>("d1");
    QTest::addColumn<int>("d2");
    QTest::addColumn<int>("d3");
    QTest::addColumn<bool>("in");
    // clang-format off
    QTest::newRow("13 is 小")          << BetClass::Small        << 4 << 4 << 5 << true;
    QTest::newRow("14 is 大")          << BetClass::Big          << 4 << 5 << 5 << true;
    QTest::newRow("27 is 大单")        << BetClass::BigOdd       << 9 << 9 << 9 << true;
    QTest::newRow("22 is 极大")        << BetClass::ExtremeBig   << 9 << 9 << 4 << true;
    QTest::newRow("21 is not 极大")    << BetClass::ExtremeBig   << 9 << 9 << 3 << false;
    QTest::newRow("5 is 极小")         << BetClass::ExtremeSmall << 1 << 1 << 3 << true;
    QTest::newRow("999 is 豹子")       << BetClass::Triple       << 9 << 9 << 9 << true;
    QTest::newRow("999 is no 对子")    << BetClass::Pair         << 9 << 9 << 9 << false;
    QTest::newRow("717 is 对子")       << BetClass::Pair         << 7 << 1 << 7 << true;
    QTest::newRow("321 is 顺子")       << BetClass::Straight     << 3 << 2 << 1 << true;
    QTest::newRow("890 is 顺子")       << BetClass::Straight     << 8 << 9 << 0 << true;
    QTest::newRow("019 is 顺子")       << BetClass::Straight     << 0 << 1 << 9 << true;
    QTest::newRow("135 is no 顺子")    << BetClass::Straight     << 1 << 3 << 5 << false;
    QTest::newRow("122 is no 顺子")    << BetClass::Straight     << 1 << 2 << 2 << false;
    // clang-format on
}

void TestLotteryLaw::classesAsTheirNamesSay()
{
    QFETCH(BetClass, betClass);
    QFETCH(int, d1);
    QFETCH(int, d2);
    QFETCH(int, d3);
    QFETCH(bool, in);
    QCOMPARE(inBetClass(betClass, d1, d2, d3), in);
    const Draw draw = makeDraw({}, {}, QString::number(d1), QString::number(d2), QString::number(d3));
    // The classes the model already names agree with it.
    if (betClass == BetClass::Pair)
        QCOMPARE(isPair(draw), in);
    if (betClass == BetClass::Triple)
        QCOMPARE(isTriple(draw), in);
    if (betClass == BetClass::BigOdd)
        QCOMPARE(comboLabel(draw.sum) == QStringLiteral("大单"), in);
}

void TestLotteryLaw::schemeNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("scheme"); // -1: not a scheme
    QTest::newRow("interleave") << "interleave" << static_cast<int>(ChanceScheme::Interleave);
    QTest::newRow("Block") << "Block" << static_cast<int>(ChanceScheme::Block);
    QTest::newRow("uniform blank") << " uniform " << static_cast<int>(ChanceScheme::Uniform);
    QTest::newRow("other") << "dice" << -1;
    QTest::newRow("empty") << "" << -1;
}

void TestLotteryLaw::schemeNames()
{
    QFETCH(QString, name);
    QFETCH(int, scheme);
    const std::optional<ChanceScheme> parsed = chanceSchemeFromName(name);
    QCOMPARE(parsed.has_value(), scheme >= 0);
    if (parsed) {
        QCOMPARE(static_cast<int>(*parsed), scheme);
        QCOMPARE(chanceSchemeFromName(chanceSchemeName(*parsed)), parsed);
    }
}

QTEST_GUILESS_MAIN(TestLotteryLaw)
#include "tst_lotterylaw.moc"
