#include "feed/endpoints.h"
#include "feed/sources.h"

#include "fixtures.h"
#include "kenobodies.h"
#include "localserver.h"
#include "timezone.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace tandor28;
using namespace tandor28::testsupport;

Q_DECLARE_METATYPE(tandor28::DrawSource)

class TestSources : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void parseEntry_data();
    void parseEntry();
    void loadFromIni_data();
    void loadFromIni();
    void chain_data();
    void chain();
    void pager();
    void shippedSettings_data();
    void shippedSettings();

private:
    QString url(const char* path) const { return m_server.url(path); }

    LocalServer m_server;
    QString m_lastKenoPath;
};

void TestSources::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    setLocalTimeZone("Asia/Shanghai");
    m_server.serve("/api.php", feedBytes("canada28_120.json"), "application/json");
    m_server.serve("/few/api.php", feedBytes("canada28_4.json"), "application/json");
    m_server.routes().Get("/down", [](const httplib::Request&, httplib::Response& res) { res.status = 503; });
    m_server.routes().Get(
        R"(/services2/keno/draw/latest/(\d+)/(\d+))", [this](const httplib::Request& req, httplib::Response& res) {
            m_lastKenoPath = QString::fromStdString(req.path);
            const int count = std::stoi(req.matches[1]);
            const int offset = std::stoi(req.matches[2]);
            res.set_content(kenoJsonPage(2990130 - offset, std::min(count, 150)).toStdString(), "application/json");
        });
    QVERIFY(m_server.start());
}

void TestSources::cleanupTestCase()
{
    m_server.stop();
    unsetLocalTimeZone();
}

void TestSources::parseEntry_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<DrawSource>("source");

    const KenoScheme interleave = KenoScheme::Interleave;
    // clang-format off
    QTest::newRow("bare URL is a feed")  << "http://a/api.php?t=jnd28" << true << DrawSource{SourceFormat::Feed, "http://a/api.php?t=jnd28", interleave};
    QTest::newRow("feed")                << " feed  https://a/x " << true << DrawSource{SourceFormat::Feed, "https://a/x", interleave};
    QTest::newRow("keno-json")           << "keno-json http://k/latest" << true << DrawSource{SourceFormat::KenoJson, "http://k/latest", interleave};
    QTest::newRow("keno-csv block")      << "KENO-CSV scheme=block http://k/y.zip" << true << DrawSource{SourceFormat::KenoCsv, "http://k/y.zip", KenoScheme::Block};
    QTest::newRow("scheme first")        << "scheme=block keno-json http://k" << true << DrawSource{SourceFormat::KenoJson, "http://k", KenoScheme::Block};
    QTest::newRow("unknown format")      << "xml http://k" << false << DrawSource{};
    QTest::newRow("two formats")         << "feed keno-json http://k" << false << DrawSource{};
    QTest::newRow("unknown scheme")      << "keno-json scheme=odd http://k" << false << DrawSource{};
    QTest::newRow("scheme for a feed")   << "feed scheme=block http://k" << false << DrawSource{};
    QTest::newRow("no URL")              << "keno-json" << false << DrawSource{};
    QTest::newRow("file path")           << "keno-csv /tmp/k.zip" << false << DrawSource{};
    QTest::newRow("empty")               << "  " << false << DrawSource{};
    // clang-format on
}

void TestSources::parseEntry()
{
    QFETCH(QString, entry);
    QFETCH(bool, ok);
    QFETCH(DrawSource, source);
    QString why;
    const std::optional<DrawSource> parsed = parseDrawSource(entry, &why);
    QCOMPARE(parsed.has_value(), ok);
    QCOMPARE(why.isEmpty(), ok);
    if (ok) {
        QCOMPARE(*parsed, source);
        QCOMPARE(parseDrawSource(describeSource(*parsed)), parsed);
    }
}

