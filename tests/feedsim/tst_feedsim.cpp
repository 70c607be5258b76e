// The local draw server, started as a real process on a free port and read over HTTP.
#include "feed/feedparser.h"
#include "keno/kenoformats.h"

#include "feedsimprocess.h"
#include "fixtures.h"
#include "timezone.h"

#include <httplib.h>

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTcpSocket>
#include <QTest>

#include <algorithm>
#include <memory>

#ifdef Q_OS_UNIX
#include <signal.h>
#endif

namespace {

const QString kLuckyPath = QStringLiteral("/lucky28.txt");
const QString kCanadaPath = QStringLiteral("/api.php?t=jnd28");
const QString kNoticePath = QStringLiteral("/notice.txt");

const QRegularExpression kLuckyRecord(QStringLiteral(R"((.*?)-(.*?) (.*?)-(.*?) = (.*?)\r\n)"),
                                      QRegularExpression::CaseInsensitiveOption | QRegularExpression::MultilineOption);
const QRegularExpression kCanadaRecord(
    QStringLiteral(R"re("issue":"(.*?)","date":"(.*?)","c1":"(.*?)","c2":"(.*?)","c3":"(.*?)","c4":"(.*?)")re"),
    QRegularExpression::CaseInsensitiveOption | QRegularExpression::MultilineOption);

struct Record
{
    qint64 issue = 0;
    QString time; // "yyyy-MM-dd HH:mm:ss" for Lucky 28, "yyyy-MM-dd HH:mm" for Canada 28
    int d1 = 0;
    int d2 = 0;
    int d3 = 0;
    int statedSum = 0;
    qsizetype start = 0;
    qsizetype length = 0;
};

bool isLucky(const QString& path)
{
    return path == kLuckyPath;
}

QList<Record> parseRecords(const QString& path, const QByteArray& body)
{
    const QString text = QString::fromLatin1(body);
    QList<Record> records;
    auto it = (isLucky(path) ? kLuckyRecord : kCanadaRecord).globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        Record r;
        r.issue = m.captured(1).toLongLong();
        r.start = m.capturedStart(0);
        r.length = m.capturedLength(0);
        if (isLucky(path)) {
            r.time = m.captured(2) + QLatin1Char(' ') + m.captured(3);
            const QStringList digits = m.captured(4).split(QStringLiteral(" + "));
            if (digits.size() == 3) {
                r.d1 = digits[0].toInt();
                r.d2 = digits[1].toInt();
                r.d3 = digits[2].toInt();
            }
            r.statedSum = m.captured(5).toInt();
        } else {
            r.time = m.captured(2);
            r.d1 = m.captured(3).toInt();
            r.d2 = m.captured(4).toInt();
            r.d3 = m.captured(5).toInt();
            r.statedSum = m.captured(6).toInt();
        }
        records.append(r);
    }
    return records;
}

// The draw times a schedule gives, newest first, worked out here independently of the server.
QStringList expectedTimes(const QString& path, const QDateTime& now, int count)
{
    QStringList times;
    QDate day = now.date();
    const int second = now.time().msecsSinceStartOfDay() / 1000;
    if (isLucky(path)) {
        const int first = 9 * 3600 + 5 * 60;
        const int last = 23 * 3600 + 55 * 60;
        int t = second < first ? -1 : std::min(last, first + (second - first) / 300 * 300);
        if (t < 0) {
            day = day.addDays(-1);
            t = last;
        }
        while (times.size() < count) {
            times.append(QDateTime(day, QTime(0, 0).addSecs(t)).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
            t -= 300;
            if (t < first) {
                day = day.addDays(-1);
                t = last;
            }
        }
    } else {
        int t = second / 210 * 210;
        while (times.size() < count) {
            times.append(QDateTime(day, QTime(0, 0).addSecs(t)).toString(QStringLiteral("yyyy-MM-dd HH:mm")));
            t -= 210;
            if (t < 0) {
                day = day.addDays(-1);
                t = 86399 / 210 * 210;
            }
        }
    }
    return times;
}

// The server binary with these arguments, on a free port.
tandor28::testsupport::FeedsimProcess feedsim(const QStringList& arguments)
{
    return tandor28::testsupport::FeedsimProcess(QStringLiteral(TANDOR28_FEEDSIM), arguments);
}

struct Reply
{
    bool ok = false; // a whole answer arrived
    int status = 0;
    QByteArray body;
};

Reply fetch(int port, const QString& path, int readTimeoutMs = 10000)
{
    httplib::Client client("127.0.0.1", port);
    client.set_connection_timeout(5);
    client.set_read_timeout(readTimeoutMs / 1000, (readTimeoutMs % 1000) * 1000);
    const httplib::Result result = client.Get(path.toStdString());
    Reply reply;
    if (result) {
        reply.ok = true;
        reply.status = result->status;
        reply.body = QByteArray::fromStdString(result->body);
    }
    return reply;
}

Reply control(int port, const QString& query)
{
    httplib::Client client("127.0.0.1", port);
    client.set_connection_timeout(5);
    const httplib::Result result =
        client.Post(("/control?" + query).toStdString(), std::string(), "application/x-www-form-urlencoded");
    Reply reply;
    if (result) {
        reply.ok = true;
        reply.status = result->status;
        reply.body = QByteArray::fromStdString(result->body);
    }
    return reply;
}

// The raw answer of a plain GET, read until the server closes the connection.
QByteArray rawGet(int port, const QString& path)
{
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), static_cast<quint16>(port));
    if (!socket.waitForConnected(5000)) {
        return {};
    }
    socket.write(
        QStringLiteral("GET %1 HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n").arg(path).toLatin1());
    QByteArray answer;
    while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(10000)) {
        answer += socket.readAll();
    }
    answer += socket.readAll();
    return answer;
}

