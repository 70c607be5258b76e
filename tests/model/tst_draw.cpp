#include "model/classification.h"
#include "model/dateddraw.h"
#include "model/draw.h"
#include "model/textnum.h"

#include <QTest>

using namespace tandor28;

class TestDraw : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void emptyTailFilledFromKeptDraws_data();
    void emptyTailFilledFromKeptDraws();
    void historyOfKeptDraws();
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
    // It stands where no draw came: it shows blank and is the one draw that is empty.
    QCOMPARE(empty.resultText, QString());
    QVERIFY(empty.isEmpty());
    QVERIFY(!makeDraw(QStringLiteral("1"), QString(), u"0", u"0", u"0").isEmpty());
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

namespace {

DatedDraw kept(qint64 issue)
{
    return DatedDraw{issue, QDateTime(QDate(2026, 12, 10), QTime(9, 0).addSecs(int(issue) * 60)), int(issue % 10), 1, 2,
                     {}};
}

} // namespace

void TestDraw::emptyTailFilledFromKeptDraws_data()
{
    QTest::addColumn<QList<qint64>>("keptIssues");
    QTest::addColumn<QStringList>("positions8to12");
    QTest::addColumn<int>("held");
    // Seven records, issues 100 down to 94; position 8 stands for issue 93, 9 for 92, ...
    QTest::newRow("nothing kept") << QList<qint64>{} << QStringList{"", "", "", "", ""} << 7;
    QTest::newRow("the issues just before") << QList<qint64>{93, 92, 91} << QStringList{"93", "92", "91", "", ""} << 10;
    QTest::newRow("a gap stays empty") << QList<qint64>{93, 91, 89} << QStringList{"93", "", "91", "", "89"} << 10;
    QTest::newRow("newer issues are not taken") << QList<qint64>{100, 99, 120} << QStringList{"", "", "", "", ""} << 7;
    QTest::newRow("older than the history holds") << QList<qint64>{-10, -50} << QStringList{"", "", "", "", ""} << 7;
}

void TestDraw::emptyTailFilledFromKeptDraws()
{
    QFETCH(QList<qint64>, keptIssues);
    QFETCH(QStringList, positions8to12);
    QFETCH(int, held);
    DrawHistory history;
    for (int issue = 100; issue >= 94; --issue)
        history.append(makeDraw(QString::number(issue), QStringLiteral("12:00"), u"1", u"2", u"3"));
    while (history.size() < kHistoryLength)
        history.append(Draw{});
    const std::optional<IssueRange> range = emptyTailIssues(history);
    QVERIFY(range);
    QCOMPARE(range->last, qint64(93));
    QCOMPARE(range->first, qint64(94 - 103));
    std::vector<DatedDraw> draws;
    for (const qint64 issue : keptIssues)
        draws.push_back(kept(issue));
    const DrawHistory filled = fillEmptyTail(history, draws);
    QCOMPARE(filled.size(), kHistoryLength);
    for (int position = 1; position <= 7; ++position)
        QCOMPARE(filled.at(position), history.at(position));
    for (int i = 0; i < 5; ++i)
        QCOMPARE(filled.at(8 + i).issue, positions8to12.at(i));
    QCOMPARE(filled.heldCount(kHistoryLength), held);
    QVERIFY(!emptyTailIssues(DrawHistory(std::vector<Draw>(3, makeDraw("5", "", u"1", u"1", u"1")))));
}

void TestDraw::historyOfKeptDraws()
{
    const DrawHistory none = historyOfKept({});
    QCOMPARE(none.size(), kHistoryLength);
    QCOMPARE(none.heldCount(kHistoryLength), 0);
    const DrawHistory some = historyOfKept({kept(7), kept(9), kept(8)}, 5);
    QCOMPARE(some.size(), 5);
    QCOMPARE(some.at(1).issue, QStringLiteral("9"));
    QCOMPARE(some.at(3).issue, QStringLiteral("7"));
    QVERIFY(some.at(4).isEmpty());
    QVERIFY(some.holdsAll(1, 3));
    QVERIFY(!some.holdsAll(1, 4));
}

QTEST_GUILESS_MAIN(TestDraw)
#include "tst_draw.moc"
