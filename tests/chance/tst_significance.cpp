#include "chance/significance.h"

#include <QTest>

#include <cmath>

using namespace tandor28;

class TestSignificance : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void binomialTails_data();
    void binomialTails();
    void wilsonIntervals_data();
    void wilsonIntervals();
    void chiSquareTails_data();
    void chiSquareTails();
    void normalTails_data();
    void normalTails();
    void poissonBinomialOfThreeRows();
    void poissonBinomialOfEqualRowsIsBinomial();
    void holm_data();
    void holm();
    void verdicts_data();
    void verdicts();
};

void TestSignificance::binomialTails_data()
{
    // Exact sums of the binomial probabilities (textbook tables; the fractions computed exactly).
    QTest::addColumn<int>("n");
    QTest::addColumn<double>("p");
    QTest::addColumn<int>("k");
    QTest::addColumn<bool>("atLeast");
    QTest::addColumn<double>("tail");
    // clang-format off
    QTest::newRow("8 of 10 fair, at least")    << 10   << 0.5    << 8    << true  << 56.0 / 1024;
    QTest::newRow("15 of 20 fair, at least")   << 20   << 0.5    << 15   << true  << 21700.0 / 1048576;
    QTest::newRow("2 of 20 at 0.3, at most")   << 20   << 0.3    << 2    << false << 0.03548313229846868;
    QTest::newRow("60 of 100 fair, at least")  << 100  << 0.5    << 60   << true  << 0.028443966820490395;
    QTest::newRow("10 of 30 at 1/6, at least") << 30   << 1.0 / 6 << 10  << true  << 0.01970628376896778;
    QTest::newRow("5 of 50 at 1/4, at most")   << 50   << 0.25   << 5    << false << 0.00704622532118347;
    QTest::newRow("780 of 1000 at 0.7486")     << 1000 << 0.7486 << 780  << true  << 0.011337084295766445;
    QTest::newRow("0 of 10, at least")         << 10   << 0.5    << 0    << true  << 1.0;
    QTest::newRow("11 of 10, at least")        << 10   << 0.5    << 11   << true  << 0.0;
    QTest::newRow("10 of 10 fair, at most")    << 10   << 0.5    << 10   << false << 1.0;
    QTest::newRow("all of 10 fair")            << 10   << 0.5    << 10   << true  << 1.0 / 1024;
    QTest::newRow("none of 10 fair, at most")  << 10   << 0.5    << 0    << false << 1.0 / 1024;
    // clang-format on
}

void TestSignificance::binomialTails()
{
    QFETCH(int, n);
    QFETCH(double, p);
    QFETCH(int, k);
    QFETCH(bool, atLeast);
    QFETCH(double, tail);
    const double found = atLeast ? binomialAtLeast(n, p, k) : binomialAtMost(n, p, k);
    QVERIFY2(std::abs(found - tail) <= 1e-12 + 1e-9 * tail, qPrintable(QString::number(found, 'g', 17)));
}

void TestSignificance::wilsonIntervals_data()
{
    // Newcombe (1998), Statistics in Medicine 17:857, table I, method 3 (score interval).
    QTest::addColumn<int>("hits");
    QTest::addColumn<int>("n");
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    QTest::newRow("81/263") << 81 << 263 << 0.2553 << 0.3662;
    QTest::newRow("15/148") << 15 << 148 << 0.0624 << 0.1605;
    QTest::newRow("0/20") << 0 << 20 << 0.0 << 0.1611;
    QTest::newRow("1/29") << 1 << 29 << 0.0061 << 0.1718;
    QTest::newRow("none judged") << 0 << 0 << 0.0 << 1.0;
}

void TestSignificance::wilsonIntervals()
{
    QFETCH(int, hits);
    QFETCH(int, n);
    QFETCH(double, low);
    QFETCH(double, high);
    const auto [foundLow, foundHigh] = wilsonInterval(hits, n);
    QVERIFY2(std::abs(foundLow - low) < 0.00006, qPrintable(QString::number(foundLow)));
    QVERIFY2(std::abs(foundHigh - high) < 0.00006, qPrintable(QString::number(foundHigh)));
}

void TestSignificance::chiSquareTails_data()
{
    // Critical values of the chi-square law (textbook tables, to the digits given).
    QTest::addColumn<double>("x");
    QTest::addColumn<int>("degrees");
    QTest::addColumn<double>("tail");
    QTest::newRow("df 1 at 5%") << 3.841458820694124 << 1 << 0.05;
    QTest::newRow("df 1 at 1%") << 6.634896601021214 << 1 << 0.01;
    QTest::newRow("df 5 at 5%") << 11.070497693516351 << 5 << 0.05;
    QTest::newRow("df 27 at 5%") << 40.11327206941358 << 27 << 0.05;
    QTest::newRow("df 27 at 0.1%") << 55.47602 << 27 << 0.001;
    QTest::newRow("df 27 at 95%") << 16.15140 << 27 << 0.95;
    QTest::newRow("df 2 is exp") << 10.0 << 2 << std::exp(-5.0);
    QTest::newRow("zero") << 0.0 << 27 << 1.0;
}