QString noticeField(const QString& notice, const QString& key, const QString& marker)
{
    const qsizetype start = notice.indexOf(key, 0, Qt::CaseInsensitive);
    if (start < 0) {
        return {};
    }
    const qsizetype valueStart = start + key.size();
    const qsizetype end = notice.indexOf(marker, valueStart);
    return end < 0 ? QString() : notice.mid(valueStart, end - valueStart);
}

} // namespace

class TestFeedsim : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void announcesItsPort();
    void feedsFollowTheSchedule_data();
    void feedsFollowTheSchedule();
    void recordsAreWellFormed_data();
    void recordsAreWellFormed();
    void sameSeedSameHistory_data();
    void sameSeedSameHistory();
    void publicationLag_data();
    void publicationLag();
    void notice_data();
    void notice();
    void misbehaviour_data();
    void misbehaviour();
    void padding_data();
    void padding();
    void countsFeedRequests();
    void delay_data();
    void delay();
    void cutBody_data();
    void cutBody();
    void controlChangesModes();
    void controlWhileAnswersWait();
    void controlRejectsBadSettings_data();
    void controlRejectsBadSettings();
    void stopsCleanly_data();
    void stopsCleanly();
    void badArguments_data();
    void badArguments();
    void help();
    void busyPortRefused();
    void kenoMatchesCanadaFeed_data();
    void kenoMatchesCanadaFeed();
    void kenoVariedForms();
    void kenoMisbehaves_data();
    void kenoMisbehaves();
};

void TestFeedsim::announcesItsPort()
{
    tandor28::testsupport::FeedsimProcess server = feedsim({});
    QVERIFY2(server.port() > 0, qPrintable(server.line()));
    const Reply reply = fetch(server.port(), QStringLiteral("/"));
    QVERIFY(reply.ok);
    QCOMPARE(reply.status, 200);
}

void TestFeedsim::feedsFollowTheSchedule_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("now");
    QTest::addColumn<QString>("newest");

    QTest::newRow("lucky midday") << kLuckyPath << "2026-12-10 12:07:13"
                                  << "2026-12-10 12:05:00";
    QTest::newRow("lucky on a draw") << kLuckyPath << "2026-12-10 12:10:00"
                                     << "2026-12-10 12:10:00";
    QTest::newRow("lucky first draw") << kLuckyPath << "2026-12-10 09:05:00"
                                      << "2026-12-10 09:05:00";
    QTest::newRow("lucky before the first draw") << kLuckyPath << "2026-12-10 09:04:59"
                                                 << "2026-12-09 23:55:00";
    QTest::newRow("lucky after midnight") << kLuckyPath << "2026-12-10 00:01:00"
                                          << "2026-12-09 23:55:00";
    QTest::newRow("lucky late evening") << kLuckyPath << "2026-12-09 23:59:59"
                                        << "2026-12-09 23:55:00";
    QTest::newRow("lucky new year") << kLuckyPath << "2027-01-01 00:00:00"
                                    << "2026-12-31 23:55:00";
    QTest::newRow("canada midday") << kCanadaPath << "2026-12-10 12:07:13"
                                   << "2026-12-10 12:04";
    QTest::newRow("canada half minute") << kCanadaPath << "2026-12-10 12:10:00"
                                        << "2026-12-10 12:08";
    QTest::newRow("canada midnight draw") << kCanadaPath << "2026-12-10 00:01:00"
                                          << "2026-12-10 00:00";
    QTest::newRow("canada last draw of a day") << kCanadaPath << "2026-12-09 23:59:59"
                                               << "2026-12-09 23:58";
    QTest::newRow("canada new year") << kCanadaPath << "2027-01-01 00:00:00"
                                     << "2027-01-01 00:00";
}

void TestFeedsim::feedsFollowTheSchedule()
{
    QFETCH(QString, path);
    QFETCH(QString, now);
    QFETCH(QString, newest);

    tandor28::testsupport::FeedsimProcess server = feedsim({QStringLiteral("--now"), now});
    QVERIFY(server.port() > 0);
    const Reply reply = fetch(server.port(), path);
    QVERIFY(reply.ok);
    QCOMPARE(reply.status, 200);
    const QList<Record> records = parseRecords(path, reply.body);
    QCOMPARE(records.size(), 120);
    QCOMPARE(records.first().time, newest);

    const QDateTime clock = QDateTime::fromString(now, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    const QStringList times = expectedTimes(path, clock, 120);
    for (int i = 0; i < records.size(); ++i) {
        QCOMPARE(records[i].time, times[i]);
        if (i > 0) {
            QCOMPARE(records[i].issue, records[i - 1].issue - 1);
        }
        if (isLucky(path)) {
            QVERIFY2(!records[i].time.endsWith(QStringLiteral(" 00:00:00")), qPrintable(records[i].time));
            QVERIFY2(!records[i].time.contains(QStringLiteral(" 24:")), qPrintable(records[i].time));
        }
    }
}

void TestFeedsim::recordsAreWellFormed_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("lucky28") << kLuckyPath;
    QTest::newRow("canada28") << kCanadaPath;
}

