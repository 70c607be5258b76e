#include "app/alarmwindow.h"
#include "app/drawpopup.h"
#include "app/freeplanstab.h"
#include "app/gridmodel.h"
#include "app/linklabel.h"
#include "app/mainwindow.h"
#include "app/periodsbox.h"
#include "app/uifont.h"
#include "feed/countdown.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStringEncoder>
#include <QStyle>
#include <QStyleOptionSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>

#include <httplib.h>

#include "feedbodies.h"
#include "localserver.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

using namespace tandor28;

namespace {

QByteArray gbk(const QString& text)
{
    QStringEncoder encoder("GBK");
    return encoder.encode(text);
}

int digitOf(int issue, int salt)
{
    return (issue * (salt * 2 + 3) + salt) % 10;
}

// Feed draws newest first: `count` draws, the newest `newestIssue` at `newestTime` on 2026-12-10,
// each earlier one `step` seconds before (the time of day wraps, the day stays), digits made from
// the issue with the salts `firstSalt` to `firstSalt + 2`.
std::vector<testsupport::FeedDraw> feedDraws(int newestIssue, QTime newestTime, int count, int step, int firstSalt)
{
    std::vector<testsupport::FeedDraw> draws;
    for (int i = 0; i < count; ++i) {
        const int issue = newestIssue - i;
        draws.push_back({issue, QDateTime(QDate(2026, 12, 10), newestTime.addSecs(-step * i)),
                         digitOf(issue, firstSalt), digitOf(issue, firstSalt + 1), digitOf(issue, firstSalt + 2)});
    }
    return draws;
}

// Lucky 28 text lines, newest first, five minutes apart.
QByteArray luckyFeed(int newestIssue, QTime newestTime, int count)
{
    return testsupport::feedBody(LotteryKind::Lucky28, feedDraws(newestIssue, newestTime, count, 300, 1));
}

QByteArray canadaFeed(int newestIssue, QTime newestTime, int count)
{
    return testsupport::feedBody(LotteryKind::Canada28Night, feedDraws(newestIssue, newestTime, count, 210, 4));
}

// A notice server and both feeds on 127.0.0.1, on a free port. Feed answers can be held back
// until released, so a test can act while a refresh waits for its fetch.
class DrawServer
{
public:
    DrawServer()
    {
        m_server.routes().Get("/notice.txt", [this](const httplib::Request&, httplib::Response& response) {
            std::lock_guard lock(m_mutex);
            response.set_content(m_notice.toStdString(), "text/plain");
        });
        m_server.routes().Get("/lucky28.txt", [this](const httplib::Request&, httplib::Response& response) {
            answerFeed(response, [this] { return m_lucky; });
        });
        m_server.routes().Get("/api.php", [this](const httplib::Request&, httplib::Response& response) {
            answerFeed(response, [this] { return m_canada; });
        });
        m_serving = m_server.start();
    }

    ~DrawServer()
    {
        release();
        m_server.stop();
    }

    [[nodiscard]] bool isServing() const { return m_serving; }
    [[nodiscard]] QString url(const QString& path) const { return m_server.url(path); }
    void setNotice(const QByteArray& body)
    {
        std::lock_guard lock(m_mutex);
        m_notice = body;
    }
    void setLucky(const QByteArray& body)
    {
        std::lock_guard lock(m_mutex);
        m_lucky = body;
    }
    void setCanada(const QByteArray& body)
    {
        std::lock_guard lock(m_mutex);
        m_canada = body;
    }
    void hold()
    {
        std::lock_guard lock(m_mutex);
        m_holding = true;
    }
    void release()
    {
        {
            std::lock_guard lock(m_mutex);
            m_holding = false;
        }
        m_released.notify_all();
    }
    [[nodiscard]] int feedRequests() const { return m_feedRequests; }
    [[nodiscard]] int heldRequests() const { return m_heldRequests; }

private:
    template <typename Body> void answerFeed(httplib::Response& response, Body body)
    {
        ++m_feedRequests;
        std::unique_lock lock(m_mutex);
        if (m_holding) {
            ++m_heldRequests;
            m_released.wait(lock, [this] { return !m_holding; });
        }
        response.set_content(body().toStdString(), "text/plain");
    }

