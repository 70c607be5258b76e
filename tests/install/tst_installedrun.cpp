// The installed program as a user starts it: installed into a scratch prefix, run with the installed
// default tandor28.ini whose two Keno URLs are pointed at the local draw server (serving the varied
// forms of the results service), with an empty home.
#include "feedsimprocess.h"

#include <httplib.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace tandor28::testsupport;

namespace {

// The moment the draw server's clock stands at during the first run; the second run is an hour on.
const char* const kFirstNow = "2026-12-10 08:00:00";
const char* const kSecondNow = "2026-12-10 09:00:00";

// A line of the window's --verbose log saying what the window shows after a refresh.
struct Shown
{
    int draws = 0;
    QString newest;
    QString status;
};

} // namespace

class TestInstalledRun : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void followsTheKenoSourcesWithoutNoticeServer();

private:
    [[nodiscard]] QString installed(const QString& relative) const { return m_prefix + u'/' + relative; }
    [[nodiscard]] QProcessEnvironment userEnvironment() const;
    // Starts the installed window and reads its log until a refresh shows a full history.
    [[nodiscard]] std::optional<Shown> startWindowUntilFilled();
    void stopWindow();
    [[nodiscard]] int archivedDraws() const;

    QProcess m_window;
    QTemporaryDir m_work;
    QString m_prefix;
    QString m_home;
};

void TestInstalledRun::initTestCase()
{
    QVERIFY(m_work.isValid());
    m_prefix = m_work.filePath(QStringLiteral("prefix"));
    m_home = m_work.filePath(QStringLiteral("home"));
    QVERIFY(QDir().mkpath(m_home));
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(QStringLiteral(TANDOR28_CMAKE), {QStringLiteral("--install"), QStringLiteral(TANDOR28_BINARY_DIR),
                                                   QStringLiteral("--prefix"), m_prefix});
    QVERIFY(install.waitForFinished(120000));
    QVERIFY2(install.exitCode() == 0, install.readAll().constData());
    QVERIFY(QFile::exists(installed(QStringLiteral("bin/tandor28"))));
}

QProcessEnvironment TestInstalledRun::userEnvironment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_DIRS"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("HOME"), m_home);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return environment;
}

std::optional<Shown> TestInstalledRun::startWindowUntilFilled()
{
    QProcess& window = m_window;
    window.setProcessEnvironment(userEnvironment());
    window.setProcessChannelMode(QProcess::MergedChannels);
    window.start(installed(QStringLiteral("bin/tandor28")), {QStringLiteral("--verbose")});
    if (!window.waitForStarted(10000))
        return std::nullopt;
    const QRegularExpression refreshLine(
        QStringLiteral(R"(refresh \d+ canada28 shows (\d+) draws, newest (\S*) \| status: (.*))"));
    std::optional<Shown> shown;
    QByteArray log;
    while (!shown && window.state() == QProcess::Running && window.waitForReadyRead(60000)) {
        while (window.canReadLine()) {
            const QString line = QString::fromUtf8(window.readLine()).trimmed();
            log += line.toUtf8() + '\n';
            const QRegularExpressionMatch match = refreshLine.match(line);
            if (match.hasMatch() && match.captured(1).toInt() == 110)
                shown = Shown{110, match.captured(2), match.captured(3)};
        }
    }
    if (!shown)
        qWarning("the window never showed a full history; its log:\n%s", log.constData());
    return shown;
}

void TestInstalledRun::stopWindow()
{
    m_window.terminate();
    if (!m_window.waitForFinished(10000)) {
        m_window.kill();
        m_window.waitForFinished(10000);
    }
}