void TestFeedsim::recordsAreWellFormed()
{
    QFETCH(QString, path);

    tandor28::testsupport::FeedsimProcess server = feedsim({});
    QVERIFY(server.port() > 0);
    const Reply reply = fetch(server.port(), path);
    QVERIFY(reply.ok);
    QCOMPARE(reply.status, 200);
    const QList<Record> records = parseRecords(path, reply.body);
    QCOMPARE(records.size(), 120);
    for (const Record& r : records) {
        QVERIFY(r.d1 >= 0 && r.d1 <= 9);
        QVERIFY(r.d2 >= 0 && r.d2 <= 9);
        QVERIFY(r.d3 >= 0 && r.d3 <= 9);
        QCOMPARE(r.statedSum, r.d1 + r.d2 + r.d3);
    }
    // Newest first on the real clock: the newest draw is not in the future.
    const QString newestTime = records.first().time;
    const QDateTime newest = QDateTime::fromString(newestTime, isLucky(path) ? QStringLiteral("yyyy-MM-dd HH:mm:ss")
                                                                             : QStringLiteral("yyyy-MM-dd HH:mm"));
    QVERIFY(newest.isValid());
    QVERIFY(newest <= QDateTime::currentDateTime());

    if (isLucky(path)) {
        // Every byte belongs to a record: one line per draw and nothing else.
        qsizetype covered = 0;
        for (const Record& r : records) {
            QCOMPARE(r.start, covered);
            covered += r.length;
        }
        QCOMPARE(covered, reply.body.size());
        static const QRegularExpression line(
            QStringLiteral(R"(^\d+-\d{4}-\d\d-\d\d \d\d:\d\d:00-\d \+ \d \+ \d = \d{1,2}$)"));
        QStringList lines = QString::fromLatin1(reply.body).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.takeLast(), QString());
        QCOMPARE(lines.size(), 120);
        for (const QString& l : lines) {
            QVERIFY2(line.match(l).hasMatch(), qPrintable(l));
        }
    } else {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(reply.body, &error);
        QCOMPARE(error.error, QJsonParseError::NoError);
        QVERIFY(document.isArray());
        const QJsonArray array = document.array();
        QCOMPARE(array.size(), 120);
        for (qsizetype i = 0; i < array.size(); ++i) {
            const QJsonObject object = array[i].toObject();
            QCOMPARE(object.value(QStringLiteral("issue")).toString().toLongLong(), records[i].issue);
            QCOMPARE(object.value(QStringLiteral("date")).toString(), records[i].time);
            QCOMPARE(object.value(QStringLiteral("c4")).toString().toInt(), records[i].statedSum);
        }
    }
}

void TestFeedsim::sameSeedSameHistory_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("lucky28") << kLuckyPath;
    QTest::newRow("canada28") << kCanadaPath;
}

void TestFeedsim::sameSeedSameHistory()
{
    QFETCH(QString, path);

    const QString now = QStringLiteral("2026-12-10 15:00:00");
    tandor28::testsupport::FeedsimProcess first =
        feedsim({QStringLiteral("--seed"), QStringLiteral("7"), QStringLiteral("--now"), now});
    tandor28::testsupport::FeedsimProcess second =
        feedsim({QStringLiteral("--seed"), QStringLiteral("7"), QStringLiteral("--now"), now});
    tandor28::testsupport::FeedsimProcess otherSeed =
        feedsim({QStringLiteral("--seed"), QStringLiteral("8"), QStringLiteral("--now"), now});
    tandor28::testsupport::FeedsimProcess later =
        feedsim({QStringLiteral("--seed"), QStringLiteral("7"), QStringLiteral("--now"),
                 QStringLiteral("2026-12-10 16:00:00")});
    QVERIFY(first.port() > 0 && second.port() > 0 && otherSeed.port() > 0 && later.port() > 0);

    const Reply a = fetch(first.port(), path);
    const Reply b = fetch(second.port(), path);
    const Reply c = fetch(otherSeed.port(), path);
    const Reply d = fetch(later.port(), path);
    QVERIFY(a.ok && b.ok && c.ok && d.ok);
    QCOMPARE(a.body, b.body);
    QVERIFY(a.body != c.body);

    const QList<Record> seven = parseRecords(path, a.body);
    const QList<Record> eight = parseRecords(path, c.body);
    const QList<Record> afterAnHour = parseRecords(path, d.body);
    QCOMPARE(seven.size(), 120);
    QCOMPARE(eight.size(), 120);
    QCOMPARE(afterAnHour.size(), 120);
    int differing = 0;
    for (int i = 0; i < 120; ++i) {
        QCOMPARE(eight[i].issue, seven[i].issue);
        QCOMPARE(eight[i].time, seven[i].time);
        if (eight[i].d1 != seven[i].d1 || eight[i].d2 != seven[i].d2 || eight[i].d3 != seven[i].d3) {
            ++differing;
        }
    }
    QVERIFY(differing > 60);

    // An hour later the same draws keep their issues and digits, further down the feed.
    const int shift = isLucky(path) ? 12 : 274 - 257;
    QCOMPARE(afterAnHour.first().issue - seven.first().issue, qint64(shift));
    int same = 0;
    for (const Record& r : afterAnHour) {
        for (const Record& s : seven) {
            if (s.issue == r.issue) {
                QCOMPARE(r.time, s.time);
                QCOMPARE(r.d1, s.d1);
                QCOMPARE(r.d2, s.d2);
                QCOMPARE(r.d3, s.d3);
                ++same;
            }
        }
    }
    QCOMPARE(same, 120 - shift);
}

void TestFeedsim::publicationLag_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("lag");
    QTest::addColumn<QString>("newest");

    QTest::newRow("lucky no lag") << kLuckyPath << "0"
                                  << "2026-12-10 12:05:00";
    QTest::newRow("lucky 40 s") << kLuckyPath << "40"
                                << "2026-12-10 12:00:00";
    QTest::newRow("canada no lag") << kCanadaPath << "0"
                                   << "2026-12-10 12:04";
    QTest::newRow("canada 200 s") << kCanadaPath << "200"
                                  << "2026-12-10 12:01";
}

