#include "archive/drawarchive.h"
#include "archive/kenoimport.h"
#include "keno/kenoformats.h"

#include "fixtures.h"
#include "kenobodies.h"
#include "timezone.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <zip.h>

using namespace tandor28;
using namespace tandor28::testsupport;

namespace {

// The numbers of the shuffled vector of the scheme test: interleave 8 8 6, block 7 1 0.
const QByteArray kNumbers = kenoExampleNumbersText(", ");
const QByteArray kNumbersCsv = kenoExampleNumbersText(",");
const QByteArray kCsvHeader = kenoCsvHeader();

// A zip holding `content` stored without compression, so that its bytes stand in the archive as they are.
QByteArray storedZip(const QByteArray& content)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* target = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_error_fini(&error);
    zip_source_keep(target);
    zip_t* archive = zip_open_from_source(target, ZIP_TRUNCATE, nullptr);
    zip_source_t* entry = zip_source_buffer(archive, content.constData(), static_cast<zip_uint64_t>(content.size()), 0);
    const zip_int64_t index = zip_file_add(archive, "KenoCurrentYear.csv", entry, ZIP_FL_OVERWRITE);
    zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
    QByteArray result;
    if (zip_close(archive) == 0 && zip_source_open(target) == 0) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_source_stat(target, &stat) == 0) {
            result.resize(static_cast<qsizetype>(stat.size));
            if (zip_source_read(target, result.data(), stat.size) != static_cast<zip_int64_t>(stat.size))
                result.clear();
        }
        zip_source_close(target);
    }
    zip_source_free(target);
    return result;
}

} // namespace

Q_DECLARE_METATYPE(tandor28::KenoScheme)

class TestKenoFormats : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void json_data();
    void json();
    void csv_data();
    void csv();
    void zipped();
    void forms_data();
    void forms();
    void notUnderstood_data();
    void notUnderstood();
    void clockChanges_data();
    void clockChanges();
    void inBlocks_data();
    void inBlocks();
    void streamedFile();
    void badZip_data();
    void badZip();
    void zipBoundsAndCrc_data();
    void zipBoundsAndCrc();
    void badCrcImportKeepsNothing();
};

void TestKenoFormats::initTestCase()
{
    // Local time is Shanghai's (UTC+8, no daylight saving): Vancouver summer times move by 15 hours.
    setLocalTimeZone("Asia/Shanghai");
}

void TestKenoFormats::cleanupTestCase()
{
    unsetLocalTimeZone();
}

