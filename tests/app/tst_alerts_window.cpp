#include "app/alarmtab.h"
#include "app/alarmwindow.h"
#include "app/drawpopup.h"
#include "app/mainwindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QStandardPaths>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <httplib.h>

#include "feedbodies.h"
#include "localserver.h"

#include <mutex>
#include <thread>

using namespace tandor28;

namespace {

const QString kCrLf2 = QStringLiteral("\r\n\r\n");

// The notice document and the Lucky 28 feed, served on 127.0.0.1 from inside the test.
class LocalDrawServer
{
public:
    LocalDrawServer()
    {
        m_server.routes().Get("/notice.txt", [this](const httplib::Request&, httplib::Response& res) {
            const QString notice = QStringLiteral("欢迎使用\r\n版本:1.4.0]1\r\n公告:测试]4\r\n更新:无]5\r\nJK1:") +
                                   baseUrl() + QStringLiteral("/lucky28.txt]7\r\n");
            QStringEncoder gbk("GBK");
            const QByteArray body = gbk.encode(notice);
            res.set_content(body.constData(), static_cast<std::size_t>(body.size()), "text/plain");
        });
        m_server.routes().Get("/lucky28.txt", [this](const httplib::Request&, httplib::Response& res) {
            const QByteArray body = feedBody();
            res.set_content(body.constData(), static_cast<std::size_t>(body.size()), "text/plain");
        });
        m_serving = m_server.start();
    }

    [[nodiscard]] bool isServing() const { return m_serving; }
    [[nodiscard]] QString baseUrl() const { return m_server.url(QString()); }

    // Newest first.
    void setDraws(const QList<QList<int>>& draws)
    {
        const std::lock_guard lock(m_mutex);
        m_draws = draws;
    }

private:
    // Five minutes apart, the newest at 12:00.
    QByteArray feedBody()
    {
        const std::lock_guard lock(m_mutex);
        std::vector<testsupport::FeedDraw> draws = testsupport::feedDraws(
            m_draws, 3000000 + static_cast<int>(m_draws.size()), QDateTime(QDate(2026, 12, 10), QTime(12, 0)));
        for (std::size_t i = 0; i < draws.size(); ++i)
            draws[i].time = draws[i].time.addSecs(-300 * static_cast<int>(i));
        return testsupport::feedBody(LotteryKind::Lucky28, draws);
    }

    std::mutex m_mutex;
    QList<QList<int>> m_draws;
    // Last: it stops serving before the members its handlers read go away.
    testsupport::LocalServer m_server;
    bool m_serving = false;
};

} // namespace

// The alerts inside the whole main window: a real refresh over HTTP feeds the alarm and the popup.
class TestAlertsWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void alarmAndPopupFollowTheRefresh();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<LocalDrawServer> m_server;
    QString m_iniPath;
};

void TestAlertsWindow::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QApplication::setQuitOnLastWindowClosed(false);
    QVERIFY(m_dir.isValid());
    m_server = std::make_unique<LocalDrawServer>();
    QVERIFY(m_server->isServing());
    m_iniPath = m_dir.filePath(QStringLiteral("tandor28.ini"));
    QFile ini(m_iniPath);
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write(QStringLiteral("[endpoints]\nnotice=%1/notice.txt\ncanada=%1\n").arg(m_server->baseUrl()).toUtf8());
}

void TestAlertsWindow::alarmAndPopupFollowTheRefresh()
{
    // sums 15, 17, 9, then plain 1 + 2 + 3 draws
    QList<QList<int>> draws{{1, 5, 9}, {2, 6, 9}, {0, 1, 8}};
    while (draws.size() < 120)
        draws << QList<int>{1, 2, 3};
    m_server->setDraws(draws);

    MainWindowServices services;
    services.clock = [] { return QDateTime(QDate(2026, 12, 10), QTime(12, 2, 0)); };
    services.inform = [](const QString&, const QString&) {};
    services.ask = [](const QString&, const QString&) { return false; };
    services.openUrl = [](const QUrl&) {};
    services.iniPath = m_iniPath;
    // The archive and the window's lock in the test's own folder, never in one shared with other runs.
    services.archivePath = m_dir.filePath(QStringLiteral("draws.sqlite3"));
    services.dataFolder = m_dir.path();
    auto window = std::make_unique<MainWindow>(services);
    QCOMPARE(window->start(), StartOutcome::Running);
    window->show();
    QTRY_VERIFY_WITH_TIMEOUT(window->refreshCount() >= 1 && !window->isRefreshing(), 20000);
    QVERIFY(window->state().history.at(1).issue.size() > 0);

    AlarmTab* alarmTab = window->alarmTab();
    alarmTab->setSoundPlayer([](SoundClip) {});
    auto* trainAlarmCheck = window->findChild<QCheckBox*>(QStringLiteral("trainAlarmCheck"));
    QTest::mouseClick(trainAlarmCheck, Qt::LeftButton);
    QVERIFY(alarmTab->alarmWindow());
    QVERIFY(trainAlarmCheck->isChecked());
    QVERIFY(!trainAlarmCheck->isEnabled());
    QTest::keyClicks(alarmTab->findChild<QLineEdit*>(QStringLiteral("thresholdEdit")), QStringLiteral("3"));
    QTest::mouseClick(window->findChild<QCheckBox*>(QStringLiteral("drawNoticeCheck")), Qt::LeftButton);

    // a new draw, 20, makes 大 run three times
    draws.prepend(QList<int>{3, 8, 9});
    m_server->setDraws(draws);
    const int before = window->refreshCount();
    window->refreshAll();
    QTRY_VERIFY_WITH_TIMEOUT(window->refreshCount() > before && !window->isRefreshing(), 20000);

    QCOMPARE(alarmTab->alarmWindow()->alarmText(),
             QStringLiteral("Tandor火车报警：") + kCrLf2 + QStringLiteral("【大】 已连开：【3】期 ") + kCrLf2);
    QCOMPARE(alarmTab->alarmWindow()->textLabel()->text(), alarmTab->alarmWindow()->alarmText());
    DrawPopup* popup = alarmTab->drawPopup();
    QVERIFY(popup);
    QVERIFY(popup->isVisible());
    QCOMPARE(popup->issueText(), window->findChild<QLabel*>(QStringLiteral("issueLabel"))->text());
    QVERIFY(popup->issueText().contains(window->state().history.at(1).issue));
    QCOMPARE(popup->drawText(), QStringLiteral("3 + 8 + 9 = 20 大双"));
    QCOMPARE(popup->historyText(), QStringLiteral("历史：06 06 06 06 06 06 09 17 15 20 "));

    // closing the main window ends the program with status 0 while both windows are open
    QVERIFY(alarmTab->alarmWindow()->isVisible());
    QTimer::singleShot(0, window.get(), [&window] { window->close(); });
    QCOMPARE(QApplication::exec(), 0);
    window.reset();
    for (QWidget* widget : QApplication::topLevelWidgets())
        QVERIFY2(!widget->isVisible(), qPrintable(widget->objectName()));
}

QTEST_MAIN(TestAlertsWindow)
#include "tst_alerts_window.moc"
