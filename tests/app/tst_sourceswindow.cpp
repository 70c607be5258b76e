#include "app/mainwindow.h"

#include "feed/notice.h"
#include "kenobodies.h"
#include "localserver.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>

using namespace tandor28;
using namespace tandor28::testsupport;

namespace {

// A Keno results service and a notice server in one, counting what each is asked.
class CountingServer
{
public:
    CountingServer()
    {
        m_server.routes().Get(R"(/services2/keno/draw/latest/(\d+)/(\d+))",
                              [this](const httplib::Request& request, httplib::Response& response) {
                                  ++m_kenoRequests;
                                  const QByteArray page = kenoJsonPage(3463830 - std::stoll(request.matches[2]),
                                                                       std::stoi(request.matches[1]));
                                  response.set_content(page.toStdString(), "application/json");
                              });
        m_server.routes().Get(R"(/busy/latest/(\d+)/(\d+))", [](const httplib::Request&, httplib::Response& response) {
            response.status = 429;
            response.set_header("Retry-After", "120");
            response.set_content("slow down", "text/plain");
        });
        m_server.routes().Get("/notice.txt", [this](const httplib::Request&, httplib::Response& response) {
            ++m_noticeRequests;
            response.set_content("", "text/plain");
        });
    }
    [[nodiscard]] bool start() { return m_server.start(); }
    [[nodiscard]] QString url(const char* path) const { return m_server.url(path); }
    [[nodiscard]] int kenoRequests() const { return m_kenoRequests; }
    [[nodiscard]] int noticeRequests() const { return m_noticeRequests; }

private:
    LocalServer m_server;
    std::atomic<int> m_kenoRequests{0};
    std::atomic<int> m_noticeRequests{0};
};

} // namespace

class TestSourcesWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void noticeGate_data();
    void noticeGate();
    void luckyWithoutSource();
    void serviceAskedToWait();

private:
    std::unique_ptr<MainWindow> makeWindow(const QString& name, const QByteArray& ini, const QDateTime& now);

    CountingServer m_server;
    QTemporaryDir m_dir;
    QStringList m_informed;
};

void TestSourcesWindow::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_server.start());
}

