#include "model/classification.h"

#include <QTest>

using namespace tandor28;

class TestClassification : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void labelsOfSum_data();
    void labelsOfSum();
    void parityOfNegatives_data();
    void parityOfNegatives();
    void sumModOutsideRange_data();
    void sumModOutsideRange();
    void triplesAndPairs_data();
    void triplesAndPairs();
    void partnersAndKills_data();
    void partnersAndKills();
    void twoDigitAndResultText_data();
    void twoDigitAndResultText();
    void colours_data();
    void colours();
};

void TestClassification::labelsOfSum_data()
{
    QTest::addColumn<int>("sum");
    QTest::addColumn<QString>("size");
    QTest::addColumn<QString>("parity");
    QTest::addColumn<QString>("combo");
    QTest::addColumn<QString>("middleEdge");
    QTest::addColumn<QString>("extreme");
    QTest::addColumn<int>("mod3");
    QTest::addColumn<int>("mod4");
    QTest::addColumn<int>("mod5");

    QTest::newRow("0 smallest") << 0 << "小"
                                << "双"
                                << "小双"
                                << "边"
                                << "极小" << 0 << 0 << 0;
    QTest::newRow("5 last extreme small") << 5 << "小"
                                          << "单"
                                          << "小单"
                                          << "边"
                                          << "极小" << 2 << 1 << 0;
    QTest::newRow("6 not extreme") << 6 << "小"
                                   << "双"
                                   << "小双"
                                   << "边"
                                   << "" << 0 << 2 << 1;
    QTest::newRow("9 edge") << 9 << "小"
                            << "单"
                            << "小单"
                            << "边"
                            << "" << 0 << 1 << 4;
    QTest::newRow("10 middle") << 10 << "小"
                               << "双"
                               << "小双"
                               << "中"
                               << "" << 1 << 2 << 0;
    QTest::newRow("13 small") << 13 << "小"
                              << "单"
                              << "小单"
                              << "中"
                              << "" << 1 << 1 << 3;
    QTest::newRow("14 big") << 14 << "大"
                            << "双"
                            << "大双"
                            << "中"
                            << "" << 2 << 2 << 4;
    QTest::newRow("17 middle") << 17 << "大"
                               << "单"
                               << "大单"
                               << "中"
                               << "" << 2 << 1 << 2;
    QTest::newRow("18 edge") << 18 << "大"
                             << "双"
                             << "大双"
                             << "边"
                             << "" << 0 << 2 << 3;
    QTest::newRow("21 not extreme") << 21 << "大"
                                    << "单"
                                    << "大单"
                                    << "边"
                                    << "" << 0 << 1 << 1;
    QTest::newRow("22 extreme big") << 22 << "大"
                                    << "双"
                                    << "大双"
                                    << "边"
                                    << "极大" << 1 << 2 << 2;
    QTest::newRow("27 largest") << 27 << "大"
                                << "单"
                                << "大单"
                                << "边"
                                << "极大" << 0 << 3 << 2;
}

void TestClassification::labelsOfSum()
{
    QFETCH(int, sum);
    QFETCH(QString, size);
    QFETCH(QString, parity);
    QFETCH(QString, combo);
    QFETCH(QString, middleEdge);
    QFETCH(QString, extreme);
    QFETCH(int, mod3);
    QFETCH(int, mod4);
    QFETCH(int, mod5);
    QCOMPARE(sizeLabel(sum), size);
    QCOMPARE(parityLabel(sum), parity);
    QCOMPARE(comboLabel(sum), combo);
    QCOMPARE(middleEdgeLabel(sum), middleEdge);
    QCOMPARE(extremeLabel(sum), extreme);
    QCOMPARE(sumMod(sum, 3), mod3);
    QCOMPARE(sumMod(sum, 4), mod4);
    QCOMPARE(sumMod(sum, 5), mod5);
}

void TestClassification::parityOfNegatives_data()
{
    QTest::addColumn<int>("sum");
    QTest::addColumn<QString>("parity");
    QTest::newRow("-1 odd") << -1 << "单";
    QTest::newRow("-3 odd") << -3 << "单";
    QTest::newRow("-2 even") << -2 << "双";
    QTest::newRow("29 odd") << 29 << "单";
    QTest::newRow("large even") << 2000000000 << "双";
    QTest::newRow("int min even") << INT_MIN << "双";
    QTest::newRow("int max odd") << INT_MAX << "单";
}

void TestClassification::parityOfNegatives()
{
    QFETCH(int, sum);
    QFETCH(QString, parity);
    QCOMPARE(parityLabel(sum), parity);
}

void TestClassification::sumModOutsideRange_data()
{
    QTest::addColumn<int>("sum");
    QTest::addColumn<int>("divisor");
    QTest::addColumn<int>("expected");
    QTest::newRow("-1 by 3") << -1 << 3 << -1;
    QTest::newRow("-4 by 4") << -4 << 4 << 0;
    QTest::newRow("-7 by 5") << -7 << 5 << -2;
    QTest::newRow("28 by 3") << 28 << 3 << 1;
    QTest::newRow("31 by 4") << 31 << 4 << 3;
    QTest::newRow("int min by 5") << INT_MIN << 5 << -3;
}

void TestClassification::sumModOutsideRange()
{
    QFETCH(int, sum);
    QFETCH(int, divisor);
    QFETCH(int, expected);
    QCOMPARE(sumMod(sum, divisor), expected);
}