    std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_holding = false;
    std::atomic<int> m_feedRequests = 0;
    std::atomic<int> m_heldRequests = 0;
    QByteArray m_notice;
    QByteArray m_lucky;
    QByteArray m_canada;
    // Last: it stops serving before the members its handlers read go away.
    testsupport::LocalServer m_server;
    bool m_serving = false;
};

const QDate kToday(2026, 12, 10);

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void startUp_data();
    void startUp();
    void lotteryByHour_data();
    void lotteryByHour();
    void refreshFillsTables_data();
    void refreshFillsTables();
    void periodsBox_data();
    void periodsBox();
    void periodsBoxLimitsTheJudgedRows();
    void lateDrawIsRetried();
    void failedFetchKeepsRows_data();
    void failedFetchKeepsRows();
    void refreshDuringRefreshRunsOnceAfter_data();
    void refreshDuringRefreshRunsOnceAfter();
    void windowDefaults();
    void checkBoxDefaults_data();
    void checkBoxDefaults();
    void controlPositions_data();
    void controlPositions();
    void headerRowsBeforeData_data();
    void headerRowsBeforeData();
    void linkLabels_data();
    void linkLabels();
    void closingMainWindowEndsProgram_data();
    void closingMainWindowEndsProgram();

private:
    [[nodiscard]] QByteArray goodNotice() const;
    void writeIni(const QString& noticeUrl);
    MainWindow& makeWindow();
    [[nodiscard]] bool startAndWait();
    [[nodiscard]] bool waitForRefreshes(int count);
    template <typename T> [[nodiscard]] T* child(const QString& name) const { return m_window->findChild<T*>(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<DrawServer> m_server;
    std::unique_ptr<MainWindow> m_window;
    QString m_iniPath;
    QDateTime m_now;
    QStringList m_informed;
    QStringList m_asked;
    bool m_answer = false;
    QList<QUrl> m_opened;
};

void TestMainWindow::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QApplication::setQuitOnLastWindowClosed(false);
    applyApplicationFont();
}

void TestMainWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_server = std::make_unique<DrawServer>();
    QVERIFY(m_server->isServing());
    m_server->setNotice(goodNotice());
    m_server->setLucky(luckyFeed(5000, QTime(12, 5), 120));
    m_server->setCanada(canadaFeed(8000, QTime(12, 3, 30), 120));
    writeIni(m_server->url(QStringLiteral("/notice.txt")));
    m_now = QDateTime(kToday, QTime(12, 7, 0));
    m_informed.clear();
    m_asked.clear();
    m_opened.clear();
    m_answer = false;
}

void TestMainWindow::cleanup()
{
    m_window.reset();
    m_server.reset();
    m_dir.reset();
}

QByteArray TestMainWindow::goodNotice() const
{
    return gbk(QStringLiteral("版本:1.4.0]1公告:今日开奖正常]4更新:第一行\r\n第二行]5JK1:%1]7")
                   .arg(m_server->url(QStringLiteral("/lucky28.txt"))));
}

