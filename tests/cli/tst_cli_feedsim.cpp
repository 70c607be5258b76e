// The command-line companion end to end: the real tandor28-cli reads the real local draw server.

#include "model/classification.h"
#include "model/draw.h"

#include "feedsimprocess.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace {

using namespace tandor28;

// The server's clock stands still, so the CLI and the test see the same draws.
const QString kNow = QStringLiteral("2026-12-10 12:07:13");

// The server binary on a free port, its clock standing at kNow.
testsupport::FeedsimProcess feedsim(const QStringList& arguments)
{
    return testsupport::FeedsimProcess(QStringLiteral(TANDOR28_FEEDSIM),
                                       QStringList{QStringLiteral("--now"), kNow} + arguments);
}

// The body of a plain GET, read until the server closes the connection.
QByteArray fetchBody(int port, const QString& path)
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
    const qsizetype headerEnd = answer.indexOf("\r\n\r\n");
    return headerEnd < 0 ? QByteArray() : answer.mid(headerEnd + 4);
}

QString feedPath(const QString& lottery)
{
    return lottery == QLatin1String("lucky28") ? QStringLiteral("/lucky28.txt") : QStringLiteral("/api.php?t=jnd28");
}

// The draws the server serves, read with the feeds' own record patterns.
QList<Draw> servedDraws(const QString& lottery, const QByteArray& body)
{
    const QRegularExpression::PatternOptions options =
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::MultilineOption;
    static const QRegularExpression lucky(QStringLiteral(R"((.*?)-(.*?) (.*?)-(.*?) = (.*?)\r\n)"), options);
    static const QRegularExpression canada(
        QStringLiteral(R"re("issue":"(.*?)","date":"(.*?)","c1":"(.*?)","c2":"(.*?)","c3":"(.*?)","c4":"(.*?)")re"),
        options);
    QList<Draw> draws;
    const QString text = QString::fromLatin1(body);
    if (lottery == QLatin1String("lucky28")) {
        auto it = lucky.globalMatch(text);
        while (it.hasNext()) {
            const QRegularExpressionMatch m = it.next();
            const QStringList digits = m.captured(4).split(QStringLiteral(" + "));
            if (digits.size() == 3) {
                draws.append(makeDraw(m.captured(1), m.captured(3).left(5), digits[0], digits[1], digits[2]));
            }
        }
    } else {
        auto it = canada.globalMatch(text);
        while (it.hasNext()) {
            const QRegularExpressionMatch m = it.next();
            draws.append(makeDraw(m.captured(1), m.captured(2).right(5), m.captured(3), m.captured(4), m.captured(5)));
        }
    }
    return draws;
}

QString historyLine(int position, const Draw& d)
{
    const QStringList fields{QString::number(position),
                             d.issue,
                             d.time,
                             QString::number(d.d1),
                             QString::number(d.d2),
                             QString::number(d.d3),
                             QString::number(d.sum),
                             d.resultText,
                             sizeLabel(d.sum),
                             parityLabel(d.sum),
                             comboLabel(d.sum),
                             middleEdgeLabel(d.sum),
                             QString::number(sumMod(d.sum, 3)),
                             QString::number(sumMod(d.sum, 4)),
                             QString::number(sumMod(d.sum, 5))};
    return fields.join(QLatin1Char('\t'));
}

struct CliRun
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

CliRun runCli(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(TANDOR28_CLI), arguments);
    CliRun run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished(5000);
        return run;
    }
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

} // namespace

class TestCliFeedsim : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void history_data();
    void history();
    void historyOfAnUnusableFeed_data();
    void historyOfAnUnusableFeed();
    void notice_data();
    void notice();
};

void TestCliFeedsim::history_data()
{
    QTest::addColumn<QString>("lottery");
    QTest::addColumn<QStringList>("serverArguments");
    QTest::addColumn<int>("servedRecords");

    const QString records = QStringLiteral("--records");
    QTest::newRow("lucky28 full feed") << "lucky28" << QStringList{} << 120;
    QTest::newRow("canada28 full feed") << "canada28" << QStringList{} << 120;
    QTest::newRow("lucky28 other seed") << "lucky28" << QStringList{QStringLiteral("--seed"), QStringLiteral("5")}
                                        << 120;
    QTest::newRow("lucky28 5 records") << "lucky28" << QStringList{records, QStringLiteral("5")} << 5;
    QTest::newRow("canada28 5 records") << "canada28" << QStringList{records, QStringLiteral("5")} << 5;
    QTest::newRow("canada28 109 records") << "canada28" << QStringList{records, QStringLiteral("109")} << 109;
}

