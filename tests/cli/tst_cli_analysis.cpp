#include "analysis/backtest.h"
#include "analysis/hotcold.h"
#include "analysis/missed.h"
#include "archive/drawarchive.h"
#include "custom/formula.h"

#include "cliruns.h"
#include "fixtures.h"

#include <QTemporaryDir>
#include <QTest>

using namespace tandor28;
using clitest::run;

namespace {

// Draws 5000000.. with pseudo-random digits; issue 5000100 is missing.
std::vector<DatedDraw> storedDraws()
{
    std::vector<DatedDraw> draws;
    unsigned state = 3;
    for (int i = 0; i < 400; ++i) {
        if (i == 100)
            continue;
        state = state * 1103515245u + 12345u;
        DatedDraw draw;
        draw.issue = 5000000 + i;
        draw.drawnAt = QDateTime(QDate(2026, 12, 1), QTime(0, 0)).addSecs(210 * i);
        draw.d1 = int(state >> 16) % 10;
        draw.d2 = int(state >> 20) % 10;
        draw.d3 = int(state >> 24) % 10;
        draws.push_back(draw);
    }
    return draws;
}

} // namespace

class TestCliAnalysis : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void backtest_data();
    void backtest();
    void backtestAgreesWithStats_data();
    void backtestAgreesWithStats();
    void missed();
    void hotcold();
    void badArguments_data();
    void badArguments();

private:
    QTemporaryDir m_dir;
    QString m_db;
    DrawSeries m_series;
};

void TestCliAnalysis::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_db = m_dir.filePath(QStringLiteral("draws.sqlite3"));
    ArchiveOpening opening = DrawArchive::open(m_db);
    QVERIFY(opening.archive);
    const std::vector<DatedDraw> draws = storedDraws();
    QCOMPARE(opening.archive->addDraws(LotteryKind::Canada28Night, draws, QStringLiteral("test")).added, 399);
    m_series = seriesFromDated(draws);
}

void TestCliAnalysis::backtest_data()
{
    QTest::addColumn<QString>("tab");
    QTest::addColumn<int>("plan");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("formulas");
    QTest::addColumn<int>("last");
    QTest::addColumn<int>("skipped");
    QTest::newRow("member 29 组合, all") << "member" << 29 << 1 << QString() << 0 << 4;
    QTest::newRow("free 3 杀3N, last 250") << "free" << 3 << 5 << QString() << 250 << 0;
    QTest::newRow("member 56 双项, last 50") << "member" << 56 << 8 << QString() << 50 << 0;
    QTest::newRow("custom 杀双组") << "custom" << 0 << 7 << "[1]+[2]|[3]*[4]|[18]" << 0 << 6;
    // Only the newest K draws and those their predictions come from are read: a window whose oldest
    // rows reach back to the missing issue skips them as the whole archive does.
    QTest::newRow("free 1 组合, last 297, at the gap") << "free" << 1 << 1 << QString() << 297 << 2;
    QTest::newRow("custom 组合, last 300, at the gap") << "custom" << 0 << 1 << "[1]+[7]|[2]*[3]|[13]" << 300 << 6;
}

