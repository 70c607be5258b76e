// The main window against hostile or failing surroundings: a feed with an issue that cannot be real,
// an export to a disk that is full, a close while a slow source holds a backfill page.
#include "app/mainwindow.h"
#include "app/uifont.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QStringEncoder>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include <httplib.h>

#include "feedbodies.h"
#include "localserver.h"

#include <atomic>
#include <condition_variable>
#include <csignal>
#include <memory>
#include <mutex>

#include <sys/resource.h>

using namespace tandor28;

namespace {

const QDateTime kNow(QDate(2026, 12, 10), QTime(12, 7, 0)); // after 09:00: the window shows Lucky 28

// 120 Lucky 28 draws up to the clock, newest first, with issue `newest` first when it is not 0.
QByteArray luckyFeed(qint64 newest = 0)
{
    std::vector<testsupport::FeedDraw> draws;
    for (int i = 0; i < 120; ++i)
        draws.push_back(
            {3000000 - i, QDateTime(kNow.date(), QTime(12, 5)).addSecs(-300 * i), i % 10, (i + 3) % 10, (i + 5) % 10});
    if (newest != 0)
        draws.front().issue = newest;
    return testsupport::feedBody(LotteryKind::Lucky28, draws);
}

// The notice, the Lucky 28 feed (whose next answer the test sets) and a Keno page source that holds
// every request until it is released.
class SafetyServer
{
public:
    SafetyServer()
    {
        m_server.routes().Get("/notice.txt", [this](const httplib::Request&, httplib::Response& response) {
            QStringEncoder gbk("GBK");
            const QByteArray notice = gbk.encode(
                QStringLiteral("版本:1.4.0]1公告:今日开奖正常]4更新:无]5JK1:%1]7").arg(m_server.url("/lucky28.txt")));
            response.set_content(notice.toStdString(), "text/plain");
        });
        m_server.routes().Get("/lucky28.txt", [this](const httplib::Request&, httplib::Response& response) {
            const std::lock_guard lock(m_mutex);
            response.set_content(m_feed.toStdString(), "text/plain");
        });
        m_server.routes().Get(
            R"(/keno/draw/latest/(\d+)/(\d+))", [this](const httplib::Request&, httplib::Response& response) {
                std::unique_lock lock(m_mutex);
                ++m_held;
                m_releasedSignal.wait_for(lock, std::chrono::seconds(20), [this] { return m_released; });
                --m_held;
                response.set_content("[]", "application/json");
            });
        m_started = m_server.start();
    }
    ~SafetyServer()
    {
        release();
        m_server.stop();
    }

    [[nodiscard]] bool started() const { return m_started; }
    [[nodiscard]] QString url(const char* path) const { return m_server.url(path); }
    void setFeed(const QByteArray& feed)
    {
        const std::lock_guard lock(m_mutex);
        m_feed = feed;
    }
    // Requests of the Keno source that the server holds right now.
    [[nodiscard]] int held()
    {
        const std::lock_guard lock(m_mutex);
        return m_held;
    }
    void release()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_released = true;
        }
        m_releasedSignal.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_releasedSignal;
    bool m_released = false;
    int m_held = 0;
    QByteArray m_feed = luckyFeed();
    testsupport::LocalServer m_server;
    bool m_started = false;
};

} // namespace

class TestWindowSafety : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void absurdIssueIsRefusedAndNeverKept();
    void exportToAFullDiskKeepsTheOldFile();
    void closeDuringASlowBackfillIsPrompt();
    void oneWindowPerDataFolder();

private:
    [[nodiscard]] bool startWindow(const QByteArray& extraIni = {});
    [[nodiscard]] bool refreshOnce();
    [[nodiscard]] QString status() const { return m_window->findChild<QLabel*>(QStringLiteral("statusLabel"))->text(); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SafetyServer> m_server;
    std::unique_ptr<MainWindow> m_window;
    QStringList m_informed;
    QString m_saveTo;
};

