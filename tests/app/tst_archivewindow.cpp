#include "app/gridmodel.h"
#include "app/mainwindow.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

using namespace tandor28;

namespace {

const QDateTime kNow(QDate(2026, 12, 10), QTime(8, 0, 0)); // before 09:00: the window shows Canada 28

// The local draw server, started for the test on a free port with a fixed clock.
class DrawServer
{
public:
    DrawServer()
    {
        m_process.setProgram(QStringLiteral(TANDOR28_FEEDSIM));
        m_process.setArguments({QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--now"),
                                kNow.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))});
        m_process.start();
        if (!m_process.waitForStarted(10000))
            return;
        while (!m_process.canReadLine() && m_process.waitForReadyRead(10000)) {
        }
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral(R"(127\.0\.0\.1:(\d+))")).match(QString::fromUtf8(m_process.readLine()));
        if (m.hasMatch())
            m_port = m.captured(1).toInt();
    }
    ~DrawServer()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished(5000);
    }
    [[nodiscard]] QString url(const QString& path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path);
    }
    [[nodiscard]] int port() const { return m_port; }

private:
    QProcess m_process;
    int m_port = 0;
};

} // namespace

class TestArchiveWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void kenoSourceShowsTheSameDraws();
    void damagedArchiveMovedAsideWindowRuns();

private:
    std::unique_ptr<MainWindow> startWindow(const QString& name, const QByteArray& extraIni);
    QStringList drawRows(MainWindow& window) const;

    std::unique_ptr<DrawServer> m_server;
    QTemporaryDir m_dir;
    QString m_saveTo;
};

void TestArchiveWindow::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    m_server = std::make_unique<DrawServer>();
    QVERIFY(m_server->port() > 0);
}

std::unique_ptr<MainWindow> TestArchiveWindow::startWindow(const QString& name, const QByteArray& extraIni)
{
    const QString ini = m_dir.filePath(name + QStringLiteral(".ini"));
    QFile file(ini);
    if (!file.open(QIODevice::WriteOnly))
        return nullptr;
    file.write("[endpoints]\nnotice=" + m_server->url(QStringLiteral("/notice.txt")).toUtf8() +
               "\ncanada=" + m_server->url(QString()).toUtf8() + "\n" + extraIni);
    file.close();
    MainWindowServices services;
    services.clock = [] { return kNow; };
    services.inform = [](const QString&, const QString&) {};
    services.ask = [](const QString&, const QString&) { return false; };
    services.openUrl = [](const QUrl&) {};
    services.iniPath = ini;
    services.archivePath = m_dir.filePath(name + QStringLiteral(".sqlite3"));
    services.saveFileName = [this](const QString&, const QString&) { return m_saveTo; };
    services.fetchTimeoutSeconds = 5;
    // Two windows run at once here: each locks a data folder of its own.
    services.dataFolder = m_dir.filePath(name);
    auto window = std::make_unique<MainWindow>(services);
    window->refreshTimer()->setInterval(24 * 3600 * 1000);
    if (window->start() != StartOutcome::Running)
        return nullptr;
    if (!QTest::qWaitFor([&] { return window->refreshCount() >= 1 && !window->isRefreshing(); }, 30000))
        return nullptr;
    window->waitForArchive();
    return window;
}

QStringList TestArchiveWindow::drawRows(MainWindow& window) const
{
    auto* table = window.findChild<QTableView*>(QStringLiteral("drawTable"));
    auto* plans = window.findChild<QTableView*>(QStringLiteral("freePlanTable"));
    QStringList rows;
    if (!table)
        return rows;
    for (int row = 1; row <= 100; ++row) {
        rows << cellText(table, row, 0) + u' ' + cellText(table, row, 1) + u' ' + cellText(plans, row + 1, 1);
    }
    return rows;
}

void TestArchiveWindow::kenoSourceShowsTheSameDraws()
{
    const std::unique_ptr<MainWindow> described = startWindow(QStringLiteral("described"), {});
    QVERIFY(described);
    const std::unique_ptr<MainWindow> keno = startWindow(
        QStringLiteral("keno"), "[sources]\ncanada28 = keno-json " +
                                    m_server->url(QStringLiteral("/services2/keno/draw/latest")).toUtf8() + "\n");
    QVERIFY(keno);
    const QStringList rows = drawRows(*described);
    QVERIFY(!rows.first().startsWith(u' '));
    QCOMPARE(drawRows(*keno), rows);

    auto* status = keno->findChild<QLabel*>(QStringLiteral("statusLabel"));
    QVERIFY(status);
    QVERIFY2(status->text().contains(QStringLiteral("来源：keno-json")), qPrintable(status->text()));
    // Both archives hold the 120 fetched draws: the feed's and the Keno page's agree.
    QCOMPARE(described->archive()->drawCount(LotteryKind::Canada28Night), 120);
    QCOMPARE(keno->archive()->drawCount(LotteryKind::Canada28Night), 120);

    // The export button writes the shown lottery's archive through the save dialog.
    m_saveTo = m_dir.filePath(QStringLiteral("export.csv"));
    auto* button = keno->findChild<QPushButton*>(QStringLiteral("exportArchiveButton"));
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton);
    QFile exported(m_saveTo);
    QVERIFY(exported.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = exported.readAll().split('\n');
    QCOMPARE(lines.first(), QByteArray("issue,date,time,d1,d2,d3,sum"));
    QCOMPARE(lines.size(), 122); // header, 120 draws, the empty text after the last line break
    QVERIFY(lines[120].startsWith(rows.first().section(u' ', 0, 0).toLatin1() + ','));
}

void TestArchiveWindow::damagedArchiveMovedAsideWindowRuns()
{
    const QString path = m_dir.filePath(QStringLiteral("damaged.sqlite3"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();
    const std::unique_ptr<MainWindow> window = startWindow(QStringLiteral("damaged"), {});
    QVERIFY(window);
    QVERIFY(!drawRows(*window).first().startsWith(u' '));
    auto* status = window->findChild<QLabel*>(QStringLiteral("statusLabel"));
    QVERIFY2(status->text().contains(QStringLiteral("damaged")), qPrintable(status->text()));
    const QStringList aside = QDir(m_dir.path()).entryList({QStringLiteral("damaged.sqlite3.corrupt-*")});
    QCOMPARE(aside.size(), 1);
    QFile kept(m_dir.filePath(aside.first()));
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray(4096, 'x'));
    QCOMPARE(window->archive()->drawCount(LotteryKind::Canada28Night), 120);
}

QTEST_MAIN(TestArchiveWindow)
#include "tst_archivewindow.moc"
