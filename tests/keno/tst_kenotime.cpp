#include "keno/kenotime.h"

#include "timezone.h"

#include <QTest>

using namespace tandor28;
using namespace tandor28::testsupport;

// Vancouver moves its clocks on 8 March and 1 November 2026 (at 02:00), central Europe on 29 March
// and 25 October, Sydney (southern summer) on 5 April and 4 October: every row was worked out by hand
// through UTC.
class TestKenoTime : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanupTestCase();
    void toLocal_data();
    void toLocal();
    void roundTrip();
};

void TestKenoTime::cleanupTestCase()
{
    unsetLocalTimeZone();
}

void TestKenoTime::toLocal_data()
{
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<QString>("vancouver");
    QTest::addColumn<QString>("local");

    // clang-format off
    QTest::newRow("Berlin, both standard (UTC-8 -> UTC+1)")      << QByteArray("Europe/Berlin") << "2026-03-07 12:00:00" << "2026-03-07 21:00:00";
    QTest::newRow("Berlin, before Vancouver springs forward")   << QByteArray("Europe/Berlin") << "2026-03-08 01:30:00" << "2026-03-08 10:30:00";
    QTest::newRow("Berlin, after Vancouver springs forward")    << QByteArray("Europe/Berlin") << "2026-03-08 03:30:00" << "2026-03-08 11:30:00";
    QTest::newRow("Berlin, between the two spring changes")     << QByteArray("Europe/Berlin") << "2026-03-20 12:00:00" << "2026-03-20 20:00:00";
    QTest::newRow("Berlin, both summer")                        << QByteArray("Europe/Berlin") << "2026-03-30 12:00:00" << "2026-03-30 21:00:00";
    QTest::newRow("Berlin, between the two autumn changes")     << QByteArray("Europe/Berlin") << "2026-10-26 12:00:00" << "2026-10-26 20:00:00";
    QTest::newRow("Berlin, before Vancouver falls back")        << QByteArray("Europe/Berlin") << "2026-11-01 00:30:00" << "2026-11-01 08:30:00";
    QTest::newRow("Berlin, after Vancouver falls back")         << QByteArray("Europe/Berlin") << "2026-11-01 02:30:00" << "2026-11-01 11:30:00";
    QTest::newRow("Berlin, across midnight")                    << QByteArray("Europe/Berlin") << "2026-07-31 23:56:30" << "2026-08-01 08:56:30";
    QTest::newRow("Shanghai, no daylight saving, winter")       << QByteArray("Asia/Shanghai") << "2026-01-15 03:56:30" << "2026-01-15 19:56:30";
    QTest::newRow("Shanghai, no daylight saving, summer")       << QByteArray("Asia/Shanghai") << "2026-07-31 03:56:30" << "2026-07-31 18:56:30";
    QTest::newRow("Sydney, southern summer, Vancouver winter")  << QByteArray("Australia/Sydney") << "2026-01-15 12:00:00" << "2026-01-16 07:00:00";
    QTest::newRow("Sydney, both on standard time in July")      << QByteArray("Australia/Sydney") << "2026-07-15 12:00:00" << "2026-07-16 05:00:00";
    QTest::newRow("Vancouver itself")                           << QByteArray("America/Vancouver") << "2026-11-01 02:30:00" << "2026-11-01 02:30:00";
    QTest::newRow("UTC, summer")                                << QByteArray("UTC") << "2026-07-31 03:56:30" << "2026-07-31 10:56:30";
    // clang-format on
}

void TestKenoTime::toLocal()
{
    QFETCH(QByteArray, zone);
    QFETCH(QString, vancouver);
    QFETCH(QString, local);
    setLocalTimeZone(zone.constData());
    const QDateTime given = QDateTime::fromString(vancouver, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    const QDateTime converted = vancouverToLocal(given.date(), given.time());
    QVERIFY(converted.isValid());
    QCOMPARE(converted.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), local);
    QCOMPARE(converted.timeSpec(), Qt::LocalTime);
}

void TestKenoTime::roundTrip()
{
    setLocalTimeZone("Europe/Berlin");
    const QDateTime local(QDate(2026, 3, 8), QTime(11, 30));
    const QDateTime there = localToVancouver(local);
    QCOMPARE(there.toString(QStringLiteral("yyyy-MM-dd HH:mm")), QStringLiteral("2026-03-08 03:30"));
    QCOMPARE(vancouverToLocal(there.date(), there.time()), local);
    QVERIFY(!vancouverToLocal(QDate(2026, 2, 30), QTime(1, 0)).isValid());
}

QTEST_GUILESS_MAIN(TestKenoTime)
#include "tst_kenotime.moc"
