#include "cliruns.h"
#include "feedbodies.h"
#include "fixtures.h"
#include "kenobodies.h"
#include "timezone.h"

#include "archive/drawarchive.h"
#include "keno/kenoformats.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace tandor28;
using clitest::run;

namespace {

const QString kFeed = testsupport::feedPath("canada28_5.json");

// Interleave 8 8 6, block 7 1 0 (the hand-computed vector of the scheme test).
const QStringList kNumbers = QString::fromLatin1(testsupport::kenoExampleNumbersText(" ")).split(u' ');

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// An archive of 10,001 Lucky 28 draws, one every five minutes.
QString archiveOf10001(const QString& path)
{
    ArchiveOpening opening = DrawArchive::open(path);
    if (!opening.archive)
        return {};
    std::vector<DatedDraw> draws;
    const QDateTime first(QDate(2026, 1, 1), QTime(9, 5));
    for (qint64 i = 0; i < 10001; ++i)
        draws.push_back({3000000 + i, first.addSecs(i * 300), int(i % 10), int(i / 10 % 10), int(i / 100 % 10), {}});
    if (opening.archive->addDraws(LotteryKind::Lucky28, draws, QStringLiteral("test")).added != 10001)
        return {};
    return path;
}

} // namespace

class TestCliArchive : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void derive_data();
    void derive();
    void importExportGaps();
    void importKeno_data();
    void importKeno();
    void badArguments_data();
    void badArguments();
    void damagedArchive_data();
    void damagedArchive();
    void checkOfASoundArchive();
    void importRefusesAbsurdIssues();

private:
    QTemporaryDir m_dir;
};

void TestCliArchive::initTestCase()
{
    testsupport::setLocalTimeZone("Asia/Shanghai");
}

void TestCliArchive::cleanupTestCase()
{
    testsupport::unsetLocalTimeZone();
}

void TestCliArchive::derive_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");

    // clang-format off
    QTest::newRow("interleave by default") << QStringList{"derive"} + kNumbers << 0 << "8 + 8 + 6 = 22\n";
    QTest::newRow("interleave")            << QStringList{"derive", "--scheme", "interleave"} + kNumbers << 0 << "8 + 8 + 6 = 22\n";
    QTest::newRow("block")                 << QStringList{"derive", "--scheme", "block"} + kNumbers << 0 << "7 + 1 + 0 = 08\n";
    QTest::newRow("21st dropped")          << QStringList{"derive", "--scheme", "block"} + kNumbers + QStringList{"1"} << 0 << "7 + 1 + 0 = 08\n";
    QTest::newRow("19 numbers")            << QStringList{"derive"} + kNumbers.mid(1) << 2 << "";
    QTest::newRow("81")                    << QStringList{"derive"} + kNumbers.mid(1) + QStringList{"81"} << 2 << "";
    QTest::newRow("duplicate")             << QStringList{"derive"} + kNumbers.mid(1) + QStringList{"3"} << 2 << "";
    QTest::newRow("not a number")          << QStringList{"derive"} + kNumbers.mid(1) + QStringList{"x"} << 2 << "";
    QTest::newRow("unknown scheme")        << QStringList{"derive", "--scheme", "blocks"} + kNumbers << 2 << "";
    // clang-format on
}

void TestCliArchive::derive()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, out);
    const clitest::CliRun result = run(arguments);
    QCOMPARE(result.status, status);
    QCOMPARE(result.out, out);
    QCOMPARE(result.err.isEmpty(), status == 0);
}