void TestKenoFormats::json_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<KenoScheme>("scheme");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<QStringList>("draws");
    QTest::addColumn<int>("rejected");

    const QByteArray good = kenoJsonRecord("3463830", "Jul 31, 2026", "03:56:30 AM", kNumbers);
    const QByteArray pm = kenoJsonRecord("3463831", "Jul 31, 2026", "04:00:00 PM", kNumbers);
    const QByteArray twentyOne =
        kenoJsonRecord("3463832", "Dec 1, 2026", "12:03:30 AM",
                       "1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 80");
    const QByteArray short19 = kenoJsonRecord("3463833", "Jul 31, 2026", "03:56:30 AM",
                                              "1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19");
    const QByteArray text =
        kenoJsonRecord("\"3463834\"", "Jul 31, 2026", "03:56:30 AM",
                       "\"44\", 3, 80, 26, 61, 12, 73, 33, 7, 58, 22, 47, 15, 77, 40, 66, 18, 52, 31, 70");
    const QByteArray badDate = kenoJsonRecord("3463835", "Jul 32, 2026", "03:56:30 AM", kNumbers);
    const QByteArray fraction =
        kenoJsonRecord("3463836", "Jul 31, 2026", "03:56:30 AM",
                       "44.5, 3, 80, 26, 61, 12, 73, 33, 7, 58, 22, 47, 15, 77, 40, 66, 18, 52, 31, 70");
    // Found by the fuzzer: converting such a number to an integer before checking its range was undefined.
    const QByteArray huge =
        kenoJsonRecord("3463837", "Jul 31, 2026", "03:56:30 AM",
                       "44, 3, 80, 26, 61, 12, 4e30, 33, 7, 58, 22, 47, 15, 77, 40, 66, 18, 52, 31, 70");

    // clang-format off
    QTest::newRow("one draw, interleave")    << "[" + good + "]" << KenoScheme::Interleave << true << QStringList{"3463830 2026-07-31 18:56:30 886"} << 0;
    QTest::newRow("one draw, block")         << "[" + good + "]" << KenoScheme::Block << true << QStringList{"3463830 2026-07-31 18:56:30 710"} << 0;
    QTest::newRow("afternoon, next day here") << "[" + pm + "," + good + "]" << KenoScheme::Interleave << true << QStringList{"3463831 2026-08-01 07:00:00 886", "3463830 2026-07-31 18:56:30 886"} << 0;
    QTest::newRow("21 numbers, winter")      << "[" + twentyOne + "]" << KenoScheme::Interleave << true << QStringList{"3463832 2026-12-01 16:03:30 739"} << 0;
    QTest::newRow("numbers as texts")        << "[" + text + "]" << KenoScheme::Interleave << true << QStringList{"3463834 2026-07-31 18:56:30 886"} << 0;
    QTest::newRow("19 numbers rejected")     << "[" + short19 + "," + good + "]" << KenoScheme::Interleave << true << QStringList{"3463830 2026-07-31 18:56:30 886"} << 1;
    QTest::newRow("bad date rejected")       << "[" + badDate + "," + good + "]" << KenoScheme::Interleave << true << QStringList{"3463830 2026-07-31 18:56:30 886"} << 1;
    QTest::newRow("fraction rejected")       << "[" + fraction + "]" << KenoScheme::Interleave << true << QStringList{} << 1;
    QTest::newRow("number past any integer rejected") << "[" + huge + "]" << KenoScheme::Interleave << true << QStringList{} << 1;
    QTest::newRow("no draw number")          << QByteArray("[{\"drawDate\": \"Jul 31, 2026\"}, 5]") << KenoScheme::Interleave << true << QStringList{} << 2;
    QTest::newRow("empty array")             << QByteArray("[]") << KenoScheme::Interleave << true << QStringList{} << 0;
    QTest::newRow("object without draws")    << "{\"results\": [" + good + "]}" << KenoScheme::Interleave << false << QStringList{} << 0;
    QTest::newRow("draws not a list")        << QByteArray("{\"draws\": 5}") << KenoScheme::Interleave << false << QStringList{} << 0;
    QTest::newRow("cut body")                << "[" + good.left(40) << KenoScheme::Interleave << false << QStringList{} << 0;
    QTest::newRow("described feed body")     << QByteArray("{\"issue\":\"1\",\"date\":\"2025-10-14 12:05\"}") << KenoScheme::Interleave << false << QStringList{} << 0;
    // clang-format on
}

void TestKenoFormats::json()
{
    QFETCH(QByteArray, body);
    QFETCH(KenoScheme, scheme);
    QFETCH(bool, readable);
    QFETCH(QStringList, draws);
    QFETCH(int, rejected);
    const KenoRead read = parseKenoJson(body, scheme);
    QCOMPARE(read.readable, readable);
    QCOMPARE(datedDrawLines(read.draws), draws);
    QCOMPARE(read.rejected, rejected);
    QCOMPARE(read.problem.isEmpty(), readable && rejected == 0);
    for (const DatedDraw& draw : read.draws)
        QCOMPARE(draw.numbers.size(), std::size_t(20));
}

