// The window never shows what its labels do not say: after a switch it shows only the chosen
// lottery's draws, positions without a draw stay blank and uncounted, figures follow every change of
// the history, a slow or failing fetch says so in Chinese, and the window fits a small screen.
// Real widgets on the offscreen platform (a laptop's screen, 1366 x 768 less a panel), draws served
// over HTTP by a local server on 127.0.0.1.
#include "analysis/drawseries.h"
#include "app/analysistab.h"
#include "app/framesize.h"
#include "app/gridmodel.h"
#include "app/mainwindow.h"
#include "app/memberplanstab.h"
#include "app/tablewriter.h"
#include "app/trendtab.h"
#include "app/uifont.h"
#include "archive/drawarchive.h"
#include "plans/marking.h"
#include "plans/planrules.h"

#include "drawbuilders.h"
#include "feedbodies.h"
#include "localserver.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStringEncoder>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

using namespace tandor28;

namespace {

const QDate kToday(2026, 12, 10);
constexpr qint64 kLuckyNewest = 5000;
constexpr qint64 kCanadaNewest = 8000;

std::vector<testsupport::FeedDraw> feedDraws(qint64 newest, QTime newestTime, int count, int step)
{
    std::vector<testsupport::FeedDraw> draws;
    for (int i = 0; i < count; ++i) {
        const qint64 issue = newest - i;
        draws.push_back({issue, QDateTime(kToday, newestTime.addSecs(-step * i)), int(issue % 10), int(issue / 10 % 10),
                         int(issue / 100 % 10)});
    }
    return draws;
}

QByteArray luckyFeed(int count, qint64 newest = kLuckyNewest)
{
    return testsupport::feedBody(LotteryKind::Lucky28, feedDraws(newest, QTime(12, 5), count, 300));
}

QByteArray canadaFeed(int count, qint64 newest = kCanadaNewest)
{
    return testsupport::feedBody(LotteryKind::Canada28Night, feedDraws(newest, QTime(12, 3), count, 210));
}

// The notice and both feeds; a feed answers with its status and body, and can be held back.
class DrawServer
{
public:
    DrawServer()
    {
        m_server.routes().Get("/notice.txt", [this](const httplib::Request&, httplib::Response& response) {
            const QString notice =
                QStringLiteral("版本:1.4.0]1公告:欢迎使用！本机模拟开奖服务器已连接]4更新:无]5JK1:%1]7")
                    .arg(m_server.url("/lucky28.txt"));
            // The notice is GBK text, as the notice server sends it.
            QStringEncoder gbk("GBK");
            const QByteArray body = gbk.encode(notice);
            response.set_content(body.toStdString(), "text/plain");
        });
        m_server.routes().Get("/lucky28.txt", [this](const httplib::Request&, httplib::Response& response) {
            answer(response, m_lucky, m_luckyStatus);
        });
        m_server.routes().Get("/api.php", [this](const httplib::Request&, httplib::Response& response) {
            answer(response, m_canada, m_canadaStatus);
        });
        m_server.routes().Get("/keno-bad/(\\d+)/(\\d+)", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("{\"not\": \"an array\"}", "application/json");
        });
        m_serving = m_server.start();
    }
    ~DrawServer()
    {
        release();
        m_server.stop();
    }

    [[nodiscard]] bool isServing() const { return m_serving; }
    [[nodiscard]] QString url(const char* path) const { return m_server.url(path); }
    void setLucky(const QByteArray& body, int status = 200)
    {
        std::lock_guard lock(m_mutex);
        m_lucky = body;
        m_luckyStatus = status;
    }
    void setCanada(const QByteArray& body, int status = 200)
    {
        std::lock_guard lock(m_mutex);
        m_canada = body;
        m_canadaStatus = status;
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

private:
    void answer(httplib::Response& response, const QByteArray& body, const int& status)
    {
        std::unique_lock lock(m_mutex);
        m_released.wait(lock, [this] { return !m_holding; });
        response.status = status;
        response.set_content(body.toStdString(), "text/plain");
    }

    std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_holding = false;
    QByteArray m_lucky;
    QByteArray m_canada;
    int m_luckyStatus = 200;
    int m_canadaStatus = 200;
    // Last: it stops serving before the members its handlers read go away.
    testsupport::LocalServer m_server;
    bool m_serving = false;
};

// "对:13 错:7": right and wrong of the member statistics label.
std::pair<int, int> rightAndWrong(const QString& label)
{
    static const QRegularExpression counts(QStringLiteral("对:(\\d+) 错:(\\d+)"));
    const QRegularExpressionMatch match = counts.match(label);
    return {match.captured(1).toInt(), match.captured(2).toInt()};
}

} // namespace

