// The refresh cycle of the main window against a draw server that follows a clock the test drives:
// draws appear when their time has come, so the timer alone must bring each one to the window.
#include "app/mainwindow.h"
#include "app/periodsbox.h"
#include "app/tablewriter.h"
#include "app/uifont.h"
#include "feed/countdown.h"
#include "model/rgb.h"
#include "plans/planstats.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStringEncoder>
#include <QStyle>
#include <QStyleOptionSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <httplib.h>

#include "fakeclock.h"
#include "feedbodies.h"
#include "localserver.h"

#include <atomic>
#include <memory>
#include <thread>

using namespace tandor28;

namespace {

const QDate kDay(2026, 12, 10);
constexpr int kLuckyFirstSecond = 9 * 3600 + 5 * 60;
constexpr int kLuckyLastSecond = 23 * 3600 + 55 * 60;
constexpr int kCanadaStep = 210;

int digitOf(qint64 issue, int salt)
{
    return static_cast<int>((issue * (salt * 2 + 3) + salt) % 10);
}

struct ScheduledDraw
{
    qint64 issue = 0;
    QDateTime time;
};

// Lucky 28: every five minutes from 09:05 to 23:55. Canada 28: every 210 s without a break, counted
// from midnight of the test's day. A draw is published `delay` seconds after its time, and never
// when it lies after `lastDraw` (a feed that stopped).
class DrawSchedule
{
public:
    [[nodiscard]] std::vector<ScheduledDraw> published(LotteryKind kind, const QDateTime& now, int count) const
    {
        std::vector<ScheduledDraw> draws;
        const QDateTime latest = std::min(now.addSecs(-delay(kind)), lastDraw.isValid() ? lastDraw : now);
        QDateTime time = kind == LotteryKind::Lucky28 ? lastLuckyAtOrBefore(latest) : lastCanadaAtOrBefore(latest);
        while (static_cast<int>(draws.size()) < count) {
            draws.push_back({issueOf(kind, time), time});
            time = kind == LotteryKind::Lucky28 ? lastLuckyAtOrBefore(time.addSecs(-1)) : time.addSecs(-kCanadaStep);
        }
        return draws;
    }

    // When a draw shows up in the feed.
    [[nodiscard]] QDateTime publishedAt(LotteryKind kind, const ScheduledDraw& draw) const
    {
        return draw.time.addSecs(delay(kind));
    }

    [[nodiscard]] int delay(LotteryKind kind) const { return kind == LotteryKind::Lucky28 ? luckyDelay : canadaDelay; }

    int luckyDelay = 5;
    int canadaDelay = 5;
    QDateTime lastDraw;

private:
    static QDateTime lastLuckyAtOrBefore(const QDateTime& moment)
    {
        const int second = moment.time().msecsSinceStartOfDay() / 1000;
        if (second < kLuckyFirstSecond)
            return QDateTime(moment.date().addDays(-1), QTime(23, 55));
        const int step = std::min(second, kLuckyLastSecond) / 300 * 300;
        return QDateTime(moment.date(), QTime::fromMSecsSinceStartOfDay(step * 1000));
    }

    static QDateTime lastCanadaAtOrBefore(const QDateTime& moment)
    {
        const QDateTime anchor(kDay, QTime(0, 0));
        const qint64 steps = anchor.secsTo(moment) / kCanadaStep - (anchor.secsTo(moment) < 0 ? 1 : 0);
        return anchor.addSecs(steps * kCanadaStep);
    }

