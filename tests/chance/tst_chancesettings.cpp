#include "chance/betclass.h"
#include "chance/chancesettings.h"
#include "chance/odds.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace tandor28;

namespace {

QString writeIni(const QTemporaryDir& dir, const QByteArray& text)
{
    const QString path = dir.filePath(QStringLiteral("tandor28.ini"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write the ini");
    file.write(text);
    return path;
}

} // namespace

class TestChanceSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void schemes_data();
    void schemes();
    void defaultOddsAsTheUsualPayouts_data();
    void defaultOddsAsTheUsualPayouts();
    void everyDefaultBetLosesOnAverage();
    void oddsFromTheIni_data();
    void oddsFromTheIni();
    void shippedIniHasTheDefaults();
};

void TestChanceSettings::schemes_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<int>("lucky");
    QTest::addColumn<int>("canada");
    QTest::addColumn<bool>("problem");
    const int block = static_cast<int>(ChanceScheme::Block);
    const int interleave = static_cast<int>(ChanceScheme::Interleave);
    const int uniform = static_cast<int>(ChanceScheme::Uniform);
    // clang-format off
    QTest::newRow("no file")          << QByteArray()                                                 << block   << interleave << false;
    QTest::newRow("no group")         << QByteArray("[endpoints]\ncanada=x\n")                        << block   << interleave << false;
    QTest::newRow("both set")         << QByteArray("[chance]\nlucky28=uniform\ncanada28=block\n")    << uniform << block      << false;
    QTest::newRow("unreadable entry") << QByteArray("[chance]\nlucky28=dice\ncanada28=Interleave\n")  << block   << interleave << true;
    // clang-format on
}

void TestChanceSettings::schemes()
{
    QFETCH(QByteArray, ini);
    QFETCH(int, lucky);
    QFETCH(int, canada);
    QFETCH(bool, problem);
    QTemporaryDir dir;
    const QString path = ini.isEmpty() ? dir.filePath(QStringLiteral("none.ini")) : writeIni(dir, ini);
    const ChanceSetting luckySetting = loadChanceScheme(path, LotteryKind::Lucky28);
    const ChanceSetting canadaSetting = loadChanceScheme(path, LotteryKind::Canada28Night);
    QCOMPARE(static_cast<int>(luckySetting.scheme), lucky);
    QCOMPARE(static_cast<int>(canadaSetting.scheme), canada);
    QCOMPARE(!luckySetting.problem.isEmpty(), problem);
    QVERIFY(canadaSetting.problem.isEmpty());
}

void TestChanceSettings::defaultOddsAsTheUsualPayouts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("odds");
    // clang-format off
    QTest::newRow("大")   << "大"   << 1.98;
    QTest::newRow("双")   << "双"   << 1.98;
    QTest::newRow("大单") << "大单" << 4.2;
    QTest::newRow("小双") << "小双" << 4.2;
    QTest::newRow("大双") << "大双" << 3.6;
    QTest::newRow("小单") << "小单" << 3.6;
    QTest::newRow("极大") << "极大" << 15.0;
    QTest::newRow("豹子") << "豹子" << 50.0;
    QTest::newRow("对子") << "对子" << 3.3;
    QTest::newRow("顺子") << "顺子" << 12.0;
    QTest::newRow("sum 0")  << "0"  << 900.0;
    QTest::newRow("sum 13") << "13" << 12.0;
    QTest::newRow("sum 10") << "10" << 14.2; // 900 / 63 = 14.28...
    QTest::newRow("sum 1")  << "1"  << 300.0;
    QTest::newRow("sum 26") << "26" << 300.0;
    QTest::newRow("sum 7")  << "7"  << 25.0;
    // clang-format on
}

void TestChanceSettings::defaultOddsAsTheUsualPayouts()
{
    QFETCH(QString, name);
    QFETCH(double, odds);
    const OddsTable table = defaultOdds();
    bool isSum = false;
    const int sum = name.toInt(&isSum);
    double found = -1;
    if (isSum)
        found = table.sums[static_cast<std::size_t>(sum)];
    for (const BetClass betClass : allBetClasses())
        if (betClassName(betClass) == name)
            found = table.of(betClass);
    QCOMPARE(found, odds);
}

void TestChanceSettings::everyDefaultBetLosesOnAverage()
{
    const OddsTable odds = defaultOdds();
    for (const ChanceScheme scheme : {ChanceScheme::Interleave, ChanceScheme::Block, ChanceScheme::Uniform}) {
        const LotteryLaw& law = lotteryLaw(scheme);
        for (const BetClass betClass : allBetClasses())
            QVERIFY2(expectedReturn(betClassProbability(law, betClass), odds.of(betClass)) < 0,
                     qPrintable(betClassName(betClass)));
        for (int sum = 0; sum < kLawSums; ++sum)
            QVERIFY2(expectedReturn(sumProbability(law, sum), odds.sums[static_cast<std::size_t>(sum)]) < 0,
                     qPrintable(QString::number(sum)));
    }
    // 1.98 on a fair 大: 0.5 x 1.98 - 1.
    QVERIFY(std::abs(expectedReturn(0.5, 1.98) + 0.01) < 1e-15);
}

void TestChanceSettings::oddsFromTheIni_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<double>("big");
    QTest::addColumn<double>("sum13");
    QTest::addColumn<int>("problems");
    // clang-format off
    QTest::newRow("set")          << QByteArray("[odds]\n大=1.95\n13=11.5\n")          << 1.95 << 11.5 << 0;
    QTest::newRow("left out")     << QByteArray("[odds]\n小=2\n")                      << 1.98 << 12.0 << 0;
    QTest::newRow("not a number") << QByteArray("[odds]\n大=abc\n13=-1\n")             << 1.98 << 12.0 << 2;
    QTest::newRow("other group")  << QByteArray("[chance]\nlucky28=block\n")           << 1.98 << 12.0 << 0;
    // clang-format on
}

void TestChanceSettings::oddsFromTheIni()
{
    QFETCH(QByteArray, ini);
    QFETCH(double, big);
    QFETCH(double, sum13);
    QFETCH(int, problems);
    QTemporaryDir dir;
    const OddsTable odds = loadOdds(writeIni(dir, ini));
    QCOMPARE(odds.of(BetClass::Big), big);
    QCOMPARE(odds.sums[13], sum13);
    QCOMPARE(odds.problems.size(), problems);
}

void TestChanceSettings::shippedIniHasTheDefaults()
{
    const QString shipped = QStringLiteral(TANDOR28_TEST_DATA "/../../data/tandor28.ini");
    const OddsTable odds = loadOdds(shipped);
    const OddsTable defaults = defaultOdds();
    QVERIFY(odds.problems.isEmpty());
    QCOMPARE(odds.classes, defaults.classes);
    QCOMPARE(odds.sums, defaults.sums);
    QCOMPARE(loadChanceScheme(shipped, LotteryKind::Lucky28).scheme, ChanceScheme::Block);
    QCOMPARE(loadChanceScheme(shipped, LotteryKind::Canada28Night).scheme, ChanceScheme::Interleave);
    QVERIFY(loadChanceScheme(shipped, LotteryKind::Lucky28).problem.isEmpty());
}

QTEST_GUILESS_MAIN(TestChanceSettings)
#include "tst_chancesettings.moc"
