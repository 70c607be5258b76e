#include "feed/feedfetch.h"

#include "fixtures.h"
#include "localserver.h"

#include <QFutureWatcher>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

using namespace tandor28;
using namespace tandor28::testsupport;

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
    LocalServer m_server;
};

void TestFeedFetch::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    const QByteArray lucky = feedBytes("lucky28_120.txt");
    const QByteArray canada = feedBytes("canada28_5.json");
    m_server.serve("/lucky28.txt", lucky);
    m_server.routes().Get(
        "/api.php", [canada = canada.toStdString()](const httplib::Request& request, httplib::Response& response) {
            response.set_content(request.get_param_value("t") == "jnd28" ? canada : std::string(), "application/json");
        });
    m_server.serve("/broken", lucky, "text/plain", 500);
    m_server.serve("/few.txt", feedBytes("lucky28_4.txt"));
    QVERIFY(m_server.start());
}

void TestFeedFetch::cleanupTestCase()
{
    m_server.stop();
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
    QString url = m_server.url(path);
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
