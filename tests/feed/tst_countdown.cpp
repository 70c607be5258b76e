#include "feed/countdown.h"

#include <QFile>
#include <QTemporaryDir>
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
    void configuredFirstDraw_data();
    void configuredFirstDraw();
    void newestDrawTime_data();
    void newestDrawTime();
    void drawAge_data();
    void drawAge();
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
    // clang-format off
    QTest::newRow("lucky 23:55 night break runs to 09:05:20") << lucky << "23:55" << "23:56:10" << 32950;
    QTest::newRow("lucky 23:55 at 23:59:00") << lucky << "23:55" << "23:59:00" << 32780;
    QTest::newRow("lucky 23:55 night break after midnight") << lucky << "23:55" << "00:20:00" << 31520;
    QTest::newRow("lucky 23:55 at 09:05:20 due") << lucky << "23:55" << "09:05:20" << 0;
    QTest::newRow("lucky 23:55 at 09:06:00 overdue") << lucky << "23:55" << "09:06:00" << -40;
    QTest::newRow("lucky 23:55 at 11:00:00 long overdue") << lucky << "23:55" << "11:00:00" << -6880;
    QTest::newRow("lucky 23:55 read at 11:55:01, a stale feed, is overdue") << lucky << "23:55" << "11:55:01" << -10181;
    QTest::newRow("lucky 23:55 read at 20:00:00 is last night's") << lucky << "23:55" << "20:00:00" << -39280;
    // clang-format on
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
    // clang-format off
    QTest::newRow("canada 23:59 at 00:01 belongs to yesterday") << canada << "23:59" << "00:01:00" << 90;
    QTest::newRow("canada 23:58 at 00:01:00") << canada << "23:58" << "00:01:00" << 30;
    QTest::newRow("canada 23:58 at 00:05:00 overdue") << canada << "23:58" << "00:05:00" << -210;
    QTest::newRow("canada 23:58:30 counts from its seconds") << canada << "23:58:30" << "00:01:00" << 60;
    QTest::newRow("canada 12:03:30 at 12:07:00 due") << canada << "12:03:30" << "12:07:00" << 0;
    QTest::newRow("canada 00:02 read at 23:59 belongs to tomorrow") << canada << "00:02" << "23:59:00" << 390;
    QTest::newRow("canada 11:00 at 23:00:00 is twelve hours back") << canada << "11:00" << "23:00:00" << -42990;
    QTest::newRow("canada 23:00 read at 12:00:00 is last night's") << canada << "23:00" << "12:00:00" << -46590;
    QTest::newRow("canada 12:30 read at 12:00:00 runs ahead by half an hour") << canada << "12:30" << "12:00:00" << 2010;
    // clang-format on
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
    // clang-format off
    QTest::newRow("-50 retry") << -49 << -50 << true;
    QTest::newRow("-51 is not due and does not jump") << -50 << -51 << false;
    QTest::newRow("-60 retry") << -59 << -60 << true;
    QTest::newRow("-120 retry without a jump") << -119 << -120 << true;
    QTest::newRow("-121 jumps to 129") << -120 << 129 << false;
    QTest::newRow("-400 jumps once") << -400 << -151 << false;
    QTest::newRow("-130 past the window is not due") << -129 << 120 << false;
    // clang-format on
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
    for (int second = 0; second < 200; ++second) {
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
    QCOMPARE(retries, (QList<int>{0, -10, -20, -30, -40, -50, -60, -70, -80, -90, -100, -110, -120}));
    QCOMPARE(countdown, 129);
}