void TestFeedsim::publicationLag()
{
    QFETCH(QString, path);
    QFETCH(QString, lag);
    QFETCH(QString, newest);

    tandor28::testsupport::FeedsimProcess server =
        feedsim({QStringLiteral("--now"), QStringLiteral("2026-12-10 12:05:30"), QStringLiteral("--lag-s"), lag});
    QVERIFY(server.port() > 0);
    const Reply reply = fetch(server.port(), path);
    QVERIFY(reply.ok);
    const QList<Record> records = parseRecords(path, reply.body);
    QCOMPARE(records.size(), 120);
    QCOMPARE(records.first().time, newest);
}

void TestFeedsim::notice_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("version");
    QTest::addColumn<bool>("withLuckyEndpoint");

    QTest::newRow("default") << QStringList{} << "1.4.0" << true;
    QTest::newRow("newer version") << QStringList{QStringLiteral("--version-text"), QStringLiteral("1.5.0")} << "1.5.0"
                                   << true;
    QTest::newRow("without JK1") << QStringList{QStringLiteral("--no-jk1")} << "1.4.0" << false;
    QTest::newRow("feeds misbehave, notice does not")
        << QStringList{QStringLiteral("--status"), QStringLiteral("500"),       QStringLiteral("--garbage"),
                       QStringLiteral("--cut"),    QStringLiteral("--records"), QStringLiteral("3")}
        << "1.4.0" << true;
}

void TestFeedsim::notice()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, version);
    QFETCH(bool, withLuckyEndpoint);

    tandor28::testsupport::FeedsimProcess server = feedsim(arguments);
    QVERIFY(server.port() > 0);
    const Reply reply = fetch(server.port(), kNoticePath);
    QVERIFY(reply.ok);
    QCOMPARE(reply.status, 200);
    // GBK bytes: "版本" is B0E6 B1BE.
    QVERIFY(reply.body.startsWith(QByteArray::fromHex("b0e6b1be3a")));

    QStringDecoder fromGbk("GBK");
    QVERIFY(fromGbk.isValid());
    const QString text = fromGbk.decode(reply.body);
    QVERIFY(!fromGbk.hasError());
    QCOMPARE(noticeField(text, QStringLiteral("版本:"), QStringLiteral("]1")), version);
    const QString announcement = noticeField(text, QStringLiteral("公告:"), QStringLiteral("]4"));
    QVERIFY(!announcement.isEmpty());
    QVERIFY(!announcement.contains(QLatin1Char('\n')));
    QVERIFY(noticeField(text, QStringLiteral("更新:"), QStringLiteral("]5")).contains(QStringLiteral("\r\n")));
    const QString endpoint = noticeField(text, QStringLiteral("JK1:"), QStringLiteral("]7"));
    if (!withLuckyEndpoint) {
        QVERIFY(endpoint.isEmpty());
        return;
    }
    QCOMPARE(endpoint, QStringLiteral("http://127.0.0.1:%1/lucky28.txt").arg(server.port()));
}

void TestFeedsim::misbehaviour_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("records");
    QTest::addColumn<bool>("emptyBody");

    const QString status = QStringLiteral("--status");
    const QString records = QStringLiteral("--records");
    QTest::newRow("lucky status 500") << QStringList{status, QStringLiteral("500")} << kLuckyPath << 500 << 0 << false;
    QTest::newRow("canada status 500") << QStringList{status, QStringLiteral("500")} << kCanadaPath << 500 << 0
                                       << false;
    QTest::newRow("lucky status 404") << QStringList{status, QStringLiteral("404")} << kLuckyPath << 404 << 0 << false;
    QTest::newRow("lucky garbage") << QStringList{QStringLiteral("--garbage")} << kLuckyPath << 200 << 0 << false;
    QTest::newRow("canada garbage") << QStringList{QStringLiteral("--garbage")} << kCanadaPath << 200 << 0 << false;
    QTest::newRow("lucky 4 records") << QStringList{records, QStringLiteral("4")} << kLuckyPath << 200 << 4 << false;
    QTest::newRow("lucky 5 records") << QStringList{records, QStringLiteral("5")} << kLuckyPath << 200 << 5 << false;
    QTest::newRow("canada 4 records") << QStringList{records, QStringLiteral("4")} << kCanadaPath << 200 << 4 << false;
    QTest::newRow("canada 119 records") << QStringList{records, QStringLiteral("119")} << kCanadaPath << 200 << 119
                                        << false;
    QTest::newRow("lucky 300 records") << QStringList{records, QStringLiteral("300")} << kLuckyPath << 200 << 300
                                       << false;
    QTest::newRow("lucky no records") << QStringList{records, QStringLiteral("0")} << kLuckyPath << 200 << 0 << true;
    QTest::newRow("lucky down") << QStringList{QStringLiteral("--down")} << kLuckyPath << 503 << 0 << true;
    QTest::newRow("notice down") << QStringList{QStringLiteral("--down")} << kNoticePath << 503 << 0 << true;
    QTest::newRow("lucky switched off") << QStringList{QStringLiteral("--no-lucky")} << kLuckyPath << 503 << 0 << true;
    QTest::newRow("canada stays with lucky off")
        << QStringList{QStringLiteral("--no-lucky")} << kCanadaPath << 200 << 120 << false;
    QTest::newRow("canada switched off") << QStringList{QStringLiteral("--no-canada")} << kCanadaPath << 503 << 0
                                         << true;
    QTest::newRow("unknown table") << QStringList{} << QStringLiteral("/api.php?t=other") << 404 << 0 << false;
}