void TestWindowSafety::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QApplication::setQuitOnLastWindowClosed(false);
    applyApplicationFont();
    std::signal(SIGXFSZ, SIG_IGN);
}

void TestWindowSafety::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_server = std::make_unique<SafetyServer>();
    QVERIFY(m_server->started());
    m_informed.clear();
}

void TestWindowSafety::cleanup()
{
    m_window.reset();
    m_server.reset();
    m_dir.reset();
}

bool TestWindowSafety::startWindow(const QByteArray& extraIni)
{
    QFile ini(m_dir->filePath(QStringLiteral("tandor28.ini")));
    if (!ini.open(QIODevice::WriteOnly))
        return false;
    ini.write("[endpoints]\nnotice=" + m_server->url("/notice.txt").toUtf8() +
              "\ncanada=" + m_server->url("").toUtf8() + "\n" + extraIni);
    ini.close();
    MainWindowServices services;
    services.clock = [] { return kNow; };
    services.inform = [this](const QString&, const QString& text) { m_informed << text; };
    services.ask = [](const QString&, const QString&) { return false; };
    services.openUrl = [](const QUrl&) {};
    services.iniPath = ini.fileName();
    services.archivePath = m_dir->filePath(QStringLiteral("draws.sqlite3"));
    services.saveFileName = [this](const QString&, const QString&) { return m_saveTo; };
    services.fetchTimeoutSeconds = 5;
    services.dataFolder = m_dir->filePath(QStringLiteral("data"));
    m_window = std::make_unique<MainWindow>(services);
    m_window->refreshTimer()->setInterval(24 * 3600 * 1000);
    if (m_window->start() != StartOutcome::Running)
        return false;
    return QTest::qWaitFor([&] { return m_window->refreshCount() >= 1 && !m_window->isRefreshing(); }, 20000);
}

bool TestWindowSafety::refreshOnce()
{
    const int before = m_window->refreshCount();
    m_window->refreshAll();
    return QTest::qWaitFor([&] { return m_window->refreshCount() > before && !m_window->isRefreshing(); }, 20000);
}

void TestWindowSafety::absurdIssueIsRefusedAndNeverKept()
{
    m_server->setFeed(luckyFeed(9000000000000000000));
    QVERIFY(startWindow());
    m_window->waitForArchive();
    QCOMPARE(m_window->state().history.at(1).issue, QStringLiteral("2999999"));
    QVERIFY2(status().contains(QStringLiteral("已拒绝不可能的期号 9000000000000000000")), qPrintable(status()));
    QVERIFY(m_window->archive());
    QCOMPARE(m_window->archive()->newestIssue(LotteryKind::Lucky28), std::optional<qint64>(2999999));
    // The correct feeds after it are taken as they come, never as a source that went back in time.
    for (int round = 0; round < 2; ++round) {
        m_server->setFeed(luckyFeed());
        QVERIFY(refreshOnce());
        QVERIFY(m_window->lastFetchSucceeded());
        QCOMPARE(m_window->state().history.at(1).issue, QStringLiteral("3000000"));
        QVERIFY2(!status().contains(QStringLiteral("回到了过去")), qPrintable(status()));
    }
    m_window->waitForArchive();
    QCOMPARE(m_window->archive()->newestIssue(LotteryKind::Lucky28), std::optional<qint64>(3000000));
    QCOMPARE(m_window->archive()->drawCount(LotteryKind::Lucky28), 120);
}

