#include "alerts/drawnotice.h"
#include "drawbuilders.h"

#include <QTest>

using namespace tandor28;
using namespace tandor28::testsupport;

class TestDrawNotice : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void drawLabel_data();
    void drawLabel();
    void historyLabel_data();
    void historyLabel();
    void countdownTitle_data();
    void countdownTitle();
    void newDraw_data();
    void newDraw();
    void positions_data();
    void positions();
    void popupTextsOfAFreshPopup();
};

void TestDrawNotice::drawLabel_data()
{
    QTest::addColumn<QList<int>>("digits");
    QTest::addColumn<QString>("expected");

    QTest::newRow("3,5,7") << QList<int>{3, 5, 7} << "3 + 5 + 7 = 15 大单";
    QTest::newRow("0,0,1") << QList<int>{0, 0, 1} << "0 + 0 + 1 = 01 小单";
    QTest::newRow("9,9,8") << QList<int>{9, 9, 8} << "9 + 9 + 8 = 26 大双";
    QTest::newRow("empty draw") << QList<int>{0, 0, 0} << "0 + 0 + 0 = 00 小双";
}

void TestDrawNotice::drawLabel()
{
    QFETCH(QList<int>, digits);
    QFETCH(QString, expected);
    QCOMPARE(drawPopupDrawText(drawOfDigits(digits, 1)), expected);
}

void TestDrawNotice::historyLabel_data()
{
    QTest::addColumn<QList<int>>("sums"); // newest first
    QTest::addColumn<QString>("expected");

    QTest::newRow("ten sums, oldest first")
        << QList<int>{15, 4, 27, 13, 0, 9, 14, 22, 6, 18} << "历史：18 06 22 14 09 00 13 27 04 15 ";
    QTest::newRow("only the ten newest") << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}
                                         << "历史：10 09 08 07 06 05 04 03 02 01 ";
    QTest::newRow("short history leaves out the positions without a draw") << QList<int>{21, 7} << "历史：07 21 ";
}

void TestDrawNotice::historyLabel()
{
    QFETCH(QList<int>, sums);
    QFETCH(QString, expected);
    QCOMPARE(drawPopupHistoryText(historyOfSums(sums, static_cast<int>(sums.size()))), expected);
}

void TestDrawNotice::countdownTitle_data()
{
    QTest::addColumn<int>("tick");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("closed");

    QTest::newRow("opened") << 0 << "  Tandor28开奖提示:  双击关闭 10s后自动关闭" << false;
    QTest::newRow("after 1 s") << 1 << "  Tandor28开奖提示:  双击关闭 9s后自动关闭" << false;
    QTest::newRow("after 9 s") << 9 << "  Tandor28开奖提示:  双击关闭 1s后自动关闭" << false;
    QTest::newRow("after 10 s") << 10 << "  Tandor28开奖提示:  双击关闭 0s后自动关闭" << false;
    QTest::newRow("closed at 11 s") << 11 << "  Tandor28开奖提示:  双击关闭 -1s后自动关闭" << true;
}

void TestDrawNotice::countdownTitle()
{
    QFETCH(int, tick);
    QFETCH(QString, title);
    QFETCH(bool, closed);
    QCOMPARE(drawPopupTitle(tick), title);
    QCOMPARE(drawPopupClosesAt(tick), closed);
}

void TestDrawNotice::newDraw_data()
{
    QTest::addColumn<QString>("previousLabel");
    QTest::addColumn<QList<int>>("sums");
    QTest::addColumn<bool>("isNew");

    // the newest draw of historyOfSums has issue 1000
    QTest::newRow("start-up label") << "幸运28 第000000期" << QList<int>{5, 6} << true;
    QTest::newRow("same issue") << "幸运28 第1000期" << QList<int>{5, 6} << false;
    QTest::newRow("same issue, Canada label") << "加拿大28 第1000期" << QList<int>{5, 6} << false;
    QTest::newRow("older issue") << "幸运28 第999期" << QList<int>{5, 6} << true;
    QTest::newRow("label without markers counts as new") << "1000" << QList<int>{5, 6} << true;
    QTest::newRow("no history yet") << "幸运28 第000000期" << QList<int>{} << false;
}

void TestDrawNotice::newDraw()
{
    QFETCH(QString, previousLabel);
    QFETCH(QList<int>, sums);
    QFETCH(bool, isNew);
    QCOMPARE(isNewDraw(issueOfTitle(previousLabel), historyOfSums(sums, static_cast<int>(sums.size()))), isNew);
}

void TestDrawNotice::positions_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QPoint>("popup");
    QTest::addColumn<QPoint>("balloon");

    QTest::newRow("1920x1080") << QSize(1920, 1080) << QPoint(1920 - 325 - 20, 1080 - 159 - 80) << QPoint(1920, 1000);
    QTest::newRow("800x600") << QSize(800, 600) << QPoint(455, 361) << QPoint(800, 520);
}

void TestDrawNotice::positions()
{
    QFETCH(QSize, screen);
    QFETCH(QPoint, popup);
    QFETCH(QPoint, balloon);
    QCOMPARE(drawPopupPosition(screen), popup);
    QCOMPARE(balloonPosition(screen), balloon);
}

void TestDrawNotice::popupTextsOfAFreshPopup()
{
    const DrawHistory history = historyOfDigits({{3, 5, 7}, {0, 0, 1}});
    const DrawPopupTexts texts = drawPopupTexts(QStringLiteral("幸运28 第1000期"), history);
    QCOMPARE(texts.title, QStringLiteral("  Tandor28开奖提示:  双击关闭 10s后自动关闭"));
    QCOMPARE(texts.issue, QStringLiteral("幸运28 第1000期"));
    QCOMPARE(texts.draw, QStringLiteral("3 + 5 + 7 = 15 大单"));
    QCOMPARE(texts.history, QStringLiteral("历史：01 15 "));
    QCOMPARE(initialIssueLabelText(), QStringLiteral("幸运28 第000000期"));
}

QTEST_GUILESS_MAIN(TestDrawNotice)
#include "tst_drawnotice.moc"