void TestMainWindow::writeIni(const QString& noticeUrl)
{
    m_iniPath = m_dir->filePath(QStringLiteral("tandor28.ini"));
    QFile ini(m_iniPath);
    QVERIFY(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ini.write(QStringLiteral("[endpoints]\nnotice=%1\ncanada=%2\n")
                  .arg(noticeUrl, m_server ? m_server->url(QString()) : QStringLiteral("http://127.0.0.1:1"))
                  .toUtf8());
}

MainWindow& TestMainWindow::makeWindow()
{
    MainWindowServices services;
    services.clock = [this] { return m_now; };
    services.inform = [this](const QString& caption, const QString& text) { m_informed << caption + u'|' + text; };
    services.ask = [this](const QString& caption, const QString& text) {
        m_asked << caption + u'|' + text;
        return m_answer;
    };
    services.openUrl = [this](const QUrl& url) { m_opened << url; };
    services.iniPath = m_iniPath;
    // The archive and the window's lock in the test's own folder, never in one shared with other runs.
    services.archivePath = m_dir->filePath(QStringLiteral("draws.sqlite3"));
    services.dataFolder = m_dir->path();
    m_window = std::make_unique<MainWindow>(services);
    // Ticks come from the test, never from the clock of the machine.
    m_window->refreshTimer()->setInterval(24 * 3600 * 1000);
    return *m_window;
}

bool TestMainWindow::waitForRefreshes(int count)
{
    return QTest::qWaitFor([&] { return m_window->refreshCount() >= count && !m_window->isRefreshing(); }, 20000);
}

bool TestMainWindow::startAndWait()
{
    if (makeWindow().start() != StartOutcome::Running)
        return false;
    return waitForRefreshes(1);
}

void TestMainWindow::startUp_data()
{
    QTest::addColumn<QString>("notice");
    QTest::addColumn<bool>("serverUp");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QStringList>("informed");
    QTest::addColumn<QString>("askedStart");
    QTest::addColumn<QString>("opened");

    const QString good = QStringLiteral("版本:1.4.0]1公告:今日开奖正常]4更新:第一行\r\n第二行]5JK1:%1]7");
    QTest::newRow("good notice: the window runs")
        << good << true << false << int(StartOutcome::Running) << QStringList() << QString() << QString();
    QTest::newRow("notice server unreachable: message, then the end")
        << good << false << false << int(StartOutcome::ServerUnreachable)
        << QStringList{QStringLiteral("Tandor提示：|连接服务器失败，关闭杀毒后重试或者检查网络是否连接")} << QString()
        << QString();
    QTest::newRow("other version, the user opens the site")
        << QStringLiteral("版本:1.5.0]1公告:x]4更新:y]5JK1:%1]7") << true << true << int(StartOutcome::OtherVersion)
        << QStringList() << QStringLiteral("Tandor提示：|软件已更新，请下载最新版使用\r\n\r\n最新版本：1.5.0")
        << QStringLiteral("https://download.tandor28.example/");
    QTest::newRow("other version, the user declines")
        << QStringLiteral("版本:1.5.0]1JK1:%1]7") << true << false << int(StartOutcome::OtherVersion) << QStringList()
        << QStringLiteral("Tandor提示：|软件已更新，请下载最新版使用\r\n\r\n最新版本：1.5.0") << QString();
    QTest::newRow("version with a trailing blank counts as another version")
        << QStringLiteral("版本:1.4.0 ]1JK1:%1]7") << true << false << int(StartOutcome::OtherVersion) << QStringList()
        << QStringLiteral("Tandor提示：|软件已更新，请下载最新版使用\r\n\r\n最新版本：1.4.0 ") << QString();
}

void TestMainWindow::startUp()
{
    QFETCH(QString, notice);
    QFETCH(bool, serverUp);
    QFETCH(bool, answer);
    QFETCH(int, outcome);
    QFETCH(QStringList, informed);
    QFETCH(QString, askedStart);
    QFETCH(QString, opened);

    m_server->setNotice(gbk(notice.arg(m_server->url(QStringLiteral("/lucky28.txt")))));
    if (!serverUp) {
        // Nothing listens on the port of a server that has been stopped.
        const QString deadUrl = m_server->url(QStringLiteral("/notice.txt"));
        m_server.reset();
        writeIni(deadUrl);
    }
    m_answer = answer;

    QCOMPARE(int(makeWindow().start()), outcome);
    QCOMPARE(m_informed, informed);
    if (askedStart.isEmpty()) {
        QVERIFY(m_asked.isEmpty());
    } else {
        QCOMPARE(m_asked.size(), 1);
        QVERIFY2(m_asked.first().startsWith(askedStart), qPrintable(m_asked.first()));
        QVERIFY(m_asked.first().endsWith(QStringLiteral("是否打开网站？")));
    }
    QCOMPARE(m_opened.isEmpty() ? QString() : m_opened.first().toString(), opened);

    if (outcome != int(StartOutcome::Running)) {
        QCOMPARE(m_window->refreshCount(), 0);
        QVERIFY(!m_window->isRefreshing());
        return;
    }
    auto* status = child<QLabel>(QStringLiteral("statusLabel"));
    QVERIFY(status && m_window->statusBar()->isAncestorOf(status));
    QCOMPARE(status->text(), QStringLiteral("当前状态：连接服务器成功，当前版本:1.4.0"));
    QCOMPARE(child<QLabel>(QStringLiteral("announcementLabel"))->text(), QStringLiteral("今日开奖正常"));
    QCOMPARE(child<QPlainTextEdit>(QStringLiteral("noticeBox"))->toPlainText(), QStringLiteral("第一行\n第二行"));
    QVERIFY(waitForRefreshes(1));
    QCOMPARE(child<QLabel>(QStringLiteral("issueLabel"))->text(), QStringLiteral("幸运28 第5000期"));
}

void TestMainWindow::lotteryByHour_data()
{
    QTest::addColumn<QTime>("clock");
    QTest::addColumn<int>("lottery");
    QTest::addColumn<QString>("title");

    QTest::newRow("08:59 shows Canada 28") << QTime(8, 59) << 1 << QStringLiteral("加拿大28 第8000期");
    QTest::newRow("00:00 shows Canada 28") << QTime(0, 0) << 1 << QStringLiteral("加拿大28 第8000期");
    QTest::newRow("09:00 shows Lucky 28") << QTime(9, 0) << 0 << QStringLiteral("幸运28 第5000期");
    QTest::newRow("23:59 shows Lucky 28") << QTime(23, 59) << 0 << QStringLiteral("幸运28 第5000期");
}

void TestMainWindow::lotteryByHour()
{
    QFETCH(QTime, clock);
    QFETCH(int, lottery);
    QFETCH(QString, title);

    m_now = QDateTime(kToday, clock);
    QVERIFY(startAndWait());
    QCOMPARE(child<QComboBox>(QStringLiteral("lotteryCombo"))->currentIndex(), lottery);
    QCOMPARE(int(m_window->state().lottery), lottery);
    QCOMPARE(child<QLabel>(QStringLiteral("issueLabel"))->text(), title);
    QCOMPARE(m_window->refreshCount(), 1);
}

void TestMainWindow::refreshFillsTables_data()
{
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("filledRows");

    QTest::newRow("120 records fill all 100 rows") << 120 << 100;
    QTest::newRow("exactly 100 records") << 100 << 100;
    QTest::newRow("5 records: the rest are empty draws") << 5 << 5;
}

void TestMainWindow::refreshFillsTables()
{
    QFETCH(int, records);
    QFETCH(int, filledRows);

    m_server->setLucky(luckyFeed(5000, QTime(12, 5), records));
    QVERIFY(startAndWait());
    QVERIFY(m_window->lastFetchSucceeded());

    auto* draws = child<QTableView>(QStringLiteral("drawTable"));
    auto* free = child<QTableView>(QStringLiteral("freePlanTable"));
    auto* member = child<QTableView>(QStringLiteral("memberPlanTable"));
    auto* trend = child<QTableView>(QStringLiteral("trendTable"));
    auto* custom = child<QTableView>(QStringLiteral("customPredictionTable"));
    QCOMPARE(gridRowCount(draws), 101);
    QCOMPARE(gridRowCount(free), 102);
    QCOMPARE(gridRowCount(member), 102);
    QCOMPARE(gridRowCount(trend), 101);
    QCOMPARE(gridRowCount(custom), 102);
    QCOMPARE(m_window->state().history.size(), 110);

    for (int row = 1; row <= 100; ++row) {
        const Draw& draw = m_window->state().history.at(row);
        const QString issue = row <= filledRows ? QString::number(5000 - row + 1) : QString();
        QCOMPARE(cellText(draws, row, 0), issue);
        QCOMPARE(cellText(draws, row, 1), draw.resultText);
        for (const QTableView* table : {free, member, custom}) {
            QCOMPARE(cellText(table, row + 1, 0), issue);
            QCOMPARE(cellText(table, row + 1, 1), draw.time);
            QCOMPARE(cellText(table, row + 1, 2), draw.resultText);
        }
    }
    QCOMPARE(cellText(draws, 0, 0), QStringLiteral("期号"));
    if (filledRows < 100)
        QCOMPARE(cellText(draws, 100, 1), QStringLiteral("0 + 0 + 0 = 00"));

    const Draw& newest = m_window->state().history.at(1);
    QCOMPARE(newest.issue, QStringLiteral("5000"));
    QCOMPARE(child<QLabel>(QStringLiteral("digitLabel1"))->text(), QString::number(newest.d1));
    QCOMPARE(child<QLabel>(QStringLiteral("digitLabel2"))->text(), QString::number(newest.d2));
    QCOMPARE(child<QLabel>(QStringLiteral("digitLabel3"))->text(), QString::number(newest.d3));
    QCOMPARE(child<QLabel>(QStringLiteral("sumLabel"))->text(), QString::number(newest.sum));
    QCOMPARE(m_window->windowTitle(), QStringLiteral("[12:05 ") + newest.resultText +
                                          QStringLiteral(" 5000]Tandor28综合预测软件多功能版") +
                                          QStringLiteral("客服邮箱：support@tandor28.example    临时备用版本"));
    // Newest draw 12:05, clock 12:07:00: the 12:10 draw is due 20 s after it, 200 s from now.
    QCOMPARE(m_window->state().countdown, 199);
    QCOMPARE(child<QLabel>(QStringLiteral("countdownLabel"))->text(), QStringLiteral("03:19"));
    QVERIFY(m_window->refreshTimer()->isActive());
}

void TestMainWindow::periodsBox_data()
{
    QTest::addColumn<QList<int>>("spins");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shownBeforeRefresh");
    QTest::addColumn<bool>("message");

    QTest::newRow("untouched: no message") << QList<int>() << QString() << QStringLiteral("100") << false;
    QTest::newRow("spun up once") << QList<int>{1} << QString() << QStringLiteral("101") << true;
    QTest::newRow("spun down twice") << QList<int>{-1, -1} << QString() << QStringLiteral("98") << true;
    QTest::newRow("spun up and down again: back at 100")
        << QList<int>{1, -1} << QString() << QStringLiteral("100") << false;
    QTest::newRow("typed text") << QList<int>() << QStringLiteral("abc") << QStringLiteral("abc") << true;
    QTest::newRow("typed 0100 is not exactly 100")
        << QList<int>() << QStringLiteral("0100") << QStringLiteral("0100") << true;
}

void TestMainWindow::periodsBox()
{
    QFETCH(QList<int>, spins);
    QFETCH(QString, typed);
    QFETCH(QString, shownBeforeRefresh);
    QFETCH(bool, message);

    QVERIFY(startAndWait());
    auto* box = child<PeriodsBox>(QStringLiteral("periodsBox"));
    QCOMPARE(box->boxText(), QStringLiteral("100"));
    for (const int step : spins) {
        // A real click on the spin button.
        QStyleOptionSpinBox option;
        option.initFrom(box);
        option.subControls = QStyle::SC_All;
        option.stepEnabled = QAbstractSpinBox::StepUpEnabled | QAbstractSpinBox::StepDownEnabled;
        option.frame = true;
        const QRect button = box->style()->subControlRect(
            QStyle::CC_SpinBox, &option, step > 0 ? QStyle::SC_SpinBoxUp : QStyle::SC_SpinBoxDown, box);
        QTest::mouseClick(box, Qt::LeftButton, {}, button.center());
    }
    if (!typed.isEmpty())
        box->setBoxText(typed);
    QCOMPARE(box->boxText(), shownBeforeRefresh);
    QCOMPARE(m_window->refreshCount(), 1);

    QTest::mouseClick(child<QPushButton>(QStringLiteral("refreshButton")), Qt::LeftButton);
    QVERIFY(waitForRefreshes(2));
    const QStringList expected =
        message ? QStringList{QStringLiteral("Tandor提示：|当前版本不支持使用更多期数，等待更新！！")} : QStringList();
    QCOMPARE(m_informed, expected);
    QCOMPARE(box->boxText(), QStringLiteral("100"));
    QCOMPARE(gridRowCount(child<QTableView>(QStringLiteral("drawTable"))), 101);
    QCOMPARE(gridRowCount(child<QTableView>(QStringLiteral("freePlanTable"))), 102);
}

void TestMainWindow::periodsBoxLimitsTheJudgedRows()
{
    QVERIFY(startAndWait());
    auto* box = child<PeriodsBox>(QStringLiteral("periodsBox"));
    auto* grid = child<QTableView>(QStringLiteral("freePlanTable"));
    QVERIFY(!cellText(grid, 4, 4).isEmpty());
    // Two periods typed, then the bet type 杀组: the next issue and two judged rows change, the rows
    // below keep the combination bets of the refresh.
    auto* edit = box->findChild<QLineEdit*>();
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("2"));
    QCOMPARE(box->boxText(), QStringLiteral("2"));
    QTest::mouseClick(m_window->freePlansTab()->betTypeButtons().at(3), Qt::LeftButton);
    for (int row = 1; row <= 3; ++row)
        QVERIFY2(cellText(grid, row, 4).startsWith(QStringLiteral("杀")), qPrintable(cellText(grid, row, 4)));
    QVERIFY2(!cellText(grid, 4, 4).startsWith(QStringLiteral("杀")), qPrintable(cellText(grid, 4, 4)));
}

