#include "model/classification.h"
#include "model/draw.h"
#include "model/textnum.h"

#include <QTest>

using namespace tandor28;

class TestDraw : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void makeDrawReadsLeadingDigits_data();
    void makeDrawReadsLeadingDigits();
    void emptyDrawClassifiesAsZero();
    void historyPositionsAreOneBased();
    void leadingInt_data();
    void leadingInt();
    void formatG13_data();
    void formatG13();
};

void TestDraw::makeDrawReadsLeadingDigits_data()
{
    QTest::addColumn<QString>("t1");
    QTest::addColumn<QString>("t2");
    QTest::addColumn<QString>("t3");
    QTest::addColumn<int>("sum");
    QTest::addColumn<QString>("result");
    QTest::newRow("plain") << "4"
                           << "5"
                           << "8" << 17 << "4 + 5 + 8 = 17";
    QTest::newRow("non-numeric gives 0") << "x"
                                         << "5"
                                         << "" << 5 << "0 + 5 + 0 = 05";
    QTest::newRow("leading digits only") << "7abc"
                                         << "2.9"
                                         << " 3" << 12 << "7 + 2 + 3 = 12";
    QTest::newRow("out of range digits kept") << "12"
                                              << "0"
                                              << "0" << 12 << "12 + 0 + 0 = 12";
}

void TestDraw::makeDrawReadsLeadingDigits()
{
    QFETCH(QString, t1);
    QFETCH(QString, t2);
    QFETCH(QString, t3);
    QFETCH(int, sum);
    QFETCH(QString, result);
    const Draw draw = makeDraw(QStringLiteral("3255001"), QStringLiteral("12:05"), t1, t2, t3);
    QCOMPARE(draw.issue, QStringLiteral("3255001"));
    QCOMPARE(draw.time, QStringLiteral("12:05"));
    QCOMPARE(draw.sum, sum);
    QCOMPARE(draw.resultText, result);
}

void TestDraw::emptyDrawClassifiesAsZero()
{
    const Draw empty;
    QVERIFY(empty.issue.isEmpty());
    QVERIFY(empty.time.isEmpty());
    QCOMPARE(empty.sum, 0);
    QCOMPARE(empty.resultText, QStringLiteral("0 + 0 + 0 = 00"));
    QCOMPARE(comboLabel(empty.sum), QStringLiteral("小双"));
}

void TestDraw::historyPositionsAreOneBased()
{
    DrawHistory history;
    history.append(makeDraw("2", "12:10", u"1", u"1", u"1"));
    history.append(makeDraw("1", "12:05", u"2", u"2", u"2"));
    QCOMPARE(history.size(), 2);
    QCOMPARE(history.at(1).issue, QStringLiteral("2"));
    QCOMPARE(history.at(2).issue, QStringLiteral("1"));
    // Outside the history every position reads as the empty draw.
    QCOMPARE(history.at(0), Draw{});
    QCOMPARE(history.at(3), Draw{});
    QCOMPARE(history.at(-5), Draw{});
}

void TestDraw::leadingInt_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("letters") << "abc" << 0;
    QTest::newRow("decimal") << "19.75" << 19;
    QTest::newRow("negative decimal") << "-3.5" << -3;
    QTest::newRow("blanks then number") << "  42x" << 42;
    QTest::newRow("plus sign") << "+8" << 8;
    QTest::newRow("sign only") << "-" << 0;
    QTest::newRow("exponent stops") << "1e+21" << 1;
    QTest::newRow("saturates high") << "99999999999999999999" << INT_MAX;
    QTest::newRow("saturates low") << "-99999999999999999999" << INT_MIN;
}

void TestDraw::leadingInt()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(tandor28::leadingInt(text), value);
}

void TestDraw::formatG13_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("50") << 50.0 << "50";
    QTest::newRow("one third") << 100.0 / 3.0 << "33.33333333333";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("12.5") << 12.5 << "12.5";
}

void TestDraw::formatG13()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(tandor28::formatG13(value), text);
}

QTEST_GUILESS_MAIN(TestDraw)
#include "tst_draw.moc"
