#include "feed/feedfetch.h"

#include <QFile>
#include <QFutureWatcher>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTest>

#include <httplib.h>

#include <thread>

using namespace tandor28;

namespace {

std::string fixture(const char* name)
{
    QFile file(QStringLiteral(TANDOR28_TEST_DATA "/feeds/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", name);
    return file.readAll().toStdString();
}

// A port on 127.0.0.1 that nobody listens on: taken from the system, then given back.
int closedPort()
{
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost))
        return 0;
    const int port = server.serverPort();
    server.close();
    return port;
}

} // namespace

Q_DECLARE_METATYPE(tandor28::LotteryKind)
Q_DECLARE_METATYPE(tandor28::FetchFailure)

class TestFeedFetch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void fetchAndParse_data();
    void fetchAndParse();

private:
    httplib::Server m_server;
    std::thread m_thread;
    int m_port = 0;
};

void TestFeedFetch::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    const std::string lucky = fixture("lucky28_120.txt");
    const std::string canada = fixture("canada28_5.json");
    const std::string few = fixture("lucky28_4.txt");
    m_server.Get("/lucky28.txt", [lucky](const httplib::Request&, httplib::Response& response) {
        response.set_content(lucky, "text/plain");
    });
    m_server.Get("/api.php", [canada](const httplib::Request& request, httplib::Response& response) {
        response.set_content(request.get_param_value("t") == "jnd28" ? canada : std::string(), "application/json");
    });
    m_server.Get("/broken", [lucky](const httplib::Request&, httplib::Response& response) {
        response.status = 500;
        response.set_content(lucky, "text/plain");
    });
    m_server.Get("/few.txt", [few](const httplib::Request&, httplib::Response& response) {
        response.set_content(few, "text/plain");
    });
    m_port = m_server.bind_to_any_port("127.0.0.1");
    QVERIFY(m_port > 0);
    m_thread = std::thread([this] { m_server.listen_after_bind(); });
}

void TestFeedFetch::cleanupTestCase()
{
    m_server.stop();
    if (m_thread.joinable())
        m_thread.join();
}

void TestFeedFetch::fetchAndParse_data()
{
    QTest::addColumn<LotteryKind>("kind");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("newestIssue"); // empty: no history
    QTest::addColumn<FetchFailure>("failure");
    QTest::addColumn<int>("status");
    const auto none = FetchFailure::None;
    const auto few = FetchFailure::TooFewRecords;
    // clang-format off
    QTest::newRow("lucky28 feed") << LotteryKind::Lucky28 << "/lucky28.txt" << "3255120" << none << 200;
    QTest::newRow("canada28 feed") << LotteryKind::Canada28Night << "/api.php?t=jnd28" << "2990120" << none << 200;
    QTest::newRow("four records") << LotteryKind::Lucky28 << "/few.txt" << "" << few << 200;
    QTest::newRow("feed of the other kind") << LotteryKind::Canada28Night << "/lucky28.txt" << "" << few << 200;
    QTest::newRow("missing page") << LotteryKind::Lucky28 << "/nothing" << "" << FetchFailure::HttpStatus << 404;
    QTest::newRow("server error with a feed body still gives the feed") << LotteryKind::Lucky28 << "/broken" << "3255120" << none << 500;
    QTest::newRow("nothing listens") << LotteryKind::Lucky28 << "refused" << "" << FetchFailure::Refused << 0;
    QTest::newRow("not an http URL") << LotteryKind::Lucky28 << "ftp" << "" << FetchFailure::BadUrl << 0;
    // clang-format on
}

void TestFeedFetch::fetchAndParse()
{
    QFETCH(LotteryKind, kind);
    QFETCH(QString, path);
    QFETCH(QString, newestIssue);
    QFETCH(FetchFailure, failure);
    QFETCH(int, status);
    QString url = QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path);
    if (path == QLatin1String("refused"))
        url = QStringLiteral("http://127.0.0.1:%1/lucky28.txt").arg(closedPort());
    else if (path == QLatin1String("ftp"))
        url = QStringLiteral("ftp://127.0.0.1/lucky28.txt");
    // The window's way: a watcher reports the end on this thread's event loop.
    QFutureWatcher<FeedFetchResult> watcher;
    QSignalSpy finished(&watcher, &QFutureWatcherBase::finished);
    watcher.setFuture(fetchDrawFeedAsync(kind, url));
    QVERIFY(finished.wait(20000));
    const FeedFetchResult result = watcher.result();
    QCOMPARE(result.failure, failure);
    QCOMPARE(result.status, status);
    const std::optional<DrawHistory>& history = result.history;
    QCOMPARE(history.has_value(), !newestIssue.isEmpty());
    if (history) {
        QCOMPARE(history->size(), kHistoryLength);
        QCOMPARE(history->at(1).issue, newestIssue);
    }
}

QTEST_GUILESS_MAIN(TestFeedFetch)
#include "tst_feedfetch.moc"
