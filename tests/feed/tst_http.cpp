#include "feed/feedparser.h"
#include "feed/http.h"

#include "fixtures.h"
#include "localserver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QSemaphore>
#include <QSignalSpy>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QStandardPaths>
#include <QTest>
#include <QThreadPool>

#include <httplib.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

using namespace tandor28;
using namespace tandor28::testsupport;

namespace {

// What the server saw of the last request.
struct Received
{
    std::string method;
    std::string path;
    std::string body;
    httplib::Headers headers;
};

// A real HTTP server on 127.0.0.1 (any free port) that records each request it receives.
class RecordingServer
{
public:
    RecordingServer()
    {
        const auto record = [this](const httplib::Request& request, httplib::Response& response) {
            {
                const std::lock_guard lock(m_mutex);
                m_last = {request.method, request.path, request.body, request.headers};
            }
            response.set_content("hello", "text/plain");
        };
        for (const char* path : {"/echo"}) {
            m_server.routes().Get(path, record);
            m_server.routes().Post(path, record);
            m_server.routes().Put(path, record);
            m_server.routes().Delete(path, record);
        }
        m_server.routes().Get("/cookies", [this](const httplib::Request& request, httplib::Response& response) {
            {
                const std::lock_guard lock(m_mutex);
                m_last = {request.method, request.path, request.body, request.headers};
            }
            response.set_header("Set-Cookie", "s=1; Path=/");
            response.set_header("Set-Cookie", "t=2");
            response.set_content("cookies", "text/plain");
        });
        // /flood?count=N&size=S&round=R: N cookies "rRcI=vvv..." of S bytes each (name, "=" and value).
        m_server.routes().Get("/flood", [](const httplib::Request& request, httplib::Response& response) {
            const int count = std::stoi(request.get_param_value("count"));
            const std::size_t size = std::stoull(request.get_param_value("size"));
            for (int i = 0; i < count; ++i) {
                std::string cookie(1, 'r');
                cookie.append(request.get_param_value("round")).append(1, 'c').append(std::to_string(i)).append(1, '=');
                cookie.append(size - cookie.size(), 'v').append("; Path=/");
                response.set_header("Set-Cookie", cookie);
            }
            response.set_content("flood", "text/plain");
        });
        m_server.routes().Get("/forget", [](const httplib::Request&, httplib::Response& response) {
            response.set_header("Set-Cookie", "s=deleted; Path=/");
            response.set_content("forget", "text/plain");
        });
        m_server.routes().Get("/location", [](const httplib::Request&, httplib::Response& response) {
            response.set_header("Location", "http://example.invalid/next?t=12:05");
            response.set_content("moved", "text/plain");
        });
        // /error?status=N: an error page with that status.
        m_server.routes().Get("/error", [](const httplib::Request& request, httplib::Response& response) {
            response.status = std::stoi(request.get_param_value("status"));
            response.set_content("error page", "text/plain");
        });
        m_server.routes().Get("/zero", [](const httplib::Request&, httplib::Response& response) {
            response.set_content(std::string("abc\0def", 7), "text/plain");
        });
        m_server.routes().Get("/stall", [this](const httplib::Request&, httplib::Response& response) {
            std::unique_lock lock(m_mutex);
            m_released.wait_for(lock, std::chrono::seconds(20), [this] { return m_release; });
            response.set_content("late", "text/plain");
        });
        // A server that never stops talking: one byte every two seconds, twenty in all.
        m_server.routes().Get("/drip", [this](const httplib::Request&, httplib::Response& response) {
            m_server.drip(response, 20, std::chrono::seconds(2));
        });
        // /sized?n=N&chunked=0|1: a body of N bytes, streamed in 64 KiB pieces.
        m_server.routes().Get("/sized", [](const httplib::Request& request, httplib::Response& response) {
            const std::size_t size = std::stoull(request.get_param_value("n"));
            const auto provide = [size](std::size_t offset, httplib::DataSink& sink) {
                static const std::string piece(64 * 1024, 'x');
                const std::size_t length = std::min(piece.size(), size - offset);
                if (length == 0) {
                    sink.done();
                    return true;
                }
                return sink.write(piece.data(), length);
            };
            if (request.get_param_value("chunked") == "1") {
                auto offset = std::make_shared<std::size_t>(0);
                response.set_chunked_content_provider("text/plain",
                                                      [provide, offset, size](std::size_t, httplib::DataSink& sink) {
                                                          const std::size_t before = *offset;
                                                          *offset = std::min(size, before + 64 * 1024);
                                                          return provide(before, sink);
                                                      });
            } else {
                response.set_content_provider(size, "text/plain",
                                              [provide](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                                  return provide(offset, sink);
                                              });
            }
        });
        // The socket listens once bound, so requests queue until the accept loop runs.
        m_started = m_server.start();
    }

