#include "chance/hitchance.h"
#include "chance/ratefigures.h"
#include "chance/runchance.h"
#include "chance/significance.h"

#include <QTest>

#include <cmath>
#include <vector>

using namespace tandor28;

Q_DECLARE_METATYPE(tandor28::PValueMethod)

namespace {

// Every sequence of verdicts of the rows, with its chance: the plain definition the figures must meet.
template <typename Visit> void everyOutcome(const std::vector<double>& chances, Visit visit)
{
    const std::size_t rows = chances.size();
    for (std::uint32_t bits = 0; bits < (1u << rows); ++bits) {
        double chance = 1.0;
        std::vector<bool> hits(rows);
        for (std::size_t i = 0; i < rows; ++i) {
            hits[i] = (bits >> i & 1u) != 0;
            chance *= hits[i] ? chances[i] : 1.0 - chances[i];
        }
        visit(hits, chance);
    }
}

} // namespace

class TestRateFigures : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void figuresOfATally_data();
    void figuresOfATally();
    void tallyFiguresMatchRowByRow();
    void markingChanceByEnumeration_data();
    void markingChanceByEnumeration();
    void defaultMarkingOnComboIsAbout23Of56();
    void longestGapByEnumeration_data();
    void longestGapByEnumeration();
    void gapChances_data();
    void gapChances();
    void bestOf_data();
    void bestOf();
};

void TestRateFigures::figuresOfATally_data()
{
    // Rows of one chance are binomial; rows of several chances Poisson-binomial up to 2000 rows and
    // normal beyond.
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("hits");
    QTest::addColumn<bool>("mixed");
    QTest::addColumn<PValueMethod>("method");
    QTest::addColumn<double>("pAbove");
    QTest::newRow("60 of 100 大小") << 100 << 60 << false << PValueMethod::Binomial << 0.028443966820490395;
    QTest::newRow("none") << 0 << 0 << false << PValueMethod::None << 1.0;
    QTest::newRow("2000 mixed") << 2000 << 1010 << true << PValueMethod::PoissonBinomial << -1.0;
    QTest::newRow("2001 mixed") << 2001 << 1010 << true << PValueMethod::Normal << -1.0;
    QTest::newRow("100000 one chance") << 100000 << 50500 << false << PValueMethod::Binomial << -1.0;
}

void TestRateFigures::figuresOfATally()
{
    QFETCH(int, rows);
    QFETCH(int, hits);
    QFETCH(bool, mixed);
    QFETCH(PValueMethod, method);
    QFETCH(double, pAbove);
    // Uniform law, 大小: every prediction has chance 1/2. Kill3N under uniform: 0.67 or 0.66 by remainder.
    const HitChanceTable& table = hitChanceTable(ChanceScheme::Uniform, mixed ? BetType::Kill3N : BetType::Size);
    ChanceTally tally;
    for (int i = 0; i < rows; ++i)
        tally.add(hitKey(mixed ? i % 3 : 14, true, false), i < hits);
    const RateFigures figures = rateFigures(tally, table);
    QCOMPARE(figures.method, method);
    QCOMPARE(figures.judged, rows);
    QCOMPARE(figures.hits, hits);
    if (pAbove >= 0)
        QVERIFY2(std::abs(figures.pAbove - pAbove) < 1e-12, qPrintable(QString::number(figures.pAbove, 'g', 17)));
    if (rows > 0) {
        QVERIFY(figures.low <= figures.rate() && figures.rate() <= figures.high);
        QVERIFY(std::abs(figures.pTwoSided - std::min(1.0, 2 * std::min(figures.pAbove, figures.pBelow))) < 1e-15);
    }
    if (method == PValueMethod::Normal) {
        // The normal approximation with continuity correction, written out.
        const double z = (hits - 0.5 - figures.expectedHits) / std::sqrt(figures.variance);
        QVERIFY(std::abs(figures.pAbove - 0.5 * std::erfc(z / std::sqrt(2.0))) < 1e-15);
    }
    if (method == PValueMethod::PoissonBinomial) {
        // Close to its normal approximation at this size.
        const double z = (hits - 0.5 - figures.expectedHits) / std::sqrt(figures.variance);
        QVERIFY(std::abs(figures.pAbove - normalUpperTail(z)) < 0.01);
    }
    if (rows == 100000) {
        // 50,500 of 100,000 fair: z = 3.16, P about 0.00078 (normal 0.000791 with the correction).
        QVERIFY2(std::abs(figures.pAbove - 0.000791) < 0.00002, qPrintable(QString::number(figures.pAbove)));
    }
}