void TestCliAnalysis::backtest()
{
    QFETCH(QString, tab);
    QFETCH(int, plan);
    QFETCH(int, code);
    QFETCH(QString, formulas);
    QFETCH(int, last);
    QFETCH(int, skipped);
    QStringList arguments{"backtest", "--db", m_db,    "--lottery",          "canada28",
                          "--tab",    tab,    "--bet", QString::number(code)};
    if (plan > 0)
        arguments << "--plan" << QString::number(plan);
    if (!formulas.isEmpty())
        arguments << "--formulas" << formulas;
    if (last > 0)
        arguments << "--last" << QString::number(last);
    const clitest::CliRun result = run(arguments);
    QCOMPARE(result.status, 0);

    const int window = last > 0 ? last : 1000000;
    std::optional<BacktestResult> expected;
    FormulaEvaluator evaluator;
    if (tab == QLatin1String("custom")) {
        const QStringList parts = formulas.split(u'|');
        expected = backtestFormulas(evaluator, m_series, {parts[0], parts[1], parts[2]}, code, {window, false});
    } else {
        const PlanRules rules = loadPlanRules();
        const PlanTab planTab = tab == QLatin1String("free") ? PlanTab::Free : PlanTab::Member;
        expected = backtestPlan(m_series, planTab == PlanTab::Free ? rules.free : rules.member, planTab, plan, code,
                                {window, false});
    }
    QCOMPARE(result.lines, QStringList{QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6")
                                           .arg(expected->right)
                                           .arg(expected->wrong)
                                           .arg(expected->accuracy)
                                           .arg(expected->longestWin)
                                           .arg(expected->longestLoss)
                                           .arg(expected->skipped)});
    // The missing issue skips the rows whose sources it lies in; the shorter windows end after them.
    QCOMPARE(expected->skipped, skipped);
}

// The two command-line paths to a plan's hits: `stats` judges the plan table of a feed, `backtest`
// judges the same draws once imported into an archive. Over the same window they must agree.
void TestCliAnalysis::backtestAgreesWithStats_data()
{
    QTest::addColumn<QString>("feed");
    QTest::addColumn<QStringList>("plan"); // --tab .. --plan .. --bet .. [--formulas ..]
    QTest::addColumn<int>("window");
    // clang-format off
    QTest::newRow("lucky28 member 5 组合 100") << "lucky28_120.txt" << QStringList{"--tab", "member", "--plan", "5", "--bet", "1"} << 100;
    QTest::newRow("lucky28 member 56 双项 50") << "lucky28_120.txt" << QStringList{"--tab", "member", "--plan", "56", "--bet", "8"} << 50;
    QTest::newRow("canada28 member 29 杀3N 100") << "canada28_120.json" << QStringList{"--tab", "member", "--plan", "29", "--bet", "5"} << 100;
    QTest::newRow("canada28 member 1 杀双组 30") << "canada28_120.json" << QStringList{"--tab", "member", "--plan", "1", "--bet", "9"} << 30;
    QTest::newRow("lucky28 custom 大小 100") << "lucky28_120.txt" << QStringList{"--tab", "custom", "--bet", "2", "--formulas", "[1]+[5]|[9]*2|[14]-[3]"} << 100;
    QTest::newRow("canada28 custom 杀双组 80") << "canada28_120.json" << QStringList{"--tab", "custom", "--bet", "7", "--formulas", "[2]%7|[6]+3|[1]*[3]+[5]"} << 80;
    // clang-format on
}

void TestCliAnalysis::backtestAgreesWithStats()
{
    QFETCH(QString, feed);
    QFETCH(QStringList, plan);
    QFETCH(int, window);
    const QString lottery = feed.section(u'_', 0, 0);
    const QString file = testsupport::feedPath(qPrintable(feed));
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString db = dir.filePath(QStringLiteral("draws.sqlite3"));
    const auto imported = run({"archive", "import", "--db", db, "--lottery", lottery, "--file", file});
    QVERIFY2(imported.status == 0, qPrintable(imported.err));

    const auto stats =
        run(QStringList{"stats", "--lottery", lottery, "--file", file, "--window", QString::number(window)} + plan);
    const auto backtest =
        run(QStringList{"backtest", "--db", db, "--lottery", lottery, "--last", QString::number(window)} + plan);
    QVERIFY2(stats.status == 0 && stats.lines.size() == 1, qPrintable(stats.err));
    QVERIFY2(backtest.status == 0 && backtest.lines.size() == 1, qPrintable(backtest.err));
    // stats: right, wrong, accuracy, current win and loss streaks;
    // backtest: right, wrong, accuracy, longest win and loss streaks, rows skipped.
    const QStringList fromStats = stats.lines[0].split(u'\t');
    const QStringList fromBacktest = backtest.lines[0].split(u'\t');
    QCOMPARE(fromBacktest.mid(0, 3), fromStats.mid(0, 3));
    QCOMPARE(fromBacktest.value(0).toInt() + fromBacktest.value(1).toInt(), window);
    QCOMPARE(fromBacktest.value(5), "0");
}