    ~RecordingServer()
    {
        release();
        m_server.stop();
    }

    [[nodiscard]] bool started() const { return m_started; }

    void release()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_release = true;
        }
        m_released.notify_all();
    }

    [[nodiscard]] QString url(const char* path) const { return m_server.url(path); }

    [[nodiscard]] Received last() const
    {
        const std::lock_guard lock(m_mutex);
        return m_last;
    }

    [[nodiscard]] QString header(const char* name) const
    {
        const Received received = last();
        const auto it = received.headers.find(name);
        return it == received.headers.end() ? QStringLiteral("<none>") : QString::fromStdString(it->second);
    }

private:
    LocalServer m_server;
    bool m_started = false;
    mutable std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_release = false;
    Received m_last;
};

} // namespace

Q_DECLARE_METATYPE(tandor28::FetchFailure)

class TestHttp : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void defaultHeaderBlockIsSent();
    void method_data();
    void method();
    void extraHeaders_data();
    void extraHeaders();
    void setCookiesAreStoredAndSent();
    void deletedCookieLeavesTheStore();
    void cookieFloodStaysBounded_data();
    void cookieFloodStaysBounded();
    void locationAndHeaderText();
    void errorStatusBodyIsReturned_data();
    void errorStatusBodyIsReturned();
    void urlWithBlanksAndChineseIsFetched();
    void fetchTextStopsAtZeroByte();
    void fetchTextAsyncRunsOffThread();
    void stalledServerTimesOut();
    void drippingServerIsCutOffInTotal();
    void failureReason_data();
    void failureReason();
    void failureText_data();
    void failureText();
    void unreachablePortGivesEmptyText();
    void untrustedCertificateGivesEmptyText();
    void nonHttpUrlGivesEmptyText_data();
    void nonHttpUrlGivesEmptyText();
    void bodyCap_data();
    void bodyCap();
    void oversizedFeedNeverReplacesAHistory();
    void mergeCookies_data();
    void mergeCookies();
    void urlHost_data();
    void urlHost();

private:
    std::unique_ptr<RecordingServer> m_server;
};

void TestHttp::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(cookieStorePath().contains(QLatin1String(".qttest")));
    m_server = std::make_unique<RecordingServer>();
    QVERIFY(m_server->started());
}

void TestHttp::init()
{
    QFile::remove(cookieStorePath());
}

void TestHttp::defaultHeaderBlockIsSent()
{
    const QString url = m_server->url("/echo?x=1");
    QCOMPARE(
        defaultHeaderBlock(url),
        QStringLiteral("Referer: ") + url +
            QStringLiteral("\r\nAccept: */*\r\nAccept-Language: zh-cn\r\nUser-Agent: Mozilla/5.0 (compatible; MSIE "
                           "9.0; Windows NT 6.1; Trident/5.0)\r\nContent-Type: application/x-www-form-urlencoded"));
    QCOMPARE(fetchText(url), QByteArray("hello"));
    QCOMPARE(QString::fromStdString(m_server->last().method), QStringLiteral("GET"));
    QCOMPARE(m_server->header("Referer"), url);
    QCOMPARE(m_server->header("Accept"), QStringLiteral("*/*"));
    QCOMPARE(m_server->header("Accept-Language"), QStringLiteral("zh-cn"));
    QCOMPARE(m_server->header("User-Agent"),
             QStringLiteral("Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; Trident/5.0)"));
    QCOMPARE(m_server->header("Content-Type"), QStringLiteral("application/x-www-form-urlencoded"));
    QCOMPARE(m_server->header("Cookie"), QStringLiteral("<none>"));
    QCOMPARE(m_server->header("Accept-Encoding"), QStringLiteral("identity"));
}