void TestMainWindow::lateDrawIsRetried()
{
    // Newest draw 12:05; 29 s before the 12:10 draw is due (12:10:20).
    m_now = QDateTime(kToday, QTime(12, 9, 50));
    QVERIFY(startAndWait());
    QCOMPARE(m_window->state().countdown, 29);
    auto* label = child<QLabel>(QStringLiteral("countdownLabel"));

    QList<int> retriedAt;
    QStringList labels;
    int refreshes = m_window->refreshCount();
    for (int second = 0; second < 60 && retriedAt.size() < 3; ++second) {
        m_now = m_now.addSecs(1);
        const int before = m_window->state().countdown;
        if (retriedAt.size() == 2 && before == -19)
            m_server->setLucky(luckyFeed(5001, QTime(12, 10), 120));
        m_window->onTimerTick();
        if (m_window->isRefreshing()) {
            retriedAt << before - 1;
            QVERIFY(waitForRefreshes(++refreshes));
        }
        labels << label->text();
    }
    QCOMPARE(retriedAt, (QList<int>{0, -10, -20}));
    QVERIFY(labels.contains(QStringLiteral("开奖中")));
    QVERIFY(labels.contains(QStringLiteral("00:01")));
    // The third retry found the 12:10 draw: counting down to 12:15 again.
    QCOMPARE(m_window->state().history.at(1).issue, QStringLiteral("5001"));
    QCOMPARE(child<QLabel>(QStringLiteral("issueLabel"))->text(), QStringLiteral("幸运28 第5001期"));
    QVERIFY(m_window->state().countdown > 250);
    QCOMPARE(label->text(), countdownLabelText(m_window->state().countdown));
}