void TestCliArchive::importExportGaps()
{
    const QString db = m_dir.filePath(QStringLiteral("feed.sqlite3"));
    const QStringList import{"archive", "import", "--db", db, "--lottery", "canada28", "--file", kFeed};
    QCOMPARE(run(import).out, QStringLiteral("added 5 known 0 conflicts 0\n"));
    QCOMPARE(run(import + QStringList{"--format", "feed"}).out, QStringLiteral("added 0 known 5 conflicts 0\n"));

    const clitest::CliRun exported = run({"archive", "export", "--db", db, "--lottery", "canada28"});
    QCOMPARE(exported.status, 0);
    QCOMPARE(exported.out, QStringLiteral("issue,date,time,d1,d2,d3,sum\n"
                                          "2990116,2025-10-14,11:53,0,6,8,14\n"
                                          "2990117,2025-10-14,11:56,7,4,3,14\n"
                                          "2990118,2025-10-14,11:59,8,2,0,10\n"
                                          "2990119,2025-10-14,12:02,1,2,6,9\n"
                                          "2990120,2025-10-14,12:05,0,0,1,1\n"));
    QCOMPARE(run({"archive", "export", "--db", db, "--lottery", "lucky28"}).out,
             QStringLiteral("issue,date,time,d1,d2,d3,sum\n"));
    QCOMPARE(run({"archive", "gaps", "--db", db, "--lottery", "canada28"}).out, QString());

    // A Keno page with an issue beyond the feed's leaves a gap; one with other digits is a conflict.
    const QByteArray keno = "[{\"drawNbr\": 2990125, \"drawDate\": \"Oct 13, 2025\", \"drawTime\": \"09:20:00 PM\", "
                            "\"drawNbrs\": [" +
                            kNumbers.join(u',').toLatin1() +
                            "]},"
                            "{\"drawNbr\": 2990120, \"drawDate\": \"Oct 13, 2025\", \"drawTime\": \"09:05:00 PM\", "
                            "\"drawNbrs\": [" +
                            kNumbers.join(u',').toLatin1() + "]}]";
    const QString kenoFile = m_dir.filePath(QStringLiteral("page.json"));
    writeFile(kenoFile, keno);
    QCOMPARE(
        run({"archive", "import", "--db", db, "--lottery", "canada28", "--file", kenoFile, "--format", "keno-json"})
            .out,
        QStringLiteral("added 1 known 0 conflicts 1\n"));
    QCOMPARE(run({"archive", "gaps", "--db", db, "--lottery", "canada28"}).out,
             QStringLiteral("2990121\t2990124\t4\n"));
}

void TestCliArchive::importKeno_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("scheme");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("line");

    const QByteArray json = "[" +
                            testsupport::kenoJsonRecord("3463830", "Jul 31, 2026", "03:56:30 AM",
                                                        testsupport::kenoExampleNumbersText(",")) +
                            "]";
    const QByteArray csv =
        testsupport::kenoCsvHeader() +
        testsupport::kenoCsvRow("3463830", "2026-07-31 03:56:30", testsupport::kenoExampleNumbersText(","));

    // clang-format off
    QTest::newRow("keno-json interleave") << "keno-json" << "interleave" << json << "3463830,2026-07-31,18:56,8,8,6,22";
    QTest::newRow("keno-json block")      << "keno-json" << "block" << json << "3463830,2026-07-31,18:56,7,1,0,8";
    QTest::newRow("keno-csv plain")       << "keno-csv" << "interleave" << csv << "3463830,2026-07-31,18:56,8,8,6,22";
    QTest::newRow("keno-csv zipped")      << "keno-csv" << "block" << zipOneFile(QStringLiteral("KenoCurrentYear.csv"), csv) << "3463830,2026-07-31,18:56,7,1,0,8";
    // clang-format on
}

void TestCliArchive::importKeno()
{
    QFETCH(QString, format);
    QFETCH(QString, scheme);
    QFETCH(QByteArray, body);
    QFETCH(QString, line);
    const QString db = m_dir.filePath(QStringLiteral("keno-%1-%2.sqlite3").arg(format, scheme));
    const QString file = m_dir.filePath(QStringLiteral("body-%1-%2").arg(format, scheme));
    writeFile(file, body);
    const clitest::CliRun imported = run({"archive", "import", "--db", db, "--lottery", "canada28", "--file", file,
                                          "--format", format, "--scheme", scheme});
    QCOMPARE(imported.status, 0);
    QCOMPARE(imported.out, QStringLiteral("added 1 known 0 conflicts 0\n"));
    QCOMPARE(run({"archive", "export", "--db", db, "--lottery", "canada28"}).lines.value(1), line);
}

void TestCliArchive::badArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("err");

    const QString db = m_dir.filePath(QStringLiteral("bad.sqlite3"));
    const QString garbage = m_dir.filePath(QStringLiteral("garbage.json"));
    writeFile(garbage, "<html>not a feed</html>");
    // clang-format off
    QTest::newRow("no action")       << QStringList{"archive"} << 2 << "archive needs import, export, gaps or check\n";
    QTest::newRow("no db")           << QStringList{"archive", "gaps", "--lottery", "canada28"} << 2 << "give --db PATH\n";
    QTest::newRow("bad lottery")     << QStringList{"archive", "export", "--db", db, "--lottery", "keno"} << 2 << "--lottery must be lucky28 or canada28\n";
    QTest::newRow("bad format")      << QStringList{"archive", "import", "--db", db, "--lottery", "canada28", "--file", kFeed, "--format", "xml"} << 2 << "--format must be feed, keno-json or keno-csv\n";
    QTest::newRow("no feed")         << QStringList{"archive", "import", "--db", db, "--lottery", "canada28"} << 2 << "give either --url URL or --file PATH\n";
    QTest::newRow("nothing in feed") << QStringList{"archive", "import", "--db", db, "--lottery", "canada28", "--file", garbage} << 3 << "no draws to import\n";
    QTest::newRow("keno garbage")    << QStringList{"archive", "import", "--db", db, "--lottery", "canada28", "--file", garbage, "--format", "keno-json"} << 3 << "illegal value\nno draws to import\n";
    // clang-format on
}

