#include "feed/feedparser.h"

#include "fixtures.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

using namespace tandor28;
using namespace tandor28::testsupport;

namespace {

QByteArray luckyLine(int issue, const char* time, const char* digits, const char* sum = "0")
{
    return QByteArray::number(issue) + "-2025-10-14 " + time + "-" + digits + " = " + sum + "\r\n";
}

QByteArray luckyLines(int count, int firstIssue = 100)
{
    QByteArray body;
    for (int i = 0; i < count; ++i)
        body += luckyLine(firstIssue - i, "12:05:00", "1 + 2 + 3", "6");
    return body;
}

QByteArray canadaRecord(int issue, const char* date = "2025-10-14 12:05",
                        const char* digits = R"("1","c2":"2","c3":"3")", const char* c4 = "6")
{
    return QByteArray(R"({"issue":")") + QByteArray::number(issue) + R"(","date":")" + date + R"(","c1":)" + digits +
           R"(,"c4":")" + c4 + R"("})";
}

QByteArray canadaRecords(int count, int firstIssue = 200)
{
    QByteArray body = "[";
    for (int i = 0; i < count; ++i)
        body += (i ? "," : "") + canadaRecord(firstIssue - i);
    return body + "]";
}

} // namespace

Q_DECLARE_METATYPE(tandor28::LotteryKind)

class TestFeedParser : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fixtures_data();
    void fixtures();
    void records_data();
    void records();
    void periodCountSetsTheLength();
    void sameRecordsAsOneSearchOverTheDocument_data();
    void sameRecordsAsOneSearchOverTheDocument();
    void hostileBodiesFinish_data();
    void hostileBodiesFinish();
    void datedRecords_data();
    void datedRecords();
};

void TestFeedParser::fixtures_data()
{
    QTest::addColumn<LotteryKind>("kind");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("realDraws"); // -1: no history
    QTest::addColumn<QString>("newestIssue");
    QTest::addColumn<QString>("newestTime");
    QTest::addColumn<QString>("newestResult");
    QTest::addColumn<QString>("oldestIssue");

    QTest::newRow("lucky28 120 records fill all 110 positions")
        << LotteryKind::Lucky28 << feedBytes("lucky28_120.txt") << 110 << "3255120"
        << "12:05"
        << "1 + 2 + 8 = 11"
        << "3255011";
    QTest::newRow("lucky28 exactly 5 records") << LotteryKind::Lucky28 << feedBytes("lucky28_5.txt") << 5 << "3255120"
                                               << "12:05"
                                               << "1 + 2 + 8 = 11"
                                               << "3255116";
    QTest::newRow("lucky28 4 records change nothing") << LotteryKind::Lucky28 << feedBytes("lucky28_4.txt") << -1 << ""
                                                      << ""
                                                      << ""
                                                      << "";
    QTest::newRow("canada28 120 records fill all 110 positions")
        << LotteryKind::Canada28Night << feedBytes("canada28_120.json") << 110 << "2990120"
        << "12:05"
        << "0 + 0 + 1 = 01"
        << "2990011";
    QTest::newRow("canada28 exactly 5 records")
        << LotteryKind::Canada28Night << feedBytes("canada28_5.json") << 5 << "2990120"
        << "12:05"
        << "0 + 0 + 1 = 01"
        << "2990116";
    QTest::newRow("canada28 4 records change nothing")
        << LotteryKind::Canada28Night << feedBytes("canada28_4.json") << -1 << ""
        << ""
        << ""
        << "";
    QTest::newRow("lucky28 parser on the canada28 feed finds nothing")
        << LotteryKind::Lucky28 << feedBytes("canada28_120.json") << -1 << ""
        << ""
        << ""
        << "";
    QTest::newRow("canada28 parser on the lucky28 feed finds nothing")
        << LotteryKind::Canada28Night << feedBytes("lucky28_120.txt") << -1 << ""
        << ""
        << ""
        << "";
}