void TestFeedsim::misbehaviour()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, path);
    QFETCH(int, status);
    QFETCH(int, records);
    QFETCH(bool, emptyBody);

    tandor28::testsupport::FeedsimProcess server = feedsim(arguments);
    QVERIFY(server.port() > 0);
    const Reply reply = fetch(server.port(), path);
    QVERIFY(reply.ok);
    QCOMPARE(reply.status, status);
    QCOMPARE(reply.body.isEmpty(), emptyBody);
    if (path != kNoticePath) {
        QCOMPARE(parseRecords(kLuckyPath, reply.body).size() + parseRecords(kCanadaPath, reply.body).size(), records);
    }
    if (arguments.contains(QStringLiteral("--garbage"))) {
        QVERIFY(reply.body.contains('\0'));
    }
}

void TestFeedsim::padding_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("setting");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("records");
    // clang-format off
    QTest::newRow("lucky 8 MiB by option")   << kLuckyPath  << QString()                           << 8 * 1024 * 1024     << 120;
    QTest::newRow("canada 8 MiB + 1 by control") << kCanadaPath << QStringLiteral("pad-bytes=8388609") << 8 * 1024 * 1024 + 1 << 120;
    QTest::newRow("lucky 5 records, 100 kB") << kLuckyPath  << QStringLiteral("pad-bytes=100000&records=5") << 100000 << 5;
    // clang-format on
}

void TestFeedsim::padding()
{
    QFETCH(QString, path);
    QFETCH(QString, setting);
    QFETCH(int, size);
    QFETCH(int, records);
    tandor28::testsupport::FeedsimProcess server =
        feedsim(setting.isEmpty() ? QStringList{QStringLiteral("--pad-bytes"), QString::number(size)} : QStringList{});
    QVERIFY(server.port() > 0);
    if (!setting.isEmpty())
        QVERIFY(control(server.port(), setting).ok);
    const Reply reply = fetch(server.port(), path, 30000);
    QVERIFY(reply.ok);
    QCOMPARE(reply.status, 200);
    QCOMPARE(reply.body.size(), size);
    QCOMPARE(parseRecords(path, reply.body).size(), std::size_t(records));
    // The filler is blank lines after the records.
    QVERIFY(reply.body.endsWith(' '));
}

void TestFeedsim::countsFeedRequests()
{
    tandor28::testsupport::FeedsimProcess server = feedsim(QStringList{});
    QVERIFY(server.port() > 0);
    QVERIFY(fetch(server.port(), kLuckyPath).ok);
    QVERIFY(fetch(server.port(), kCanadaPath).ok);
    QVERIFY(fetch(server.port(), kLuckyPath).ok);
    QVERIFY(fetch(server.port(), kNoticePath).ok); // the notice is not a feed
    const Reply settings = fetch(server.port(), QStringLiteral("/control"));
    QVERIFY(settings.ok);
    QVERIFY2(settings.body.contains("\nfeed-requests=3\n"), settings.body.constData());
}

void TestFeedsim::delay_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("lucky28") << kLuckyPath;
    QTest::newRow("canada28") << kCanadaPath;
    QTest::newRow("notice") << kNoticePath;
}

void TestFeedsim::delay()
{
    QFETCH(QString, path);

    tandor28::testsupport::FeedsimProcess server = feedsim({QStringLiteral("--delay-ms"), QStringLiteral("1500")});
    QVERIFY(server.port() > 0);
    QVERIFY(fetch(server.port(), QStringLiteral("/")).ok);
    QVERIFY2(!fetch(server.port(), path, 200).ok, "a client that waits less than the delay gets no answer");
    const Reply patient = fetch(server.port(), path, 10000);
    QVERIFY(patient.ok);
    QCOMPARE(patient.status, 200);
    QVERIFY(!patient.body.isEmpty());
}

void TestFeedsim::cutBody_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("path");

    QTest::newRow("lucky28") << QStringList{} << kLuckyPath;
    QTest::newRow("canada28") << QStringList{} << kCanadaPath;
    QTest::newRow("lucky28 five records")
        << QStringList{QStringLiteral("--records"), QStringLiteral("5")} << kLuckyPath;
    QTest::newRow("canada28 one record") << QStringList{QStringLiteral("--records"), QStringLiteral("1")}
                                         << kCanadaPath;
}

void TestFeedsim::cutBody()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, path);

    tandor28::testsupport::FeedsimProcess whole = feedsim(arguments);
    tandor28::testsupport::FeedsimProcess cut = feedsim(arguments + QStringList{QStringLiteral("--cut")});
    QVERIFY(whole.port() > 0 && cut.port() > 0);
    const Reply full = fetch(whole.port(), path);
    QVERIFY(full.ok);
    QVERIFY2(!fetch(cut.port(), path).ok, "a client sees the cut body as a failed read");

    const QByteArray answer = rawGet(cut.port(), path);
    const qsizetype headerEnd = answer.indexOf("\r\n\r\n");
    QVERIFY(headerEnd > 0);
    const QByteArray head = answer.left(headerEnd);
    const QByteArray body = answer.mid(headerEnd + 4);
    QVERIFY(head.startsWith("HTTP/1.1 200"));
    static const QRegularExpression lengthHeader(QStringLiteral(R"(\r\nContent-Length: (\d+))"),
                                                 QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch length = lengthHeader.match(QString::fromLatin1(head));
    QVERIFY(length.hasMatch());
    QCOMPARE(length.captured(1).toLongLong(), full.body.size());
    QVERIFY(body.size() < full.body.size());
    QVERIFY(full.body.startsWith(body));

    // The cut falls inside a record: fewer complete records, and the last one is broken off.
    const QList<Record> complete = parseRecords(path, full.body);
    const QList<Record> kept = parseRecords(path, body);
    QVERIFY(kept.size() < complete.size());
    QCOMPARE(kept.size(), complete.size() / 2);
    const Record& broken = complete[kept.size()];
    QVERIFY(body.size() > broken.start);
    QVERIFY(body.size() < broken.start + broken.length);
}