    static qint64 issueOf(LotteryKind kind, const QDateTime& time)
    {
        const QDateTime anchor(kDay.addDays(-10), QTime(0, 0));
        const qint64 step = kind == LotteryKind::Lucky28 ? 300 : kCanadaStep;
        return (kind == LotteryKind::Lucky28 ? 3000000 : 2000000) + anchor.secsTo(time) / step;
    }
};

// The feed of a lottery with the scheduled draws, digits made from each issue.
QByteArray scheduledFeed(LotteryKind kind, const std::vector<ScheduledDraw>& draws)
{
    std::vector<testsupport::FeedDraw> feed;
    for (const ScheduledDraw& draw : draws)
        feed.push_back({draw.issue, draw.time, digitOf(draw.issue, 1), digitOf(draw.issue, 2), digitOf(draw.issue, 3)});
    return testsupport::feedBody(kind, feed);
}

// The notice and both feeds on 127.0.0.1, answering by the test's clock. Its answers can also be
// an error status, and the notice can drip one byte a second.
class ClockServer
{
public:
    ClockServer(const DrawSchedule& schedule, const testsupport::FakeClock& clock)
        : m_schedule(schedule), m_clock(clock)
    {
        m_server.routes().Get("/notice.txt", [this](const httplib::Request&, httplib::Response& response) {
            if (m_dripNotice) {
                drip(response);
                return;
            }
            QStringEncoder gbk("GBK");
            const QByteArray notice = gbk.encode(QStringLiteral("版本:1.4.0]1公告:今日开奖正常]4更新:无]5JK1:%1]7")
                                                     .arg(url(QStringLiteral("/lucky28.txt"))));
            response.set_content(notice.toStdString(), "text/plain");
        });
        m_server.routes().Get("/lucky28.txt", [this](const httplib::Request&, httplib::Response& response) {
            answerFeed(LotteryKind::Lucky28, response);
        });
        m_server.routes().Get("/api.php", [this](const httplib::Request&, httplib::Response& response) {
            answerFeed(LotteryKind::Canada28Night, response);
        });
        m_started = m_server.start();
    }

    [[nodiscard]] bool isServing() const { return m_started; }
    [[nodiscard]] QString url(const QString& path) const { return m_server.url(path); }
    // An HTTP status for the feeds' answers, or kDrip for feeds that drip.
    void setStatus(int status) { m_status = status; }
    static constexpr int kDrip = -1;
    void setDripNotice(bool drip) { m_dripNotice = drip; }

private:
    void answerFeed(LotteryKind kind, httplib::Response& response)
    {
        if (m_status == kDrip) {
            drip(response);
            return;
        }
        response.status = m_status;
        if (m_status != 200) {
            response.set_content("<html><body>error</body></html>", "text/html");
            return;
        }
        response.set_content(scheduledFeed(kind, m_schedule.published(kind, m_clock.now(), 120)).toStdString(),
                             "text/plain");
    }

    // One byte a second, fifteen in all.
    void drip(httplib::Response& response) { m_server.drip(response, 15, std::chrono::seconds(1)); }

    const DrawSchedule& m_schedule;
    const testsupport::FakeClock& m_clock;
    std::atomic<int> m_status = 200;
    std::atomic<bool> m_dripNotice = false;
    // Last: it stops serving before the members its handlers read go away.
    testsupport::LocalServer m_server;
    bool m_started = false;
};

} // namespace

class TestRefreshCycle : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void wholeNight_data();
    void wholeNight();
    void lateJumpAppliedOncePerTick();
    void failedFetchShowsItsReason_data();
    void failedFetchShowsItsReason();
    void drippingNoticeEndsTheStart();
    void newDrawRunsTheMarkingPass();
    void thresholdBoxesTakeDigitsOnly_data();
    void thresholdBoxesTakeDigitsOnly();
    void windowButtonIsDarkBehindWhite();
    void periodsSpinReadsTheLeadingInteger_data();
    void periodsSpinReadsTheLeadingInteger();
    void updateQuestionUsesTheInformationIcon();
    void windowSizesAreFrameSizes();

private:
    MainWindow& makeWindow(bool injectAsk = true);
    [[nodiscard]] bool startAndWait();
    // One second of the clock and one tick of the refresh timer; waits for a refresh it started.
    [[nodiscard]] bool tick();
    [[nodiscard]] bool waitForRefreshes(int count);
    void setNow(const QDateTime& now);
    template <typename T> [[nodiscard]] T* child(const QString& name) const { return m_window->findChild<T*>(name); }
    [[nodiscard]] QString issueShown() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    DrawSchedule m_schedule;
    // Before the server, whose handlers read it.
    testsupport::FakeClock m_clock;
    std::unique_ptr<ClockServer> m_server;
    std::unique_ptr<MainWindow> m_window;
    QStringList m_informed;
    QStringList m_asked;
};

void TestRefreshCycle::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QApplication::setQuitOnLastWindowClosed(false);
    applyApplicationFont();
}

void TestRefreshCycle::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_schedule = DrawSchedule();
    m_server = std::make_unique<ClockServer>(m_schedule, m_clock);
    QVERIFY(m_server->isServing());
    setNow(QDateTime(kDay, QTime(12, 7, 0)));
    QFile ini(m_dir->filePath(QStringLiteral("tandor28.ini")));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write(QStringLiteral("[endpoints]\nnotice=%1\ncanada=%2\n")
                  .arg(m_server->url(QStringLiteral("/notice.txt")), m_server->url(QString()))
                  .toUtf8());
    m_informed.clear();
    m_asked.clear();
}