class TestWindowTruth : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void switchShowsOnlyTheChosenLottery_data();
    void switchShowsOnlyTheChosenLottery();
    void emptyPositionsAreBlankAndUncounted_data();
    void emptyPositionsAreBlankAndUncounted();
    void marksFollowEveryHistoryChange();
    void slowFetchSaysItIsRunning();
    void failingFetchesSilenceTheConnectedStrip();
    void sourceFailuresInChinese();
    void analysisStartsAfterTheArchiveWrite();
    void fittedFrameSize_data();
    void fittedFrameSize();
    void windowFitsASmallScreen();

private:
    void writeIni(const QString& extra = {});
    MainWindow& makeWindow(ArchiveReader reader = {});
    [[nodiscard]] bool startAndWait();
    [[nodiscard]] bool refreshAndWait();
    void keepInArchive(LotteryKind kind, const std::vector<DatedDraw>& draws);
    template <typename T> [[nodiscard]] T* child(const char* name) const
    {
        return m_window->findChild<T*>(QString::fromLatin1(name));
    }
    [[nodiscard]] QString statusText() const { return child<QLabel>("statusLabel")->text(); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<DrawServer> m_server;
    std::unique_ptr<MainWindow> m_window;
    QString m_iniPath;
    QString m_archivePath;
    QDateTime m_now;
};

void TestWindowTruth::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QApplication::setQuitOnLastWindowClosed(false);
    applyApplicationFont();
}

void TestWindowTruth::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_server = std::make_unique<DrawServer>();
    QVERIFY(m_server->isServing());
    m_server->setLucky(luckyFeed(120));
    m_server->setCanada(canadaFeed(120));
    m_archivePath = m_dir->filePath(QStringLiteral("draws.sqlite3"));
    writeIni();
    m_now = QDateTime(kToday, QTime(12, 7, 0));
}

void TestWindowTruth::cleanup()
{
    m_window.reset();
    m_server.reset();
    m_dir.reset();
}

