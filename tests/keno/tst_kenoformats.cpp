#include "keno/kenoformats.h"

#include <QTest>

#include <ctime>

using namespace tandor28;

// The numbers of the shuffled vector of the scheme test: interleave 8 8 6, block 7 1 0.
static const char* const kNumbers = "44, 3, 80, 26, 61, 12, 73, 33, 7, 58, 22, 47, 15, 77, 40, 66, 18, 52, 31, 70";
static const char* const kNumbersCsv = "44,3,80,26,61,12,73,33,7,58,22,47,15,77,40,66,18,52,31,70";

namespace {

QByteArray jsonRecord(const char* number, const char* date, const char* time, const char* numbers)
{
    return QByteArray("{\"drawNbr\": ") + number + ", \"drawDate\": \"" + date + "\", \"drawTime\": \"" + time +
           "\", \"drawNbrs\": [" + numbers + "], \"drawBonus\": 1.0}";
}

const QByteArray kCsvHeader = "\"PRODUCT\",\"DRAW NUMBER\",\"DRAW DATE\",\"BONUS MULTIPLIER\",\"NUMBER DRAWN 1\","
                              "\"NUMBER DRAWN 2\",\"NUMBER DRAWN 3\",\"NUMBER DRAWN 4\",\"NUMBER DRAWN 5\","
                              "\"NUMBER DRAWN 6\",\"NUMBER DRAWN 7\",\"NUMBER DRAWN 8\",\"NUMBER DRAWN 9\","
                              "\"NUMBER DRAWN 10\",\"NUMBER DRAWN 11\",\"NUMBER DRAWN 12\",\"NUMBER DRAWN 13\","
                              "\"NUMBER DRAWN 14\",\"NUMBER DRAWN 15\",\"NUMBER DRAWN 16\",\"NUMBER DRAWN 17\","
                              "\"NUMBER DRAWN 18\",\"NUMBER DRAWN 19\",\"NUMBER DRAWN 20\"\r\n";

QByteArray csvRow(const char* number, const char* stamp, const char* numbers)
{
    return QByteArray("\"KENO\",") + number + ",\"" + stamp + "\",1," + numbers + "\r\n";
}

// "issue local-time d1d2d3" per draw, for compact comparisons.
QStringList summary(const KenoRead& read)
{
    QStringList lines;
    for (const DatedDraw& draw : read.draws)
        lines << QStringLiteral("%1 %2 %3%4%5")
                     .arg(draw.issue)
                     .arg(draw.drawnAt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
                     .arg(draw.d1)
                     .arg(draw.d2)
                     .arg(draw.d3);
    return lines;
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
    void badZip_data();
    void badZip();
};

void TestKenoFormats::initTestCase()
{
    // Local time is Shanghai's (UTC+8, no daylight saving): Vancouver summer times move by 15 hours.
    qputenv("TZ", "Asia/Shanghai");
    tzset();
}

void TestKenoFormats::cleanupTestCase()
{
    qunsetenv("TZ");
    tzset();
}

void TestKenoFormats::json_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<KenoScheme>("scheme");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<QStringList>("draws");
    QTest::addColumn<int>("rejected");

    const QByteArray good = jsonRecord("3463830", "Jul 31, 2026", "03:56:30 AM", kNumbers);
    const QByteArray pm = jsonRecord("3463831", "Jul 31, 2026", "04:00:00 PM", kNumbers);
    const QByteArray twentyOne =
        jsonRecord("3463832", "Dec 1, 2026", "12:03:30 AM",
                   "1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 80");
    const QByteArray short19 = jsonRecord("3463833", "Jul 31, 2026", "03:56:30 AM",
                                          "1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19");
    const QByteArray text =
        jsonRecord("\"3463834\"", "Jul 31, 2026", "03:56:30 AM",
                   "\"44\", 3, 80, 26, 61, 12, 73, 33, 7, 58, 22, 47, 15, 77, 40, 66, 18, 52, 31, 70");
    const QByteArray badDate = jsonRecord("3463835", "Jul 32, 2026", "03:56:30 AM", kNumbers);
    const QByteArray fraction =
        jsonRecord("3463836", "Jul 31, 2026", "03:56:30 AM",
                   "44.5, 3, 80, 26, 61, 12, 73, 33, 7, 58, 22, 47, 15, 77, 40, 66, 18, 52, 31, 70");
    // Found by the fuzzer: converting such a number to an integer before checking its range was undefined.
    const QByteArray huge =
        jsonRecord("3463837", "Jul 31, 2026", "03:56:30 AM",
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
    QTest::newRow("object, not array")       << "{\"draws\": [" + good + "]}" << KenoScheme::Interleave << false << QStringList{} << 0;
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
    QCOMPARE(summary(read), draws);
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

    const QByteArray row = csvRow("3463830", "2026-07-31 03:56:30", kNumbersCsv);
    const QByteArray winter =
        csvRow("3463831", "2026-01-02 23:59:00", "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20");
    const QByteArray duplicate =
        csvRow("3463832", "2026-07-31 04:00:00", "1,1,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20");
    const QByteArray missing =
        csvRow("3463833", "2026-07-31 04:00:00", "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19");
    const QByteArray badStamp = csvRow("3463834", "31/07/2026 04:00", kNumbersCsv);
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
    QCOMPARE(summary(read), draws);
    QCOMPARE(read.rejected, rejected);
    // The same text as published, zipped, reads the same.
    const KenoRead zipped =
        parseKenoCsvBody(zipOneFile(QStringLiteral("KenoCurrentYear.csv"), text), KenoScheme::Interleave);
    QCOMPARE(summary(zipped), draws);
    QCOMPARE(zipped.rejected, rejected);
}

void TestKenoFormats::zipped()
{
    const QByteArray text = kCsvHeader + csvRow("3463830", "2026-07-31 03:56:30", kNumbersCsv);
    const QByteArray zip = zipOneFile(QStringLiteral("KenoCurrentYear.csv"), text);
    QVERIFY(zip.startsWith("PK\x03\x04"));
    QCOMPARE(unzipFirstCsv(zip).value_or(QByteArray()), text);
    QCOMPARE(summary(parseKenoCsvBody(text, KenoScheme::Block)), QStringList{"3463830 2026-07-31 18:56:30 710"});
}

void TestKenoFormats::badZip_data()
{
    QTest::addColumn<QByteArray>("body");
    const QByteArray zip =
        zipOneFile(QStringLiteral("KenoCurrentYear.csv"), kCsvHeader + csvRow("1", "2026-07-31 03:56:30", kNumbersCsv));
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

QTEST_GUILESS_MAIN(TestKenoFormats)
#include "tst_kenoformats.moc"
