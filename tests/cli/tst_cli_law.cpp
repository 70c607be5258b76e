#include "cliruns.h"

#include <QTest>

#include <cmath>

using namespace tandor28;
using clitest::run;

class TestCliLaw : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void law_data();
    void law();
    void badArguments_data();
    void badArguments();
};

void TestCliLaw::law_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("text");
    // clang-format off
    QTest::newRow("canada 0")      << QStringList{"--lottery", "canada28"}                       << 0  << "0\t0.0009860";
    QTest::newRow("canada 13")     << QStringList{"--lottery", "canada28"}                       << 13 << "13\t0.07514959";
    QTest::newRow("canada 豹子")    << QStringList{"--lottery", "canada28"}                       << 38 << "豹子\t0.0098602";
    QTest::newRow("lucky block 大") << QStringList{"--lottery", "lucky28"}                        << 28 << "大\t0.5002731";
    QTest::newRow("block 27")      << QStringList{"--lottery", "canada28", "--scheme", "block"}  << 27 << "27\t0.00100699";
    QTest::newRow("uniform 13")    << QStringList{"--lottery", "lucky28", "--scheme", "uniform"} << 13 << "13\t0.0750000000";
    QTest::newRow("uniform 顺子")   << QStringList{"--lottery", "lucky28", "--scheme", "uniform"} << 40 << "顺子\t0.0600000000";
    // clang-format on
}

void TestCliLaw::law()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, line);
    QFETCH(QString, text);
    const clitest::CliRun result = run(QStringList{"law"} + arguments);
    QCOMPARE(result.status, 0);
    QCOMPARE(result.lines.size(), 28 + 13);
    QVERIFY2(result.lines[line].startsWith(text), qPrintable(result.lines[line]));
    double total = 0;
    for (int sum = 0; sum < 28; ++sum) {
        const QStringList fields = result.lines[sum].split(u'\t');
        QCOMPARE(fields[0], QString::number(sum));
        QCOMPARE(fields[1].section(u'.', 1).size(), 10);
        total += fields[1].toDouble();
    }
    QVERIFY(std::abs(total - 1) < 1e-8);
}

void TestCliLaw::badArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("no lottery") << QStringList{"law"};
    QTest::newRow("bad lottery") << QStringList{"law", "--lottery", "keno"};
    QTest::newRow("bad scheme") << QStringList{"law", "--lottery", "lucky28", "--scheme", "dice"};
}

void TestCliLaw::badArguments()
{
    QFETCH(QStringList, arguments);
    const clitest::CliRun result = run(arguments);
    QCOMPARE(result.status, 2);
    QVERIFY(result.lines.isEmpty());
}

QTEST_GUILESS_MAIN(TestCliLaw)
#include "tst_cli_law.moc"
