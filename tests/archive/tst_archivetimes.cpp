#include "archive/archiveschema.h"
#include "archive/drawarchive.h"
#include "timezone.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

using namespace tandor28;
using testsupport::ScopedTimeZone;

namespace {

// An archive of the first schema, as the first version of the program wrote it: its own schema
// step, then rows whose drawn_at is the wall-clock text of the machine that wrote them.
void writeFirstSchema(const QString& path, const QByteArray& drawnAt)
{
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    const QByteArray rows =
        "INSERT INTO draws VALUES (0, 100, '" + drawnAt +
        "', 1, 2, 3, 6, '', 'feed', '2026-07-31T11:00:00Z');"
        "INSERT INTO draws VALUES (0, 101, 'not a time', 4, 5, 6, 15, '', 'feed', '2026-07-31T11:00:00Z');"
        "INSERT INTO conflicts VALUES (0, 100, '" +
        drawnAt + "', 9, 9, 9, 27, '', 'other', '2026-07-31T11:01:00Z');";
    QCOMPARE(sqlite3_exec(db, archiveMigrations().front(), nullptr, nullptr, nullptr), SQLITE_OK);
    QCOMPARE(sqlite3_exec(db, "PRAGMA user_version = 1", nullptr, nullptr, nullptr), SQLITE_OK);
    QCOMPARE(sqlite3_exec(db, rows.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

qint64 storedMoment(const QString& path)
{
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, "SELECT drawn_at FROM draws WHERE issue = 100", -1, &statement, nullptr);
    const qint64 value = sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int64(statement, 0) : -1;
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return value;
}

} // namespace

// Draw times are kept as UTC moments: an archive written on one machine's clock shows the same
// moments on any other.
class TestArchiveTimes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void firstSchemaMigrated_data();
    void firstSchemaMigrated();
    void sameMomentsInAnotherZone();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

void TestArchiveTimes::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_path = m_dir->filePath(QStringLiteral("draws.sqlite3"));
}

void TestArchiveTimes::firstSchemaMigrated_data()
{
    QTest::addColumn<QByteArray>("writtenIn");
    QTest::addColumn<QByteArray>("drawnAt");
    QTest::addColumn<qint64>("utc");
    QTest::addColumn<QByteArray>("readIn");
    QTest::addColumn<QString>("shown");

    // clang-format off
    QTest::newRow("Shanghai to Berlin, summer")    << QByteArray("Asia/Shanghai") << QByteArray("2026-07-31 18:56:30") << qint64(1785495390) << QByteArray("Europe/Berlin") << "2026-07-31 12:56:30";
    QTest::newRow("Shanghai to Vancouver, summer") << QByteArray("Asia/Shanghai") << QByteArray("2026-07-31 18:56:30") << qint64(1785495390) << QByteArray("America/Vancouver") << "2026-07-31 03:56:30";
    QTest::newRow("Berlin to Shanghai, winter")    << QByteArray("Europe/Berlin") << QByteArray("2026-01-15 12:00:00") << qint64(1768474800) << QByteArray("Asia/Shanghai") << "2026-01-15 19:00:00";
    QTest::newRow("Vancouver to UTC, winter")      << QByteArray("America/Vancouver") << QByteArray("2026-01-15 03:00:00") << qint64(1768474800) << QByteArray("UTC") << "2026-01-15 11:00:00";
    // clang-format on
}

void TestArchiveTimes::firstSchemaMigrated()
{
    QFETCH(QByteArray, writtenIn);
    QFETCH(QByteArray, drawnAt);
    QFETCH(qint64, utc);
    QFETCH(QByteArray, readIn);
    QFETCH(QString, shown);
    writeFirstSchema(m_path, drawnAt);
    {
        // The machine that wrote the texts opens the archive first and migrates it.
        const ScopedTimeZone zone(writtenIn.constData());
        const ArchiveOpening opening = DrawArchive::open(m_path);
        QVERIFY(opening.archive);
        QCOMPARE(opening.problem, QString());
    }
    QCOMPARE(storedMoment(m_path), utc);

    const ScopedTimeZone zone(readIn.constData());
    const ArchiveOpening opening = DrawArchive::open(m_path);
    QVERIFY(opening.archive);
    const std::vector<DatedDraw> draws = opening.archive->loadDraws(LotteryKind::Lucky28, 0);
    QCOMPARE(draws.size(), std::size_t(2));
    QCOMPARE(draws[0].drawnAt.toSecsSinceEpoch(), utc);
    QCOMPARE(draws[0].drawnAt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), shown);
    QCOMPARE(draws[0].d3, 3);
    // A text no clock reads is kept with its digits and an unknown moment.
    QVERIFY(!draws[1].drawnAt.isValid());
    QCOMPARE(draws[1].d1, 4);

    const std::vector<ArchiveConflict> conflicts = opening.archive->conflicts(LotteryKind::Lucky28);
    QCOMPARE(conflicts.size(), std::size_t(1));
    QCOMPARE(conflicts[0].arrived.drawnAt.toSecsSinceEpoch(), utc);
    QCOMPARE(conflicts[0].kept.drawnAt.toSecsSinceEpoch(), utc);

    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QVERIFY(opening.archive->exportCsv(LotteryKind::Lucky28, out));
    const QByteArray expected = "100," + shown.left(10).toLatin1() + ',' + shown.mid(11, 5).toLatin1() + ",1,2,3,6\n";
    QVERIFY2(out.data().contains(expected), out.data().constData());
}

void TestArchiveTimes::sameMomentsInAnotherZone()
{
    qint64 moment = 0;
    {
        const ScopedTimeZone zone("Asia/Shanghai");
        const ArchiveOpening opening = DrawArchive::open(m_path);
        QVERIFY(opening.archive);
        const DatedDraw draw{7, QDateTime(QDate(2026, 3, 29), QTime(9, 30)), 1, 2, 3, {}};
        moment = draw.drawnAt.toSecsSinceEpoch();
        QVERIFY(opening.archive->addDraws(LotteryKind::Canada28Night, {draw}, QStringLiteral("feed")).ok);
    }
    const ScopedTimeZone zone("Europe/Berlin");
    const ArchiveOpening opening = DrawArchive::open(m_path);
    QVERIFY(opening.archive);
    const std::vector<DatedDraw> read = opening.archive->loadDraws(LotteryKind::Canada28Night, 0);
    QCOMPARE(read.size(), std::size_t(1));
    QCOMPARE(read[0].drawnAt.toSecsSinceEpoch(), moment);
    // 01:30 UTC, after Berlin's clocks went forward that night.
    QCOMPARE(read[0].drawnAt.toString(QStringLiteral("yyyy-MM-dd HH:mm")), QStringLiteral("2026-03-29 03:30"));
}

QTEST_GUILESS_MAIN(TestArchiveTimes)
#include "tst_archivetimes.moc"