void TestFeedParser::fixtures()
{
    QFETCH(LotteryKind, kind);
    QFETCH(QByteArray, body);
    QFETCH(int, realDraws);
    QFETCH(QString, newestIssue);
    QFETCH(QString, newestTime);
    QFETCH(QString, newestResult);
    QFETCH(QString, oldestIssue);

    const std::optional<DrawHistory> history = parseDrawFeed(kind, body);
    if (realDraws < 0) {
        QVERIFY(!history);
        return;
    }
    QVERIFY(history);
    QCOMPARE(history->size(), kHistoryLength);
    QCOMPARE(history->at(1).issue, newestIssue);
    QCOMPARE(history->at(1).time, newestTime);
    QCOMPARE(history->at(1).resultText, newestResult);
    QCOMPARE(history->at(realDraws).issue, oldestIssue);
    for (int position = 1; position <= kHistoryLength; ++position) {
        const Draw& draw = history->at(position);
        QCOMPARE(draw.issue.isEmpty(), position > realDraws);
        if (position > realDraws)
            QCOMPARE(draw, Draw());
        else
            QCOMPARE(draw.sum, draw.d1 + draw.d2 + draw.d3);
    }
    // Newest first, in document order.
    QCOMPARE(history->at(2).issue.toInt(), newestIssue.toInt() - 1);
}

