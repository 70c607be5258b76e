#include "feed/kenofetch.h"
#include "feed/sources.h"

#include "fakeclock.h"
#include "kenobodies.h"
#include "localserver.h"
#include "timezone.h"

#include "keno/kenoformats.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include <atomic>
#include <mutex>

using namespace tandor28;
using namespace tandor28::testsupport;
using namespace std::chrono_literals;

namespace {

const QDateTime kStart(QDate(2026, 12, 10), QTime(12, 0), QTimeZone::utc());

// What one route of the server was asked: how often, and the headers of the last request.
struct Asked
{
    std::atomic<int> count{0};
    std::mutex mutex;
    httplib::Headers last;
    void note(const httplib::Request& request)
    {
        const std::lock_guard lock(mutex);
        ++count;
        last = request.headers;
    }
    [[nodiscard]] std::string header(const char* name)
    {
        const std::lock_guard lock(mutex);
        const auto found = last.find(name);
        return found == last.end() ? std::string() : found->second;
    }
};

} // namespace

class TestKenoFetch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void retryAfter_data();
    void retryAfter();
    void backoff_data();
    void backoff();
    void userAgent_data();
    void userAgent();
    void onePagePerRefresh();
    void waitsWhenAsked_data();
    void waitsWhenAsked();
    void backsOffWithoutRetryAfter();
    void yearZipConditional();
    void backfillPagesSpaced();

private:
    [[nodiscard]] std::vector<DrawSource> one(const QString& entry) const { return {*parseDrawSource(entry)}; }

    LocalServer m_server;
    FakeClock m_clock{kStart};
    QTemporaryDir m_cache;
    Asked m_pages;
    Asked m_feed;
    Asked m_busy;
    Asked m_zip;
    std::atomic<int> m_busyStatus{429};
    std::string m_busyRetryAfter;
    std::mutex m_busyMutex;
    std::atomic<int> m_zipVersion{1};
    std::vector<qint64> m_pageTimes; // the fake steady time of each page asked, in ms
    FakeSteadyClock m_steady;
};

void TestKenoFetch::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    setLocalTimeZone("Asia/Shanghai");
    m_server.routes().Get(R"(/services2/keno/draw/latest/(\d+)/(\d+))", [this](const httplib::Request& request,
                                                                               httplib::Response& response) {
        m_pages.note(request);
        {
            const std::lock_guard lock(m_busyMutex);
            m_pageTimes.push_back(
                std::chrono::duration_cast<std::chrono::milliseconds>(m_steady.now().time_since_epoch()).count());
        }
        const int count = std::stoi(request.matches[1]);
        const int offset = std::stoi(request.matches[2]);
        response.set_content(kenoJsonPage(2990130 - offset, std::min(count, 150)).toStdString(), "application/json");
    });
    m_server.routes().Get("/api.php", [this](const httplib::Request& request, httplib::Response& response) {
        m_feed.note(request);
        response.set_content("[]", "application/json");
    });
    m_server.routes().Get(R"(/busy/.*)", [this](const httplib::Request& request, httplib::Response& response) {
        m_busy.note(request);
        response.status = m_busyStatus;
        const std::lock_guard lock(m_busyMutex);
        if (!m_busyRetryAfter.empty())
            response.set_header("Retry-After", m_busyRetryAfter);
        response.set_content("busy", "text/plain");
    });
    m_server.routes().Get("/year.zip", [this](const httplib::Request& request, httplib::Response& response) {
        m_zip.note(request);
        const std::string etag = "\"v" + std::to_string(m_zipVersion.load()) + "\"";
        response.set_header("ETag", etag);
        response.set_header("Last-Modified", "Thu, 10 Dec 2026 11:00:00 GMT");
        if (request.get_header_value("If-None-Match") == etag) {
            response.status = 304;
            return;
        }
        QByteArray csv = kenoCsvHeader();
        for (int i = 0; i < 6; ++i)
            csv += kenoCsvRow(QByteArray::number(2990130 - i - m_zipVersion),
                              "2026-12-09 20:" + QByteArray::number(25 - i * 3) + ":00", kenoExampleNumbersText(","));
        const QByteArray zip = zipOneFile(QStringLiteral("KenoCurrentYear.csv"), csv);
        response.set_content(zip.toStdString(), "application/zip");
    });
    QVERIFY(m_server.start());
    QVERIFY(m_cache.isValid());
    KenoManners::instance().setCacheFolder(m_cache.path());
    KenoManners::instance().setClock(m_clock.function());
}

