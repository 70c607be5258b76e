#include "feed/endpoints.h"
#include "feed/notice.h"
#include "paths/filelocations.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using namespace tandor28;

namespace {

QByteArray gbk(const QString& text)
{
    QStringEncoder encoder("GBK");
    return encoder.encode(text);
}

} // namespace

Q_DECLARE_METATYPE(tandor28::NoticeOutcome)
Q_DECLARE_METATYPE(tandor28::LotteryKind)

class TestNotice : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data();
    void parse();
    void fixtureIsGbk();
    void outcome_data();
    void outcome();
    void texts();
    void endpoints_data();
    void endpoints();
    void feedUrls();
};

void TestNotice::parse_data()
{
    QTest::addColumn<QString>("document");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("announcement");
    QTest::addColumn<QString>("update");
    QTest::addColumn<QString>("jk1");

    QTest::newRow("all fields") << "版本:1.4.0]1公告:欢迎]4更新:第一行\r\n第二行]5JK1:http://h/l.txt]7"
                                << "1.4.0"
                                << "欢迎"
                                << "第一行\r\n第二行"
                                << "http://h/l.txt";
    QTest::newRow("fields in another order") << "JK1:http://h/x]7更新:u]5公告:a]4版本:1.4.0]1"
                                             << "1.4.0"
                                             << "a"
                                             << "u"
                                             << "http://h/x";
    QTest::newRow("trailing blank kept in version") << "版本:1.4.0 ]1"
                                                    << "1.4.0 "
                                                    << ""
                                                    << ""
                                                    << "";
    QTest::newRow("]4 inside the announcement cuts it") << "公告:今天]4维护]4版本:1.4.0]1"
                                                        << "1.4.0"
                                                        << "今天"
                                                        << ""
                                                        << "";
    QTest::newRow("key letters in any case") << "jk1:http://h/y]7"
                                             << ""
                                             << ""
                                             << ""
                                             << "http://h/y";
    QTest::newRow("missing marker gives empty") << "版本:1.4.0 公告:x]4"
                                                << ""
                                                << "x"
                                                << ""
                                                << "";
    QTest::newRow("marker before the key does not count") << "]1版本:2.0]1"
                                                          << "2.0"
                                                          << ""
                                                          << ""
                                                          << "";
    QTest::newRow("first occurrence of a key wins") << "版本:1.4.0]1版本:9.9]1"
                                                    << "1.4.0"
                                                    << ""
                                                    << ""
                                                    << "";
    QTest::newRow("empty document") << ""
                                    << ""
                                    << ""
                                    << ""
                                    << "";
}

void TestNotice::parse()
{
    QFETCH(QString, document);
    QFETCH(QString, version);
    QFETCH(QString, announcement);
    QFETCH(QString, update);
    QFETCH(QString, jk1);
    const ServerNotice notice = parseServerNotice(gbk(document));
    QCOMPARE(notice.latestVersion, version);
    QCOMPARE(notice.announcement, announcement);
    QCOMPARE(notice.updateText, update);
    QCOMPARE(notice.luckyFeedEndpoint, jk1);
}