void TestSignificance::chiSquareTails()
{
    QFETCH(double, x);
    QFETCH(int, degrees);
    QFETCH(double, tail);
    const double found = chiSquareUpperTail(x, degrees);
    QVERIFY2(std::abs(found - tail) < 1e-6 * std::max(1.0, tail * 100), qPrintable(QString::number(found, 'g', 12)));
}

void TestSignificance::normalTails_data()
{
    QTest::addColumn<double>("z");
    QTest::addColumn<double>("tail");
    QTest::newRow("1.96") << kZ95 << 0.025;
    QTest::newRow("1.645") << 1.6448536269514722 << 0.05;
    QTest::newRow("0") << 0.0 << 0.5;
    QTest::newRow("-1.645") << -1.6448536269514722 << 0.95;
    QTest::newRow("3.09") << 3.090232306167813 << 0.001;
}

void TestSignificance::normalTails()
{
    QFETCH(double, z);
    QFETCH(double, tail);
    QVERIFY(std::abs(normalUpperTail(z) - tail) < 1e-12);
}

void TestSignificance::poissonBinomialOfThreeRows()
{
    const std::vector<double> pmf = poissonBinomial({{0.2, 1}, {0.5, 1}, {0.8, 1}});
    const std::vector<double> expected{0.08, 0.42, 0.42, 0.08};
    QCOMPARE(pmf.size(), expected.size());
    for (std::size_t i = 0; i < pmf.size(); ++i)
        QVERIFY(std::abs(pmf[i] - expected[i]) < 1e-15);
}

void TestSignificance::poissonBinomialOfEqualRowsIsBinomial()
{
    const std::vector<double> pmf = poissonBinomial({{0.3, 12}, {0.3, 8}});
    double atMost2 = pmf[0] + pmf[1] + pmf[2];
    QVERIFY(std::abs(atMost2 - 0.03548313229846868) < 1e-14);
}

void TestSignificance::holm_data()
{
    QTest::addColumn<QList<double>>("pValues");
    QTest::addColumn<QList<double>>("adjusted");
    QTest::newRow("four") << QList<double>{0.01, 0.04, 0.03, 0.005} << QList<double>{0.03, 0.06, 0.06, 0.02};
    QTest::newRow("capped at 1") << QList<double>{0.5, 0.9} << QList<double>{1.0, 1.0};
    QTest::newRow("one") << QList<double>{0.2} << QList<double>{0.2};
    QTest::newRow("none") << QList<double>{} << QList<double>{};
    QTest::newRow("ties") << QList<double>{0.01, 0.01, 0.5} << QList<double>{0.03, 0.03, 0.5};
}

void TestSignificance::holm()
{
    QFETCH(QList<double>, pValues);
    QFETCH(QList<double>, adjusted);
    const std::vector<double> found = holmAdjusted(std::vector<double>(pValues.begin(), pValues.end()));
    QCOMPARE(found.size(), static_cast<std::size_t>(adjusted.size()));
    for (std::size_t i = 0; i < found.size(); ++i)
        QVERIFY2(std::abs(found[i] - adjusted[static_cast<qsizetype>(i)]) < 1e-15,
                 qPrintable(QString::number(found[i])));
}

void TestSignificance::verdicts_data()
{
    QTest::addColumn<double>("adjusted");
    QTest::addColumn<double>("observed");
    QTest::addColumn<double>("expected");
    QTest::addColumn<QString>("text");
    QTest::newRow("0.05 is no difference") << 0.05 << 0.9 << 0.5 << "与随机无显著差异";
    QTest::newRow("above") << 0.049 << 0.6 << 0.5 << "高于随机";
    QTest::newRow("below") << 0.001 << 0.4 << 0.5 << "低于随机";
    QTest::newRow("1") << 1.0 << 0.5 << 0.5 << "与随机无显著差异";
}

void TestSignificance::verdicts()
{
    QFETCH(double, adjusted);
    QFETCH(double, observed);
    QFETCH(double, expected);
    QTEST(chanceVerdictText(adjusted, observed, expected), "text");
}

QTEST_GUILESS_MAIN(TestSignificance)
#include "tst_significance.moc"