std::unique_ptr<MainWindow> TestSourcesWindow::makeWindow(const QString& name, const QByteArray& ini,
                                                          const QDateTime& now)
{
    const QString path = m_dir.filePath(name + QStringLiteral(".ini"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return nullptr;
    file.write(ini);
    file.close();
    MainWindowServices services;
    services.clock = [now] { return now; };
    services.inform = [this](const QString&, const QString& text) { m_informed << text; };
    services.ask = [](const QString&, const QString&) { return false; };
    services.openUrl = [](const QUrl&) {};
    services.iniPath = path;
    services.archivePath = m_dir.filePath(name + QStringLiteral(".sqlite3"));
    services.fetchTimeoutSeconds = 5;
    auto window = std::make_unique<MainWindow>(services);
    window->refreshTimer()->setInterval(24 * 3600 * 1000);
    return window;
}

void TestSourcesWindow::noticeGate_data()
{
    QTest::addColumn<QByteArray>("notice");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("informed");
    QTest::addColumn<int>("noticeRequests");
    // clang-format off
    QTest::newRow("no notice server: no gate")        << QByteArray("") << int(StartOutcome::Running) << QString() << 0;
    QTest::newRow("notice server answering nothing") << m_server.url("/notice.txt").toUtf8() << int(StartOutcome::ServerUnreachable) << unreachableText() << 1;
    QTest::newRow("notice server not listening")     << ("http://127.0.0.1:" + QByteArray::number(closedPort()) + "/notice.txt") << int(StartOutcome::ServerUnreachable) << unreachableText() << 0;
    // clang-format on
}

// An empty notice endpoint skips the gate; a configured one that fails still ends the program.
void TestSourcesWindow::noticeGate()
{
    QFETCH(QByteArray, notice);
    QFETCH(int, outcome);
    QFETCH(QString, informed);
    QFETCH(int, noticeRequests);
    m_informed.clear();
    const int noticesBefore = m_server.noticeRequests();
    const QByteArray ini = "[endpoints]\nnotice=" + notice + "\n[sources]\ncanada28 = keno-json " +
                           m_server.url("/services2/keno/draw/latest").toUtf8() + "\n";
    const std::unique_ptr<MainWindow> window = makeWindow(QString::fromLatin1(QTest::currentDataTag()).left(12), ini,
                                                          QDateTime(QDate(2025, 10, 13), QTime(8, 0)));
    QVERIFY(window);
    QCOMPARE(int(window->start()), outcome);
    QCOMPARE(m_informed.join(u'|'), informed);
    QCOMPARE(m_server.noticeRequests() - noticesBefore, noticeRequests);
    if (outcome != int(StartOutcome::Running))
        return;
    auto* status = window->findChild<QLabel*>(QStringLiteral("statusLabel"));
    QVERIFY(status);
    QCOMPARE(status->text(), noNoticeServerStatusText());
    QCOMPARE(status->text(), QStringLiteral("当前状态：未配置公告服务器，当前版本:1.4.0"));
    QTRY_VERIFY_WITH_TIMEOUT(window->refreshCount() >= 1 && !window->isRefreshing(), 30000);
    // The Keno source filled the window; the status bar keeps saying there is no notice server.
    QVERIFY2(status->text().startsWith(noNoticeServerStatusText()), qPrintable(status->text()));
    QVERIFY2(status->text().contains(QStringLiteral("来源：keno-json")), qPrintable(status->text()));
    window->waitForArchive();
}

// Without a notice and without [sources] lucky28, Lucky 28 has no source: the window starts on
// Canada 28 even in the day, and the Lucky 28 view says so in one line instead of failing.
void TestSourcesWindow::luckyWithoutSource()
{
    const QByteArray ini = "[endpoints]\nnotice=\n[sources]\ncanada28 = keno-json " +
                           m_server.url("/services2/keno/draw/latest").toUtf8() + "\n";
    const std::unique_ptr<MainWindow> window =
        makeWindow(QStringLiteral("lucky"), ini, QDateTime(QDate(2025, 10, 13), QTime(12, 0)));
    QVERIFY(window);
    QCOMPARE(int(window->start()), int(StartOutcome::Running));
    QTRY_VERIFY_WITH_TIMEOUT(window->refreshCount() >= 1 && !window->isRefreshing(), 30000);
    window->waitForArchive();
    auto* combo = window->findChild<QComboBox*>(QStringLiteral("lotteryCombo"));
    QVERIFY(combo);
    QCOMPARE(combo->currentIndex(), int(LotteryKind::Canada28Night));

    const int kenoBefore = m_server.kenoRequests();
    const int refreshes = window->refreshCount();
    combo->setCurrentIndex(int(LotteryKind::Lucky28));
    QTRY_VERIFY_WITH_TIMEOUT(window->refreshCount() > refreshes && !window->isRefreshing(), 30000);
    auto* status = window->findChild<QLabel*>(QStringLiteral("statusLabel"));
    QVERIFY(status);
    QVERIFY2(status->text().startsWith(QStringLiteral("幸运28未配置开奖源")), qPrintable(status->text()));
    QVERIFY2(status->text().contains(QStringLiteral("[sources]")), qPrintable(status->text()));
    QVERIFY(!status->text().contains(u'\n'));
    QCOMPARE(m_server.kenoRequests(), kenoBefore);

    // Back on Canada 28 the status bar reads as before.
    combo->setCurrentIndex(int(LotteryKind::Canada28Night));
    QTRY_VERIFY_WITH_TIMEOUT(window->refreshCount() > refreshes + 1 && !window->isRefreshing(), 30000);
    QVERIFY2(status->text().startsWith(noNoticeServerStatusText()), qPrintable(status->text()));
    window->waitForArchive();
}

// A service that answers 429 with Retry-After: the status bar says it asked to wait, and for how long.
void TestSourcesWindow::serviceAskedToWait()
{
    const QByteArray ini =
        "[endpoints]\nnotice=\n[sources]\ncanada28 = keno-json " + m_server.url("/busy/latest").toUtf8() + "\n";
    const std::unique_ptr<MainWindow> window =
        makeWindow(QStringLiteral("busy"), ini, QDateTime(QDate(2025, 10, 13), QTime(8, 0)));
    QVERIFY(window);
    QCOMPARE(int(window->start()), int(StartOutcome::Running));
    QTRY_VERIFY_WITH_TIMEOUT(window->refreshCount() >= 1 && !window->isRefreshing(), 30000);
    auto* status = window->findChild<QLabel*>(QStringLiteral("statusLabel"));
    QVERIFY(status);
    QVERIFY2(status->text().startsWith(QStringLiteral("当前状态：获取开奖失败（服务要求等待）")),
             qPrintable(status->text()));
    QVERIFY2(status->text().contains(QStringLiteral("服务要求等待，120秒后再试（HTTP 429）")),
             qPrintable(status->text()));
    window->waitForArchive();
}

QTEST_MAIN(TestSourcesWindow)
#include "tst_sourceswindow.moc"