void TestWindowTruth::writeIni(const QString& extra)
{
    m_iniPath = m_dir->filePath(QStringLiteral("tandor28.ini"));
    QFile ini(m_iniPath);
    QVERIFY(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ini.write(QStringLiteral("[endpoints]\nnotice=%1\ncanada=%2\n%3")
                  .arg(m_server->url("/notice.txt"), m_server->url(""), extra)
                  .toUtf8());
}

MainWindow& TestWindowTruth::makeWindow(ArchiveReader reader)
{
    MainWindowServices services;
    services.archive = std::move(reader);
    services.clock = [this] { return m_now; };
    services.inform = [](const QString&, const QString&) {};
    services.ask = [](const QString&, const QString&) { return false; };
    services.openUrl = [](const QUrl&) {};
    services.iniPath = m_iniPath;
    services.archivePath = m_archivePath;
    services.fetchTimeoutSeconds = 10;
    m_window = std::make_unique<MainWindow>(services);
    // Ticks come from the test, never from the clock of the machine.
    m_window->refreshTimer()->setInterval(24 * 3600 * 1000);
    return *m_window;
}

bool TestWindowTruth::startAndWait()
{
    if (makeWindow().start() != StartOutcome::Running)
        return false;
    return QTest::qWaitFor([this] { return m_window->refreshCount() >= 1 && !m_window->isRefreshing(); }, 30000);
}

bool TestWindowTruth::refreshAndWait()
{
    const int before = m_window->refreshCount();
    QTest::mouseClick(child<QPushButton>("refreshButton"), Qt::LeftButton);
    return QTest::qWaitFor([&] { return m_window->refreshCount() > before && !m_window->isRefreshing(); }, 30000);
}

void TestWindowTruth::keepInArchive(LotteryKind kind, const std::vector<DatedDraw>& draws)
{
    ArchiveOpening opening = DrawArchive::open(m_archivePath);
    QVERIFY2(opening.archive, qPrintable(opening.problem));
    QVERIFY(opening.archive->addDraws(kind, draws, QStringLiteral("test")).ok);
}

void TestWindowTruth::switchShowsOnlyTheChosenLottery_data()
{
    QTest::addColumn<bool>("toCanada");
    QTest::addColumn<bool>("archived");
    QTest::newRow("to Canada 28, kept draws") << true << true;
    QTest::newRow("to Canada 28, nothing kept") << true << false;
    QTest::newRow("to Lucky 28, kept draws") << false << true;
    QTest::newRow("to Lucky 28, nothing kept") << false << false;
}

void TestWindowTruth::switchShowsOnlyTheChosenLottery()
{
    QFETCH(bool, toCanada);
    QFETCH(bool, archived);
    const LotteryKind chosen = toCanada ? LotteryKind::Canada28Night : LotteryKind::Lucky28;
    // The chosen lottery's fetch fails; the other one's answers.
    if (toCanada)
        m_server->setCanada("down", 500);
    else
        m_server->setLucky("down", 500);
    // Before 09:00 the window starts with Canada 28.
    if (!toCanada)
        m_now = QDateTime(kToday, QTime(8, 0));
    const qint64 keptNewest = toCanada ? 7990 : 4990;
    if (archived)
        keepInArchive(chosen, testsupport::archiveDraws(keptNewest - 29, keptNewest));
    QVERIFY(startAndWait());
    const QString otherNewest = QString::number(toCanada ? kLuckyNewest : kCanadaNewest);
    QTableView* draws = child<QTableView>("drawTable");
    QCOMPARE(cellText(draws, 1, 0), otherNewest);

    const int before = m_window->refreshCount();
    child<QComboBox>("lotteryCombo")->setCurrentIndex(int(chosen));
    QVERIFY(QTest::qWaitFor([&] { return m_window->refreshCount() > before && !m_window->isRefreshing(); }, 30000));

    QVERIFY(!m_window->lastFetchSucceeded());
    const QString name = lotteryShortName(chosen);
    const QString headline = child<QLabel>("issueLabel")->text();
    QVERIFY2(headline.startsWith(name), qPrintable(headline));
    // No table shows a draw of the other lottery.
    const qint64 otherLow = (toCanada ? kLuckyNewest : kCanadaNewest) - 200;
    const qint64 otherHigh = toCanada ? kLuckyNewest : kCanadaNewest;
    for (QTableView* table : {draws, m_window->memberPlansTab()->table(), m_window->trendTab()->table()}) {
        for (int row = 1; row < gridRowCount(table); ++row) {
            const qint64 issue = cellText(table, row, 0).toLongLong();
            QVERIFY2(issue < otherLow || issue > otherHigh, qPrintable(cellText(table, row, 0)));
        }
    }
    if (archived) {
        QCOMPARE(headline, name + QStringLiteral(" 第%1期").arg(keptNewest));
        QCOMPARE(cellText(draws, 1, 0), QString::number(keptNewest));
        QCOMPARE(cellText(draws, 30, 0), QString::number(keptNewest - 29));
        QCOMPARE(cellText(draws, 31, 0), QString());
        QVERIFY2(statusText().contains(QStringLiteral("显示的是开奖存档中的开奖（最新第%1期）").arg(keptNewest)),
                 qPrintable(statusText()));
        QVERIFY(child<QLabel>("announcementLabel")->text().contains(QStringLiteral("开奖存档")));
    } else {
        QCOMPARE(headline, name + QStringLiteral(" 暂无开奖"));
        for (const char* digit : {"digitLabel1", "digitLabel2", "digitLabel3", "sumLabel"})
            QCOMPARE(child<QLabel>(digit)->text(), QString());
        for (int row = 1; row < gridRowCount(draws); ++row)
            QCOMPARE(cellText(draws, row, 1), QString());
        QCOMPARE(cellText(m_window->memberPlansTab()->table(), 1, 0), QString());
        QVERIFY2(statusText().contains(QStringLiteral("没有%1的开奖可显示").arg(name)), qPrintable(statusText()));
    }

    // The chosen lottery's first good fetch replaces what stood in for it.
    if (toCanada)
        m_server->setCanada(canadaFeed(120));
    else
        m_server->setLucky(luckyFeed(120));
    QVERIFY(refreshAndWait());
    QCOMPARE(cellText(draws, 1, 0), QString::number(toCanada ? kCanadaNewest : kLuckyNewest));
    QVERIFY2(!statusText().contains(QStringLiteral("开奖存档中的开奖")), qPrintable(statusText()));
}

void TestWindowTruth::emptyPositionsAreBlankAndUncounted_data()
{
    QTest::addColumn<int>("kept");
    QTest::addColumn<int>("held");
    // Seven records; the archive may keep the 20 issues before the oldest of them.
    QTest::newRow("nothing kept") << 0 << 7;
    QTest::newRow("20 earlier issues kept") << 20 << 27;
}

void TestWindowTruth::emptyPositionsAreBlankAndUncounted()
{
    QFETCH(int, kept);
    QFETCH(int, held);
    m_server->setLucky(luckyFeed(7));
    const qint64 oldestFed = kLuckyNewest - 6;
    if (kept > 0)
        keepInArchive(LotteryKind::Lucky28, testsupport::archiveDraws(oldestFed - kept, oldestFed - 1));
    QVERIFY(startAndWait());

    QTableView* draws = child<QTableView>("drawTable");
    QTableView* member = m_window->memberPlansTab()->table();
    for (int position = 1; position <= kPeriodCount; ++position) {
        const bool shown = position <= held;
        const QString issue = shown ? QString::number(kLuckyNewest - position + 1) : QString();
        QCOMPARE(cellText(draws, position, 0), issue);
        QCOMPARE(cellText(draws, position, 1).isEmpty(), !shown);
        // The member table's row of the position: judged only when the draw and its four sources happened.
        const int row = position + 1;
        QCOMPARE(cellText(member, row, 0), issue);
        const bool judged = position + 4 <= held;
        QCOMPARE(cellText(member, row, 6).isEmpty(), !judged);
        if (!judged) {
            for (int column = 3; column <= 6; ++column) {
                QCOMPARE(cellText(member, row, column), QString());
                QCOMPARE(cellTextColour(member, row, column), kBlack);
            }
        }
    }

    // The trend counts the draws that happened, and only them.
    const QTreeWidget* categories = m_window->trendTab()->categoryList();
    QCOMPARE(categories->topLevelItem(0)->text(1).toInt() + categories->topLevelItem(1)->text(1).toInt(), held);
    const QString tripleShare = categories->topLevelItem(12)->text(2);
    QVERIFY2(tripleShare != QStringLiteral("93%"), qPrintable(tripleShare));
    QCOMPARE(cellText(m_window->trendTab()->table(), held + 1, 2), QString());

    // The statistics count judged rows only: with a window of 20, the rows whose draws happened.
    QTest::mouseClick(m_window->memberPlansTab()->findChild<QPushButton*>(QStringLiteral("markButton")),
                      Qt::LeftButton);
    const auto [right, wrong] = rightAndWrong(child<QLabel>("memberStatsLabel")->text());
    QCOMPARE(right + wrong, std::min(20, held - 4));
}

void TestWindowTruth::marksFollowEveryHistoryChange()
{
    // A short feed is mended without a new issue: the marks and the label follow the new history.
    m_server->setLucky(luckyFeed(7));
    QVERIFY(startAndWait());
    QTest::mouseClick(m_window->memberPlansTab()->findChild<QPushButton*>(QStringLiteral("markButton")),
                      Qt::LeftButton);
    const QString shortLabel = child<QLabel>("memberStatsLabel")->text();
    QCOMPARE(rightAndWrong(shortLabel).first + rightAndWrong(shortLabel).second, 3);

    m_server->setLucky(luckyFeed(120));
    QVERIFY(refreshAndWait());
    const QString mended = child<QLabel>("memberStatsLabel")->text();
    const auto [right, wrong] = rightAndWrong(mended);
    QCOMPARE(right + wrong, 20);
    const std::optional<PlanStats> expected =
        evaluateMemberPlan(m_window->state().history, loadPlanRules().member, 1, 1, 20);
    QVERIFY(expected);
    QCOMPARE(mended, statsLabelText(QStringLiteral("20"), *expected));
    const std::vector<PlanMark> marks =
        markMemberPlans(m_window->state().history, loadPlanRules().member, 1, 20, MarkRule{2, 0, 80});
    const QList<QPushButton*> buttons = m_window->memberPlansTab()->planButtons();
    for (int plan = 1; plan <= kMemberPlanCount; ++plan) {
        const bool marked = marks[std::size_t(plan - 1)].marked.value_or(false);
        QCOMPARE(buttonCaptionColour(buttons.at(plan - 1)), marked ? kHitRed : kBlack);
    }
}

void TestWindowTruth::slowFetchSaysItIsRunning()
{
    QVERIFY(startAndWait());
    QVERIFY(!statusText().contains(QStringLiteral("正在获取开奖…")));
    m_server->hold();
    QTest::mouseClick(child<QPushButton>("refreshButton"), Qt::LeftButton);
    QVERIFY(m_window->isRefreshing());
    QTRY_VERIFY_WITH_TIMEOUT(statusText().contains(QStringLiteral("正在获取开奖…")), 10000);
    m_server->release();
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->isRefreshing(), 30000);
    QVERIFY2(!statusText().contains(QStringLiteral("正在获取开奖…")), qPrintable(statusText()));
}