void TestClassification::triplesAndPairs_data()
{
    QTest::addColumn<int>("d1");
    QTest::addColumn<int>("d2");
    QTest::addColumn<int>("d3");
    QTest::addColumn<bool>("triple");
    QTest::addColumn<bool>("pair");
    QTest::newRow("7 7 7 triple, not pair") << 7 << 7 << 7 << true << false;
    QTest::newRow("7 7 1 pair") << 7 << 7 << 1 << false << true;
    QTest::newRow("1 7 7 pair") << 1 << 7 << 7 << false << true;
    QTest::newRow("7 1 7 pair") << 7 << 1 << 7 << false << true;
    QTest::newRow("1 2 3 neither") << 1 << 2 << 3 << false << false;
    QTest::newRow("empty draw is a triple") << 0 << 0 << 0 << true << false;
}

void TestClassification::triplesAndPairs()
{
    QFETCH(int, d1);
    QFETCH(int, d2);
    QFETCH(int, d3);
    QFETCH(bool, triple);
    QFETCH(bool, pair);
    Draw draw;
    draw.d1 = d1;
    draw.d2 = d2;
    draw.d3 = d3;
    QCOMPARE(isTriple(draw), triple);
    QCOMPARE(isPair(draw), pair);
}

void TestClassification::partnersAndKills_data()
{
    QTest::addColumn<QString>("combo");
    QTest::addColumn<QString>("partner");
    QTest::addColumn<QString>("spaced");
    QTest::addColumn<QString>("compact");
    QTest::newRow("大单") << "大单"
                          << "小双"
                          << "双 + 小单"
                          << "双+小单";
    QTest::newRow("小单") << "小单"
                          << "大双"
                          << "双 + 大单"
                          << "双+大单";
    QTest::newRow("大双") << "大双"
                          << "小单"
                          << "单 + 小双"
                          << "单+小双";
    QTest::newRow("小双") << "小双"
                          << "大单"
                          << "单 + 大双"
                          << "单+大双";
    QTest::newRow("not a combination") << "大"
                                       << ""
                                       << ""
                                       << "";
    QTest::newRow("empty") << ""
                           << ""
                           << ""
                           << "";
    QTest::newRow("with blank") << "大单 "
                                << ""
                                << ""
                                << "";
}

void TestClassification::partnersAndKills()
{
    QFETCH(QString, combo);
    QFETCH(QString, partner);
    QFETCH(QString, spaced);
    QFETCH(QString, compact);
    QCOMPARE(partnerCombo(combo), partner);
    QCOMPARE(killComplementText(combo, true), spaced);
    QCOMPARE(killComplementText(combo, false), compact);
}

void TestClassification::twoDigitAndResultText_data()
{
    QTest::addColumn<int>("d1");
    QTest::addColumn<int>("d2");
    QTest::addColumn<int>("d3");
    QTest::addColumn<QString>("text");
    QTest::newRow("4 5 8") << 4 << 5 << 8 << "4 + 5 + 8 = 17";
    QTest::newRow("0 0 3 padded") << 0 << 0 << 3 << "0 + 0 + 3 = 03";
    QTest::newRow("9 9 9") << 9 << 9 << 9 << "9 + 9 + 9 = 27";
    QTest::newRow("empty draw") << 0 << 0 << 0 << "0 + 0 + 0 = 00";
    QTest::newRow("0 1 2") << 0 << 1 << 2 << "0 + 1 + 2 = 03";
}

void TestClassification::twoDigitAndResultText()
{
    QFETCH(int, d1);
    QFETCH(int, d2);
    QFETCH(int, d3);
    QFETCH(QString, text);
    QCOMPARE(resultText(d1, d2, d3), text);
    QCOMPARE(twoDigit(7), QStringLiteral("07"));
    QCOMPARE(twoDigit(10), QStringLiteral("10"));
    QCOMPARE(twoDigit(-1), QStringLiteral("0-1"));
    QCOMPARE(twoDigit(0), QStringLiteral("00"));
}

void TestClassification::colours_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("hex");
    QTest::newRow("大") << "大"
                        << "FF0000";
    QTest::newRow("小 shares blue with 大单") << "小"
                                              << "0000FF";
    QTest::newRow("大单") << "大单"
                          << "0000FF";
    QTest::newRow("单") << "单"
                        << "9000FF";
    QTest::newRow("双") << "双"
                        << "FF5080";
    QTest::newRow("小单") << "小单"
                          << "800000";
    QTest::newRow("小双") << "小双"
                          << "800080";
    QTest::newRow("3 shares purple with 小双") << "3"
                                               << "800080";
    QTest::newRow("大双") << "大双"
                          << "008000";
    QTest::newRow("中") << "中"
                        << "008000";
    QTest::newRow("边") << "边"
                        << "808000";
    QTest::newRow("0") << "0"
                       << "80A080";
    QTest::newRow("1") << "1"
                       << "0060C0";
    QTest::newRow("2") << "2"
                       << "FF8000";
    QTest::newRow("4") << "4"
                       << "008080";
    QTest::newRow("5 has none") << "5"
                                << "000000";
    QTest::newRow("empty") << ""
                           << "000000";
    QTest::newRow("极大 has none") << "极大"
                                   << "000000";
}

void TestClassification::colours()
{
    QFETCH(QString, label);
    QFETCH(QString, hex);
    QCOMPARE(categoryColour(label).toHex(), hex);
}

QTEST_GUILESS_MAIN(TestClassification)
#include "tst_classification.moc"