void TestKenoFetch::init()
{
    KenoManners::instance().forget();
    m_clock.set(kStart);
}

void TestKenoFetch::cleanupTestCase()
{
    KenoManners::instance().setClock({});
    m_server.stop();
    unsetLocalTimeZone();
}

void TestKenoFetch::retryAfter_data()
{
    QTest::addColumn<QString>("headers");
    QTest::addColumn<qint64>("seconds"); // -1: none
    // clang-format off
    QTest::newRow("seconds")                  << "Content-Type: text/plain\r\nRetry-After: 120" << qint64(120);
    QTest::newRow("any letter case")          << "retry-after:  7 " << qint64(7);
    QTest::newRow("HTTP date, 90 s ahead")    << "Retry-After: Thu, 10 Dec 2026 12:01:30 GMT" << qint64(90);
    QTest::newRow("HTTP date without day")    << "Retry-After: 10 Dec 2026 12:00:05 GMT" << qint64(5);
    QTest::newRow("date in the past")         << "Retry-After: Thu, 10 Dec 2026 11:00:00 GMT" << qint64(0);
    QTest::newRow("days are capped")          << "Retry-After: 864000" << kMaxRetryAfterSeconds;
    QTest::newRow("negative")                 << "Retry-After: -5" << qint64(-1);
    QTest::newRow("unreadable")               << "Retry-After: soon" << qint64(-1);
    QTest::newRow("none")                     << "Content-Type: text/plain" << qint64(-1);
    // clang-format on
}

void TestKenoFetch::retryAfter()
{
    QFETCH(QString, headers);
    QFETCH(qint64, seconds);
    QCOMPARE(retryAfterSeconds(headers, kStart).value_or(-1), seconds);
}

void TestKenoFetch::backoff_data()
{
    QTest::addColumn<int>("failures");
    QTest::addColumn<qint64>("seconds");
    QTest::newRow("first") << 1 << qint64(30);
    QTest::newRow("second") << 2 << qint64(60);
    QTest::newRow("fifth") << 5 << qint64(480);
    QTest::newRow("sixth reaches the cap") << 6 << qint64(600);
    QTest::newRow("hundredth stays at the cap") << 100 << qint64(600);
}

void TestKenoFetch::backoff()
{
    QFETCH(int, failures);
    QFETCH(qint64, seconds);
    QCOMPARE(backoffSeconds(failures), seconds);
}

void TestKenoFetch::userAgent_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("userAgent");
    // clang-format off
    QTest::newRow("keno-json names the program") << "keno-json /services2/keno/draw/latest" << "tandor28/1.4.0";
    QTest::newRow("keno-csv names the program")  << "keno-csv /year.zip" << "tandor28/1.4.0";
    QTest::newRow("the described feed keeps its headers") << "feed /api.php?t=jnd28" << "Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; Trident/5.0)";
    // clang-format on
}

void TestKenoFetch::userAgent()
{
    QFETCH(QString, entry);
    QFETCH(QString, userAgent);
    const QString url = entry.section(u' ', 1);
    (void)fetchFromSources(LotteryKind::Canada28Night, one(entry.section(u' ', 0, 0) + u' ' + m_server.url(url)), 0);
    Asked& asked = url.startsWith(QLatin1String("/services2")) ? m_pages
                   : url.startsWith(QLatin1String("/year"))    ? m_zip
                                                               : m_feed;
    QCOMPARE(QString::fromStdString(asked.header("User-Agent")), userAgent);
}

