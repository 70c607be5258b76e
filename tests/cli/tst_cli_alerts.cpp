#include "cliruns.h"
#include "feedbodies.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tandor28::cli;

namespace {

using RunResult = tandor28::clitest::CliRun;
using tandor28::clitest::run;

// A Lucky 28 feed of the given digits, newest first, issues from 3000 down.
QByteArray luckyFeed(const QList<QList<int>>& draws)
{
    return tandor28::testsupport::feedBody(
        tandor28::LotteryKind::Lucky28,
        tandor28::testsupport::feedDraws(draws, 3000, QDateTime(QDate(2026, 12, 10), QTime(12, 5))));
}

} // namespace

class TestCliAlerts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void trendPrintsTheCategoryList();
    void alarm_data();
    void alarm();
    void badArguments_data();
    void badArguments();

private:
    QString writeFeed(const QString& name, const QByteArray& body);

    QTemporaryDir m_dir;
    QString m_feed;
    QString m_shortFeed;
};

QString TestCliAlerts::writeFeed(const QString& name, const QByteArray& body)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(body) != body.size())
        return {};
    return path;
}

void TestCliAlerts::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // sums 15, 17, 20, 9, then 106 draws of 1 + 2 + 3 = 06
    QList<QList<int>> draws{{1, 5, 9}, {2, 6, 9}, {3, 8, 9}, {0, 1, 8}};
    while (draws.size() < 110)
        draws << QList<int>{1, 2, 3};
    m_feed = writeFeed(QStringLiteral("lucky.txt"), luckyFeed(draws));
    m_shortFeed = writeFeed(QStringLiteral("four.txt"), luckyFeed(draws.mid(0, 4)));
    QVERIFY(!m_feed.isEmpty());
    QVERIFY(!m_shortFeed.isEmpty());
}

void TestCliAlerts::trendPrintsTheCategoryList()
{
    const RunResult result = run({"trend", "--lottery", "lucky28", "--file", m_feed});
    QCOMPARE(result.err, QString());
    QCOMPARE(result.status, kExitOk);
    const QString expected = QStringLiteral("大\t3\t3%\n小\t97\t97%\n单\t3\t3%\n双\t97\t97%\n中\t2\t2%\n边\t98\t98%\n"
                                            "小单\t1\t1%\n小双\t96\t96%\n大双\t1\t1%\n大单\t2\t2%\n极大\t0\t0%\n"
                                            "极小\t0\t0%\n豹子\t0\t0%\n3N0\t98\t98%\n3N1\t0\t0%\n3N2\t2\t2%\n"
                                            "4N0\t1\t1%\n4N1\t2\t2%\n4N2\t96\t96%\n4N3\t1\t1%\n5N0\t2\t2%\n"
                                            "5N1\t96\t96%\n5N2\t1\t1%\n5N3\t0\t0%\n5N4\t1\t1%\n");
    QCOMPARE(result.out, expected);
}

void TestCliAlerts::alarm_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("expected");

    const QString header = QStringLiteral("Tandor火车报警：\r\n\r\n");
    QTest::newRow("threshold 3: size only")
        << QStringList{"--threshold", "3"} << header + QStringLiteral("【大】 已连开：【3】期 \r\n\r\n");
    QTest::newRow("threshold 4: header alone") << QStringList{"--threshold", "4"} << header;
    QTest::newRow("threshold 0, two categories")
        << QStringList{"--threshold", "0", "--categories", "单双,对子,三余"}
        << header + QStringLiteral("【单】 已连开：【2】期 \r\n\r\n【3N0】 已连开：【1】期 \r\n\r\n");
    QTest::newRow("threshold read like the box") << QStringList{"--threshold", "2期", "--categories", "组合"}
                                                 << header + QStringLiteral("【大单】 已连开：【2】期 \r\n\r\n");
    QTest::newRow("no categories: header alone") << QStringList{"--threshold", "0", "--categories", ""} << header;
}

void TestCliAlerts::alarm()
{
    QFETCH(QStringList, options);
    QFETCH(QString, expected);

    const RunResult result = run(QStringList{"alarm", "--lottery", "lucky28", "--file", m_feed} + options);
    QCOMPARE(result.err, QString());
    QCOMPARE(result.status, kExitOk);
    QCOMPARE(result.out, expected);
}

void TestCliAlerts::badArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");

    QTest::newRow("alarm without threshold")
        << QStringList{"alarm", "--lottery", "lucky28", "--file", "FEED"} << kExitBadArguments;
    QTest::newRow("alarm with an unknown category")
        << QStringList{"alarm", "--lottery", "lucky28", "--file", "FEED", "--threshold", "3", "--categories", "大小,大"}
        << kExitBadArguments;
    QTest::newRow("trend without a feed") << QStringList{"trend"} << kExitBadArguments;
    QTest::newRow("trend of four records")
        << QStringList{"trend", "--lottery", "lucky28", "--file", "SHORT"} << kExitNothing;
    QTest::newRow("alarm of four records")
        << QStringList{"alarm", "--lottery", "lucky28", "--file", "SHORT", "--threshold", "1"} << kExitNothing;
}

void TestCliAlerts::badArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);

    arguments.replaceInStrings(QStringLiteral("FEED"), m_feed);
    arguments.replaceInStrings(QStringLiteral("SHORT"), m_shortFeed);
    const RunResult result = run(arguments);
    QCOMPARE(result.status, status);
    QCOMPARE(result.out, QString());
    QVERIFY(!result.err.isEmpty());
}

QTEST_GUILESS_MAIN(TestCliAlerts)
#include "tst_cli_alerts.moc"