void TestHttp::method_data()
{
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("sent");
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("post upper-cased") << "post"
                                      << "POST" << QByteArray("a=1&b=2");
    QTest::newRow("empty is GET") << ""
                                  << "GET" << QByteArray();
    QTest::newRow("mixed case put") << "pUt"
                                    << "PUT" << QByteArray("body");
    QTest::newRow("delete") << "delete"
                            << "DELETE" << QByteArray();
}

void TestHttp::method()
{
    QFETCH(QString, method);
    QFETCH(QString, sent);
    QFETCH(QByteArray, body);
    HttpRequest request;
    request.url = m_server->url("/echo");
    request.method = method;
    request.body = body;
    const HttpResponse response = httpRequest(request);
    QVERIFY(response.completed);
    QCOMPARE(response.body, QByteArray("hello"));
    const Received received = m_server->last();
    QCOMPARE(QString::fromStdString(received.method), sent);
    QCOMPARE(QByteArray::fromStdString(received.body), body);
}

void TestHttp::extraHeaders_data()
{
    QTest::addColumn<QString>("headers");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::newRow("single line, value with colons") << "X-Url: http://a.example:81/b?t=12:05"
                                                    << "X-Url"
                                                    << "http://a.example:81/b?t=12:05";
    QTest::newRow("lines split at CR LF") << "X-One: 1\r\nX-Time: 12:05:00"
                                          << "X-Time"
                                          << "12:05:00";
    QTest::newRow("line without colon skipped") << "garbage\r\nX-Two: 2"
                                                << "X-Two"
                                                << "2";
    QTest::newRow("own headers replace the default block") << "X-Two: 2"
                                                           << "Referer"
                                                           << "<none>";
    QTest::newRow("own referer") << "Referer: http://r.example/"
                                 << "Referer"
                                 << "http://r.example/";
}

void TestHttp::extraHeaders()
{
    QFETCH(QString, headers);
    QFETCH(QString, name);
    QFETCH(QString, value);
    HttpRequest request;
    request.url = m_server->url("/echo");
    request.headers = headers;
    QVERIFY(httpRequest(request).completed);
    QCOMPARE(m_server->header(name.toLatin1().constData()), value);
}

void TestHttp::setCookiesAreStoredAndSent()
{
    HttpRequest request;
    request.url = m_server->url("/cookies");
    const HttpResponse first = httpRequest(request);
    QCOMPARE(first.body, QByteArray("cookies"));
    QCOMPARE(first.cookies, QStringLiteral("s=1; t=2"));
    QCOMPARE(storedCookies(QStringLiteral("127.0.0.1")), QStringLiteral("s=1; t=2"));
    QVERIFY(QFile::exists(cookieStorePath()));

    QCOMPARE(fetchText(m_server->url("/echo")), QByteArray("hello"));
    QCOMPARE(m_server->header("Cookie"), QStringLiteral("s=1; t=2"));

    request.url = m_server->url("/echo");
    request.cookies = QStringLiteral("t=9; u=3");
    const HttpResponse second = httpRequest(request);
    QCOMPARE(m_server->header("Cookie"), QStringLiteral("s=1; t=9; u=3"));
    QCOMPARE(second.cookies, QStringLiteral("s=1; t=9; u=3"));
    QCOMPARE(storedCookies(QStringLiteral("127.0.0.1")), QStringLiteral("s=1; t=9; u=3"));
    QCOMPARE(storedCookies(QStringLiteral("other.example")), QString());
}