void TestMainWindow::failedFetchKeepsRows_data()
{
    QTest::addColumn<QByteArray>("laterBody");
    QTest::addColumn<bool>("stopServer");

    QTest::newRow("garbage body") << QByteArray("<html>busy</html>") << false;
    QTest::newRow("four records") << luckyFeed(6000, QTime(13, 0), 4) << false;
    QTest::newRow("empty body") << QByteArray() << false;
    QTest::newRow("server gone") << QByteArray() << true;
}

void TestMainWindow::failedFetchKeepsRows()
{
    QFETCH(QByteArray, laterBody);
    QFETCH(bool, stopServer);

    QVERIFY(startAndWait());
    QVERIFY(m_window->lastFetchSucceeded());
    const DrawHistory before = m_window->state().history;
    auto* draws = child<QTableView>(QStringLiteral("drawTable"));
    auto* member = child<QTableView>(QStringLiteral("memberPlanTable"));
    const QString title = m_window->windowTitle();

    if (stopServer)
        m_server.reset();
    else
        m_server->setLucky(laterBody);
    m_now = m_now.addSecs(200);
    QTest::mouseClick(child<QPushButton>(QStringLiteral("refreshButton")), Qt::LeftButton);
    QVERIFY(waitForRefreshes(2));

    QVERIFY(!m_window->lastFetchSucceeded());
    QCOMPARE(m_window->state().history, before);
    QCOMPARE(cellText(draws, 1, 0), QStringLiteral("5000"));
    QCOMPARE(cellText(draws, 100, 0), QStringLiteral("4901"));
    QCOMPARE(cellText(member, 2, 0), QStringLiteral("5000"));
    QCOMPARE(child<QLabel>(QStringLiteral("issueLabel"))->text(), QStringLiteral("幸运28 第5000期"));
    QCOMPARE(m_window->windowTitle(), title);
    // The rest of the refresh still ran: a new countdown from the old newest draw, timer running.
    QCOMPARE(m_window->state().countdown, -1);
    QCOMPARE(child<QLabel>(QStringLiteral("countdownLabel"))->text(), QStringLiteral("开奖中"));
    QVERIFY(m_window->refreshTimer()->isActive());
    if (stopServer)
        return;

    // The feed is back with the late draw: the next refresh takes it.
    m_server->setLucky(luckyFeed(5001, QTime(12, 10), 120));
    QTest::mouseClick(child<QPushButton>(QStringLiteral("refreshButton")), Qt::LeftButton);
    QVERIFY(waitForRefreshes(3));
    QVERIFY(m_window->lastFetchSucceeded());
    QCOMPARE(cellText(draws, 1, 0), QStringLiteral("5001"));
    QCOMPARE(cellText(draws, 2, 0), QStringLiteral("5000"));
    QCOMPARE(child<QLabel>(QStringLiteral("issueLabel"))->text(), QStringLiteral("幸运28 第5001期"));
}

void TestMainWindow::refreshDuringRefreshRunsOnceAfter_data()
{
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<int>("requests");
    QTest::addColumn<QString>("title");

    QTest::newRow("refresh button") << QStringLiteral("button") << 1 << QStringLiteral("幸运28 第5000期");
    QTest::newRow("refresh button three times") << QStringLiteral("button") << 3 << QStringLiteral("幸运28 第5000期");
    QTest::newRow("lottery chooser") << QStringLiteral("chooser") << 1 << QStringLiteral("加拿大28 第8000期");
    QTest::newRow("timer ticks while the fetch waits")
        << QStringLiteral("tick") << 1 << QStringLiteral("幸运28 第5000期");
}