void TestCliArchive::badArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, err);
    const clitest::CliRun result = run(arguments);
    QCOMPARE(result.status, status);
    QCOMPARE(result.err, err);
    QVERIFY(result.out.isEmpty());
}

void TestCliArchive::damagedArchive_data()
{
    QTest::addColumn<QStringList>("arguments");
    // clang-format off
    QTest::newRow("missed")   << QStringList{"missed", "--lottery", "lucky28"};
    QTest::newRow("hotcold")  << QStringList{"hotcold", "--lottery", "lucky28", "--last", "10000"};
    QTest::newRow("backtest") << QStringList{"backtest", "--lottery", "lucky28", "--tab", "member", "--plan", "1", "--bet", "1"};
    QTest::newRow("export")   << QStringList{"archive", "export", "--lottery", "lucky28"};
    QTest::newRow("gaps")     << QStringList{"archive", "gaps", "--lottery", "lucky28"};
    QTest::newRow("check")    << QStringList{"archive", "check"};
    // clang-format on
}

void TestCliArchive::damagedArchive()
{
    QFETCH(QStringList, arguments);
    QTemporaryDir dir;
    const QString db = archiveOf10001(dir.filePath(QStringLiteral("draws.sqlite3")));
    QVERIFY(!db.isEmpty());
    QVERIFY(!QFile::exists(db + QStringLiteral("-wal")));
    // One page in the middle of the file overwritten with random bytes, as a failing disk leaves it.
    QFile file(db);
    QVERIFY(file.open(QIODevice::ReadWrite));
    const qint64 pages = file.size() / 4096;
    QVERIFY(pages > 20);
    QByteArray noise(4096, Qt::Uninitialized);
    QRandomGenerator random(28);
    for (char& byte : noise)
        byte = char(random.bounded(256));
    // A leaf page that a valid page type would hide is no damage SQLite can see: none of those.
    noise[0] = char(0x71);
    QVERIFY(file.seek(pages / 2 * 4096));
    QCOMPARE(file.write(noise), qint64(noise.size()));
    file.close();

    const clitest::CliRun result = run(arguments + QStringList{"--db", db});
    QVERIFY2(result.status != 0, qPrintable(result.out.left(200)));
    const QString said = result.err + result.out;
    QVERIFY2(said.contains(QLatin1String("damaged")) || said.contains(QLatin1String("Page")) ||
                 said.contains(QLatin1String("corrupt")),
             qPrintable(said.left(300)));
    // The damaged file is still where it was, for the user to examine or restore.
    QVERIFY(QFile::exists(db));
    QVERIFY(QDir(dir.path()).entryList({QStringLiteral("*.corrupt-*")}).isEmpty());
}

void TestCliArchive::checkOfASoundArchive()
{
    QTemporaryDir dir;
    const QString db = archiveOf10001(dir.filePath(QStringLiteral("draws.sqlite3")));
    QVERIFY(!db.isEmpty());
    const clitest::CliRun sound = run({"archive", "check", "--db", db});
    QCOMPARE(sound.status, 0);
    QCOMPARE(sound.out, QStringLiteral("ok\n"));
    const clitest::CliRun missing = run({"archive", "check", "--db", dir.filePath(QStringLiteral("none.sqlite3"))});
    QCOMPARE(missing.status, 2);
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("none.sqlite3"))));
}

void TestCliArchive::importRefusesAbsurdIssues()
{
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("draws.sqlite3"));
    const QDateTime newest(QDate(2026, 7, 31), QTime(12, 5));
    std::vector<testsupport::FeedDraw> draws;
    for (int i = 0; i < 20; ++i)
        draws.push_back({3000000 - i, newest.addSecs(-300 * i), i % 10, 1, 2});
    draws[0].issue = 9000000000000000000;
    const QString feed = dir.filePath(QStringLiteral("lucky28.txt"));
    writeFile(feed, testsupport::feedBody(LotteryKind::Lucky28, draws));
    const clitest::CliRun result = run({"archive", "import", "--db", db, "--lottery", "lucky28", "--file", feed});
    QCOMPARE(result.status, 0);
    QVERIFY2(result.err.contains(QStringLiteral("9000000000000000000")), qPrintable(result.err));
    QCOMPARE(result.out, QStringLiteral("added 19 known 0 conflicts 0\n"));
    const ArchiveOpening opening = DrawArchive::open(db);
    QCOMPARE(opening.archive->newestIssue(LotteryKind::Lucky28), std::optional<qint64>(2999999));
}

QTEST_GUILESS_MAIN(TestCliArchive)
#include "tst_cli_archive.moc"