void TestRateFigures::tallyFiguresMatchRowByRow()
{
    const HitChanceTable& table = hitChanceTable(ChanceScheme::Block, BetType::Combo);
    ChanceTally tally;
    std::vector<double> chances;
    for (int i = 0; i < 300; ++i) {
        const int n = (i * 7) % 28;
        tally.add(hitKey(n, i % 2 == 0, i % 2 == 1), i % 4 != 0);
        chances.push_back(table.chance(n, i % 2 == 0, i % 2 == 1));
    }
    const RateFigures byTally = rateFigures(tally, table);
    const RateFigures byRows = rateFigures(chances, tally.hits);
    QCOMPARE(byTally.method, PValueMethod::PoissonBinomial);
    QVERIFY(std::abs(byTally.expectedHits - byRows.expectedHits) < 1e-9);
    QVERIFY(std::abs(byTally.pAbove - byRows.pAbove) < 1e-12);
    QVERIFY(std::abs(byTally.pBelow - byRows.pBelow) < 1e-12);
    // Two halves added give the whole.
    ChanceTally first, second;
    for (int key = 0; key < kHitKeyCount; ++key) {
        first.rows[static_cast<std::size_t>(key)] = tally.rows[static_cast<std::size_t>(key)] / 2;
        second.rows[static_cast<std::size_t>(key)] =
            tally.rows[static_cast<std::size_t>(key)] - first.rows[static_cast<std::size_t>(key)];
    }
    first.hits = 100;
    second.hits = tally.hits - 100;
    first.add(second);
    QCOMPARE(first, tally);
}

void TestRateFigures::markingChanceByEnumeration_data()
{
    QTest::addColumn<int>("criterion");
    QTest::addColumn<int>("comparison");
    QTest::addColumn<int>("threshold");
    // clang-format off
    QTest::newRow("right >= 7")        << 0 << 0 << 7;
    QTest::newRow("wrong <= 2")        << 1 << 1 << 2;
    QTest::newRow("accuracy > 60")     << 2 << 2 << 60;
    QTest::newRow("accuracy < 50")     << 2 << 3 << 50;
    QTest::newRow("win streak >= 3")   << 3 << 0 << 3;
    QTest::newRow("loss streak >= 2")  << 4 << 0 << 2;
    QTest::newRow("loss streak < 1")   << 4 << 3 << 1;
    QTest::newRow("win streak >= 0")   << 3 << 0 << 0;
    QTest::newRow("wrong < 0 never")   << 1 << 3 << 0;
    // clang-format on
}

void TestRateFigures::markingChanceByEnumeration()
{
    QFETCH(int, criterion);
    QFETCH(int, comparison);
    QFETCH(int, threshold);
    const std::vector<double> chances{0.74, 0.76, 0.5, 0.3, 0.9, 0.66, 0.75, 0.5, 0.6, 0.8}; // oldest first
    double expected = 0;
    everyOutcome(chances, [&](const std::vector<bool>& hits, double chance) {
        int right = 0;
        for (const bool hit : hits)
            right += hit ? 1 : 0;
        const int window = static_cast<int>(hits.size());
        int win = 0, loss = 0;
        for (const bool hit : hits) {
            win = hit ? win + 1 : 0;
            loss = hit ? 0 : loss + 1;
        }
        const int values[] = {right, window - right, right * 100 / window, win, loss};
        const int value = values[criterion];
        const bool meets = comparison == 0   ? value >= threshold
                           : comparison == 1 ? value <= threshold
                           : comparison == 2 ? value > threshold
                                             : value < threshold;
        expected += meets ? chance : 0.0;
    });
    QVERIFY2(std::abs(markingChance(chances, criterion, comparison, threshold) - expected) < 1e-12,
             qPrintable(QString::number(expected)));
}