void TestMainWindow::refreshDuringRefreshRunsOnceAfter()
{
    QFETCH(QString, trigger);
    QFETCH(int, requests);
    QFETCH(QString, title);

    QVERIFY(startAndWait());
    m_server->hold();
    QTest::mouseClick(child<QPushButton>(QStringLiteral("refreshButton")), Qt::LeftButton);
    QVERIFY(m_window->isRefreshing());
    QVERIFY(QTest::qWaitFor([this] { return m_server->heldRequests() == 1; }, 10000));

    for (int i = 0; i < requests; ++i) {
        if (trigger == QLatin1String("button")) {
            QTest::mouseClick(child<QPushButton>(QStringLiteral("refreshButton")), Qt::LeftButton);
        } else if (trigger == QLatin1String("chooser")) {
            child<QComboBox>(QStringLiteral("lotteryCombo"))->setCurrentIndex(1);
        } else {
            m_window->onTimerTick();
        }
    }
    // The window answers while the fetch waits; nothing nested has started.
    QVERIFY(m_window->isRefreshing());
    QCOMPARE(m_window->refreshCount(), 1);
    QCOMPARE(m_server->feedRequests(), 2);

    m_server->release();
    const int expectedRefreshes = trigger == QLatin1String("tick") ? 2 : 3;
    QVERIFY(waitForRefreshes(expectedRefreshes));
    QCoreApplication::processEvents();
    QVERIFY(!m_window->isRefreshing());
    QCOMPARE(m_window->refreshCount(), expectedRefreshes);
    QCOMPARE(m_server->feedRequests(), expectedRefreshes);
    QCOMPARE(child<QLabel>(QStringLiteral("issueLabel"))->text(), title);
}

void TestMainWindow::windowDefaults()
{
    QVERIFY(startAndWait());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    // 1129 x 802 is the frame: a 31 px title bar and 3 px borders.
    QCOMPARE(m_window->size(), QSize(1123, 768));
    QCOMPARE(m_window->minimumSize(), m_window->maximumSize());

    auto* tabs = child<QTabWidget>(QStringLiteral("tabControl"));
    QCOMPARE(tabs->count(), 6);
    QCOMPARE(tabs->currentIndex(), 0);
    const QStringList names{QStringLiteral("预测显示"), QStringLiteral("会员计划"),   QStringLiteral("走势统计"),
                            QStringLiteral("火车报警"), QStringLiteral("自定义算法"), QStringLiteral("长期分析")};
    for (int i = 0; i < names.size(); ++i)
        QCOMPARE(tabs->tabText(i), names.at(i));
    // The long-run analysis computes nothing while its tab is hidden; shown, it works from the
    // feed's draws when there is no archive.
    QCOMPARE(tabs->widget(5), m_window->analysisTab());
    QVERIFY(!m_window->analysisTab()->isComputing());
    QCOMPARE(m_window->analysisTab()->shownCount(), 0);
    tabs->setCurrentIndex(5);
    QTRY_VERIFY_WITH_TIMEOUT(m_window->analysisTab()->shownCount() >= 1, 60000);
    QCOMPARE(m_window->analysisTab()->backtestTable()->rowCount(), 72);
    tabs->setCurrentIndex(0);

    QCOMPARE(child<PeriodsBox>(QStringLiteral("periodsBox"))->boxText(), QStringLiteral("100"));
    QCOMPARE(child<QLabel>(QStringLiteral("memberStatsLabel"))->text(),
             QStringLiteral("对:0 错:0 正确率:0 连中:0 连挂:0 （待标记）"));
    auto* lottery = child<QComboBox>(QStringLiteral("lotteryCombo"));
    QCOMPARE(lottery->count(), 2);
    QCOMPARE(lottery->itemText(0), QStringLiteral("PC蛋蛋幸运28"));
    QCOMPARE(lottery->itemText(1), QStringLiteral("加拿大夜场28"));
    QCOMPARE(child<QPushButton>(QStringLiteral("refreshButton"))->text(), QStringLiteral("刷新"));
    QCOMPARE(child<QTreeWidget>(QStringLiteral("categoryList"))->topLevelItemCount(), 25);
    QCOMPARE(child<QTreeWidget>(QStringLiteral("savedAlgorithmList"))->columnCount(), 5);
}

void TestMainWindow::checkBoxDefaults_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("ticked");

    QTest::newRow("开奖提示 cleared") << QStringLiteral("drawNoticeCheck") << QStringLiteral("开奖提示") << false;
    QTest::newRow("历史开奖 ticked") << QStringLiteral("drawHistoryCheck") << QStringLiteral("历史开奖") << true;
    QTest::newRow("提示音 cleared") << QStringLiteral("drawSoundCheck") << QStringLiteral("提示音") << false;
    QTest::newRow("火车报警 cleared") << QStringLiteral("trainAlarmCheck") << QStringLiteral("火车报警") << false;
    QTest::newRow("开启自动标记 ticked") << QStringLiteral("autoMarkCheck") << QStringLiteral("开启自动标记") << true;
    QTest::newRow("alarm sound ticked") << QStringLiteral("alarmSoundCheck") << QStringLiteral("提示音") << true;
    QTest::newRow("对子 watched") << QStringLiteral("watchPairCheck") << QStringLiteral("对子") << true;
    QTest::newRow("type two 小单 cleared") << QStringLiteral("typeTwoCheck05") << QStringLiteral("小单") << false;
}

void TestMainWindow::checkBoxDefaults()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(bool, ticked);

    QVERIFY(startAndWait());
    auto* box = child<QCheckBox>(name);
    QVERIFY(box);
    QCOMPARE(box->text(), caption);
    QCOMPARE(box->isChecked(), ticked);
}