int TestInstalledRun::archivedDraws() const
{
    QProcess cli;
    cli.setProcessEnvironment(userEnvironment());
    cli.start(installed(QStringLiteral("bin/tandor28-cli")),
              {QStringLiteral("archive"), QStringLiteral("export"), QStringLiteral("--db"),
               m_home + QStringLiteral("/.local/share/tandor28/draws.sqlite3"), QStringLiteral("--lottery"),
               QStringLiteral("canada28")});
    if (!cli.waitForFinished(30000) || cli.exitCode() != 0)
        return -1;
    // The export's first line is its header.
    return static_cast<int>(cli.readAllStandardOutput().count('\n')) - 1;
}

void TestInstalledRun::followsTheKenoSourcesWithoutNoticeServer()
{
    FeedsimProcess server(installed(QStringLiteral("bin/tandor28-feedsim")),
                          {QStringLiteral("--now"), QString::fromLatin1(kFirstNow), QStringLiteral("--keno-forms"),
                           QStringLiteral("varied")});
    QVERIFY2(server.port() > 0, qPrintable(server.line()));
    const QString local = QStringLiteral("http://127.0.0.1:%1").arg(server.port());

    // The installed default, with only the two Keno URLs rewritten, as the user's own settings.
    QFile shipped(installed(QStringLiteral("share/tandor28/tandor28.ini")));
    QVERIFY(shipped.open(QIODevice::ReadOnly));
    const QByteArray defaults = shipped.readAll();
    QVERIFY(defaults.contains("keno-json scheme=interleave https://www.playnow.com/services2/keno/draw/latest"));
    QVERIFY(defaults.contains("keno-csv scheme=interleave "
                              "https://www.playnow.com/resources/documents/downloadable-numbers/KenoCurrentYear.zip"));
    QByteArray settings = defaults;
    settings.replace("https://www.playnow.com", local.toUtf8());
    QVERIFY(QDir().mkpath(m_home + QStringLiteral("/.config/tandor28")));
    QFile user(m_home + QStringLiteral("/.config/tandor28/tandor28.ini"));
    QVERIFY(user.open(QIODevice::WriteOnly));
    QCOMPARE(user.write(settings), settings.size());
    user.close();

    const std::optional<Shown> first = startWindowUntilFilled();
    QVERIFY(first);
    QVERIFY(!first->newest.isEmpty());
    QVERIFY2(first->status.startsWith(QStringLiteral("当前状态：未配置公告服务器，当前版本:1.4.0")),
             qPrintable(first->status));
    QVERIFY2(first->status.contains(QStringLiteral("来源：keno-json ") + local), qPrintable(first->status));
    // The archive is written on a thread of its own after the refresh, so the window keeps running.
    QTRY_VERIFY_WITH_TIMEOUT(archivedDraws() >= 110, 30000);
    const int archivedFirst = archivedDraws();
    stopWindow();

    // An hour later (17 more draws at 210 s) the archive has grown by them.
    httplib::Client control("127.0.0.1", server.port());
    const httplib::Result moved = control.Post(
        "/control?now=" + QString::fromLatin1(kSecondNow).replace(u' ', QStringLiteral("%20")).toStdString(), "",
        "text/plain");
    QVERIFY(moved && moved->status == 200);
    const std::optional<Shown> second = startWindowUntilFilled();
    QVERIFY(second);
    QCOMPARE(second->newest.toLongLong(), first->newest.toLongLong() + 17);
    QTRY_VERIFY_WITH_TIMEOUT(archivedDraws() >= archivedFirst + 17, 30000);
    stopWindow();

    // Nothing was asked of a notice server, and nothing was written beside the installed program.
    const httplib::Result asked = control.Get("/control");
    QVERIFY(asked && asked->status == 200);
    QVERIFY2(asked->body.find("\nnotice-requests=0\n") != std::string::npos, asked->body.c_str());
    QVERIFY(!QFile::exists(installed(QStringLiteral("bin/tandor28.ini"))));
    QVERIFY(!QFile::exists(installed(QStringLiteral("bin/TandorData.ini"))));
}

QTEST_GUILESS_MAIN(TestInstalledRun)
#include "tst_installedrun.moc"