void TestRateFigures::defaultMarkingOnComboIsAbout23Of56()
{
    // 正确率 >= 80 over 20 rows of 组合 under the interleave law (16 hits or more), for plans whose
    // predictions spread over the four combinations.
    const HitChanceTable& table = hitChanceTable(ChanceScheme::Interleave, BetType::Combo);
    std::vector<double> rows;
    for (int i = 0; i < 20; ++i)
        rows.push_back(table.chance(i % 4 == 0 ? 0 : i % 4 == 1 ? 1 : i % 4 == 2 ? 14 : 15, true, false));
    const double one = markingChance(rows, 2, 0, 80);
    QVERIFY2(std::abs(56 * one - 23) < 1.0, qPrintable(QString::number(56 * one)));
    // One chance for every row: the binomial tail.
    const double p = table.chance(0, true, false);
    QVERIFY(std::abs(markingChance(std::vector<double>(20, p), 2, 0, 80) - binomialAtLeast(20, p, 16)) < 1e-12);
}

void TestRateFigures::longestGapByEnumeration_data()
{
    QTest::addColumn<double>("p");
    QTest::addColumn<int>("draws");
    QTest::addColumn<int>("length");
    QTest::newRow("fair, 3 in 12") << 0.5 << 12 << 3;
    QTest::newRow("rare, 8 in 12") << 0.075 << 12 << 8;
    QTest::newRow("common, 1 in 10") << 0.9 << 10 << 1;
    QTest::newRow("whole run") << 0.2 << 9 << 9;
    QTest::newRow("longer than the draws") << 0.2 << 9 << 10;
    QTest::newRow("zero length") << 0.2 << 9 << 0;
}

void TestRateFigures::longestGapByEnumeration()
{
    QFETCH(double, p);
    QFETCH(int, draws);
    QFETCH(int, length);
    double expected = 0;
    everyOutcome(std::vector<double>(static_cast<std::size_t>(draws), p),
                 [&](const std::vector<bool>& hits, double chance) {
                     int run = 0, longest = 0;
                     for (const bool hit : hits) {
                         run = hit ? 0 : run + 1;
                         longest = std::max(longest, run);
                     }
                     expected += longest >= length ? chance : 0.0;
                 });
    QVERIFY2(std::abs(longestGapChance(p, draws, length) - expected) < 1e-13, qPrintable(QString::number(expected)));
}

void TestRateFigures::gapChances_data()
{
    QTest::addColumn<double>("p");
    QTest::addColumn<int>("gap");
    QTest::addColumn<double>("chance");
    QTest::newRow("fair, 10") << 0.5 << 10 << 1.0 / 1024;
    QTest::newRow("0 draws") << 0.3 << 0 << 1.0;
    QTest::newRow("sum 0, 1000 draws") << 0.001 << 1000 << std::pow(0.999, 1000);
}

void TestRateFigures::gapChances()
{
    QFETCH(double, p);
    QFETCH(int, gap);
    QFETCH(double, chance);
    QVERIFY(std::abs(gapChance(p, gap) - chance) < 1e-15);
}

void TestRateFigures::bestOf_data()
{
    QTest::addColumn<double>("p");
    QTest::addColumn<qint64>("attempts");
    QTest::addColumn<double>("chance");
    QTest::newRow("1% of 100") << 0.01 << qint64(100) << 0.6339676587267709;
    QTest::newRow("one attempt") << 0.2 << qint64(1) << 0.2;
    QTest::newRow("no attempt") << 0.2 << qint64(0) << 0.0;
    QTest::newRow("tiny of a million") << 1e-9 << qint64(1000000) << 0.0009995001671245088;
    QTest::newRow("certain") << 1.0 << qint64(5) << 1.0;
}

void TestRateFigures::bestOf()
{
    QFETCH(double, p);
    QFETCH(qint64, attempts);
    QFETCH(double, chance);
    QVERIFY2(std::abs(bestOfChance(p, attempts) - chance) < 1e-14,
             qPrintable(QString::number(bestOfChance(p, attempts), 'g', 17)));
}

QTEST_GUILESS_MAIN(TestRateFigures)
#include "tst_ratefigures.moc"