void TestMainWindow::controlPositions_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("inWindow");
    QTest::addColumn<QString>("caption");

    // Controls on a tab page count from the tab control's corner at (224, 152).
    const int x = 224;
    const int y = 152;
    QTest::newRow("draw table") << 0 << QStringLiteral("drawTable") << QRect(8, 192, 219, 296) << QString();
    QTest::newRow("periods box") << 0 << QStringLiteral("periodsBox") << QRect(56, 496, 72, 24) << QString();
    QTest::newRow("countdown label in its frame")
        << 0 << QStringLiteral("countdownLabel") << QRect(200, 80, 48, 32) << QStringLiteral("03:19");
    QTest::newRow("tab control") << 0 << QStringLiteral("tabControl") << QRect(x, y, 896, 592) << QString();
    QTest::newRow("free plan table") << 0 << QStringLiteral("freePlanTable") << QRect(x + 416, y + 32, 464, 552)
                                     << QString();
    QTest::newRow("F13计划 reacts on press")
        << 0 << QStringLiteral("freePlanButton16") << QRect(x + 245, y + 165, 80, 32) << QStringLiteral("F13计划");
    QTest::newRow("free 杀3N") << 0 << QStringLiteral("freeBetButton5") << QRect(x + 328, y + 196, 64, 32)
                               << QStringLiteral("杀3N");
    QTest::newRow("member plan table") << 1 << QStringLiteral("memberPlanTable") << QRect(x + 416, y + 32, 464, 552)
                                       << QString();
    QTest::newRow("F15计划A is plan 21 in the row after F12")
        << 1 << QStringLiteral("memberPlanButton21") << QRect(x + 8, y + 258, 80, 32) << QStringLiteral("F15计划A");
    QTest::newRow("F12计划A is plan 22") << 1 << QStringLiteral("memberPlanButton22") << QRect(x + 8, y + 227, 80, 32)
                                         << QStringLiteral("F12计划A");
    QTest::newRow("F20计划D is plan 56") << 1 << QStringLiteral("memberPlanButton56") << QRect(x + 245, y + 475, 80, 32)
                                         << QStringLiteral("F20计划D");
    QTest::newRow("member 杀双组") << 1 << QStringLiteral("memberBetButton9") << QRect(x + 328, y + 319, 64, 32)
                                   << QStringLiteral("杀双组");
    QTest::newRow("标记 button") << 1 << QStringLiteral("markButton") << QRect(x + 352, y + 520, 56, 24)
                                 << QStringLiteral("标记");
    QTest::newRow("statistics window") << 1 << QStringLiteral("statsWindowCombo") << QRect(x + 192, y + 552, 48, 24)
                                       << QString();
    QTest::newRow("trend table") << 2 << QStringLiteral("trendTable") << QRect(x + 8, y + 32, 688, 552) << QString();
    QTest::newRow("category list") << 2 << QStringLiteral("categoryList") << QRect(x + 704, y + 32, 184, 552)
                                   << QString();
    QTest::newRow("alarm threshold") << 3 << QStringLiteral("thresholdEdit") << QRect(x + 80, y + 40, 32, 24)
                                     << QString();
    QTest::newRow("type two radio") << 3 << QStringLiteral("typeTwoRadio") << QRect(x + 16, y + 176, 160, 24)
                                    << QStringLiteral("统计类型②（待更新）");
    QTest::newRow("custom prediction table")
        << 4 << QStringLiteral("customPredictionTable") << QRect(x + 416, y + 32, 464, 552) << QString();
    QTest::newRow("saved algorithm list")
        << 4 << QStringLiteral("savedAlgorithmList") << QRect(x + 8, y + 328, 400, 248) << QString();
    QTest::newRow("custom 双项") << 4 << QStringLiteral("customBetButton8") << QRect(x + 344, y + 288, 64, 32)
                                 << QStringLiteral("双项");
    QTest::newRow("开始搜索") << 4 << QStringLiteral("searchButton") << QRect(x + 272, y + 112, 64, 28)
                              << QStringLiteral("开始搜索");
}

void TestMainWindow::controlPositions()
{
    QFETCH(int, tab);
    QFETCH(QString, name);
    QFETCH(QRect, inWindow);
    QFETCH(QString, caption);

    QVERIFY(startAndWait());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    child<QTabWidget>(QStringLiteral("tabControl"))->setCurrentIndex(tab);
    QCoreApplication::processEvents();

    auto* widget = child<QWidget>(name);
    QVERIFY(widget);
    const QPoint topLeft = widget->mapTo(m_window->centralWidget(), QPoint(0, 0));
    QCOMPARE(QRect(topLeft, widget->size()), inWindow);
    // Nothing is cut off by the tab page or the window.
    QVERIFY(widget->isVisible());
    QCOMPARE(widget->visibleRegion().boundingRect(), widget->rect());
    if (!caption.isEmpty()) {
        const QVariant text = widget->property("text");
        QCOMPARE(text.toString(), caption);
    }
}