void TestFeedsim::controlChangesModes()
{
    tandor28::testsupport::FeedsimProcess server =
        feedsim({QStringLiteral("--now"), QStringLiteral("2026-12-10 12:07:13")});
    QVERIFY(server.port() > 0);
    const int port = server.port();

    QCOMPARE(control(port, QStringLiteral("records=4")).status, 200);
    QCOMPARE(parseRecords(kLuckyPath, fetch(port, kLuckyPath).body).size(), 4);
    QCOMPARE(parseRecords(kCanadaPath, fetch(port, kCanadaPath).body).size(), 4);

    QCOMPARE(control(port, QStringLiteral("status=500")).status, 200);
    Reply reply = fetch(port, kLuckyPath);
    QCOMPARE(reply.status, 500);
    QCOMPARE(parseRecords(kLuckyPath, reply.body).size(), 0);

    QCOMPARE(control(port, QStringLiteral("status=200&garbage=1")).status, 200);
    reply = fetch(port, kCanadaPath);
    QCOMPARE(reply.status, 200);
    QCOMPARE(parseRecords(kCanadaPath, reply.body).size(), 0);

    QCOMPARE(control(port, QStringLiteral("garbage=0&cut=1")).status, 200);
    QVERIFY(!fetch(port, kLuckyPath).ok);

    QCOMPARE(control(port, QStringLiteral("cut=0&down=1")).status, 200);
    QCOMPARE(fetch(port, kNoticePath).status, 503);
    QCOMPARE(fetch(port, kLuckyPath).status, 503);

    QCOMPARE(control(port, QStringLiteral("reset=1")).status, 200);
    reply = fetch(port, kLuckyPath);
    QCOMPARE(reply.status, 200);
    QList<Record> records = parseRecords(kLuckyPath, reply.body);
    QCOMPARE(records.size(), 120);
    QCOMPARE(records.first().time, QStringLiteral("2026-12-10 12:05:00"));

    QCOMPARE(control(port, QStringLiteral("now=2026-12-10%2012:17:00&version=1.4.1")).status, 200);
    records = parseRecords(kLuckyPath, fetch(port, kLuckyPath).body);
    QCOMPARE(records.first().time, QStringLiteral("2026-12-10 12:15:00"));
    QStringDecoder fromGbk("GBK");
    const QString notice = fromGbk.decode(fetch(port, kNoticePath).body);
    QCOMPARE(noticeField(notice, QStringLiteral("版本:"), QStringLiteral("]1")), QStringLiteral("1.4.1"));

    QCOMPARE(control(port, QStringLiteral("lucky=0")).status, 200);
    QCOMPARE(fetch(port, kLuckyPath).status, 503);
    QCOMPARE(fetch(port, kCanadaPath).status, 200);

    reply = fetch(port, QStringLiteral("/control"));
    QCOMPARE(reply.status, 200);
    QVERIFY(reply.body.contains("\nlucky=0\n"));
    QVERIFY(reply.body.contains("\nversion=1.4.1\n"));
}