void TestHttp::deletedCookieLeavesTheStore()
{
    storeCookies(QStringLiteral("127.0.0.1"), QStringLiteral("s=1; k=5"));
    QCOMPARE(fetchText(m_server->url("/forget")), QByteArray("forget"));
    QCOMPARE(storedCookies(QStringLiteral("127.0.0.1")), QStringLiteral("k=5"));
}

void TestHttp::cookieFloodStaysBounded_data()
{
    QTest::addColumn<int>("count");  // cookies per answer
    QTest::addColumn<int>("size");   // bytes of each
    QTest::addColumn<int>("rounds"); // answers
    QTest::addColumn<QStringList>("hosts");
    QTest::addColumn<int>("kept"); // cookies kept for the last host
    QTest::addColumn<int>("sent"); // cookies sent to it next ("<none>" counts as one)
    // clang-format off
    QTest::newRow("90 small cookies, three answers")  << 90 << 30 << 3 << QStringList{"127.0.0.1"} << 50 << 50;
    QTest::newRow("one cookie of 5000 bytes")          << 1 << 5000 << 1 << QStringList{"127.0.0.1"} << 0 << 1;
    QTest::newRow("one cookie of 4096 bytes")          << 1 << 4096 << 1 << QStringList{"127.0.0.1"} << 1 << 1;
    QTest::newRow("40 cookies of 4 KB, three answers") << 40 << 4096 << 3 << QStringList{"127.0.0.1"} << 15 << 1;
    QTest::newRow("two hosts of 50 KB each")           << 50 << 1000 << 1 << QStringList{"127.0.0.1", "localhost"} << 50 << 8;
    // clang-format on
}

void TestHttp::cookieFloodStaysBounded()
{
    QFETCH(int, count);
    QFETCH(int, size);
    QFETCH(int, rounds);
    QFETCH(QStringList, hosts);
    QFETCH(int, kept);
    QFETCH(int, sent);
    const QString port = QString::number(QUrl(m_server->url("/")).port());
    for (const QString& host : std::as_const(hosts)) {
        for (int round = 0; round < rounds; ++round) {
            HttpRequest request;
            request.url = QStringLiteral("http://%1:%2/flood?count=%3&size=%4&round=%5")
                              .arg(host, port)
                              .arg(count)
                              .arg(size)
                              .arg(round);
            QVERIFY(httpRequest(request).completed);
        }
    }
    // (Qt itself reads at most 100 header lines of an answer, so a flood is sent in several.)
    QVERIFY2(QFileInfo(cookieStorePath()).size() <= kMaxCookieFileBytes,
             qPrintable(QString::number(QFileInfo(cookieStorePath()).size())));
    const QString last = hosts.last();
    const QString stored = storedCookies(last);
    const QStringList entries = stored.isEmpty() ? QStringList() : stored.split(QStringLiteral("; "));
    QCOMPARE(entries.size(), kept);
    // The newest are the ones kept.
    if (kept > 0)
        QVERIFY2(entries.last().startsWith(QStringLiteral("r%1c%2=").arg(rounds - 1).arg(count - 1)),
                 qPrintable(entries.last().left(20)));
    for (const QString& entry : entries)
        QVERIFY(entry.toUtf8().size() <= kMaxCookieBytes);
    // The next request to that host is answered: it sends the newest kept cookies that fit into 8 KB.
    QCOMPARE(fetchText(QStringLiteral("http://%1:%2/echo").arg(last, port)), QByteArray("hello"));
    QCOMPARE(m_server->header("Cookie"), stored.isEmpty() ? QStringLiteral("<none>") : cookieHeaderText(stored));
    QCOMPARE(m_server->header("Cookie").split(QStringLiteral("; ")).size(), sent);
    QVERIFY(m_server->header("Cookie").toUtf8().size() <= kMaxCookieHeaderBytes);
}