void TestFeedParser::records_data()
{
    QTest::addColumn<LotteryKind>("kind");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("issue");
    QTest::addColumn<QString>("time");
    QTest::addColumn<int>("d1");
    QTest::addColumn<int>("d2");
    QTest::addColumn<int>("d3");
    QTest::addColumn<int>("sum");

    const LotteryKind lucky = LotteryKind::Lucky28;
    const LotteryKind canada = LotteryKind::Canada28Night;

    QTest::newRow("text time from the first five characters")
        << lucky << luckyLine(7, "09:55:00", "4 + 5 + 8", "17") << 1 << "7"
        << "09:55" << 4 << 5 << 8 << 17;
    QTest::newRow("text stated sum ignored") << lucky << luckyLine(7, "12:05:00", "4 + 5 + 8", "99") << 1 << "7"
                                             << "12:05" << 4 << 5 << 8 << 17;
    QTest::newRow("text non-numeric digits read as 0")
        << lucky << luckyLine(7, "12:05:00", "x + 5 + 7y", "12") << 1 << "7"
        << "12:05" << 0 << 5 << 7 << 12;
    QTest::newRow("text digits missing a part") << lucky << luckyLine(7, "12:05:00", "3 + 4", "7") << 1 << "7"
                                                << "12:05" << 3 << 4 << 0 << 7;
    QTest::newRow("text line ending without CR is no record")
        << lucky << QByteArray("7-2025-10-14 12:05:00-1 + 2 + 3 = 6\n") << 0 << ""
        << "" << 0 << 0 << 0 << 0;
    QTest::newRow("text body cut in the middle of a record")
        << lucky << luckyLines(3) + QByteArray("97-2025-10-14 12:0") << 3 << "100"
        << "12:05" << 1 << 2 << 3 << 6;
    QTest::newRow("text records between binary bytes")
        << lucky << QByteArray("\x01\xff\xfe\n", 4) + luckyLines(2) + QByteArray("\x00\x80\x9f\n", 4) << 2 << "100"
        << "12:05" << 1 << 2 << 3 << 6;
    QTest::newRow("text field holding a lone CR and a 0x85 byte")
        << lucky << QByteArray("7\x85-2025\r-10 12:05:00-1 + 2 + 3 = 6\r\n") << 1 << QString::fromLatin1("7\x85")
        << "12:05" << 1 << 2 << 3 << 6;
    QTest::newRow("text upper-case and lower-case alike")
        << lucky << QByteArray("AB-X Y-1 + 2 + 3 = 6\r\n") << 1 << "AB"
        << "Y" << 1 << 2 << 3 << 6;
    QTest::newRow("json time from the last five characters")
        << canada << canadaRecord(9, "2025-10-14 09:55", R"("4","c2":"5","c3":"8")", "17") << 1 << "9"
        << "09:55" << 4 << 5 << 8 << 17;
    QTest::newRow("json stated sum ignored")
        << canada << canadaRecord(9, "2025-10-14 12:05", R"("4","c2":"5","c3":"8")", "3") << 1 << "9"
        << "12:05" << 4 << 5 << 8 << 17;
    QTest::newRow("json non-numeric digits read as 0")
        << canada << canadaRecord(9, "2025-10-14 12:05", R"("","c2":"a","c3":"6")", "6") << 1 << "9"
        << "12:05" << 0 << 0 << 6 << 6;
    QTest::newRow("json upper-case member names match")
        << canada << QByteArray(R"({"ISSUE":"9","Date":"2025-10-14 12:05","C1":"1","C2":"2","C3":"3","C4":"6"})") << 1
        << "9"
        << "12:05" << 1 << 2 << 3 << 6;
    QTest::newRow("json members out of order give no match")
        << canada << QByteArray(R"({"date":"2025-10-14 12:05","issue":"9","c1":"1","c2":"2","c3":"3","c4":"6"})") << 0
        << ""
        << "" << 0 << 0 << 0 << 0;
    QTest::newRow("json blank after a colon gives no match")
        << canada << QByteArray(R"({"issue": "9","date":"2025-10-14 12:05","c1":"1","c2":"2","c3":"3","c4":"6"})") << 0
        << ""
        << "" << 0 << 0 << 0 << 0;
    QTest::newRow("json record broken by a line feed gives no match")
        << canada
        << QByteArray(
               "{\"issue\":\"9\",\"date\":\"2025-10-14 12:05\",\n\"c1\":\"1\",\"c2\":\"2\",\"c3\":\"3\",\"c4\":\"6\"}")
        << 0 << ""
        << "" << 0 << 0 << 0 << 0;
    QTest::newRow("json body cut in the middle of a record") << canada << canadaRecords(4).chopped(30) << 3 << "200"
                                                             << "12:05" << 1 << 2 << 3 << 6;
    QTest::newRow("json records on one line with noise between")
        << canada << canadaRecord(9) + "noise \"issue\":\"x\" " + canadaRecord(8) + "," + canadaRecord(7) << 3 << "9"
        << "12:05" << 1 << 2 << 3 << 6;
    QTest::newRow("json other members before and after")
        << canada << QByteArray(R"({"id":1,"issue":"9","date":"x 12:05","c1":"1","c2":"2","c3":"3","c4":"6","z":0})")
        << 1 << "9"
        << "12:05" << 1 << 2 << 3 << 6;
    QTest::newRow("empty body") << canada << QByteArray() << 0 << ""
                                << "" << 0 << 0 << 0 << 0;
    QTest::newRow("html error page") << lucky << QByteArray("<html><body>500 Internal Server Error</body></html>\r\n")
                                     << 0 << ""
                                     << "" << 0 << 0 << 0 << 0;
}

void TestFeedParser::records()
{
    QFETCH(LotteryKind, kind);
    QFETCH(QByteArray, body);
    QFETCH(int, count);
    QFETCH(QString, issue);
    QFETCH(QString, time);
    QFETCH(int, d1);
    QFETCH(int, d2);
    QFETCH(int, d3);
    QFETCH(int, sum);

    const std::vector<Draw> records = parseRecords(kind, body);
    QCOMPARE(static_cast<int>(records.size()), count);
    if (count == 0)
        return;
    const Draw& first = records.front();
    QCOMPARE(first.issue, issue);
    QCOMPARE(first.time, time);
    QCOMPARE(first.d1, d1);
    QCOMPARE(first.d2, d2);
    QCOMPARE(first.d3, d3);
    QCOMPARE(first.sum, sum);
}