void TestFeedsim::controlWhileAnswersWait()
{
    tandor28::testsupport::FeedsimProcess server = feedsim({QStringLiteral("--delay-ms"), QStringLiteral("60000")});
    QVERIFY(server.port() > 0);
    std::vector<std::unique_ptr<QTcpSocket>> waiting;
    for (int i = 0; i < 12; ++i) {
        auto socket = std::make_unique<QTcpSocket>();
        socket->connectToHost(QStringLiteral("127.0.0.1"), static_cast<quint16>(server.port()));
        QVERIFY(socket->waitForConnected(5000));
        socket->write("GET /lucky28.txt HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
        QVERIFY(socket->waitForBytesWritten(5000));
        waiting.push_back(std::move(socket));
    }
    const Reply changed = control(server.port(), QStringLiteral("delay-ms=0"));
    QVERIFY(changed.ok);
    QCOMPARE(changed.status, 200);
    const Reply reply = fetch(server.port(), kCanadaPath);
    QVERIFY(reply.ok);
    QCOMPARE(parseRecords(kCanadaPath, reply.body).size(), 120);
    for (const auto& socket : waiting) {
        QCOMPARE(socket->bytesAvailable(), 0);
    }
}

void TestFeedsim::controlRejectsBadSettings_data()
{
    QTest::addColumn<QString>("query");
    QTest::newRow("unknown name") << "records=4&colour=red";
    QTest::newRow("negative records") << "records=-1";
    QTest::newRow("records not a number") << "records=many";
    QTest::newRow("redirect status") << "status=302";
    QTest::newRow("flag not a flag") << "garbage=2";
    QTest::newRow("bad clock") << "now=2026-02-30%2012:00:00";
    QTest::newRow("bad reset") << "reset=maybe";
}

void TestFeedsim::controlRejectsBadSettings()
{
    QFETCH(QString, query);

    tandor28::testsupport::FeedsimProcess server = feedsim({});
    QVERIFY(server.port() > 0);
    const QByteArray before = fetch(server.port(), QStringLiteral("/control")).body;
    const Reply reply = control(server.port(), query);
    QVERIFY(reply.ok);
    QCOMPARE(reply.status, 400);
    QVERIFY(!reply.body.isEmpty());
    QCOMPARE(fetch(server.port(), QStringLiteral("/control")).body, before);
    QCOMPARE(parseRecords(kLuckyPath, fetch(server.port(), kLuckyPath).body).size(), 120);
}

void TestFeedsim::stopsCleanly_data()
{
    QTest::addColumn<int>("stopSignal");
    QTest::addColumn<bool>("waitingRequest");
#ifdef Q_OS_UNIX
    QTest::newRow("SIGTERM") << int(SIGTERM) << false;
    QTest::newRow("SIGINT") << int(SIGINT) << false;
    QTest::newRow("SIGTERM during a delayed answer") << int(SIGTERM) << true;
#endif
}

void TestFeedsim::stopsCleanly()
{
#ifndef Q_OS_UNIX
    QSKIP("stops by POSIX signals");
#else
    QFETCH(int, stopSignal);
    QFETCH(bool, waitingRequest);

    tandor28::testsupport::FeedsimProcess server =
        feedsim(waitingRequest ? QStringList{QStringLiteral("--delay-ms"), QStringLiteral("60000")} : QStringList{});
    QVERIFY(server.port() > 0);
    QTcpSocket pending;
    if (waitingRequest) {
        pending.connectToHost(QStringLiteral("127.0.0.1"), static_cast<quint16>(server.port()));
        QVERIFY(pending.waitForConnected(5000));
        pending.write("GET /lucky28.txt HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
        QVERIFY(pending.waitForBytesWritten(5000));
        QVERIFY(!pending.waitForReadyRead(300));
    }
    QCOMPARE(::kill(static_cast<pid_t>(server.process().processId()), stopSignal), 0);
    // Well within the delay: the waiting answer does not hold the server up.
    QVERIFY(server.process().waitForFinished(20000));
    QCOMPARE(server.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(server.process().exitCode(), 0);
#endif
}

void TestFeedsim::badArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--colour")};
    QTest::newRow("port out of range") << QStringList{QStringLiteral("--port"), QStringLiteral("70000")};
    QTest::newRow("port missing") << QStringList{QStringLiteral("--port")};
    QTest::newRow("negative records") << QStringList{QStringLiteral("--records"), QStringLiteral("-1")};
    QTest::newRow("redirect status") << QStringList{QStringLiteral("--status"), QStringLiteral("302")};
    QTest::newRow("bad clock") << QStringList{QStringLiteral("--now"), QStringLiteral("2026-13-01 00:00:00")};
    QTest::newRow("seed not a number") << QStringList{QStringLiteral("--seed"), QStringLiteral("x")};
}

void TestFeedsim::badArguments()
{
    QFETCH(QStringList, arguments);

    QProcess process;
    process.start(QStringLiteral(TANDOR28_FEEDSIM), arguments);
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 2);
    QVERIFY(process.readAllStandardOutput().isEmpty());
    QVERIFY(!process.readAllStandardError().isEmpty());
}

void TestFeedsim::help()
{
    QProcess process;
    process.start(QStringLiteral(TANDOR28_FEEDSIM), {QStringLiteral("--help")});
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitCode(), 0);
    const QString text = QString::fromUtf8(process.readAllStandardOutput());
    for (const char* word : {"--port", "--seed", "--records", "--lag-s", "--now", "--version-text", "--no-jk1",
                             "--delay-ms", "--down", "--no-lucky", "--no-canada", "--status", "--garbage", "--cut",
                             "/notice.txt", "/lucky28.txt", "/api.php?t=jnd28", "/control", "reset=1"}) {
        QVERIFY2(text.contains(QLatin1String(word)), word);
    }
}

void TestFeedsim::busyPortRefused()
{
    // A second server on a port the first one holds would share its requests: it must not start.
    tandor28::testsupport::FeedsimProcess first = feedsim({});
    QVERIFY2(first.port() > 0, qPrintable(first.line()));
    QProcess second;
    second.start(QStringLiteral(TANDOR28_FEEDSIM), {QStringLiteral("--port"), QString::number(first.port())});
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 1);
    QVERIFY(second.readAllStandardOutput().isEmpty());
    QVERIFY(QString::fromUtf8(second.readAllStandardError()).contains(QString::number(first.port())));
    const Reply reply = fetch(first.port(), QStringLiteral("/"));
    QVERIFY(reply.ok);
}

void TestFeedsim::kenoMatchesCanadaFeed_data()
{
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<QString>("now");

    // clang-format off
    QTest::newRow("Berlin, summer")          << QByteArray("Europe/Berlin") << "2026-07-31 12:00:00";
    QTest::newRow("Berlin, winter")          << QByteArray("Europe/Berlin") << "2026-12-10 12:07:13";
    QTest::newRow("Shanghai, across the Vancouver spring change") << QByteArray("Asia/Shanghai") << "2026-03-08 19:05:00";
    QTest::newRow("Shanghai, new year")      << QByteArray("Asia/Shanghai") << "2027-01-01 00:20:00";
    // clang-format on
}