void TestRefreshCycle::cleanup()
{
    m_window.reset();
    m_server.reset();
    m_dir.reset();
}

void TestRefreshCycle::setNow(const QDateTime& now)
{
    m_clock.set(now);
}

MainWindow& TestRefreshCycle::makeWindow(bool injectAsk)
{
    MainWindowServices services;
    services.clock = m_clock.function();
    services.inform = [this](const QString& caption, const QString& text) { m_informed << caption + u'|' + text; };
    if (injectAsk) {
        services.ask = [this](const QString& caption, const QString& text) {
            m_asked << caption + u'|' + text;
            return false;
        };
    }
    services.openUrl = [](const QUrl&) {};
    services.iniPath = m_dir->filePath(QStringLiteral("tandor28.ini"));
    // The archive and the window's lock in the test's own folder, never in one shared with other runs.
    services.archivePath = m_dir->filePath(QStringLiteral("draws.sqlite3"));
    services.dataFolder = m_dir->path();
    services.fetchTimeoutSeconds = 3;
    m_window = std::make_unique<MainWindow>(services);
    // Ticks come from the test, never from the clock of the machine.
    m_window->refreshTimer()->setInterval(24 * 3600 * 1000);
    return *m_window;
}

bool TestRefreshCycle::waitForRefreshes(int count)
{
    return QTest::qWaitFor([&] { return m_window->refreshCount() >= count && !m_window->isRefreshing(); }, 20000);
}

bool TestRefreshCycle::startAndWait()
{
    return makeWindow().start() == StartOutcome::Running && waitForRefreshes(1);
}

bool TestRefreshCycle::tick()
{
    setNow(m_clock.now().addSecs(1));
    const int before = m_window->refreshCount();
    m_window->onTimerTick();
    if (!m_window->isRefreshing())
        return true;
    return waitForRefreshes(before + 1);
}

QString TestRefreshCycle::issueShown() const
{
    const QString title = child<QLabel>(QStringLiteral("issueLabel"))->text();
    const qsizetype start = title.indexOf(u'第');
    const qsizetype end = title.indexOf(u'期');
    return start < 0 || end < start ? QString() : title.mid(start + 1, end - start - 1);
}

void TestRefreshCycle::wholeNight_data()
{
    QTest::addColumn<int>("lottery");
    QTest::addColumn<QDateTime>("until");
    QTest::addColumn<int>("delay");

    // Lucky 28 publishes its 09:05 draw at 09:05:10; Canada 28 publishes each draw 40 s late, and
    // its draws fall on :00 and :30 seconds in turn while its feed shows minutes only.
    QTest::newRow("lucky28 from 23:50 to 09:10") << 0 << QDateTime(kDay.addDays(1), QTime(9, 10)) << 10;
    QTest::newRow("canada28 from 23:50 to 00:40, 40 s late") << 1 << QDateTime(kDay.addDays(1), QTime(0, 40)) << 40;
    QTest::newRow("lucky28 40 s late") << 0 << QDateTime(kDay.addDays(1), QTime(0, 0)) << 40;
}