// A refresh asks the JSON service for one page of the draws the history shows, no more.
void TestKenoFetch::onePagePerRefresh()
{
    const int before = m_pages.count;
    const SourceFetch fetch = fetchFromSources(
        LotteryKind::Canada28Night, one(QStringLiteral("keno-json ") + m_server.url("/services2/keno/draw/latest")), 0);
    QVERIFY(fetch.history);
    QCOMPARE(m_pages.count - before, 1);
}

void TestKenoFetch::waitsWhenAsked_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("retryAfter");
    QTest::addColumn<int>("waitSeconds");
    // clang-format off
    QTest::newRow("429, seconds")   << 429 << "120" << 120;
    QTest::newRow("503, seconds")   << 503 << "45" << 45;
    QTest::newRow("429, HTTP date") << 429 << "Thu, 10 Dec 2026 12:05:00 GMT" << 300;
    // clang-format on
}

// A 429 or 503 with Retry-After: nothing is asked before that time, the failure line says the
// service asked to wait, and the next refresh after it asks again.
void TestKenoFetch::waitsWhenAsked()
{
    QFETCH(int, status);
    QFETCH(QString, retryAfter);
    QFETCH(int, waitSeconds);
    m_busyStatus = status;
    {
        const std::lock_guard lock(m_busyMutex);
        m_busyRetryAfter = retryAfter.toStdString();
    }
    const std::vector<DrawSource> sources = one(QStringLiteral("keno-json ") + m_server.url("/busy/latest"));
    const int before = m_busy.count;
    SourceFetch fetch = fetchFromSources(LotteryKind::Canada28Night, sources, 0);
    QCOMPARE(m_busy.count - before, 1);
    QVERIFY(fetch.askedToWait);
    QCOMPARE(fetch.failures.size(), 1);
    QVERIFY2(fetch.failures.front().contains(askedToWaitText(waitSeconds, status)), qPrintable(fetch.failures.front()));

    m_clock.advance(std::chrono::seconds(waitSeconds - 1));
    fetch = fetchFromSources(LotteryKind::Canada28Night, sources, 0);
    QCOMPARE(m_busy.count - before, 1);
    QVERIFY(fetch.askedToWait);
    QVERIFY2(fetch.failures.front().contains(QStringLiteral("服务要求等待，1秒后再试")),
             qPrintable(fetch.failures.front()));

    m_clock.advance(1s);
    (void)fetchFromSources(LotteryKind::Canada28Night, sources, 0);
    QCOMPARE(m_busy.count - before, 2);
}

// Without Retry-After the waits double from 30 s up to ten minutes; an answer resets them.
void TestKenoFetch::backsOffWithoutRetryAfter()
{
    m_busyStatus = 503;
    {
        const std::lock_guard lock(m_busyMutex);
        m_busyRetryAfter.clear();
    }
    const std::vector<DrawSource> sources = one(QStringLiteral("keno-json ") + m_server.url("/busy/latest"));
    const int before = m_busy.count;
    QList<qint64> waits;
    for (int i = 0; i < 7; ++i) {
        const SourceFetch fetch = fetchFromSources(LotteryKind::Canada28Night, sources, 0);
        QCOMPARE(m_busy.count - before, i + 1);
        const qint64 wait = backoffSeconds(i + 1);
        QVERIFY2(fetch.failures.front().contains(askedToWaitText(wait, 503)), qPrintable(fetch.failures.front()));
        waits << wait;
        m_clock.advance(std::chrono::seconds(wait));
    }
    QCOMPARE(waits, (QList<qint64>{30, 60, 120, 240, 480, 600, 600}));
}