void TestNotice::fixtureIsGbk()
{
    QFile file(QStringLiteral(TANDOR28_TEST_DATA "/feeds/notice.txt"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray body = file.readAll();
    QVERIFY(!body.contains("\xe5\x85\xac")); // not the UTF-8 of 公
    const ServerNotice notice = parseServerNotice(body);
    QCOMPARE(notice.latestVersion, QStringLiteral("1.4.0"));
    QCOMPARE(notice.announcement, QStringLiteral("今晚维护"));
    QCOMPARE(notice.updateText, QStringLiteral("1. 新增加拿大28\r\n2. 修复问题"));
    QCOMPARE(notice.luckyFeedEndpoint, QStringLiteral("http://127.0.0.1:8828/lucky28.txt"));
}

void TestNotice::outcome_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<NoticeOutcome>("outcome");
    QTest::newRow("current version goes on") << gbk(QStringLiteral("版本:1.4.0]1")) << NoticeOutcome::GoOn;
    QTest::newRow("other version needs the update")
        << gbk(QStringLiteral("版本:1.5.0]1")) << NoticeOutcome::UpdateNeeded;
    QTest::newRow("trailing blank needs the update")
        << gbk(QStringLiteral("版本:1.4.0 ]1")) << NoticeOutcome::UpdateNeeded;
    QTest::newRow("no version field needs the update")
        << gbk(QStringLiteral("公告:hello]4")) << NoticeOutcome::UpdateNeeded;
    QTest::newRow("empty body is unreachable") << QByteArray() << NoticeOutcome::Unreachable;
}

void TestNotice::outcome()
{
    QFETCH(QByteArray, body);
    QFETCH(NoticeOutcome, outcome);
    QCOMPARE(noticeOutcome(body, parseServerNotice(body)), outcome);
}

void TestNotice::texts()
{
    QCOMPARE(noticeCaption(), QStringLiteral("Tandor提示："));
    QCOMPARE(unreachableText(), QStringLiteral("连接服务器失败，关闭杀毒后重试或者检查网络是否连接"));
    QCOMPARE(connectedStatusText(QStringLiteral("1.4.0")), QStringLiteral("当前状态：连接服务器成功，当前版本:1.4.0"));
    const QString question = updateQuestionText(QStringLiteral("1.5.0"));
    QVERIFY(question.startsWith(QStringLiteral("软件已更新，请下载最新版使用\r\n\r\n最新版本：1.5.0\r\n\r\n")));
    QVERIFY(question.contains(QStringLiteral("\r\n\r\n软件下载地址：") + downloadSiteUrl()));
    QVERIFY(question.contains(contactText()));
    QVERIFY(question.endsWith(QStringLiteral("是否打开网站？")));
    QVERIFY(downloadSiteUrl().startsWith(QLatin1String("https://")));
}

void TestNotice::endpoints_data()
{
    QTest::addColumn<QByteArray>("ini"); // empty: no file
    QTest::addColumn<QString>("notice");
    QTest::addColumn<QString>("canada");
    QTest::newRow("no file gives the local server") << QByteArray() << "http://127.0.0.1:8828/notice.txt"
                                                    << "http://127.0.0.1:8828";
    QTest::newRow("both keys") << QByteArray(
                                      "[endpoints]\nnotice=https://n.example/notice.txt\ncanada=https://c.example\n")
                               << "https://n.example/notice.txt"
                               << "https://c.example";
    QTest::newRow("missing key keeps its default")
        << QByteArray("[endpoints]\ncanada=https://c.example\n") << "http://127.0.0.1:8828/notice.txt"
        << "https://c.example";
    QTest::newRow("other group ignored") << QByteArray("[other]\nnotice=https://x\n")
                                         << "http://127.0.0.1:8828/notice.txt"
                                         << "http://127.0.0.1:8828";
    QTest::newRow("empty notice: no notice server")
        << QByteArray("[endpoints]\nnotice=\ncanada=https://c.example\n") << ""
        << "https://c.example";
    QTest::newRow("blank notice: no notice server") << QByteArray("[endpoints]\nnotice = \n") << ""
                                                    << "http://127.0.0.1:8828";
}

void TestNotice::endpoints()
{
    QFETCH(QByteArray, ini);
    QFETCH(QString, notice);
    QFETCH(QString, canada);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("tandor28.ini"));
    if (!ini.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(ini);
    }
    const Endpoints endpoints = loadEndpoints(path);
    QCOMPARE(endpoints.notice, notice);
    QCOMPARE(endpoints.canada, canada);
}

void TestNotice::feedUrls()
{
    const Endpoints endpoints{QStringLiteral("http://n/notice.txt"), QStringLiteral("https://c.example/")};
    ServerNotice notice;
    notice.luckyFeedEndpoint = QStringLiteral("http://l.example/lucky28.txt");
    QCOMPARE(feedUrl(LotteryKind::Lucky28, endpoints, notice), QStringLiteral("http://l.example/lucky28.txt"));
    QCOMPARE(feedUrl(LotteryKind::Canada28Night, endpoints, notice),
             QStringLiteral("https://c.example/api.php?t=jnd28"));
    QCOMPARE(feedUrl(LotteryKind::Lucky28, endpoints, ServerNotice()), QString());
    const Endpoints shipped = loadEndpoints(QStringLiteral(TANDOR28_TEST_DATA "/../../data/tandor28.ini"));
    QCOMPARE(feedUrl(LotteryKind::Canada28Night, shipped, notice),
             QStringLiteral("http://127.0.0.1:8828/api.php?t=jnd28"));
    QCOMPARE(shipped.notice, QStringLiteral("http://127.0.0.1:8828/notice.txt"));
    // Read from where the program keeps its settings (beside a portable program, else the user's
    // config folder or the shipped default; the choice itself is tested with the file locations).
    QCOMPARE(endpointsIniPath(), fileLocations().settingsFile);
    QVERIFY(endpointsIniPath().endsWith(QLatin1String("/tandor28.ini")));
}

QTEST_GUILESS_MAIN(TestNotice)
#include "tst_notice.moc"