void TestHttp::locationAndHeaderText()
{
    HttpRequest request;
    request.url = m_server->url("/location");
    const HttpResponse response = httpRequest(request);
    QCOMPARE(response.location, QStringLiteral("http://example.invalid/next?t=12:05"));
    QVERIFY(response.headers.split(QStringLiteral("\r\n"))
                .contains(QStringLiteral("Location: http://example.invalid/next?t=12:05")));

    request.url = m_server->url("/cookies");
    const QStringList lines = httpRequest(request).headers.split(QStringLiteral("\r\n"));
    QVERIFY(lines.contains(QStringLiteral("Set-Cookie: s=1; Path=/")));
    QVERIFY(lines.contains(QStringLiteral("Set-Cookie: t=2")));
}

void TestHttp::errorStatusBodyIsReturned_data()
{
    QTest::addColumn<QString>("status");
    QTest::newRow("400 bad request") << "400";
    QTest::newRow("401 unauthorised") << "401";
    QTest::newRow("403 forbidden") << "403";
    QTest::newRow("407 proxy authentication") << "407";
    QTest::newRow("404 not found") << "404";
    QTest::newRow("418 unusual client error") << "418";
    QTest::newRow("500 server error") << "500";
    QTest::newRow("503 unavailable") << "503";
}

void TestHttp::errorStatusBodyIsReturned()
{
    QFETCH(QString, status);
    QCOMPARE(fetchText(m_server->url("/error?status=") + status), QByteArray("error page"));
}

void TestHttp::urlWithBlanksAndChineseIsFetched()
{
    QCOMPARE(fetchText(m_server->url("/echo?name=幸运 28")), QByteArray("hello"));
    QCOMPARE(QString::fromStdString(m_server->last().path), QStringLiteral("/echo"));
}

void TestHttp::fetchTextStopsAtZeroByte()
{
    QCOMPARE(fetchText(m_server->url("/zero")), QByteArray("abc"));
    HttpRequest request;
    request.url = m_server->url("/zero");
    QCOMPARE(httpRequest(request).body, QByteArray("abc\0def", 7));
}

// The global pool is full of work that waits for this test; the fetch must still finish.
void TestHttp::fetchTextAsyncRunsOffThread()
{
    QThreadPool* global = QThreadPool::globalInstance();
    QSemaphore release;
    for (int i = 0; i < global->maxThreadCount(); ++i)
        global->start([&release] { release.acquire(); });
    // Waiting through a watcher: waiting on the future itself could run the fetch on this thread.
    QFutureWatcher<QByteArray> watcher;
    QSignalSpy finished(&watcher, &QFutureWatcherBase::finished);
    watcher.setFuture(fetchTextAsync(m_server->url("/echo")));
    const bool ended = finished.wait(20000);
    release.release(global->maxThreadCount());
    global->waitForDone();
    QVERIFY(ended);
    QCOMPARE(watcher.result(), QByteArray("hello"));
}

void TestHttp::stalledServerTimesOut()
{
    HttpRequest request;
    request.url = m_server->url("/stall");
    request.timeoutSeconds = 1;
    const HttpResponse response = httpRequest(request);
    QVERIFY(!response.completed);
    QCOMPARE(response.failure, FetchFailure::Timeout);
    QCOMPARE(response.body, QByteArray());
    m_server->release();
}

void TestHttp::unreachablePortGivesEmptyText()
{
    const int port = closedPort();
    QVERIFY(port > 0);
    QCOMPARE(fetchText(QStringLiteral("http://127.0.0.1:%1/notice.txt").arg(port)), QByteArray());
}