// The yearly zip: fetched once, kept in the data folder, not asked again within the hour, then
// asked with its validators; a 304 reuses the kept body, a new body replaces it.
void TestKenoFetch::yearZipConditional()
{
    QTemporaryDir cache;
    QVERIFY(cache.isValid());
    KenoManners::instance().setCacheFolder(cache.path());
    const std::vector<DrawSource> sources = one(QStringLiteral("keno-csv ") + m_server.url("/year.zip"));
    m_zipVersion = 1;
    const int before = m_zip.count;
    SourceFetch fetch = fetchFromSources(LotteryKind::Canada28Night, sources, 0);
    QVERIFY2(fetch.history, qPrintable(fetch.failures.join(u';')));
    QCOMPARE(fetch.history->at(1).issue, QStringLiteral("2990129"));
    QCOMPARE(m_zip.count - before, 1);
    QCOMPARE(m_zip.header("If-None-Match"), std::string());
    QCOMPARE(QDir(cache.path()).entryList(QDir::Files).size(), 2);

    m_clock.advance(59min);
    fetch = fetchFromSources(LotteryKind::Canada28Night, sources, 0);
    QVERIFY(fetch.history);
    QCOMPARE(m_zip.count - before, 1);

    m_clock.advance(1min);
    fetch = fetchFromSources(LotteryKind::Canada28Night, sources, 0);
    QVERIFY(fetch.history);
    QCOMPARE(fetch.history->at(1).issue, QStringLiteral("2990129"));
    QCOMPARE(m_zip.count - before, 2);
    QCOMPARE(m_zip.header("If-None-Match"), std::string("\"v1\""));
    QCOMPARE(m_zip.header("If-Modified-Since"), std::string("Thu, 10 Dec 2026 11:00:00 GMT"));

    // A restart remembers the validators and the time of the last fetch from the data folder.
    KenoManners::instance().forget();
    m_clock.advance(30min);
    fetch = fetchFromSources(LotteryKind::Canada28Night, sources, 0);
    QVERIFY(fetch.history);
    QCOMPARE(m_zip.count - before, 2);

    m_zipVersion = 2;
    m_clock.advance(1h);
    fetch = fetchFromSources(LotteryKind::Canada28Night, sources, 0);
    QVERIFY(fetch.history);
    QCOMPARE(fetch.history->at(1).issue, QStringLiteral("2990128"));
    QCOMPARE(m_zip.count - before, 3);
    KenoManners::instance().setCacheFolder(m_cache.path());
}

// Backfill pages are at least a second apart, measured on the pager's own clock.
void TestKenoFetch::backfillPagesSpaced()
{
    {
        const std::lock_guard lock(m_busyMutex);
        m_pageTimes.clear();
    }
    std::vector<std::chrono::milliseconds> pauses;
    PagePacing pacing;
    pacing.now = [this] { return m_steady.now(); };
    pacing.sleep = [this, &pauses](std::chrono::milliseconds pause) {
        pauses.push_back(pause);
        m_steady.advance(pause);
    };
    const DrawSource source{SourceFormat::KenoJson, m_server.url("/services2/keno/draw/latest"),
                            KenoScheme::Interleave};
    const PageFetcher pager = kenoJsonPager(source, pacing);
    QVERIFY(pager(1, 0));
    m_steady.advance(300ms);
    QVERIFY(pager(100, 5));
    m_steady.advance(1500ms);
    QVERIFY(pager(100, 105));
    QVERIFY(pager(100, 205));
    QCOMPARE(pauses, (std::vector<std::chrono::milliseconds>{700ms, 1000ms}));
    {
        const std::lock_guard lock(m_busyMutex);
        QCOMPARE(m_pageTimes, (std::vector<qint64>{0, 1000, 2500, 3500}));
    }
    // Once cancelled (the program closes), the pager asks for nothing more.
    const auto stopping = std::make_shared<std::atomic<bool>>(false);
    const PageFetcher stoppable = kenoJsonPager(source, pacing, stopping);
    QVERIFY(stoppable(1, 0));
    stopping->store(true);
    const int asked = m_pages.count;
    QVERIFY(!stoppable(100, 5));
    QCOMPARE(m_pages.count, asked);
}

QTEST_GUILESS_MAIN(TestKenoFetch)
#include "tst_kenofetch.moc"