void TestWindowTruth::failingFetchesSilenceTheConnectedStrip()
{
    QVERIFY(startAndWait());
    QLabel* strip = child<QLabel>("announcementLabel");
    QVERIFY(strip->text().contains(QStringLiteral("服务器已连接")));
    m_server->setLucky("down", 503);
    QVERIFY(refreshAndWait());
    QVERIFY2(!strip->text().contains(QStringLiteral("服务器已连接")), qPrintable(strip->text()));
    QVERIFY2(strip->text().contains(QStringLiteral("获取开奖失败")), qPrintable(strip->text()));
    m_server->setLucky(luckyFeed(120));
    QVERIFY(refreshAndWait());
    QVERIFY(strip->text().contains(QStringLiteral("服务器已连接")));
}

void TestWindowTruth::sourceFailuresInChinese()
{
    m_now = QDateTime(kToday, QTime(8, 0)); // Canada 28
    m_server->setCanada("[]", 200);
    writeIni(QStringLiteral("[sources]\ncanada28 = keno-json %1, feed %2, feed %3\n")
                 .arg(m_server->url("/keno-bad"), m_server->url("/api.php?t=jnd28"),
                      QStringLiteral("http://127.0.0.1:%1/api.php?t=jnd28").arg(testsupport::closedPort())));
    QVERIFY(startAndWait());
    QVERIFY(!m_window->lastFetchSucceeded());
    const QString status = statusText();
    QVERIFY2(status.contains(QStringLiteral("来源1（%1）：数据无法读取").arg(m_server->url("/keno-bad"))),
             qPrintable(status));
    QVERIFY2(status.contains(QStringLiteral("：开奖记录不足五条")), qPrintable(status));
    QVERIFY2(status.contains(QStringLiteral("：没有应答")), qPrintable(status));
    for (const char* english : {"no answer", "not a JSON", "fewer than", "unreadable", "illegal"})
        QVERIFY2(!status.contains(QLatin1String(english)), qPrintable(status));
}