void TestRefreshCycle::wholeNight()
{
    QFETCH(int, lottery);
    QFETCH(QDateTime, until);
    QFETCH(int, delay);

    const auto kind = static_cast<LotteryKind>(lottery);
    m_schedule.luckyDelay = delay;
    m_schedule.canadaDelay = delay;
    setNow(QDateTime(kDay, QTime(23, 50, 0)));
    QVERIFY(startAndWait());
    if (kind == LotteryKind::Canada28Night) {
        child<QComboBox>(QStringLiteral("lotteryCombo"))->setCurrentIndex(1);
        QVERIFY(waitForRefreshes(2));
    }

    // Every draw the feed publishes from here on must be in the window within ten seconds.
    QString shown = issueShown();
    QCOMPARE(shown, QString::number(m_schedule.published(kind, m_clock.now(), 1).front().issue));
    int seen = 0;
    while (m_clock.now() < until) {
        QVERIFY(tick());
        const ScheduledDraw newest = m_schedule.published(kind, m_clock.now(), 1).front();
        const qint64 waited = m_schedule.publishedAt(kind, newest).secsTo(m_clock.now());
        if (QString::number(newest.issue) != issueShown()) {
            QVERIFY2(waited <= 10, qPrintable(QStringLiteral("draw %1 of %2, published at %3, still missing at %4")
                                                  .arg(newest.issue)
                                                  .arg(newest.time.toString(Qt::ISODate),
                                                       m_schedule.publishedAt(kind, newest).toString(Qt::ISODate),
                                                       m_clock.now().toString(Qt::ISODate))));
        } else {
            if (issueShown() != shown) {
                shown = issueShown();
                ++seen;
            }
            // Nothing is overdue before the next draw's time: "开奖中" never shows early.
            const QDateTime next = kind == LotteryKind::Canada28Night ? newest.time.addSecs(kCanadaStep)
                                   : newest.time.time() < QTime(23, 55)
                                       ? newest.time.addSecs(300)
                                       : QDateTime(newest.time.date().addDays(1), QTime(9, 5));
            if (m_clock.now() < next)
                QVERIFY2(child<QLabel>(QStringLiteral("countdownLabel"))->text() != QStringLiteral("开奖中"),
                         qPrintable(m_clock.now().toString(Qt::ISODate)));
        }
    }
    QVERIFY(seen >= 2);
    if (kind == LotteryKind::Lucky28 && until.time() == QTime(9, 10)) {
        // The night's last draw, then the morning's first without a click.
        const std::vector<ScheduledDraw> draws = m_schedule.published(kind, m_clock.now(), 2);
        QCOMPARE(draws.front().time.time(), QTime(9, 5));
        QCOMPARE(issueShown(), QString::number(draws.front().issue));
    }
}

void TestRefreshCycle::lateJumpAppliedOncePerTick()
{
    // The Canada 28 feed stopped with its 12:01:00 draw: at 12:11:10 the next one is 400 s overdue.
    m_schedule.lastDraw = QDateTime(kDay, QTime(12, 1, 0));
    setNow(QDateTime(kDay, QTime(12, 11, 10)));
    QVERIFY(makeWindow().start() == StartOutcome::Running);
    QVERIFY(waitForRefreshes(1));
    child<QComboBox>(QStringLiteral("lotteryCombo"))->setCurrentIndex(1);
    QVERIFY(waitForRefreshes(2));
    QCOMPARE(m_window->state().countdown, -400);
    auto* ageLabel = child<QLabel>(QStringLiteral("drawAgeLabel"));
    // The longest age text of a day still fits the label.
    QVERIFY(ageLabel->fontMetrics().horizontalAdvance(drawAgeText(23 * 3600 + 59 * 60)) <= ageLabel->width());
    QCOMPARE(child<QLabel>(QStringLiteral("drawAgeLabel"))->text(), QStringLiteral("最新一期 10 分钟前"));

    QVERIFY(tick());
    QCOMPARE(m_window->state().countdown, -151);
    QCOMPARE(child<QLabel>(QStringLiteral("countdownLabel"))->text(), QStringLiteral("开奖中"));
    QVERIFY(tick());
    QCOMPARE(m_window->state().countdown, 98);
    QCOMPARE(child<QLabel>(QStringLiteral("countdownLabel"))->text(), QStringLiteral("01:38"));
    QCOMPARE(child<QLabel>(QStringLiteral("drawAgeLabel"))->text(), QString());
}

void TestRefreshCycle::failedFetchShowsItsReason_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("status");

    QTest::newRow("server error") << "500"
                                  << QStringLiteral("当前状态：获取开奖失败（服务器返回错误 500），当前版本:1.4.0");
    QTest::newRow("server gone") << "stop" << QStringLiteral("当前状态：获取开奖失败（连接被拒绝），当前版本:1.4.0");
    QTest::newRow("feed drips") << "drip" << QStringLiteral("当前状态：获取开奖失败（连接超时），当前版本:1.4.0");
}

void TestRefreshCycle::failedFetchShowsItsReason()
{
    QFETCH(QString, failure);
    QFETCH(QString, status);

    QVERIFY(startAndWait());
    auto* label = child<QLabel>(QStringLiteral("statusLabel"));
    QCOMPARE(label->text(), QStringLiteral("当前状态：连接服务器成功，当前版本:1.4.0"));
    const QString issue = issueShown();

    if (failure == QLatin1String("stop"))
        m_server.reset();
    else if (failure == QLatin1String("drip"))
        m_server->setStatus(ClockServer::kDrip);
    else
        m_server->setStatus(failure.toInt());
    QTest::mouseClick(child<QPushButton>(QStringLiteral("refreshButton")), Qt::LeftButton);
    QVERIFY(waitForRefreshes(2));
    QCOMPARE(label->text(), status);
    QVERIFY(!m_window->lastFetchSucceeded());
    QCOMPARE(issueShown(), issue);

    if (m_server) {
        m_server->setStatus(200);
        QTest::mouseClick(child<QPushButton>(QStringLiteral("refreshButton")), Qt::LeftButton);
        QVERIFY(waitForRefreshes(3));
        QCOMPARE(label->text(), QStringLiteral("当前状态：连接服务器成功，当前版本:1.4.0"));
    }
}