void TestCliFeedsim::history()
{
    QFETCH(QString, lottery);
    QFETCH(QStringList, serverArguments);
    QFETCH(int, servedRecords);
    const int realDraws = std::min(servedRecords, kHistoryLength);

    testsupport::FeedsimProcess server = feedsim(serverArguments);
    QVERIFY(server.port() > 0);
    const QString url = QStringLiteral("http://127.0.0.1:%1%2").arg(server.port()).arg(feedPath(lottery));
    const QList<Draw> served = servedDraws(lottery, fetchBody(server.port(), feedPath(lottery)));
    QCOMPARE(served.size(), servedRecords);

    const CliRun run =
        runCli({QStringLiteral("history"), QStringLiteral("--lottery"), lottery, QStringLiteral("--url"), url});
    QVERIFY2(run.exitCode == 0, run.err.constData());
    const QStringList lines = QString::fromUtf8(run.out).split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), kHistoryLength + 1);
    QCOMPARE(lines.last(), QString());
    for (int position = 1; position <= kHistoryLength; ++position) {
        const Draw expected = position <= realDraws ? served[position - 1] : Draw{};
        if (position <= realDraws) {
            QVERIFY(!expected.issue.isEmpty());
        }
        // A position without a draw is a blank line, as the window shows it.
        QCOMPARE(lines[position - 1], position <= realDraws ? historyLine(position, expected)
                                                            : QString::number(position) + QString(14, u'\t'));
    }
}

void TestCliFeedsim::historyOfAnUnusableFeed_data()
{
    QTest::addColumn<QString>("lottery");
    QTest::addColumn<QStringList>("serverArguments");

    const QString records = QStringLiteral("--records");
    QTest::newRow("lucky28 4 records") << "lucky28" << QStringList{records, QStringLiteral("4")};
    QTest::newRow("canada28 4 records") << "canada28" << QStringList{records, QStringLiteral("4")};
    QTest::newRow("lucky28 no records") << "lucky28" << QStringList{records, QStringLiteral("0")};
    QTest::newRow("lucky28 server error")
        << "lucky28" << QStringList{QStringLiteral("--status"), QStringLiteral("500")};
    QTest::newRow("canada28 garbage") << "canada28" << QStringList{QStringLiteral("--garbage")};
    QTest::newRow("canada28 server down") << "canada28" << QStringList{QStringLiteral("--down")};
    // A body that breaks off is a failed fetch, not a shorter feed.
    QTest::newRow("lucky28 cut body") << "lucky28" << QStringList{QStringLiteral("--cut")};
    QTest::newRow("canada28 cut body") << "canada28" << QStringList{QStringLiteral("--cut")};
}

void TestCliFeedsim::historyOfAnUnusableFeed()
{
    QFETCH(QString, lottery);
    QFETCH(QStringList, serverArguments);

    testsupport::FeedsimProcess server = feedsim(serverArguments);
    QVERIFY(server.port() > 0);
    const QString url = QStringLiteral("http://127.0.0.1:%1%2").arg(server.port()).arg(feedPath(lottery));
    const CliRun run =
        runCli({QStringLiteral("history"), QStringLiteral("--lottery"), lottery, QStringLiteral("--url"), url});
    QCOMPARE(run.exitCode, 3);
    QVERIFY(run.out.isEmpty());
    QVERIFY(!run.err.isEmpty());
}

void TestCliFeedsim::notice_data()
{
    QTest::addColumn<bool>("fromSavedCopy");
    QTest::addColumn<QString>("version");

    QTest::newRow("from the server") << false << "1.4.0";
    QTest::newRow("from a saved copy") << true << "1.4.0";
    QTest::newRow("newer version from the server") << false << "1.5.0";
}

void TestCliFeedsim::notice()
{
    QFETCH(bool, fromSavedCopy);
    QFETCH(QString, version);

    testsupport::FeedsimProcess server = feedsim({QStringLiteral("--version-text"), version});
    QVERIFY(server.port() > 0);
    const QString url = QStringLiteral("http://127.0.0.1:%1/notice.txt").arg(server.port());
    QStringList arguments{QStringLiteral("notice"), QStringLiteral("--url"), url};
    QTemporaryDir dir;
    if (fromSavedCopy) {
        const QByteArray notice = fetchBody(server.port(), QStringLiteral("/notice.txt"));
        QVERIFY(!notice.isEmpty());
        QVERIFY(dir.isValid());
        QFile file(dir.filePath(QStringLiteral("notice.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(notice), notice.size());
        file.close();
        arguments = QStringList{QStringLiteral("notice"), QStringLiteral("--file"), file.fileName()};
    }

    const CliRun run = runCli(arguments);
    QVERIFY2(run.exitCode == 0, run.err.constData());
    const QStringList lines = QString::fromUtf8(run.out).split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 5);
    QCOMPARE(lines[0], version);
    QVERIFY(lines[1].startsWith(QStringLiteral("欢迎使用")));
    QVERIFY(lines[2].contains(QStringLiteral("\\r\\n")));
    QCOMPARE(lines[3], QStringLiteral("http://127.0.0.1:%1/lucky28.txt").arg(server.port()));
    QCOMPARE(lines[4], QString());
}

QTEST_GUILESS_MAIN(TestCliFeedsim)
#include "tst_cli_feedsim.moc"