// A TLS server with a self-signed certificate: refused while the certificate is unknown, accepted once
// it is a trusted authority, so the refusal is the certificate check and not a broken connection.
void TestHttp::untrustedCertificateGivesEmptyText()
{
    if (!QSslSocket::supportsSsl())
        QSKIP("no TLS backend");
    const QByteArray certificate = feedPath("test-only-selfsigned-cert.pem").toLocal8Bit();
    const QByteArray key = feedPath("test-only-selfsigned-key.pem").toLocal8Bit();
    LocalServer server(std::make_unique<httplib::SSLServer>(certificate.constData(), key.constData()),
                       QStringLiteral("https"));
    server.serve("/echo", "secret");
    QVERIFY(server.start());
    const QString url = server.url("/echo");

    const QByteArray refused = fetchText(url);

    const QSslConfiguration original = QSslConfiguration::defaultConfiguration();
    QSslConfiguration trusting = original;
    trusting.addCaCertificates(QString::fromLocal8Bit(certificate));
    QSslConfiguration::setDefaultConfiguration(trusting);
    const QByteArray accepted = fetchText(url);
    QSslConfiguration::setDefaultConfiguration(original);

    server.stop();
    QCOMPARE(refused, QByteArray());
    QCOMPARE(accepted, QByteArray("secret"));
}

void TestHttp::drippingServerIsCutOffInTotal()
{
    // The server sends a byte every two seconds, so a timeout on silence alone never fires.
    HttpRequest request;
    request.url = m_server->url("/drip");
    request.timeoutSeconds = 3;
    const HttpResponse response = httpRequest(request);
    QVERIFY(!response.completed);
    QCOMPARE(response.failure, FetchFailure::Timeout);
    QVERIFY(response.body.isEmpty());
    QCOMPARE(fetchResponse(m_server->url("/drip"), 3).failure, FetchFailure::Timeout);
}

void TestHttp::failureReason_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<int>("timeout");
    QTest::addColumn<bool>("completed");
    QTest::addColumn<FetchFailure>("failure");
    QTest::addColumn<int>("status");
    const QString refused = QStringLiteral("http://127.0.0.1:%1/feed").arg(closedPort());
    // clang-format off
    QTest::newRow("answered") << m_server->url("/echo") << 0 << true << FetchFailure::None << 200;
    QTest::newRow("error status: answered, status kept") << m_server->url("/error?status=503") << 0 << true << FetchFailure::None << 503;
    QTest::newRow("nothing listens") << refused << 0 << false << FetchFailure::Refused << 0;
    QTest::newRow("body over the cap") << m_server->url("/sized?n=9000000&chunked=1") << 0 << false << FetchFailure::TooBig << 200;
    QTest::newRow("not http") << QStringLiteral("file:///etc/hostname") << 0 << false << FetchFailure::BadUrl << 0;
    // clang-format on
}

void TestHttp::failureReason()
{
    QFETCH(QString, url);
    QFETCH(int, timeout);
    QFETCH(bool, completed);
    QFETCH(FetchFailure, failure);
    QFETCH(int, status);
    const HttpResponse response = fetchResponse(url, timeout);
    QCOMPARE(response.completed, completed);
    QCOMPARE(response.failure, failure);
    QCOMPARE(response.status, status);
}

void TestHttp::failureText_data()
{
    QTest::addColumn<FetchFailure>("failure");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("text");
    // clang-format off
    QTest::newRow("none") << FetchFailure::None << 0 << "";
    QTest::newRow("refused") << FetchFailure::Refused << 0 << "连接被拒绝";
    QTest::newRow("timeout") << FetchFailure::Timeout << 0 << "连接超时";
    QTest::newRow("name") << FetchFailure::NameNotFound << 0 << "找不到服务器";
    QTest::newRow("status") << FetchFailure::HttpStatus << 502 << "服务器返回错误 502";
    QTest::newRow("too big") << FetchFailure::TooBig << 0 << "数据过大";
    QTest::newRow("too few") << FetchFailure::TooFewRecords << 0 << "开奖数据不足";
    // clang-format on
}

void TestHttp::failureText()
{
    QFETCH(FetchFailure, failure);
    QFETCH(int, status);
    QFETCH(QString, text);
    QCOMPARE(fetchFailureText(failure, status), text);
}

void TestHttp::nonHttpUrlGivesEmptyText_data()
{
    QTest::addColumn<QString>("url");
    QTest::newRow("empty") << "";
    QTest::newRow("file scheme") << "file:///etc/hostname";
    QTest::newRow("no scheme") << "127.0.0.1/notice.txt";
    QTest::newRow("blank host") << "http:// /x";
}