void TestKenoFormats::csv_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<QStringList>("draws");
    QTest::addColumn<int>("rejected");

    const QByteArray row = kenoCsvRow("3463830", "2026-07-31 03:56:30", kNumbersCsv);
    const QByteArray winter =
        kenoCsvRow("3463831", "2026-01-02 23:59:00", "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20");
    const QByteArray duplicate =
        kenoCsvRow("3463832", "2026-07-31 04:00:00", "1,1,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20");
    const QByteArray missing =
        kenoCsvRow("3463833", "2026-07-31 04:00:00", "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19");
    const QByteArray badStamp = kenoCsvRow("3463834", "31/07/2026 04:00", kNumbersCsv);
    const QByteArray outside =
        kenoCsvRow("3463835", "2026-07-31 04:00:00", "-5,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,99");
    QByteArray unquotedHeader = QByteArray(kCsvHeader).replace("\"", "");
    QByteArray reordered = "DRAW DATE,DRAW NUMBER";
    for (int i = 20; i >= 1; --i)
        reordered += ",NUMBER DRAWN " + QByteArray::number(i);
    reordered += "\n2026-07-31 03:56:30,77";
    for (int i = 20; i >= 1; --i)
        reordered += "," + QByteArray::number(i);
    reordered += "\n";

    // clang-format off
    QTest::newRow("one row")                 << kCsvHeader + row << true << QStringList{"3463830 2026-07-31 18:56:30 886"} << 0;
    QTest::newRow("winter row, next day")    << kCsvHeader + winter + row << true << QStringList{"3463831 2026-01-03 15:59:00 739", "3463830 2026-07-31 18:56:30 886"} << 0;
    QTest::newRow("LF only, unquoted header") << unquotedHeader.replace("\r\n", "\n") + QByteArray(row).replace("\r\n", "\n") << true << QStringList{"3463830 2026-07-31 18:56:30 886"} << 0;
    QTest::newRow("columns in another order") << reordered << true << QStringList{"77 2026-07-31 18:56:30 739"} << 0;
    QTest::newRow("duplicate rejected")      << kCsvHeader + duplicate + row << true << QStringList{"3463830 2026-07-31 18:56:30 886"} << 1;
    QTest::newRow("19 numbers rejected")     << kCsvHeader + missing + row << true << QStringList{"3463830 2026-07-31 18:56:30 886"} << 1;
    QTest::newRow("bad date rejected")       << kCsvHeader + badStamp << true << QStringList{} << 1;
    QTest::newRow("numbers outside 1 to 80") << kCsvHeader + outside + row << true << QStringList{"3463830 2026-07-31 18:56:30 886"} << 1;
    QTest::newRow("garbage row rejected")    << kCsvHeader + "\"KENO\",abc,\"x\"\r\n" + row << true << QStringList{"3463830 2026-07-31 18:56:30 886"} << 1;
    QTest::newRow("header only")             << kCsvHeader << true << QStringList{} << 0;
    QTest::newRow("no header")               << row << false << QStringList{} << 0;
    QTest::newRow("empty")                   << QByteArray() << false << QStringList{} << 0;
    // clang-format on
}

void TestKenoFormats::csv()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, readable);
    QFETCH(QStringList, draws);
    QFETCH(int, rejected);
    const KenoRead read = parseKenoCsv(text, KenoScheme::Interleave);
    QCOMPARE(read.readable, readable);
    QCOMPARE(datedDrawLines(read.draws), draws);
    QCOMPARE(read.rejected, rejected);
    // The same text as published, zipped, reads the same.
    const KenoRead zipped =
        parseKenoCsvBody(zipOneFile(QStringLiteral("KenoCurrentYear.csv"), text), KenoScheme::Interleave);
    QCOMPARE(datedDrawLines(zipped.draws), draws);
    QCOMPARE(zipped.rejected, rejected);
}

void TestKenoFormats::zipped()
{
    const QByteArray text = kCsvHeader + kenoCsvRow("3463830", "2026-07-31 03:56:30", kNumbersCsv);
    const QByteArray zip = zipOneFile(QStringLiteral("KenoCurrentYear.csv"), text);
    QVERIFY(zip.startsWith("PK\x03\x04"));
    QCOMPARE(unzipFirstCsv(zip).value_or(QByteArray()), text);
    QCOMPARE(datedDrawLines(parseKenoCsvBody(text, KenoScheme::Block).draws),
             QStringList{"3463830 2026-07-31 18:56:30 710"});
}

void TestKenoFormats::forms_data()
{
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<int>("skipped");
    // clang-format off
    QTest::newRow("JSON, bare list")            << "plain.json" << 0;
    QTest::newRow("JSON, list under draws")     << "under-draws.json" << 0;
    QTest::newRow("JSON, numbers as texts")     << "number-texts.json" << 0;
    QTest::newRow("JSON, one-digit day")        << "one-digit-day.json" << 0;
    QTest::newRow("JSON, time without seconds") << "no-seconds.json" << 0;
    QTest::newRow("JSON, extra fields")         << "extra-fields.json" << 0;
    QTest::newRow("CSV, plain")                 << "plain.csv" << 0;
    QTest::newRow("CSV, other products")        << "other-products.csv" << 2;
    QTest::newRow("CSV, separate DRAW TIME")    << "date-and-time.csv" << 0;
    QTest::newRow("CSV, spreadsheet dates")     << "spreadsheet-dates.csv" << 0;
    QTest::newRow("CSV, CR LF")                 << "crlf.csv" << 0;
    QTest::newRow("CSV, byte-order mark")       << "bom.csv" << 0;
    QTest::newRow("zip, CSV second entry")      << "csv-second-entry.zip" << 0;
    // clang-format on
}

