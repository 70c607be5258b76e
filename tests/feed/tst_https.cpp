#include "feed/feedfetch.h"
#include "feed/http.h"
#include "localserver.h"
#include "tlscertificates.h"

#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QStandardPaths>
#include <QTest>

Q_DECLARE_METATYPE(tandor28::FetchFailure)

using namespace tandor28;

namespace {

// An https server on 127.0.0.1 (any free port) presenting `identity`, answering "secret".
class TlsServer
{
public:
    explicit TlsServer(const tlstest::ServerIdentity& identity)
        : m_server(std::make_unique<httplib::SSLServer>(identity.certificate.get(), identity.key.get()),
                   QStringLiteral("https"))
    {
        m_server.serve("/feed", "secret");
        m_started = m_server.start();
    }

    [[nodiscard]] bool isValid() const { return m_started; }
    [[nodiscard]] QString url() const { return m_server.url("/feed"); }

private:
    tandor28::testsupport::LocalServer m_server;
    bool m_started = false;
};

constexpr long kDay = 86400;

} // namespace

class TestHttps : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void certificateChecks_data();
    void certificateChecks();

private:
    tlstest::Authority m_trusted{"tandor28 test authority"};
    tlstest::Authority m_unknown{"unknown test authority"};
};

void TestHttps::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    if (!QSslSocket::supportsSsl())
        QSKIP("no TLS backend");
    QVERIFY(m_trusted.certificate && m_unknown.certificate);
    // The test authority is trusted for this run only, as a company CA would be on a user's system.
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.addCaCertificate(QSslCertificate(tlstest::toPem(m_trusted.certificate.get())));
    QSslConfiguration::setDefaultConfiguration(configuration);
}

void TestHttps::certificateChecks_data()
{
    QTest::addColumn<bool>("byTrusted"); // issued by the trusted test authority
    QTest::addColumn<QString>("altNames");
    QTest::addColumn<long>("notBefore"); // seconds from now
    QTest::addColumn<long>("notAfter");
    QTest::addColumn<QByteArray>("body"); // what the fetch gives
    QTest::addColumn<FetchFailure>("failure");
    QTest::addColumn<QString>("reason"); // as the status bar and the companion say it

    const auto none = FetchFailure::None;
    // clang-format off
    QTest::newRow("good certificate")  << true  << "IP:127.0.0.1,DNS:localhost" << -kDay      << kDay      << QByteArray("secret") << none                               << "";
    QTest::newRow("unknown authority") << false << "IP:127.0.0.1,DNS:localhost" << -kDay      << kDay      << QByteArray()         << FetchFailure::CertificateUntrusted << "证书不受信任";
    QTest::newRow("wrong host name")   << true  << "DNS:feed.other.example"     << -kDay      << kDay      << QByteArray()         << FetchFailure::CertificateWrongHost << "证书与服务器名称不符";
    QTest::newRow("expired")           << true  << "IP:127.0.0.1,DNS:localhost" << -10 * kDay << -kDay     << QByteArray()         << FetchFailure::CertificateExpired   << "证书已过期或尚未生效";
    QTest::newRow("not valid yet")     << true  << "IP:127.0.0.1,DNS:localhost" << kDay       << 10 * kDay << QByteArray()         << FetchFailure::CertificateExpired   << "证书已过期或尚未生效";
    // clang-format on
}

void TestHttps::certificateChecks()
{
    QFETCH(bool, byTrusted);
    QFETCH(QString, altNames);
    QFETCH(long, notBefore);
    QFETCH(long, notAfter);
    QFETCH(QByteArray, body);
    QFETCH(FetchFailure, failure);
    QFETCH(QString, reason);

    tlstest::Request request;
    request.commonName = "tandor28 test server";
    request.altNames = altNames.toStdString();
    request.notBeforeSeconds = notBefore;
    request.notAfterSeconds = notAfter;
    const tlstest::ServerIdentity identity = tlstest::issue(byTrusted ? m_trusted : m_unknown, request);
    QVERIFY(identity.certificate);
    TlsServer server(identity);
    QVERIFY(server.isValid());

    HttpRequest get;
    get.url = server.url();
    const HttpResponse response = httpRequest(get);
    QCOMPARE(response.body, body);
    QCOMPARE(response.completed, failure == FetchFailure::None);
    QCOMPARE(response.failure, failure);
    QCOMPARE(fetchFailureText(response.failure), reason);
    QCOMPARE(response.status, failure == FetchFailure::None ? 200 : 0);

    // The feed reader passes the reason on to the window and the companion.
    const FeedFetchResult fed = readDrawFeed(LotteryKind::Lucky28, fetchResponse(server.url()));
    QVERIFY(!fed.history);
    QCOMPARE(fed.failure, failure == FetchFailure::None ? FetchFailure::TooFewRecords : failure);
}

QTEST_GUILESS_MAIN(TestHttps)
#include "tst_https.moc"