void TestSources::loadFromIni_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QStringList>("sources");
    QTest::addColumn<int>("problems");

    // clang-format off
    QTest::newRow("no file")          << QByteArray() << QStringList{"feed http://default/api.php?t=jnd28"} << 0;
    QTest::newRow("no sources group") << QByteArray("[endpoints]\ncanada = http://x\n") << QStringList{"feed http://default/api.php?t=jnd28"} << 0;
    QTest::newRow("two, unquoted")    << QByteArray("[sources]\ncanada28 = keno-json http://k/latest, feed http://f/api.php?t=jnd28\n") << QStringList{"keno-json http://k/latest", "feed http://f/api.php?t=jnd28"} << 0;
    QTest::newRow("two, quoted")      << QByteArray("[sources]\ncanada28 = \"keno-csv scheme=block http://k/y.zip, http://f\"\n") << QStringList{"keno-csv scheme=block http://k/y.zip", "feed http://f"} << 0;
    QTest::newRow("bad entry skipped") << QByteArray("[sources]\ncanada28 = xml http://k, http://f\n") << QStringList{"feed http://f"} << 1;
    QTest::newRow("only bad entries") << QByteArray("[sources]\ncanada28 = xml http://k\n") << QStringList{"feed http://default/api.php?t=jnd28"} << 1;
    QTest::newRow("other lottery only") << QByteArray("[sources]\nlucky28 = http://l\n") << QStringList{"feed http://default/api.php?t=jnd28"} << 0;
    // clang-format on
}

void TestSources::loadFromIni()
{
    QFETCH(QByteArray, ini);
    QFETCH(QStringList, sources);
    QFETCH(int, problems);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tandor28.ini"));
    if (!ini.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(ini);
    }
    const SourceList list =
        loadSources(path, LotteryKind::Canada28Night, QStringLiteral("http://default/api.php?t=jnd28"));
    QStringList described;
    for (const DrawSource& source : list.sources)
        described << describeSource(source);
    QCOMPARE(described, sources);
    QCOMPARE(list.problems.size(), problems);
}

void TestSources::chain_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<qint64>("shownNewest");
    QTest::addColumn<QString>("answeredBy");
    QTest::addColumn<QString>("newest");
    QTest::addColumn<int>("failures");
    QTest::addColumn<bool>("wentBack");

    // clang-format off
    QTest::newRow("feed alone")                 << QStringList{"feed /api.php?t=jnd28"} << qint64(0) << "feed /api.php?t=jnd28" << "2990120" << 0 << false;
    QTest::newRow("first down, keno answers")   << QStringList{"feed /down", "keno-json /services2/keno/draw/latest"} << qint64(0) << "keno-json /services2/keno/draw/latest" << "2990130" << 1 << false;
    QTest::newRow("four records, next")         << QStringList{"feed /few/api.php?t=jnd28", "feed /api.php?t=jnd28"} << qint64(0) << "feed /api.php?t=jnd28" << "2990120" << 1 << false;
    QTest::newRow("keno garbage, feed answers") << QStringList{"keno-json /api.php?t=jnd28", "feed /api.php?t=jnd28"} << qint64(0) << "feed /api.php?t=jnd28" << "2990120" << 1 << false;
    QTest::newRow("feed went back, keno ahead") << QStringList{"feed /api.php?t=jnd28", "keno-json /services2/keno/draw/latest"} << qint64(2990125) << "keno-json /services2/keno/draw/latest" << "2990130" << 1 << true;
    QTest::newRow("same newest is no going back") << QStringList{"feed /api.php?t=jnd28"} << qint64(2990120) << "feed /api.php?t=jnd28" << "2990120" << 0 << false;
    QTest::newRow("all went back")              << QStringList{"feed /api.php?t=jnd28"} << qint64(2990121) << "" << "" << 1 << true;
    QTest::newRow("all down")                   << QStringList{"feed /down", "keno-csv /down"} << qint64(0) << "" << "" << 2 << false;
    // clang-format on
}