void TestWindowSafety::exportToAFullDiskKeepsTheOldFile()
{
    QVERIFY(startWindow());
    m_window->waitForArchive();
    m_saveTo = m_dir->filePath(QStringLiteral("export.csv"));
    {
        QFile old(m_saveTo);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("issue,date,time,d1,d2,d3,sum\n1,2026-01-01,09:05,1,2,3,6\n");
    }
    auto* button = m_window->findChild<QPushButton*>(QStringLiteral("exportArchiveButton"));
    QVERIFY(button);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit limited = old;
    limited.rlim_cur = 1024; // the export of 120 draws is some 4 KB
    setrlimit(RLIMIT_FSIZE, &limited);
    QTest::mouseClick(button, Qt::LeftButton);
    setrlimit(RLIMIT_FSIZE, &old);
    QCOMPARE(m_informed.size(), 1);
    QVERIFY2(m_informed.first().startsWith(QStringLiteral("导出失败：")), qPrintable(m_informed.first()));
    QVERIFY2(m_informed.first().contains(QStringLiteral("File too large")), qPrintable(m_informed.first()));
    QFile kept(m_saveTo);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("issue,date,time,d1,d2,d3,sum\n1,2026-01-01,09:05,1,2,3,6\n"));
}

void TestWindowSafety::closeDuringASlowBackfillIsPrompt()
{
    // An archive with a gap among the last day's issues, and a Keno page source that never answers.
    {
        ArchiveOpening opening = DrawArchive::open(m_dir->filePath(QStringLiteral("draws.sqlite3")));
        QVERIFY(opening.archive);
        const std::vector<DatedDraw> kept{{2999950, kNow.addSecs(-4 * 3600), 1, 2, 3, {}},
                                          {2999990, kNow.addSecs(-3600), 4, 5, 6, {}}};
        QVERIFY(opening.archive->addDraws(LotteryKind::Lucky28, kept, QStringLiteral("test")).ok);
    }
    QVERIFY(startWindow("[sources]\nlucky28 = feed " + m_server->url("/lucky28.txt").toUtf8() + ", keno-json " +
                        m_server->url("/keno/draw/latest").toUtf8() + "\n"));
    QTRY_COMPARE_WITH_TIMEOUT(m_server->held(), 1, 20000);
    QElapsedTimer elapsed;
    elapsed.start();
    // (The window's close event also ends the application's event loops, which would end this
    // test's later fetches too; it does what the destructor does before that.)
    m_window.reset();
    // The window is gone while the source still holds the page it was asked for: nothing waited for it.
    QCOMPARE(m_server->held(), 1);
    QVERIFY2(elapsed.elapsed() < 5000, qPrintable(QString::number(elapsed.elapsed())));
}

void TestWindowSafety::oneWindowPerDataFolder()
{
    const QString folder = m_dir->filePath(QStringLiteral("data"));
    // A lock left by a program that ended without releasing it does not keep the first window out.
    QVERIFY(QDir().mkpath(folder));
    {
        QFile stale(QDir(folder).filePath(QStringLiteral("tandor28.lock")));
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write("2147483000\ntandor28\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    }
    QVERIFY(startWindow());
    QVERIFY(m_informed.isEmpty());
    // A second window on the same folder says so and ends before it fetches anything.
    MainWindowServices services;
    services.inform = [this](const QString&, const QString& text) { m_informed << text; };
    services.iniPath = m_dir->filePath(QStringLiteral("tandor28.ini"));
    services.archivePath = m_dir->filePath(QStringLiteral("second.sqlite3"));
    services.dataFolder = folder;
    {
        MainWindow second(services);
        QCOMPARE(second.start(), StartOutcome::AlreadyRunning);
        QCOMPARE(second.refreshCount(), 0);
    }
    QCOMPARE(m_informed.size(), 1);
    QVERIFY2(m_informed.first().startsWith(QStringLiteral("程序已在运行")), qPrintable(m_informed.first()));
    QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("second.sqlite3"))));
    // Once the first window is gone, the folder is free again.
    m_window.reset();
    m_informed.clear();
    QVERIFY(startWindow());
    QVERIFY(m_informed.isEmpty());
}

QTEST_MAIN(TestWindowSafety)
#include "tst_windowsafety.moc"