void TestFeedParser::periodCountSetsTheLength()
{
    const std::optional<DrawHistory> history = parseDrawFeed(LotteryKind::Lucky28, luckyLines(40), 20);
    QVERIFY(history);
    QCOMPARE(history->size(), 30);
    QCOMPARE(history->at(30).issue, QStringLiteral("71"));
    QVERIFY(!parseDrawFeed(LotteryKind::Canada28Night, canadaRecords(4), 20));
    QVERIFY(parseDrawFeed(LotteryKind::Canada28Night, canadaRecords(5), 20));
    QCOMPARE(parseRecords(LotteryKind::Lucky28, luckyLines(40), 7).size(), std::size_t(7));
    QCOMPARE(parseRecords(LotteryKind::Canada28Night, canadaRecords(40), 12).back().issue, QStringLiteral("189"));
}

// Short random bodies built from the patterns' own pieces: the line-by-line search must find exactly
// the records one search over the whole document finds.
void TestFeedParser::sameRecordsAsOneSearchOverTheDocument_data()
{
    QTest::addColumn<LotteryKind>("kind");
    QTest::addColumn<QList<QByteArray>>("pieces");
    QTest::newRow("text pieces") << LotteryKind::Lucky28
                                 << QList<QByteArray>{"-", " ",        " = ", "\r\n", "\n",          "\r",
                                                      "1", "12:05:00", " + ", "X",    "1-2 3-4 = 5", "9-d 12:05-"};
    QTest::newRow("json pieces") << LotteryKind::Canada28Night << QList<QByteArray>{R"("issue":")",
                                                                                    R"(","date":")",
                                                                                    R"(","c1":")",
                                                                                    R"(","c2":")",
                                                                                    R"(","c3":")",
                                                                                    R"(","c4":")",
                                                                                    "\"",
                                                                                    "7",
                                                                                    "\n",
                                                                                    R"(","C4":")",
                                                                                    canadaRecord(5),
                                                                                    canadaRecord(6).left(60)};
}

void TestFeedParser::sameRecordsAsOneSearchOverTheDocument()
{
    QFETCH(LotteryKind, kind);
    QFETCH(QList<QByteArray>, pieces);
    const QRegularExpression wholeDocument(QStringLiteral("(*LF)") + recordPattern(kind),
                                           QRegularExpression::CaseInsensitiveOption |
                                               QRegularExpression::MultilineOption);
    QRandomGenerator random(28);
    for (int round = 0; round < 3000; ++round) {
        QByteArray body;
        const int length = random.bounded(1, 40);
        for (int i = 0; i < length; ++i)
            body += pieces[random.bounded(static_cast<int>(pieces.size()))];
        QStringList expected;
        QRegularExpressionMatchIterator matches = wholeDocument.globalMatch(QString::fromLatin1(body));
        while (matches.hasNext())
            expected.append(matches.next().captured(1));
        QStringList found;
        for (const Draw& draw : parseRecords(kind, body))
            found.append(draw.issue);
        QVERIFY2(found == expected, body.toPercentEncoding().constData());
    }
}

