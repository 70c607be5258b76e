#include "feed/countdown.h"

#include <QTest>

using namespace tandor28;

Q_DECLARE_METATYPE(tandor28::LotteryKind)

class TestCountdown : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void computeCountdown_data();
    void computeCountdown();
    void labelText_data();
    void labelText();
    void timerTick_data();
    void timerTick();
    void lateDrawRetriesEveryTenSeconds();
};

void TestCountdown::computeCountdown_data()
{
    QTest::addColumn<LotteryKind>("kind");
    QTest::addColumn<QString>("newest");
    QTest::addColumn<QString>("now");
    QTest::addColumn<int>("countdown");

    const LotteryKind lucky = LotteryKind::Lucky28;
    const LotteryKind canada = LotteryKind::Canada28Night;
    QTest::newRow("lucky 12:05 at 12:09:30") << lucky << "12:05"
                                             << "12:09:30" << 49;
    QTest::newRow("lucky 12:05 at 12:10:30, draw late") << lucky << "12:05"
                                                        << "12:10:30" << -11;
    QTest::newRow("lucky 12:05 at 12:05:00") << lucky << "12:05"
                                             << "12:05:00" << 319;
    QTest::newRow("lucky 12:05 at 12:10:19, due") << lucky << "12:05"
                                                  << "12:10:19" << 0;
    QTest::newRow("lucky 23:55 night break") << lucky << "23:55"
                                             << "23:56:10" << 30000;
    QTest::newRow("lucky 23:55 night break after midnight") << lucky << "23:55"
                                                            << "00:20:00" << 30000;
    QTest::newRow("lucky 08:55 at 08:57:00 counts to 9:00") << lucky << "08:55"
                                                            << "08:57:00" << 199;
    QTest::newRow("lucky 08:55 at 08:59:59 still positive") << lucky << "08:55"
                                                            << "08:59:59" << 20;
    QTest::newRow("lucky 08:55 at 09:00:00 due soon") << lucky << "08:55"
                                                      << "09:00:00" << 19;
    QTest::newRow("lucky 08:55 at 09:00:30 overdue") << lucky << "08:55"
                                                     << "09:00:30" << -11;
    QTest::newRow("lucky 08:55 at 09:01:10 overdue") << lucky << "08:55"
                                                     << "09:01:10" << -51;
    QTest::newRow("lucky 12:50 at 12:55:30 overdue") << lucky << "12:50"
                                                     << "12:55:30" << -11;
    QTest::newRow("lucky empty time counts as 00:00") << lucky << ""
                                                      << "00:03:00" << 139;
    QTest::newRow("canada 12:05 at 12:07:00") << canada << "12:05"
                                              << "12:07:00" << 90;
    QTest::newRow("canada 12:05 at 12:08:30 due") << canada << "12:05"
                                                  << "12:08:30" << 0;
    QTest::newRow("canada 12:05 at 12:09:00 late") << canada << "12:05"
                                                   << "12:09:00" << -30;
    QTest::newRow("canada 23:59 at 00:01 is far back today") << canada << "23:59"
                                                             << "00:01:00" << 86490;
    QTest::newRow("canada empty time counts as 00:00") << canada << ""
                                                       << "00:01:00" << 150;
}

void TestCountdown::computeCountdown()
{
    QFETCH(LotteryKind, kind);
    QFETCH(QString, newest);
    QFETCH(QString, now);
    QFETCH(int, countdown);
    const QDateTime clock(QDate(2025, 10, 14), QTime::fromString(now, QStringLiteral("HH:mm:ss")));
    QVERIFY(clock.isValid());
    QCOMPARE(tandor28::computeCountdown(kind, newest, clock), countdown);
}

void TestCountdown::labelText_data()
{
    QTest::addColumn<int>("countdown");
    QTest::addColumn<QString>("label");
    QTest::newRow("60") << 60 << "01:00";
    QTest::newRow("59") << 59 << "00:59";
    QTest::newRow("9") << 9 << "00:09";
    QTest::newRow("0") << 0 << "00:00";
    QTest::newRow("125") << 125 << "02:05";
    QTest::newRow("359") << 359 << "05:59";
    QTest::newRow("360 as seconds") << 360 << "360";
    QTest::newRow("30000 as seconds") << 30000 << "30000";
    QTest::newRow("-1 drawing") << -1 << "开奖中";
    QTest::newRow("-50 drawing") << -50 << "开奖中";
}

void TestCountdown::labelText()
{
    QFETCH(int, countdown);
    QFETCH(QString, label);
    QCOMPARE(countdownLabelText(countdown), label);
}

void TestCountdown::timerTick_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");
    QTest::addColumn<bool>("refreshDue");
    QTest::newRow("counting") << 50 << 49 << false;
    QTest::newRow("10 is not due") << 11 << 10 << false;
    QTest::newRow("reaches 0") << 1 << 0 << true;
    QTest::newRow("-1 is not due") << 0 << -1 << false;
    QTest::newRow("-10 retry") << -9 << -10 << true;
    QTest::newRow("-20 retry") << -19 << -20 << true;
    QTest::newRow("-50 retry without a jump") << -49 << -50 << true;
    QTest::newRow("-51 jumps to 199") << -50 << 199 << false;
    QTest::newRow("night break") << 30000 << 29999 << false;
}

void TestCountdown::timerTick()
{
    QFETCH(int, before);
    QFETCH(int, after);
    QFETCH(bool, refreshDue);
    const TickOutcome outcome = tandor28::timerTick(before);
    QCOMPARE(outcome.countdown, after);
    QCOMPARE(outcome.refreshDue, refreshDue);
}

// A draw that never arrives: each refresh recomputes the same overdue count from the clock.
void TestCountdown::lateDrawRetriesEveryTenSeconds()
{
    QDateTime clock(QDate(2025, 10, 14), QTime(12, 10, 18));
    int countdown = tandor28::computeCountdown(LotteryKind::Lucky28, QStringLiteral("12:05"), clock);
    QCOMPARE(countdown, 1);
    QList<int> retries;
    for (int second = 0; second < 120; ++second) {
        clock = clock.addSecs(1);
        const TickOutcome outcome = tandor28::timerTick(countdown);
        countdown = outcome.countdown;
        if (outcome.refreshDue) {
            countdown = lateJump(tandor28::computeCountdown(LotteryKind::Lucky28, QStringLiteral("12:05"), clock));
            retries.append(countdown);
        }
        if (countdown > 100)
            break;
    }
    QCOMPARE(retries, (QList<int>{0, -10, -20, -30, -40, -50}));
    QCOMPARE(countdown, 199);
}

QTEST_GUILESS_MAIN(TestCountdown)
#include "tst_countdown.moc"