// Every form the results service publishes reads to the same three draws as its plain form.
void TestKenoFormats::forms()
{
    QFETCH(QString, fixture);
    QFETCH(int, skipped);
    QFile file(fixturePath(QStringLiteral("keno/") + fixture));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    const QByteArray body = file.readAll();
    const KenoRead read = fixture.endsWith(QLatin1String(".json")) ? parseKenoJson(body, KenoScheme::Interleave)
                                                                   : parseKenoCsvBody(body, KenoScheme::Interleave);
    QVERIFY2(read.readable, qPrintable(read.problem));
    const QStringList want{"3501003 2026-12-10 12:07:00 374", "3501002 2026-12-10 12:00:00 659",
                           "3501001 2026-12-10 11:53:00 455"};
    QCOMPARE(datedDrawLines(read.draws), want);
    QCOMPARE(read.rejected, 0);
    QCOMPARE(read.skipped, skipped);
    QCOMPARE(read.problem, QString());
}

void TestKenoFormats::notUnderstood_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("json");
    QTest::addColumn<QString>("problem");
    // clang-format off
    QTest::newRow("JSON object of another shape") << QByteArray("{\"result\": \"ok\"}") << true << "neither a list of draws nor an object holding one under \"draws\"";
    QTest::newRow("JSON cut short")               << QByteArray("[{\"drawNbr\": 1") << true << "invalid termination by number";
    QTest::newRow("JSON date of another form")    << kenoJsonRecord("7", "2026-12-09", "08:07:00 PM", kNumbers).prepend('[').append(']') << true << "draw 7: unreadable date or time";
    QTest::newRow("CSV of other products only")   << kCsvHeader + "LOTTO MAX,4012,2026-12-08 20:30:00,1,2,3\r\n" << false << "no KENO rows (1 rows of other products skipped)";
    QTest::newRow("CSV slashed date, no marker")  << kCsvHeader + kenoCsvRow("7", "12/09/2026 20:07:00", kNumbersCsv) << false << "draw 7: unreadable date";
    QTest::newRow("CSV header of another file")   << QByteArray("DATE,NUMBERS\r\n2026-12-09,1 2 3\r\n") << false << "CSV header without DRAW NUMBER, DRAW DATE and NUMBER DRAWN 1 to 20";
    // clang-format on
}

// A form that is not understood says why; it never reads as a document without draws.
void TestKenoFormats::notUnderstood()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, json);
    QFETCH(QString, problem);
    const KenoRead read =
        json ? parseKenoJson(body, KenoScheme::Interleave) : parseKenoCsvBody(body, KenoScheme::Interleave);
    QVERIFY(read.draws.empty());
    QCOMPARE(read.problem, problem);
}

void TestKenoFormats::clockChanges_data()
{
    QTest::addColumn<QByteArray>("rows");
    QTest::addColumn<QStringList>("draws");
    QTest::addColumn<QString>("problem");

    const auto row = [](const char* issue, const char* stamp) { return kenoCsvRow(issue, stamp, kNumbersCsv); };
    const QByteArray autumn = row("100", "2026-11-01 01:50:00") + row("101", "2026-11-01 01:54:00") +
                              row("102", "2026-11-01 01:01:00") + row("103", "2026-11-01 01:05:00");
    const QByteArray autumnNewestFirst = row("104", "2026-11-01 02:03:00") + row("103", "2026-11-01 01:05:00") +
                                         row("102", "2026-11-01 01:01:00") + row("101", "2026-11-01 01:54:00") +
                                         row("100", "2026-11-01 01:50:00");
    const QByteArray spring =
        row("100", "2026-03-08 01:58:00") + row("101", "2026-03-08 02:02:00") + row("102", "2026-03-08 03:05:00");
    // Shanghai is UTC+8; the autumn hour's first pass is UTC-7, its second UTC-8.
    // clang-format off
    QTest::newRow("autumn, oldest first") << autumn << QStringList{"100 2026-11-01 16:50:00 886", "101 2026-11-01 16:54:00 886", "102 2026-11-01 17:01:00 886", "103 2026-11-01 17:05:00 886"} << "";
    QTest::newRow("autumn, newest first") << autumnNewestFirst << QStringList{"104 2026-11-01 18:03:00 886", "103 2026-11-01 17:05:00 886", "102 2026-11-01 17:01:00 886", "101 2026-11-01 16:54:00 886", "100 2026-11-01 16:50:00 886"} << "";
    QTest::newRow("spring gap refused")   << spring << QStringList{"100 2026-03-08 17:58:00 886", "102 2026-03-08 18:05:00 886"} << "draw 101: 2026-03-08 02:02:00 does not exist in Vancouver: the clocks skip that hour in spring";
    // clang-format on
}