void TestRefreshCycle::drippingNoticeEndsTheStart()
{
    // One byte a second never lets a timeout on silence fire; the fetch's total timeout (3 s here)
    // ends it, and the start ends with the message of an unreachable server.
    m_server->setDripNotice(true);
    QCOMPARE(int(makeWindow().start()), int(StartOutcome::ServerUnreachable));
    QCOMPARE(m_informed,
             QStringList{QStringLiteral("Tandor提示：|连接服务器失败，关闭杀毒后重试或者检查网络是否连接")});
    QVERIFY(m_asked.isEmpty());
}

void TestRefreshCycle::newDrawRunsTheMarkingPass()
{
    setNow(QDateTime(kDay, QTime(12, 7, 0)));
    QVERIFY(startAndWait());
    auto* label = child<QLabel>(QStringLiteral("memberStatsLabel"));
    QCOMPARE(label->text(), initialStatsLabelText());

    // Ticked: the refresh that brings the 12:10 draw marks.
    setNow(QDateTime(kDay, QTime(12, 10, 30)));
    QTest::mouseClick(child<QPushButton>(QStringLiteral("refreshButton")), Qt::LeftButton);
    QVERIFY(waitForRefreshes(2));
    QVERIFY2(label->text().startsWith(QStringLiteral("统计【20期】")), qPrintable(label->text()));
    const QString marked = label->text();

    // A refresh without a new draw leaves the label as it is.
    QTest::mouseClick(child<QPushButton>(QStringLiteral("refreshButton")), Qt::LeftButton);
    QVERIFY(waitForRefreshes(3));
    QCOMPARE(label->text(), marked);

    // Cleared: a new draw changes nothing until "标记" is pressed.
    QTest::mouseClick(child<QCheckBox>(QStringLiteral("autoMarkCheck")), Qt::LeftButton);
    QVERIFY(!child<QCheckBox>(QStringLiteral("autoMarkCheck"))->isChecked());
    const QString before = label->text();
    const QList<Rgb> coloursBefore = [this] {
        QList<Rgb> colours;
        for (int plan = 1; plan <= 56; ++plan)
            colours << buttonCaptionColour(
                child<QPushButton>(QStringLiteral("memberPlanButton%1").arg(plan, 2, 10, QLatin1Char('0'))));
        return colours;
    }();
    setNow(QDateTime(kDay, QTime(12, 30, 30)));
    QTest::mouseClick(child<QPushButton>(QStringLiteral("refreshButton")), Qt::LeftButton);
    QVERIFY(waitForRefreshes(4));
    QVERIFY(issueShown() != QString());
    QCOMPARE(label->text(), before);
    for (int plan = 1; plan <= 56; ++plan)
        QCOMPARE(buttonCaptionColour(
                     child<QPushButton>(QStringLiteral("memberPlanButton%1").arg(plan, 2, 10, QLatin1Char('0')))),
                 coloursBefore.at(plan - 1));
}

void TestRefreshCycle::thresholdBoxesTakeDigitsOnly_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");

    QTest::newRow("marking threshold: letters dropped") << "markThresholdEdit"
                                                        << "a7b5"
                                                        << "75";
    QTest::newRow("marking threshold: no sign") << "markThresholdEdit"
                                                << "-3"
                                                << "3";
    QTest::newRow("alarm threshold: letters dropped") << "thresholdEdit"
                                                      << "abc4"
                                                      << "4";
    QTest::newRow("alarm threshold: three digits at most") << "thresholdEdit"
                                                           << "12345"
                                                           << "123";
}

void TestRefreshCycle::thresholdBoxesTakeDigitsOnly()
{
    QFETCH(QString, name);
    QFETCH(QString, typed);
    QFETCH(QString, kept);

    QVERIFY(startAndWait());
    auto* edit = child<QLineEdit>(name);
    QVERIFY(edit);
    edit->clear();
    QTest::keyClicks(edit, typed);
    QCOMPARE(edit->text(), kept);
}