void TestCliAnalysis::missed()
{
    const clitest::CliRun result = run({"missed", "--db", m_db, "--lottery", "canada28"});
    QCOMPARE(result.status, 0);
    QCOMPARE(result.lines.size(), 53);
    const auto counts = missedCounts(m_series);
    for (int i = 0; i < 53; ++i) {
        const MissedCount& count = counts[std::size_t(i)];
        QCOMPARE(result.lines[i], QStringLiteral("%1\t%2\t%3\t%4")
                                      .arg(count.name)
                                      .arg(count.current)
                                      .arg(count.longest)
                                      .arg(twoDecimals(count.average)));
    }
    QVERIFY(result.lines[0].startsWith("0\t"));
    QVERIFY(result.lines[28].startsWith(QStringLiteral("大\t")));
}

void TestCliAnalysis::hotcold()
{
    const clitest::CliRun result = run({"hotcold", "--db", m_db, "--lottery", "canada28", "--last", "300"});
    QCOMPARE(result.status, 0);
    QCOMPARE(result.lines.size(), 28);
    const auto items = hotCold(m_series, 300);
    double expected = 0;
    for (int sum = 0; sum < 28; ++sum) {
        const HotCold& item = items[std::size_t(sum)];
        QCOMPARE(result.lines[sum], QStringLiteral("%1\t%2\t%3\t%4")
                                        .arg(sum)
                                        .arg(item.count)
                                        .arg(twoDecimals(item.expected))
                                        .arg(twoDecimals(item.z)));
        expected += result.lines[sum].split(u'\t')[2].toDouble();
    }
    QVERIFY(std::abs(expected - 300) < 0.2);
}

void TestCliAnalysis::badArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::newRow("no db") << QStringList{"missed", "--lottery", "canada28"} << 2;
    QTest::newRow("bad lottery") << QStringList{"missed", "--db", "X", "--lottery", "keno"} << 2;
    QTest::newRow("bad tab") << QStringList{"backtest", "--db",  "X",     "--lottery", "canada28",
                                            "--tab",    "trend", "--bet", "1"}
                             << 2;
    QTest::newRow("free code 6") << QStringList{"backtest", "--db",   "X", "--lottery", "canada28", "--tab",
                                                "free",     "--plan", "1", "--bet",     "6"}
                                 << 2;
    QTest::newRow("member plan 57") << QStringList{"backtest", "--db",   "X",  "--lottery", "canada28", "--tab",
                                                   "member",   "--plan", "57", "--bet",     "1"}
                                    << 2;
    QTest::newRow("hotcold without --last") << QStringList{"hotcold", "--db", "X", "--lottery", "canada28"} << 2;
    QTest::newRow("hotcold --last 0") << QStringList{"hotcold", "--db", "X", "--lottery", "canada28", "--last", "0"}
                                      << 2;
    QTest::newRow("empty lottery") << QStringList{"missed", "--db", "DB", "--lottery", "lucky28"} << 3;
    QTest::newRow("nothing to judge") << QStringList{"backtest", "--db",   "DB", "--lottery", "lucky28", "--tab",
                                                     "member",   "--plan", "1",  "--bet",     "1"}
                                      << 3;
}

void TestCliAnalysis::badArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    arguments.replaceInStrings(QRegularExpression(QStringLiteral("^DB$")), m_db);
    arguments.replaceInStrings(QRegularExpression(QStringLiteral("^X$")), m_dir.filePath("other.sqlite3"));
    const clitest::CliRun result = run(arguments);
    QCOMPARE(result.status, status);
    QVERIFY(result.out.isEmpty());
    QVERIFY(!result.err.isEmpty());
}

QTEST_GUILESS_MAIN(TestCliAnalysis)
#include "tst_cli_analysis.moc"