// Draw numbers and moments stay in the same order across the autumn hour that comes twice; a time
// the spring change skips is no draw's.
void TestKenoFormats::clockChanges()
{
    QFETCH(QByteArray, rows);
    QFETCH(QStringList, draws);
    QFETCH(QString, problem);
    const KenoRead read = parseKenoCsv(kCsvHeader + rows, KenoScheme::Interleave);
    QCOMPARE(datedDrawLines(read.draws), draws);
    QCOMPARE(read.problem, problem);
    QCOMPARE(read.rejected, problem.isEmpty() ? 0 : 1);
}

void TestKenoFormats::inBlocks_data()
{
    QTest::addColumn<int>("blockSize");
    // clang-format off
    QTest::newRow("one byte")        << 1;
    QTest::newRow("three bytes")     << 3;
    QTest::newRow("a row and a bit") << 97;
    QTest::newRow("whole")           << (1 << 20);
    // clang-format on
}

// However the bytes are cut into blocks, the reader gives the draws and the tally of the whole text,
// a byte-order mark, CR LF ends, a bad row and a last line without its end included.
void TestKenoFormats::inBlocks()
{
    QFETCH(int, blockSize);
    QByteArray text = "\xEF\xBB\xBF" + kCsvHeader + kenoCsvRow("3463830", "2026-07-31 03:56:30", kNumbersCsv) +
                      kenoCsvRow("3463831", "2026-07-31 04:00:00", kNumbersCsv) +
                      kenoCsvRow("3463832", "2026-07-31 04:03:30", "1,2,3") +
                      kenoCsvRow("3463833", "2026-07-31 04:07:00", kNumbersCsv);
    text.chop(2);
    std::vector<KenoCsvDraw> draws;
    KenoCsvReader reader(KenoScheme::Interleave, [&draws](const KenoCsvDraw& draw) {
        draws.push_back(draw);
        return true;
    });
    for (qsizetype at = 0; at < text.size(); at += blockSize)
        QVERIFY(reader.feed(QByteArrayView(text).sliced(at, std::min<qsizetype>(blockSize, text.size() - at))));
    const KenoCsvTally tally = reader.finish();
    QVERIFY(tally.readable);
    QCOMPARE(tally.draws, 3);
    QCOMPARE(tally.rejected, 1);
    QCOMPARE(tally.problem, QStringLiteral("draw 3463832: a number is no integer"));
    QCOMPARE(draws.size(), std::size_t(3));
    QCOMPARE(draws.back().issue, 3463833);
    QCOMPARE(draws.back().drawnUtc, QDateTime(QDate(2026, 7, 31), QTime(11, 7), Qt::UTC).toSecsSinceEpoch());
    QCOMPARE(draws.back().digits, (std::array<int, 3>{8, 8, 6}));
    QCOMPARE(draws.back().numbers,
             (std::array<int, 20>{3, 7, 12, 15, 18, 22, 26, 31, 33, 40, 44, 47, 52, 58, 61, 66, 70, 73, 77, 80}));
}