void TestSources::chain()
{
    QFETCH(QStringList, entries);
    QFETCH(qint64, shownNewest);
    QFETCH(QString, answeredBy);
    QFETCH(QString, newest);
    QFETCH(int, failures);
    QFETCH(bool, wentBack);
    const QString host = url("");
    std::vector<DrawSource> sources;
    for (const QString& entry : entries)
        sources.push_back(
            *parseDrawSource(QString(entry).replace(QLatin1String(" /"), QLatin1Char(' ') + host + QLatin1Char('/'))));
    const SourceFetch fetch = fetchFromSources(LotteryKind::Canada28Night, sources, shownNewest);
    QCOMPARE(QString(fetch.answeredBy).replace(host, QString()), answeredBy);
    QCOMPARE(fetch.history.has_value(), !newest.isEmpty());
    QCOMPARE(fetch.failures.size(), failures);
    QCOMPARE(fetch.wentBack, wentBack);
    QCOMPARE(fetch.firstAnswered, !answeredBy.isEmpty() && failures == 0);
    if (!fetch.history)
        return;
    QCOMPARE(fetch.history->size(), kHistoryLength);
    QCOMPARE(fetch.history->at(1).issue, newest);
    QVERIFY(fetch.draws.size() >= 100);
    if (answeredBy.startsWith(QLatin1String("keno-json"))) {
        QCOMPARE(m_lastKenoPath, QStringLiteral("/services2/keno/draw/latest/120/0"));
        // 2990130: numbers 1..20 shifted by 0 give 7 3 9; at 10:00 AM Vancouver (PDT), 01:00 in Shanghai.
        QCOMPARE(fetch.history->at(1).resultText, QStringLiteral("7 + 3 + 9 = 19"));
        QCOMPARE(fetch.history->at(1).time, QStringLiteral("01:00"));
        QCOMPARE(fetch.history->at(110).issue, QStringLiteral("2990021"));
    }
}

void TestSources::pager()
{
    const DrawSource source{SourceFormat::KenoJson, url("/services2/keno/draw/latest/"), KenoScheme::Interleave};
    const std::optional<std::vector<DatedDraw>> page = kenoJsonPager(source)(3, 10);
    QVERIFY(page.has_value());
    QCOMPARE(m_lastKenoPath, QStringLiteral("/services2/keno/draw/latest/3/10"));
    QCOMPARE(page->size(), std::size_t(3));
    QCOMPARE(page->front().issue, 2990120);
    QVERIFY(!kenoJsonPager(DrawSource{SourceFormat::KenoJson, url("/down"), KenoScheme::Interleave})(3, 0).has_value());
}

void TestSources::shippedSettings_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("notice");
    QTest::addColumn<QStringList>("canada");
    QTest::addColumn<QStringList>("lucky");
    const QString local = QStringLiteral("http://127.0.0.1:8828");
    // clang-format off
    QTest::newRow("installed: the official Keno results, no notice server, no Lucky 28")
        << "../../packaging/tandor28.ini" << ""
        << QStringList{"keno-json https://www.playnow.com/services2/keno/draw/latest", "keno-csv https://www.playnow.com/resources/documents/downloadable-numbers/KenoCurrentYear.zip"}
        << QStringList{};
    QTest::newRow("portable: the local draw server, as described")
        << "../../data/tandor28.ini" << local + "/notice.txt"
        << QStringList{"feed " + local + "/api.php?t=jnd28"} << QStringList{"feed " + local + "/lucky28.txt"};
    // clang-format on
}

// The two tandor28.ini the program ships: the installed one and the portable one of the build folder.
void TestSources::shippedSettings()
{
    QFETCH(QString, file);
    QFETCH(QString, notice);
    QFETCH(QStringList, canada);
    QFETCH(QStringList, lucky);
    const QString path = fixturePath(file);
    QVERIFY(QFileInfo::exists(path));
    const Endpoints endpoints = loadEndpoints(path);
    QCOMPARE(endpoints.notice, notice);
    // The Lucky 28 feed comes from the notice; without a notice server there is none.
    ServerNotice fromNotice;
    if (!notice.isEmpty())
        fromNotice.luckyFeedEndpoint = QStringLiteral("http://127.0.0.1:8828/lucky28.txt");
    for (const auto& [kind, want] :
         {std::pair{LotteryKind::Canada28Night, canada}, std::pair{LotteryKind::Lucky28, lucky}}) {
        const SourceList list = loadSources(path, kind, feedUrl(kind, endpoints, fromNotice));
        QStringList described;
        for (const DrawSource& source : list.sources)
            described << describeSource(source);
        QCOMPARE(described, want);
        QVERIFY(list.problems.isEmpty());
    }
}

QTEST_GUILESS_MAIN(TestSources)
#include "tst_sources.moc"
