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
    void moments_data();
    void moments();
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

void TestKenoTime::moments_data()
{
    // Each "issue@Vancouver time" of `before` is read first, in that order, then the draw itself.
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<qint64>("issue");
    QTest::addColumn<QString>("vancouver");
    QTest::addColumn<QString>("utc"); // empty: refused
    QTest::addColumn<QString>("reason");

    const QString gap = QStringLiteral("does not exist in Vancouver: the clocks skip that hour in spring");
    // clang-format off
    QTest::newRow("spring, last second before the gap")       << QStringList{} << qint64(100) << "2026-03-08 01:59:59" << "2026-03-08T09:59:59Z" << "";
    QTest::newRow("spring, the gap's first second")           << QStringList{} << qint64(100) << "2026-03-08 02:00:00" << "" << gap;
    QTest::newRow("spring, inside the gap")                   << QStringList{"99@2026-03-08 01:58:00"} << qint64(100) << "2026-03-08 02:30:00" << "" << gap;
    QTest::newRow("spring, first time after the gap")         << QStringList{} << qint64(100) << "2026-03-08 03:00:00" << "2026-03-08T10:00:00Z" << "";
    QTest::newRow("autumn, repeated hour alone: first pass")  << QStringList{} << qint64(100) << "2026-11-01 01:30:00" << "2026-11-01T08:30:00Z" << "";
    QTest::newRow("autumn, after an earlier draw, first pass") << QStringList{"99@2026-11-01 01:20:00"} << qint64(100) << "2026-11-01 01:25:00" << "2026-11-01T08:25:00Z" << "";
    QTest::newRow("autumn, after the first pass's end")       << QStringList{"99@2026-11-01 00:56:00", "100@2026-11-01 01:58:00"} << qint64(101) << "2026-11-01 01:05:00" << "2026-11-01T09:05:00Z" << "";
    QTest::newRow("autumn, second pass goes on")              << QStringList{"99@2026-11-01 01:58:00", "100@2026-11-01 01:01:00"} << qint64(101) << "2026-11-01 01:05:00" << "2026-11-01T09:05:00Z" << "";
    QTest::newRow("autumn, newest first, before 02:00")       << QStringList{"102@2026-11-01 02:01:00"} << qint64(101) << "2026-11-01 01:58:00" << "2026-11-01T09:58:00Z" << "";
    QTest::newRow("autumn, newest first, first pass")         << QStringList{"102@2026-11-01 02:01:00", "101@2026-11-01 01:02:00"} << qint64(100) << "2026-11-01 01:58:00" << "2026-11-01T08:58:00Z" << "";
    QTest::newRow("autumn, after the repeated hour")          << QStringList{} << qint64(100) << "2026-11-01 02:00:00" << "2026-11-01T10:00:00Z" << "";
    // clang-format on
}

void TestKenoTime::moments()
{
    QFETCH(QStringList, before);
    QFETCH(qint64, issue);
    QFETCH(QString, vancouver);
    QFETCH(QString, utc);
    QFETCH(QString, reason);
    // Date and time apart: a local QDateTime would move a time of the spring gap.
    const auto date = [](const QString& text) { return QDate::fromString(text.left(10), Qt::ISODate); };
    const auto time = [](const QString& text) { return QTime::fromString(text.mid(11), Qt::ISODate); };
    VancouverClock clock;
    for (const QString& earlier : before) {
        const QString stamp = earlier.section(QLatin1Char('@'), 1);
        QVERIFY(clock.moment(earlier.section(QLatin1Char('@'), 0, 0).toLongLong(), date(stamp), time(stamp)));
    }
    QString why;
    const std::optional<qint64> moment = clock.moment(issue, date(vancouver), time(vancouver), &why);
    if (utc.isEmpty()) {
        QVERIFY(!moment);
        QCOMPARE(why, vancouver + QLatin1Char(' ') + reason);
        return;
    }
    QVERIFY2(moment, qPrintable(why));
    QCOMPARE(QDateTime::fromSecsSinceEpoch(*moment, Qt::UTC).toString(Qt::ISODate), utc);
}

QTEST_GUILESS_MAIN(TestKenoTime)
#include "tst_kenotime.moc"