void TestHttp::nonHttpUrlGivesEmptyText()
{
    QFETCH(QString, url);
    QCOMPARE(fetchText(url), QByteArray());
}

void TestHttp::bodyCap_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<bool>("chunked");
    QTest::addColumn<bool>("kept");
    QTest::newRow("at the cap, with length") << kMaxBodyBytes << false << true;
    QTest::newRow("one byte over, with length") << kMaxBodyBytes + 1 << false << false;
    QTest::newRow("at the cap, chunked") << kMaxBodyBytes << true << true;
    QTest::newRow("one byte over, chunked") << kMaxBodyBytes + 1 << true << false;
    QTest::newRow("50 MB, with length") << qint64(50'000'000) << false << false;
    QTest::newRow("50 MB, chunked") << qint64(50'000'000) << true << false;
}

void TestHttp::bodyCap()
{
    QFETCH(qint64, size);
    QFETCH(bool, chunked);
    QFETCH(bool, kept);
    const QString url = m_server->url("/sized") + QStringLiteral("?n=%1&chunked=%2").arg(size).arg(chunked ? 1 : 0);
    const QByteArray body = fetchText(url);
    QCOMPARE(body.size(), kept ? size : 0);
}

void TestHttp::oversizedFeedNeverReplacesAHistory()
{
    const std::optional<DrawHistory> good = parseDrawFeed(LotteryKind::Lucky28, feedBytes("lucky28_120.txt"));
    QVERIFY(good);
    const QByteArray body = fetchText(m_server->url("/sized?n=50000000&chunked=1"));
    QVERIFY(body.isEmpty());
    QVERIFY(!parseDrawFeed(LotteryKind::Lucky28, body));
}

void TestHttp::mergeCookies_data()
{
    QTest::addColumn<QString>("oldText");
    QTest::addColumn<QString>("newText");
    QTest::addColumn<QString>("merged");
    QTest::newRow("replace and append in order") << "a=1; b=2"
                                                 << "b=3; c=4"
                                                 << "a=1; b=3; c=4";
    QTest::newRow("deleted removes the cookie") << "a=1"
                                                << "a=deleted"
                                                << "";
    QTest::newRow("empty value dropped") << ""
                                         << "x=; y=2"
                                         << "y=2";
    QTest::newRow("both empty") << ""
                                << ""
                                << "";
    QTest::newRow("names compared whole") << "xa=1"
                                          << "a=2"
                                          << "xa=1; a=2";
    QTest::newRow("blanks and trailing semicolons") << " a=1 ; "
                                                    << " b=2;"
                                                    << "a=1; b=2";
    QTest::newRow("value containing =") << "a=1"
                                        << "a=x=y"
                                        << "a=x=y";
    QTest::newRow("part without = ignored") << "a=1"
                                            << "junk"
                                            << "a=1";
    QTest::newRow("received text with trailing separator") << "s=1"
                                                           << "t=2; u=3; "
                                                           << "s=1; t=2; u=3";
}

void TestHttp::mergeCookies()
{
    QFETCH(QString, oldText);
    QFETCH(QString, newText);
    QFETCH(QString, merged);
    QCOMPARE(tandor28::mergeCookies(oldText, newText), merged);
}

void TestHttp::urlHost_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("host");
    QTest::newRow("port dropped") << "http://127.0.0.1:8828/notice.txt"
                                  << "127.0.0.1";
    QTest::newRow("https without path") << "https://data.example"
                                        << "data.example";
    QTest::newRow("colon in the path") << "https://Data.Example/a:b"
                                       << "data.example";
    QTest::newRow("not http") << "ftp://x/y"
                              << "";
}

void TestHttp::urlHost()
{
    QFETCH(QString, url);
    QFETCH(QString, host);
    QCOMPARE(tandor28::urlHost(url), host);
}

QTEST_GUILESS_MAIN(TestHttp)
#include "tst_http.moc"