void TestFeedParser::hostileBodiesFinish_data()
{
    QTest::addColumn<LotteryKind>("kind");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("count");

    constexpr int size = 8 * 1024 * 1024;
    QByteArray random(size, '\0');
    quint32 state = 28;
    for (char& byte : random) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<char>(state >> 24);
    }
    QByteArray dashes;
    while (dashes.size() < size)
        dashes += "1-2 3-4 = 5-6 7-8 = 9 - - -   = ";
    QByteArray dashesWithRecord = dashes + "\r\n" + luckyLines(1);
    const auto repeatedLines = [size](const QByteArray& line) {
        QByteArray body;
        body.reserve(size + line.size());
        while (body.size() < size)
            body += line;
        return body;
    };
    const QByteArray dashLine = QByteArray("- ").repeated(2000) + "\r\n";
    const QByteArray equalsFirstLine = " = " + QByteArray("- ").repeated(2000) + "\r\n";
    const QByteArray issueLine = QByteArray(R"("issue":"1","date":"2",)").repeated(200) + "\n";
    QByteArray members;
    while (members.size() < size)
        members += R"("issue":"1","date":"2","c1":"3","c2":"4","c3":"5",)";
    QByteArray membersWithRecord = members + canadaRecord(7);

    QTest::newRow("lucky28 random bytes") << LotteryKind::Lucky28 << random << 0;
    QTest::newRow("canada28 random bytes") << LotteryKind::Canada28Night << random << 0;
    QTest::newRow("lucky28 one huge line that is a record") << LotteryKind::Lucky28 << dashesWithRecord << 2;
    QTest::newRow("lucky28 lines of dashes and blanks") << LotteryKind::Lucky28 << repeatedLines(dashLine) << 0;
    QTest::newRow("lucky28 lines with the equals sign first")
        << LotteryKind::Lucky28 << repeatedLines(equalsFirstLine) << 0;
    QTest::newRow("canada28 lines of records that never reach c1")
        << LotteryKind::Canada28Night << repeatedLines(issueLine) << 0;
    QTest::newRow("canada28 one huge line of records without c4")
        << LotteryKind::Canada28Night << membersWithRecord << 1;
}

void TestFeedParser::hostileBodiesFinish()
{
    QFETCH(LotteryKind, kind);
    QFETCH(QByteArray, body);
    QFETCH(int, count);
    QCOMPARE(static_cast<int>(parseRecords(kind, body).size()), count);
    QVERIFY(!parseDrawFeed(kind, body));
}

void TestFeedParser::datedRecords_data()
{
    QTest::addColumn<LotteryKind>("kind");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QStringList>("records");

    // clang-format off
    QTest::newRow("lucky28 line")          << LotteryKind::Lucky28 << QByteArray("3255120-2025-10-14 12:05:00-1 + 2 + 8 = 11\r\n") << QStringList{"3255120 2025-10-14 12:05:00 1 2 8"};
    QTest::newRow("lucky28 bad date left out") << LotteryKind::Lucky28 << QByteArray("3255120-2025-13-14 12:05:00-1 + 2 + 8 = 11\r\n3255119-2025-10-14 12:00:00-9 + 2 + 3 = 14\r\n") << QStringList{"3255119 2025-10-14 12:00:00 9 2 3"};
    QTest::newRow("lucky28 issue not a number") << LotteryKind::Lucky28 << QByteArray("A12-2025-10-14 12:05:00-1 + 2 + 8 = 11\r\n") << QStringList{};
    QTest::newRow("canada28 record")       << LotteryKind::Canada28Night << QByteArray("[{\"issue\":\"2990120\",\"date\":\"2025-10-14 12:05\",\"c1\":\"0\",\"c2\":\"7\",\"c3\":\"1\",\"c4\":\"8\"}]") << QStringList{"2990120 2025-10-14 12:05:00 0 7 1"};
    QTest::newRow("canada28 time only")    << LotteryKind::Canada28Night << QByteArray("{\"issue\":\"2990120\",\"date\":\"12:05\",\"c1\":\"0\",\"c2\":\"7\",\"c3\":\"1\",\"c4\":\"8\"}") << QStringList{};
    // clang-format on
}

void TestFeedParser::datedRecords()
{
    QFETCH(LotteryKind, kind);
    QFETCH(QByteArray, body);
    QFETCH(QStringList, records);
    QCOMPARE(datedDrawLines(parseDatedRecords(kind, body), QStringLiteral("yyyy-MM-dd HH:mm:ss"), QStringLiteral(" ")),
             records);
}

QTEST_GUILESS_MAIN(TestFeedParser)
#include "tst_feedparser.moc"