// A zipped CSV on disk streams to the draws its body gives.
void TestKenoFormats::streamedFile()
{
    const QByteArray text = kCsvHeader + kenoCsvRow("3463830", "2026-07-31 03:56:30", kNumbersCsv) +
                            kenoCsvRow("3463831", "2026-07-31 04:00:00", kNumbersCsv);
    QTemporaryDir dir;
    for (const bool zipped : {false, true}) {
        const QString path = dir.filePath(zipped ? QStringLiteral("year.zip") : QStringLiteral("year.csv"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(zipped ? zipOneFile(QStringLiteral("KenoCurrentYear.csv"), text) : text);
        file.close();
        std::vector<qint64> issues;
        const KenoCsvTally tally = streamKenoCsvFile(path, KenoScheme::Block, [&issues](const KenoCsvDraw& draw) {
            issues.push_back(draw.issue);
            return draw.digits == std::array<int, 3>{7, 1, 0};
        });
        QCOMPARE(tally.draws, 2);
        QCOMPARE(tally.problem, QString());
        QCOMPARE(issues, (std::vector<qint64>{3463830, 3463831}));
    }
    const KenoCsvTally missing = streamKenoCsvFile(dir.filePath(QStringLiteral("none.csv")), KenoScheme::Block,
                                                   [](const KenoCsvDraw&) { return true; });
    QVERIFY(missing.problem.startsWith(QStringLiteral("cannot read ")));
}

void TestKenoFormats::badZip_data()
{
    QTest::addColumn<QByteArray>("body");
    const QByteArray zip = zipOneFile(QStringLiteral("KenoCurrentYear.csv"),
                                      kCsvHeader + kenoCsvRow("1", "2026-07-31 03:56:30", kNumbersCsv));
    QTest::newRow("zip cut in half") << zip.left(zip.size() / 2);
    QTest::newRow("zip signature only") << QByteArray("PK\x03\x04", 4);
    QByteArray damaged = zip;
    damaged[damaged.size() / 2] = char(damaged[damaged.size() / 2] ^ 0x5a);
    damaged[damaged.size() / 2 + 1] = char(damaged[damaged.size() / 2 + 1] ^ 0x5a);
    QTest::newRow("zip with damaged data") << damaged;
}

void TestKenoFormats::badZip()
{
    QFETCH(QByteArray, body);
    const KenoRead read = parseKenoCsvBody(body, KenoScheme::Interleave);
    QVERIFY(read.draws.empty());
    QVERIFY(!read.problem.isEmpty());
}

void TestKenoFormats::zipBoundsAndCrc_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("reason");
    const QByteArray row = kenoCsvRow("3463830", "2026-07-31 03:56:30", kNumbersCsv);
    // A plain CSV grows row by row to just over 64 MiB: too large, whatever its compression.
    QByteArray large = kCsvHeader;
    large.reserve(kMaxZipEntryBytes + row.size() + 1);
    while (static_cast<unsigned long long>(large.size()) <= kMaxZipEntryBytes)
        large += row;
    const QByteArray stored = storedZip(kCsvHeader + row);
    QVERIFY(!stored.isEmpty());
    QByteArray wrongDigit = stored;
    // One digit of the stored numbers changed, as a bit flipped on the way would: the CRC no longer fits.
    const qsizetype numbers = wrongDigit.indexOf(kNumbersCsv);
    QVERIFY(numbers > 0);
    const qsizetype digit = numbers + kNumbersCsv.size() - 1;
    wrongDigit[digit] = wrongDigit[digit] == '0' ? '1' : '0';

    // clang-format off
    QTest::newRow("entry over 64 MiB")             << zipOneFile(QStringLiteral("KenoCurrentYear.csv"), large) << "larger than 64 MiB";
    QTest::newRow("entry inflating 1000 times")    << zipOneFile(QStringLiteral("KenoCurrentYear.csv"), QByteArray(8 * 1024 * 1024, '0')) << "inflates more than 100 times";
    QTest::newRow("stored entry with a bad CRC")   << wrongDigit << "CRC";
    // clang-format on
}

void TestKenoFormats::zipBoundsAndCrc()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, reason);
    QVERIFY(body.startsWith("PK\x03\x04"));
    QString why;
    QVERIFY(!unzipFirstCsv(body, &why));
    QVERIFY2(why.contains(reason), qPrintable(why));
    const KenoRead read = parseKenoCsvBody(body, KenoScheme::Interleave);
    QVERIFY(read.draws.empty());
    QVERIFY2(read.problem.contains(reason), qPrintable(read.problem));
}

void TestKenoFormats::badCrcImportKeepsNothing()
{
    // The streaming import learns of the bad CRC only at the end of the entry, after its draws were
    // read: none of them is kept.
    QByteArray zip = storedZip(kCsvHeader + kenoCsvRow("3463830", "2026-07-31 03:56:30", kNumbersCsv) +
                               kenoCsvRow("3463831", "2026-07-31 04:00:00", kNumbersCsv));
    const qsizetype digit = zip.lastIndexOf(kNumbersCsv) + kNumbersCsv.size() - 1;
    zip[digit] = zip[digit] == '0' ? '1' : '0';
    QTemporaryDir dir;
    ArchiveOpening opening = DrawArchive::open(dir.filePath(QStringLiteral("draws.sqlite3")));
    QVERIFY(opening.archive);
    const KenoImport import = importKenoCsvBody(*opening.archive, LotteryKind::Canada28Night, zip,
                                                KenoScheme::Interleave, QStringLiteral("test"));
    QVERIFY2(import.read.problem.contains(QLatin1String("CRC")), qPrintable(import.read.problem));
    QVERIFY(!import.add.ok);
    QVERIFY(!import.add.error.isEmpty());
    QCOMPARE(opening.archive->drawCount(LotteryKind::Canada28Night), 0);
}

QTEST_GUILESS_MAIN(TestKenoFormats)
#include "tst_kenoformats.moc"