void TestWindowTruth::analysisStartsAfterTheArchiveWrite()
{
    // 500 older draws kept; the first refresh brings 120 more. The analysis reads the archive once
    // the refresh's draws are in it, so its first figures cover all 620.
    keepInArchive(LotteryKind::Lucky28, testsupport::archiveDraws(kLuckyNewest - 619, kLuckyNewest - 120));
    auto sawTheFeed = std::make_shared<std::atomic<int>>(-1);
    const QString path = m_archivePath;
    makeWindow([path, sawTheFeed](LotteryKind lottery) {
        ArchiveOpening opening = DrawArchive::open(path);
        if (!opening.archive)
            return DrawSeries{};
        sawTheFeed->store(opening.archive->newestIssue(lottery).value_or(0) == kLuckyNewest ? 1 : 0);
        return seriesFromDated(opening.archive->loadDraws(lottery, 0));
    });
    // The analysis tab computes while it is shown.
    child<QTabWidget>("tabControl")->setCurrentWidget(m_window->analysisTab());
    m_window->show();
    QCOMPARE(m_window->start(), StartOutcome::Running);
    QVERIFY(QTest::qWaitFor([this] { return m_window->refreshCount() >= 1 && !m_window->isRefreshing(); }, 30000));
    const QLabel* status = m_window->analysisTab()->findChild<QLabel*>(QStringLiteral("analysisStatusLabel"));
    QTRY_VERIFY2_WITH_TIMEOUT(status->text().startsWith(QStringLiteral("共 620 期")), qPrintable(status->text()),
                              60000);
    QCOMPARE(sawTheFeed->load(), 1);
}