void TestRefreshCycle::windowButtonIsDarkBehindWhite()
{
    QVERIFY(startAndWait());
    auto* button = child<QPushButton>(QStringLiteral("customWindowButton"));
    QCOMPARE(buttonCaptionColour(button), kWhite);
    const Rgb face = buttonBackground(button);
    // Relative luminance below a third: white text on it reads (contrast well above 4.5:1).
    QVERIFY(0.2126 * face.r + 0.7152 * face.g + 0.0722 * face.b < 85);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    child<QTabWidget>(QStringLiteral("tabControl"))->setCurrentIndex(4);
    const QImage picture = button->grab().toImage();
    const QColor centre = picture.pixelColor(4, picture.height() / 2);
    QVERIFY2(centre.lightness() < 100, qPrintable(centre.name()));
}

void TestRefreshCycle::periodsSpinReadsTheLeadingInteger_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("after");

    QTest::newRow("100abc up") << "100abc" << 1 << "101";
    QTest::newRow("99 x down") << "99 x" << -1 << "98";
    QTest::newRow("abc up") << "abc" << 1 << "1";
    QTest::newRow("blank 7 up") << " 7" << 1 << "8";
}

void TestRefreshCycle::periodsSpinReadsTheLeadingInteger()
{
    QFETCH(QString, text);
    QFETCH(int, step);
    QFETCH(QString, after);

    QVERIFY(startAndWait());
    auto* box = child<PeriodsBox>(QStringLiteral("periodsBox"));
    box->setBoxText(text);
    QStyleOptionSpinBox option;
    option.initFrom(box);
    option.subControls = QStyle::SC_All;
    option.stepEnabled = QAbstractSpinBox::StepUpEnabled | QAbstractSpinBox::StepDownEnabled;
    option.frame = true;
    const QRect button = box->style()->subControlRect(QStyle::CC_SpinBox, &option,
                                                      step > 0 ? QStyle::SC_SpinBoxUp : QStyle::SC_SpinBoxDown, box);
    QTest::mouseClick(box, Qt::LeftButton, {}, button.center());
    QCOMPARE(box->boxText(), after);
}

void TestRefreshCycle::updateQuestionUsesTheInformationIcon()
{
    // The notice announces another version; the real question box is answered No.
    m_server.reset();
    httplib::Server other;
    other.Get("/notice.txt", [](const httplib::Request&, httplib::Response& response) {
        QStringEncoder gbk("GBK");
        const QByteArray notice = gbk.encode(QStringLiteral("版本:1.5.0]1JK1:x]7"));
        response.set_content(notice.toStdString(), "text/plain");
    });
    const int port = other.bind_to_any_port("127.0.0.1");
    std::thread thread([&other] { other.listen_after_bind(); });
    QFile ini(m_dir->filePath(QStringLiteral("tandor28.ini")));
    QVERIFY(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ini.write(QStringLiteral("[endpoints]\nnotice=http://127.0.0.1:%1/notice.txt\n").arg(port).toUtf8());
    ini.close();

    int icon = -1;
    QTimer answer;
    connect(&answer, &QTimer::timeout, this, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            icon = box->icon();
            box->button(QMessageBox::No)->click();
        }
    });
    answer.start(50);
    const StartOutcome outcome = makeWindow(false).start();
    answer.stop();
    other.stop();
    thread.join();
    QCOMPARE(int(outcome), int(StartOutcome::OtherVersion));
    QCOMPARE(icon, int(QMessageBox::Information));
}

void TestRefreshCycle::windowSizesAreFrameSizes()
{
    QVERIFY(startAndWait());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    // 1129 x 802 with a 31 px title bar and 3 px borders.
    QCOMPARE(m_window->size(), QSize(1123, 768));
    QCOMPARE(m_window->minimumSize(), m_window->maximumSize());
    // The tab control ends at y = 744 and x = 1120; the status bar follows it without a gap.
    const QRect tabs = child<QWidget>(QStringLiteral("tabControl"))->geometry();
    QCOMPARE(tabs.bottom() + 1, 744);
    QVERIFY(tabs.right() < m_window->width());
    const QRect status = m_window->statusBar()->geometry();
    QCOMPARE(status.bottom() + 1, m_window->height());
    QVERIFY2(status.top() - 744 >= 0 && status.top() - 744 <= 6, qPrintable(QString::number(status.top())));
}

QTEST_MAIN(TestRefreshCycle)
#include "tst_refreshcycle.moc"