void TestCountdown::configuredFirstDraw_data()
{
    QTest::addColumn<QString>("ini");
    QTest::addColumn<QString>("now");
    QTest::addColumn<int>("countdown");
    // clang-format off
    QTest::newRow("no file: 09:05") << QString() << "23:59:00" << 32780;
    QTest::newRow("09:30 configured") << "[schedule]\nlucky28_first=09:30\n" << "23:59:00" << 34280;
    QTest::newRow("09:30 configured, overdue at 09:31") << "[schedule]\nlucky28_first=09:30\n" << "09:31:00" << -40;
    QTest::newRow("not a time: 09:05") << "[schedule]\nlucky28_first=late\n" << "23:59:00" << 32780;
    QTest::newRow("hour out of range: 09:05") << "[schedule]\nlucky28_first=25:00\n" << "23:59:00" << 32780;
    // clang-format on
}

void TestCountdown::configuredFirstDraw()
{
    QFETCH(QString, ini);
    QFETCH(QString, now);
    QFETCH(int, countdown);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("tandor28.ini"));
    if (!ini.isNull()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(ini.toUtf8());
    }
    const CountdownSchedule schedule = loadCountdownSchedule(path);
    const QDateTime clock(QDate(2025, 10, 14), QTime::fromString(now, QStringLiteral("HH:mm:ss")));
    QCOMPARE(tandor28::computeCountdown(LotteryKind::Lucky28, QStringLiteral("23:55"), clock, schedule), countdown);
}

void TestCountdown::newestDrawTime_data()
{
    QTest::addColumn<LotteryKind>("kind");
    QTest::addColumn<QStringList>("times");
    QTest::addColumn<QString>("newest");
    const LotteryKind lucky = LotteryKind::Lucky28;
    const LotteryKind canada = LotteryKind::Canada28Night;
    // clang-format off
    QTest::newRow("canada three minutes after the one before: :30") << canada << QStringList{"12:10", "12:07"} << "12:10:30";
    QTest::newRow("canada four minutes after the one before: :00") << canada << QStringList{"12:14", "12:10"} << "12:14";
    QTest::newRow("canada across midnight, three minutes") << canada << QStringList{"00:01", "23:58"} << "00:01:30";
    QTest::newRow("canada across midnight, four minutes") << canada << QStringList{"00:02", "23:58"} << "00:02";
    QTest::newRow("canada a draw missing in between") << canada << QStringList{"12:17", "12:10"} << "12:17";
    QTest::newRow("canada one record only") << canada << QStringList{"12:10"} << "12:10";
    QTest::newRow("lucky keeps its time") << lucky << QStringList{"12:10", "12:07"} << "12:10";
    QTest::newRow("empty history") << canada << QStringList{} << "";
    // clang-format on
}

void TestCountdown::newestDrawTime()
{
    QFETCH(LotteryKind, kind);
    QFETCH(QStringList, times);
    QFETCH(QString, newest);
    DrawHistory history;
    for (const QString& time : times)
        history.append(makeDraw(QStringLiteral("1"), time, u"1", u"2", u"3"));
    QCOMPARE(tandor28::newestDrawTime(kind, history), newest);
}

void TestCountdown::drawAge_data()
{
    QTest::addColumn<QString>("newest");
    QTest::addColumn<QString>("now");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("text");
    // clang-format off
    QTest::newRow("twelve minutes") << "12:05" << "12:17:10" << 730 << "最新一期 12 分钟前";
    QTest::newRow("across midnight") << "23:58:30" << "00:05:00" << 390 << "最新一期 6 分钟前";
    QTest::newRow("hours") << "09:00" << "11:25:00" << 8700 << "最新一期 2 小时 25 分前";
    QTest::newRow("no draw") << "" << "12:00:00" << -1 << "最新一期 0 分钟前";
    // clang-format on
}

void TestCountdown::drawAge()
{
    QFETCH(QString, newest);
    QFETCH(QString, now);
    QFETCH(int, seconds);
    QFETCH(QString, text);
    const QDateTime clock(QDate(2025, 10, 14), QTime::fromString(now, QStringLiteral("HH:mm:ss")));
    QCOMPARE(secondsSinceDraw(newest, clock), seconds);
    QCOMPARE(drawAgeText(seconds), text);
}

QTEST_GUILESS_MAIN(TestCountdown)
#include "tst_countdown.moc"