void TestWindowTruth::fittedFrameSize_data()
{
    QTest::addColumn<QSize>("available");
    QTest::addColumn<QSize>("fitted");
    QTest::newRow("1366 x 768 less a panel") << QSize(1366, 728) << QSize(1129, 728);
    QTest::newRow("1024 x 768") << QSize(1024, 768) << QSize(1024, 768);
    QTest::newRow("exactly the window") << QSize(1129, 802) << QSize(1129, 802);
    QTest::newRow("1920 x 1080") << QSize(1920, 1040) << QSize(1129, 802);
    QTest::newRow("no screen known") << QSize() << QSize(1129, 802);
}

void TestWindowTruth::fittedFrameSize()
{
    QFETCH(QSize, available);
    QFETCH(QSize, fitted);
    QCOMPARE(tandor28::fittedFrameSize(QSize(1129, 802), available), fitted);
}

void TestWindowTruth::windowFitsASmallScreen()
{
    QVERIFY(startAndWait());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    const QRect available = m_window->screen()->availableGeometry();
    QCOMPARE(available.size(), QSize(1366, 728));
    QCOMPARE(m_window->size(), clientSizeForFrame(QSize(1129, 728)));
    // The whole window, its status bar (where failures are said) included, fits the available area.
    QVERIFY(m_window->frameGeometry().width() <= available.width());
    QVERIFY(m_window->frameGeometry().height() <= available.height());
    QStatusBar* status = m_window->statusBar();
    QVERIFY(status->isVisible());
    QVERIFY(m_window->rect().contains(QRect(status->mapTo(m_window.get(), QPoint(0, 0)), status->size())));
    // The content keeps the layout's size and scrolls down to the bottom of the tabs.
    auto* scroller = child<QScrollArea>("contentScroller");
    QVERIFY(scroller);
    QWidget* tabs = child<QWidget>("tabControl");
    QCOMPARE(tabs->size(), QSize(896, 592));
    const auto tabsBottomShown = [&] {
        return tabs->mapTo(scroller->viewport(), QPoint(0, tabs->height() - 1)).y() < scroller->viewport()->height();
    };
    QVERIFY(!tabsBottomShown());
    scroller->verticalScrollBar()->setValue(scroller->verticalScrollBar()->maximum());
    QVERIFY(tabsBottomShown());
}

QTEST_MAIN(TestWindowTruth)
#include "tst_windowtruth.moc"