void TestMainWindow::headerRowsBeforeData_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("columns");
    QTest::addColumn<QStringList>("headers");

    const QStringList plan{QStringLiteral("期号"), QStringLiteral("时间"), QStringLiteral("开奖内容"),
                           QStringLiteral("特码"), QStringLiteral("预测"), QStringLiteral("预测"),
                           QStringLiteral("结果")};
    QTest::newRow("draw table") << QStringLiteral("drawTable") << 2
                                << QStringList{QStringLiteral("期号"), QStringLiteral("开奖号码")};
    QTest::newRow("free plan table") << QStringLiteral("freePlanTable") << 7 << plan;
    QTest::newRow("member plan table") << QStringLiteral("memberPlanTable") << 7 << plan;
    QTest::newRow("custom prediction table") << QStringLiteral("customPredictionTable") << 7 << plan;
    QTest::newRow("trend table") << QStringLiteral("trendTable") << 9
                                 << QStringList{
                                        QStringLiteral("期号"), QStringLiteral("开奖号码"), QStringLiteral("大小"),
                                        QStringLiteral("单双"), QStringLiteral("组合"),     QStringLiteral("中边"),
                                        QStringLiteral("三余"), QStringLiteral("四余"),     QStringLiteral("五余")};
}

void TestMainWindow::headerRowsBeforeData()
{
    QFETCH(QString, table);
    QFETCH(int, columns);
    QFETCH(QStringList, headers);

    // No feed at all: the tables keep their header rows only.
    m_server->setLucky(QByteArray());
    QVERIFY(startAndWait());
    QVERIFY(!m_window->lastFetchSucceeded());
    auto* grid = child<QTableView>(table);
    QCOMPARE(grid->model()->columnCount(), columns);
    for (int column = 0; column < columns; ++column) {
        QCOMPARE(cellText(grid, 0, column), headers.at(column));
        QCOMPARE(cellTextColour(grid, 0, column), kWhite);
        QCOMPARE(cellBackground(grid, 0, column), kHeaderGrey);
        QCOMPARE(cellAlignment(grid, 0, column), Qt::Alignment(Qt::AlignCenter));
        QCOMPARE(cellText(grid, 1, column), QString());
    }
    if (table == QLatin1String("drawTable")) {
        QCOMPARE(grid->rowHeight(0), 28);
        QCOMPARE(grid->columnWidth(0), 80);
        QCOMPARE(grid->columnWidth(1), 120);
        QCOMPARE(cellTextColour(grid, 1, 0), kSpecialBlue);
        QVERIFY(cellFont(grid, 5, 1).bold());
    } else if (columns == 7) {
        const QList<int> widths{70, 45, 110, 40, 60, 65, 55};
        for (int column = 0; column < 7; ++column)
            QCOMPARE(grid->columnWidth(column), widths.at(column));
        QCOMPARE(cellTextColour(grid, 1, 5), kSpecialBlue);
        QCOMPARE(cellTextColour(grid, 50, 2), kSpecialBlue);
        // The judged columns of the judged rows take their colours from the judgement only.
        QCOMPARE(cellTextColour(grid, 50, 3), kBlack);
        QVERIFY(cellFont(grid, 101, 6).bold());
        QVERIFY(!cellFont(grid, 0, 6).bold());
    } else {
        QCOMPARE(grid->columnWidth(1), 105);
    }
}

void TestMainWindow::linkLabels_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("opensSite");

    QTest::newRow("联系我们 shows the contact") << QStringLiteral("contactLink") << QStringLiteral("联系我们") << false;
    QTest::newRow("软件介绍 shows the introduction")
        << QStringLiteral("introductionLink") << QStringLiteral("软件介绍") << false;
    QTest::newRow("the third opens the site")
        << QStringLiteral("siteLink") << QStringLiteral("Tandor在线预测网站") << true;
}

void TestMainWindow::linkLabels()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(bool, opensSite);

    QVERIFY(startAndWait());
    auto* link = child<LinkLabel>(name);
    QCOMPARE(link->text(), caption);
    QTest::mouseClick(link, Qt::LeftButton);
    QCOMPARE(m_opened.size(), opensSite ? 1 : 0);
    QCOMPARE(m_informed.size(), opensSite ? 0 : 1);
    if (!opensSite)
        QVERIFY(m_informed.first().startsWith(caption + u'|'));
}

void TestMainWindow::closingMainWindowEndsProgram_data()
{
    QTest::addColumn<bool>("alarmWindow");
    QTest::addColumn<bool>("popup");

    QTest::newRow("nothing else open") << false << false;
    QTest::newRow("alarm window open") << true << false;
    QTest::newRow("popup open") << false << true;
    QTest::newRow("both open") << true << true;
}

void TestMainWindow::closingMainWindowEndsProgram()
{
    QFETCH(bool, alarmWindow);
    QFETCH(bool, popup);

    QVERIFY(startAndWait());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    if (alarmWindow) {
        auto* box = child<QCheckBox>(QStringLiteral("trainAlarmCheck"));
        QTest::mouseClick(box, Qt::LeftButton);
        QVERIFY(box->isChecked());
        QVERIFY(!box->isEnabled());
        auto* window = m_window->findChild<AlarmWindow*>();
        const auto windows = QApplication::topLevelWidgets();
        const bool shown = std::any_of(windows.begin(), windows.end(),
                                       [](QWidget* w) { return qobject_cast<AlarmWindow*>(w) && w->isVisible(); });
        QVERIFY(window || shown);
    }
    std::unique_ptr<DrawPopup> drawPopup;
    if (popup) {
        drawPopup = std::make_unique<DrawPopup>();
        drawPopup->show();
    }

    QTimer::singleShot(0, m_window.get(), [this] { m_window->close(); });
    // A guard, not a measurement: a program that did not end would otherwise hang the test.
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, this, [] { QCoreApplication::exit(99); });
    guard.start(15000);
    QCOMPARE(QApplication::exec(), 0);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