// Same issues, the digits derived by the interleave scheme and the same local times, in the Keno
// pages and in the yearly CSV as in the Canada 28 feed.
void TestFeedsim::kenoMatchesCanadaFeed()
{
    QFETCH(QByteArray, zone);
    QFETCH(QString, now);
    const tandor28::testsupport::ScopedTimeZone localZone(zone.constData());
    tandor28::testsupport::FeedsimProcess server = feedsim({QStringLiteral("--now"), now});
    QVERIFY(server.port() > 0);
    const Reply feed = fetch(server.port(), kCanadaPath);
    const std::vector<tandor28::DatedDraw> expected =
        tandor28::parseDatedRecords(tandor28::LotteryKind::Canada28Night, feed.body);
    QCOMPARE(expected.size(), std::size_t(120));
    const auto digits = [](const std::vector<tandor28::DatedDraw>& draws) {
        return tandor28::testsupport::datedDrawLines(draws, QStringLiteral("yyyy-MM-dd HH:mm"));
    };
    const QStringList wanted = digits(expected);

    const Reply page = fetch(server.port(), QStringLiteral("/services2/keno/draw/latest/120/0"));
    QCOMPARE(page.status, 200);
    const tandor28::KenoRead keno = tandor28::parseKenoJson(page.body, tandor28::KenoScheme::Interleave);
    QCOMPARE(keno.rejected, 0);
    QCOMPARE(digits(keno.draws), wanted);

    const Reply paged = fetch(server.port(), QStringLiteral("/services2/keno/draw/latest/5/10"));
    QCOMPARE(digits(tandor28::parseKenoJson(paged.body, tandor28::KenoScheme::Interleave).draws), wanted.mid(10, 5));

    // A year of draws is built and zipped for the answer, which takes seconds under the sanitizers
    // on a loaded machine: the read waits as long as that may take.
    const Reply zipped = fetch(server.port(), QStringLiteral("/keno/KenoCurrentYear.zip"), 120000);
    QCOMPARE(zipped.status, 200);
    QVERIFY(zipped.body.startsWith("PK"));
    tandor28::KenoRead year = tandor28::parseKenoCsvBody(zipped.body, tandor28::KenoScheme::Interleave);
    QCOMPARE(year.rejected, 0);
    const QDateTime clock = QDateTime::fromString(now, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    const int sinceNewYear =
        static_cast<int>(QDate(clock.date().year(), 1, 1).daysTo(clock.date())) * (86399 / 210 + 1) +
        clock.time().msecsSinceStartOfDay() / 1000 / 210 + 1;
    QCOMPARE(static_cast<int>(year.draws.size()), sinceNewYear);
    std::reverse(year.draws.begin(), year.draws.end());
    year.draws.resize(std::min<std::size_t>(year.draws.size(), 120));
    QCOMPARE(digits(year.draws), wanted.mid(0, static_cast<qsizetype>(year.draws.size())));
}

// The varied forms read to the same draws as the plain ones, the zip at both of its paths.
void TestFeedsim::kenoVariedForms()
{
    const QStringList clock{QStringLiteral("--now"), QStringLiteral("2026-01-03 08:00:00")};
    tandor28::testsupport::FeedsimProcess plain = feedsim(clock);
    tandor28::testsupport::FeedsimProcess varied =
        feedsim(clock + QStringList{QStringLiteral("--keno-forms"), QStringLiteral("varied")});
    QVERIFY(plain.port() > 0 && varied.port() > 0);
    const auto lines = [](const tandor28::KenoRead& read) { return tandor28::testsupport::datedDrawLines(read.draws); };
    const QString page = QStringLiteral("/services2/keno/draw/latest/120/0");
    const Reply plainPage = fetch(plain.port(), page);
    const Reply variedPage = fetch(varied.port(), page);
    QVERIFY(variedPage.body.startsWith("{\"draws\":[{\"drawNbr\":\""));
    const tandor28::KenoRead plainJson = tandor28::parseKenoJson(plainPage.body, tandor28::KenoScheme::Interleave);
    const tandor28::KenoRead variedJson = tandor28::parseKenoJson(variedPage.body, tandor28::KenoScheme::Interleave);
    QCOMPARE(plainJson.draws.size(), std::size_t(120));
    QCOMPARE(lines(variedJson), lines(plainJson));
    QCOMPARE(variedJson.rejected, 0);

    const tandor28::KenoRead plainYear = tandor28::parseKenoCsvBody(
        fetch(plain.port(), QStringLiteral("/keno/KenoCurrentYear.zip")).body, tandor28::KenoScheme::Interleave);
    const QByteArray variedZip =
        fetch(varied.port(), QStringLiteral("/resources/documents/downloadable-numbers/KenoCurrentYear.zip")).body;
    QCOMPARE(tandor28::unzipFirstCsv(variedZip).value_or(QByteArray()).left(3), QByteArray("\xEF\xBB\xBF"));
    const tandor28::KenoRead variedYear = tandor28::parseKenoCsvBody(variedZip, tandor28::KenoScheme::Interleave);
    QVERIFY(plainYear.draws.size() > 700);
    QCOMPARE(lines(variedYear), lines(plainYear));
    QCOMPARE(variedYear.rejected, 0);
    QCOMPARE(variedYear.skipped, static_cast<int>((plainYear.draws.size() + 49) / 50));
}

void TestFeedsim::kenoMisbehaves_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("draws");

    const QString page = QStringLiteral("/services2/keno/draw/latest/120/0");
    const QString year = QStringLiteral("/keno/KenoCurrentYear.zip");
    // clang-format off
    QTest::newRow("page, status 500")   << QStringList{"--status", "500"} << page << 500 << 0;
    QTest::newRow("page, garbage")      << QStringList{"--garbage"} << page << 200 << 0;
    QTest::newRow("page, 4 records")    << QStringList{"--records", "4"} << page << 200 << 4;
    QTest::newRow("page, canada off")   << QStringList{"--no-canada"} << page << 503 << 0;
    QTest::newRow("year, server down")  << QStringList{"--down"} << year << 503 << 0;
    QTest::newRow("year, garbage")      << QStringList{"--garbage"} << year << 200 << 0;
    // clang-format on
}

void TestFeedsim::kenoMisbehaves()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, path);
    QFETCH(int, status);
    QFETCH(int, draws);
    tandor28::testsupport::FeedsimProcess server = feedsim(arguments);
    QVERIFY(server.port() > 0);
    const Reply reply = fetch(server.port(), path);
    QVERIFY(reply.ok);
    QCOMPARE(reply.status, status);
    const tandor28::KenoRead read = path.endsWith(QLatin1String(".zip"))
                                        ? tandor28::parseKenoCsvBody(reply.body, tandor28::KenoScheme::Interleave)
                                        : tandor28::parseKenoJson(reply.body, tandor28::KenoScheme::Interleave);
    QCOMPARE(static_cast<int>(read.draws.size()), draws);
}

QTEST_GUILESS_MAIN(TestFeedsim)
#include "tst_feedsim.moc"
