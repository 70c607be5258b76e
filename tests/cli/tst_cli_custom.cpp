#include "cliruns.h"
#include "fixtures.h"

#include "custom/algorithmstore.h"
#include "custom/customtable.h"
#include "custom/search.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace tandor28;

namespace {

const QString kLuckyFeed = testsupport::feedPath("lucky28_120.txt");
const QString kShortFeed = testsupport::feedPath("lucky28_4.txt");
const QString kExampleValues = QStringLiteral("4,5,8,6,2,6,7,8,1,6,7,9,2,9,7,6,1,1");

using Run = clitest::CliRun;
using clitest::run;

QStringList feedArgs(const QString& path = kLuckyFeed)
{
    return {QStringLiteral("--file"), path, QStringLiteral("--lottery"), QStringLiteral("lucky28")};
}

DrawHistory fixtureHistory()
{
    return testsupport::feedHistory(LotteryKind::Lucky28, "lucky28_120.txt");
}

} // namespace

class TestCliCustom : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void formulaPrintsTextAndDigit_data();
    void formulaPrintsTextAndDigit();
    void formulaBatch();
    void formulaBadArguments_data();
    void formulaBadArguments();
    void storeRoundTrip();
    void storeDecodeOfBadFiles();
    void tableEqualsCore_data();
    void tableEqualsCore();
    void statsEqualsCore_data();
    void statsEqualsCore();
    void refusedFormulasAreNotRun_data();
    void refusedFormulasAreNotRun();
    void searchFindsAtOnce();
    void searchRunsOutOfAttempts();
    void searchSeedTable_data();
    void searchSeedTable();
    void badArguments_data();
    void badArguments();
    void shortFeedYieldsNothing();
    void storeThroughTheProgram();
    void logsOnlyWhenAsked_data();
    void logsOnlyWhenAsked();
};

void TestCliCustom::formulaPrintsTextAndDigit_data()
{
    // A formula outside the language prints an empty value and 0, says why on stderr, exits 3.
    QTest::addColumn<QString>("formula");
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("reason");
    // clang-format off
    QTest::newRow("first default box") << "[1]+[8]+[9]+[12]/[8]*[6]" << "19.75\t9" << 0 << "";
    QTest::newRow("third default box") << "[1]*[9]+[5]/[2]+[10]" << "10.4\t0" << 0 << "";
    QTest::newRow("rejected") << "[1]+" << "\t0" << 3 << "不完整";
    QTest::newRow("Math function") << "Math.pow([1],3)" << "64\t4" << 0 << "";
    QTest::newRow("comparison") << "[1]<[2]" << "true\t0" << 0 << "";
    QTest::newRow("leading zero decimal") << "05+[1]" << "9\t9" << 0 << "";
    QTest::newRow("leading zero octal") << "010*[1]" << "32\t2" << 0 << "";
    QTest::newRow("leading zero array") << "[01]" << "\t0" << 3 << "方括号";
    QTest::newRow("built-in that crashes the engine") << "new Array(6e5).copyWithin(0,1)" << "\t0" << 3 << "“new”";
    QTest::newRow("string that doubles") << "s='xxxxxxxxxx';s=s.replace(/x/g,s);s=s.replace(/x/g,s)" << "\t0" << 3 << "不能赋值";
    QTest::newRow("name built from a value's text") << "(Math.abs+[])[3+0]" << "\t0" << 3 << "方括号";
    QTest::newRow("loop inside a built-in") << "[].includes.call({length:1e12},1)" << "\t0" << 3 << "方括号";
    QTest::newRow("huge string") << "JSON.stringify(Array(1e8))" << "\t0" << 3 << "“JSON”";
    // clang-format on
}

void TestCliCustom::formulaPrintsTextAndDigit()
{
    QFETCH(QString, formula);
    QFETCH(QString, line);
    QFETCH(int, status);
    QFETCH(QString, reason);
    const Run result = run({QStringLiteral("formula"), QStringLiteral("--values"), kExampleValues, formula});
    QCOMPARE(result.status, status);
    QCOMPARE(result.lines, QStringList{line});
    if (reason.isEmpty())
        QVERIFY2(result.err.isEmpty(), qPrintable(result.err));
    else
        QVERIFY2(result.err.contains(QStringLiteral("refused: ")) && result.err.contains(reason),
                 qPrintable(result.err));
}

void TestCliCustom::formulaBatch()
{
    const QString input = QStringLiteral("[1]+[8]+[9]+[12]/[8]*[6]\t%1\n"
                                         "1/0\t0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0\n"
                                         "\n"
                                         "[18]-[1]*10\t%1\n")
                              .arg(kExampleValues);
    const Run result = run({QStringLiteral("formula"), QStringLiteral("--batch")}, input);
    QCOMPARE(result.status, 0);
    QCOMPARE(result.lines, (QStringList{"19.75\t9", "Infinity\t0", "-39\t9"}));

    // A refused line still prints its line, says why with its number, and the run exits 3.
    const Run refused = run({QStringLiteral("formula"), QStringLiteral("--batch")},
                            QStringLiteral("[1]\t%1\nfoo\t%1\n[2]\t%1\n").arg(kExampleValues));
    QCOMPARE(refused.status, 3);
    QCOMPARE(refused.lines, (QStringList{"4\t4", "\t0", "5\t5"}));
    QVERIFY2(refused.err.contains(QStringLiteral("line 2: refused: ")), qPrintable(refused.err));

    const Run bad = run({QStringLiteral("formula"), QStringLiteral("--batch")}, QStringLiteral("[1]\t1,2,3\n"));
    QCOMPARE(bad.status, 2);
    QVERIFY(bad.err.contains(QStringLiteral("line 1")));
}

void TestCliCustom::formulaBadArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("no values") << QStringList{"formula", "[1]"};
    QTest::newRow("seventeen values") << QStringList{"formula", "--values", "1,2,3,4,5,6,7,8,9,1,2,3,4,5,6,7,8", "[1]"};
    QTest::newRow("not a number") << QStringList{"formula", "--values", "x,2,3,4,5,6,7,8,9,1,2,3,4,5,6,7,8,9", "[1]"};
    QTest::newRow("no formula") << QStringList{"formula", "--values", "1,2,3,4,5,6,7,8,9,1,2,3,4,5,6,7,8,9"};
}

void TestCliCustom::formulaBadArguments()
{
    QFETCH(QStringList, arguments);
    QCOMPARE(run(arguments).status, 2);
}

void TestCliCustom::storeRoundTrip()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("TandorData.ini"));
    const QString input = QStringLiteral("Tandor超神算法----[1]+[8]+[9]+[12]/[8]*[6]||[1]*[9]+[5]/[2]+[10]\n"
                                         "second----[2]|[3]|[4]\n");
    QCOMPARE(run({QStringLiteral("store"), QStringLiteral("encode"), path}, input).status, 0);

    CustomAlgorithm first;
    first.name = QStringLiteral("Tandor超神算法");
    first.formulas = QStringLiteral("[1]+[8]+[9]+[12]/[8]*[6]||[1]*[9]+[5]/[2]+[10]");
    CustomAlgorithm second;
    second.name = QStringLiteral("second");
    second.formulas = QStringLiteral("[2]|[3]|[4]");
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), encodeStore({first, second}));

    const Run decoded = run({QStringLiteral("store"), QStringLiteral("decode"), path});
    QCOMPARE(decoded.status, 0);
    QCOMPARE(decoded.lines,
             (QStringList{QStringLiteral("Tandor超神算法\t[1]+[8]+[9]+[12]/[8]*[6]||[1]*[9]+[5]/[2]+[10]"),
                          QStringLiteral("second\t[2]|[3]|[4]")}));
}

void TestCliCustom::storeDecodeOfBadFiles()
{
    QTemporaryDir dir;
    const QString garbage = dir.filePath(QStringLiteral("garbage.ini"));
    QFile file(garbage);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not hexadecimal at all, really.");
    file.close();
    QCOMPARE(run({QStringLiteral("store"), QStringLiteral("decode"), garbage}).status, 3);
    QCOMPARE(run({QStringLiteral("store"), QStringLiteral("decode"), dir.filePath(QStringLiteral("missing"))}).status,
             2);
    QCOMPARE(run({QStringLiteral("store"), QStringLiteral("shuffle"), garbage}).status, 2);
}

void TestCliCustom::tableEqualsCore_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("formulas");
    for (int code = 1; code <= kCustomBetTypeCount; ++code)
        QTest::addRow("bet %d, random formulas", code) << code << "[3]*[7]-[1]|[15]/[2]|[9]+[10]+[11]";
    QTest::newRow("default formulas") << 1 << QString();
}

void TestCliCustom::tableEqualsCore()
{
    QFETCH(int, code);
    QFETCH(QString, formulas);
    QStringList arguments =
        QStringList{"table"} + feedArgs() + QStringList{"--tab", "custom", "--bet", QString::number(code)};
    FormulaTriple triple = {QStringLiteral("[1]+[8]+[9]+[12]/[8]*[6]"), QString(),
                            QStringLiteral("[1]*[9]+[5]/[2]+[10]")};
    if (!formulas.isEmpty()) {
        arguments << QStringLiteral("--formulas") << formulas;
        triple = splitFormulas(formulas);
    }
    const Run result = run(arguments);
    QCOMPARE(result.status, 0);
    const DrawHistory history = fixtureHistory();
    FormulaEvaluator evaluator;
    std::optional<PredictionTable> table = generateCustomTable(evaluator, history, triple, code, kPeriodCount);
    QVERIFY(table);
    QCOMPARE(result.lines.size(), kPeriodCount + 1);
    const std::array<QString, 3> head = nextIssueCells(history);
    for (std::size_t column = 0; column < 3; ++column)
        table->rows[0][column].text = head[column];
    for (int row = 0; row <= kPeriodCount; ++row)
        QCOMPARE(result.lines[row], predictionRowLine(row + 1, table->rows[static_cast<std::size_t>(row)]));
    // The special number of the coming issue is not shown on this tab.
    QCOMPARE(result.lines[0].split(u'\t')[4], QString());
}

void TestCliCustom::refusedFormulasAreNotRun_data()
{
    // table, stats and backtest refuse --formulas outside the language before anything runs: exit 2,
    // which formula and why on stderr, nothing on stdout.
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<QString>("formulas");
    QTest::addColumn<QString>("reason");
    const QStringList table{"table", "--tab", "custom", "--bet", "1"};
    const QStringList stats{"stats", "--tab", "custom", "--bet", "1", "--window", "20"};
    // clang-format off
    QTest::newRow("table, name built from a text") << table << "[1]|(Math.abs+[])[3+0]|[2]" << "formula 2 is refused";
    QTest::newRow("table, loop in a built-in") << table << "[].includes.call({length:1e12},1)||" << "formula 1 is refused";
    QTest::newRow("stats, huge string") << stats << "[1]||JSON.stringify(Array(1e8))" << "formula 3 is refused";
    QTest::newRow("stats, Math replaced") << stats << "Math.abs=Math.floor||" << "不能赋值";
    // clang-format on
}

void TestCliCustom::refusedFormulasAreNotRun()
{
    QFETCH(QStringList, command);
    QFETCH(QString, formulas);
    QFETCH(QString, reason);
    const Run result = run(command + feedArgs() + QStringList{"--formulas", formulas});
    QCOMPARE(result.status, 2);
    QVERIFY(result.lines.isEmpty());
    QVERIFY2(result.err.contains(reason), qPrintable(result.err));
}

void TestCliCustom::statsEqualsCore_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("window");
    QTest::newRow("组合 over 20") << 1 << 20;
    QTest::newRow("杀双组 over 50") << 7 << 50;
    QTest::newRow("双项 over 100") << 8 << 100;
}

void TestCliCustom::statsEqualsCore()
{
    QFETCH(int, code);
    QFETCH(int, window);
    const QString formulas = QStringLiteral("[1]+[2]|[4]*[5]|[18]");
    const Run result = run(QStringList{"stats"} + feedArgs() +
                           QStringList{"--tab", "custom", "--bet", QString::number(code), "--window",
                                       QString::number(window), "--formulas", formulas});
    QCOMPARE(result.status, 0);
    FormulaEvaluator evaluator;
    const std::optional<PlanStats> stats =
        evaluateCustomAlgorithm(evaluator, fixtureHistory(), splitFormulas(formulas), code, window);
    QVERIFY(stats);
    QCOMPARE(result.lines, QStringList{QStringLiteral("%1\t%2\t%3\t%4\t%5")
                                           .arg(stats->right)
                                           .arg(stats->wrong)
                                           .arg(stats->accuracy)
                                           .arg(stats->winStreak)
                                           .arg(stats->lossStreak)});
}

void TestCliCustom::searchFindsAtOnce()
{
    const Run result = run(QStringList{"search"} + feedArgs() +
                           QStringList{"--mode", "simple", "--criterion", "3", "--threshold", "0", "--window", "20",
                                       "--bet", "1", "--seed", "99", "--threads", "1"});
    QCOMPARE(result.status, 0);
    QCOMPARE(result.lines.size(), 1);
    const QStringList fields = result.lines.first().split(u'\t');
    QCOMPARE(fields.size(), 10);
    for (int i = 0; i < 3; ++i) {
        QVERIFY(fields[i].startsWith(u'['));
        QVERIFY(!fields[i].contains(u'-') && !fields[i].contains(u'*') && !fields[i].contains(u'/'));
    }
    QCOMPARE(fields[8], QStringLiteral("1"));
    FormulaEvaluator evaluator;
    const std::optional<PlanStats> stats =
        evaluateCustomAlgorithm(evaluator, fixtureHistory(), {fields[0], fields[1], fields[2]}, 1, 20);
    QVERIFY(stats);
    QCOMPARE(fields.mid(3, 5), (QStringList{QString::number(stats->right), QString::number(stats->wrong),
                                            QString::number(stats->accuracy), QString::number(stats->winStreak),
                                            QString::number(stats->lossStreak)}));
}

void TestCliCustom::searchRunsOutOfAttempts()
{
    const Run result = run(QStringList{"search"} + feedArgs() +
                           QStringList{"--mode", "mixed", "--criterion", "0", "--threshold", "21", "--window", "20",
                                       "--bet", "1", "--max-attempts", "300", "--threads", "2"});
    QCOMPARE(result.status, 3);
    QVERIFY(result.err.contains(QStringLiteral("300 attempts")));
    // Still one line: no formulas, the best statistics seen, the attempts and their rate.
    QCOMPARE(result.lines.size(), 1);
    const QStringList fields = result.lines.first().split(u'\t');
    QCOMPARE(fields.size(), 10);
    QCOMPARE(fields.mid(0, 3), (QStringList{QString(), QString(), QString()}));
    const int right = fields[3].toInt();
    QVERIFY2(right > 0 && right <= 20, qPrintable(result.lines.first()));
    QCOMPARE(right + fields[4].toInt(), 20);
    QCOMPARE(fields[8], QStringLiteral("300"));
    bool rateIsNumber = false;
    fields[9].toDouble(&rateIsNumber);
    QVERIFY(rateIsNumber);
}

void TestCliCustom::searchSeedTable_data()
{
    // Lines printed for these seeds before the search built its formulas as programs; a seed must go
    // on giving the same winner, statistics and attempt count.
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("line");
    QFile file(testsupport::fixturePath(QStringLiteral("search/seeds.tsv")));
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    int rows = 0;
    while (!file.atEnd()) {
        const QString text = QString::fromUtf8(file.readLine()).trimmed();
        if (text.isEmpty() || text.startsWith(u'#'))
            continue;
        const QStringList fields = text.split(u'\t');
        QVERIFY(fields.size() >= 4);
        const QString feed = testsupport::fixturePath(QStringLiteral("feeds/") + fields[0]);
        const QString lottery = fields[0].section(u'_', 0, 0);
        const QStringList arguments =
            QStringList{"search", "--file", feed, "--lottery", lottery} + fields[1].split(u' ', Qt::SkipEmptyParts);
        QTest::addRow("%d: %s %s", ++rows, qPrintable(fields[0]), qPrintable(fields[1]))
            << arguments << fields[2].toInt() << QStringList(fields.mid(3)).join(u'\t');
    }
    QVERIFY(rows >= 20);
}

void TestCliCustom::searchSeedTable()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, line);
    const Run result = run(arguments);
    QCOMPARE(result.status, status);
    if (status == 0) {
        QCOMPARE(result.lines.size(), 1);
        QStringList fields = result.lines.first().split(u'\t');
        QCOMPARE(fields.size(), 10);
        fields.removeLast(); // attempts per second
        QCOMPARE(fields.join(u'\t'), line);
    } else {
        QCOMPARE(result.err.section(QStringLiteral(" ("), 0, 0), line);
        // The line of a fruitless run: no formulas, the best statistics seen, the attempts.
        QCOMPARE(result.lines.size(), 1);
        const QStringList fields = result.lines.first().split(u'\t');
        QCOMPARE(fields.size(), 10);
        QCOMPARE(fields.mid(0, 3), (QStringList{QString(), QString(), QString()}));
        QCOMPARE(fields[8], line.section(u' ', 6, 6));
    }
}

void TestCliCustom::badArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    const QStringList feed = feedArgs();
    QTest::newRow("table bet 9") << (QStringList{"table"} + feed + QStringList{"--tab", "custom", "--bet", "9"});
    QTest::newRow("table bet 0") << (QStringList{"table"} + feed + QStringList{"--tab", "custom", "--bet", "0"});
    QTest::newRow("stats window 0") << (QStringList{"stats"} + feed +
                                        QStringList{"--tab", "custom", "--bet", "1", "--window", "0"});
    QTest::newRow("stats window 101") << (QStringList{"stats"} + feed +
                                          QStringList{"--tab", "custom", "--bet", "1", "--window", "101"});
    const QStringList search = QStringList{"search"} + feed;
    QTest::newRow("search mode") << (search + QStringList{"--mode", "hard", "--criterion", "0", "--threshold", "1",
                                                          "--window", "20", "--bet", "1"});
    QTest::newRow("search criterion 4") << (search + QStringList{"--mode", "mixed", "--criterion", "4", "--threshold",
                                                                 "1", "--window", "20", "--bet", "1"});
    QTest::newRow("search threshold") << (search + QStringList{"--mode", "mixed", "--criterion", "0", "--threshold",
                                                               "x", "--window", "20", "--bet", "1"});
    QTest::newRow("search seed") << (search + QStringList{"--mode", "mixed", "--criterion", "0", "--threshold", "1",
                                                          "--window", "20", "--bet", "1", "--seed", "-1"});
    QTest::newRow("search attempts") << (search + QStringList{"--mode", "mixed", "--criterion", "0", "--threshold", "1",
                                                              "--window", "20", "--bet", "1", "--max-attempts", "0"});
    QTest::newRow("no lottery") << QStringList{"stats", "--file", kLuckyFeed, "--tab", "custom",
                                               "--bet", "1",      "--window", "20"};
}

void TestCliCustom::badArguments()
{
    QFETCH(QStringList, arguments);
    const Run result = run(arguments);
    QCOMPARE(result.status, 2);
    QVERIFY(result.lines.isEmpty());
    QVERIFY(!result.err.isEmpty());
}

void TestCliCustom::shortFeedYieldsNothing()
{
    const Run table = run(QStringList{"table"} + feedArgs(kShortFeed) + QStringList{"--tab", "custom", "--bet", "1"});
    QCOMPARE(table.status, 3);
    const Run stats = run(QStringList{"stats"} + feedArgs(kShortFeed) +
                          QStringList{"--tab", "custom", "--bet", "1", "--window", "20"});
    QCOMPARE(stats.status, 3);
}

void TestCliCustom::storeThroughTheProgram()
{
    // The real program reads UTF-8 on stdin and writes UTF-8 on stdout.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("TandorData.ini"));
    QProcess encode;
    encode.start(QStringLiteral(TANDOR28_CLI), {QStringLiteral("store"), QStringLiteral("encode"), path});
    QVERIFY(encode.waitForStarted());
    encode.write(QStringLiteral("超神----[1]+[2]||[3]\n").toUtf8());
    encode.closeWriteChannel();
    QVERIFY(encode.waitForFinished(30000));
    QCOMPARE(encode.exitCode(), 0);

    QProcess decode;
    decode.start(QStringLiteral(TANDOR28_CLI), {QStringLiteral("store"), QStringLiteral("decode"), path});
    QVERIFY(decode.waitForFinished(30000));
    QCOMPARE(decode.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(decode.readAllStandardOutput()), QStringLiteral("超神\t[1]+[2]||[3]\n"));
}

void TestCliCustom::logsOnlyWhenAsked_data()
{
    QTest::addColumn<bool>("verbose");
    QTest::addColumn<QString>("rules"); // QT_LOGGING_RULES, empty: unset
    QTest::addColumn<bool>("logged");
    // clang-format off
    QTest::newRow("quiet by default")             << false << ""                          << false;
    QTest::newRow("--verbose")                    << true  << ""                          << true;
    QTest::newRow("QT_LOGGING_RULES, one part")   << false << "tandor28.custom.debug=true" << true;
    QTest::newRow("QT_LOGGING_RULES over verbose") << true << "tandor28.*=false"          << false;
    // clang-format on
}

void TestCliCustom::logsOnlyWhenAsked()
{
    QFETCH(bool, verbose);
    QFETCH(QString, rules);
    QFETCH(bool, logged);
    QTemporaryDir dir;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_LOGGING_RULES"));
    if (!rules.isEmpty())
        environment.insert(QStringLiteral("QT_LOGGING_RULES"), rules);
    QProcess encode;
    encode.setProcessEnvironment(environment);
    QStringList arguments{QStringLiteral("store"), QStringLiteral("encode"), dir.filePath(QStringLiteral("T.ini"))};
    if (verbose)
        arguments.prepend(QStringLiteral("--verbose"));
    encode.start(QStringLiteral(TANDOR28_CLI), arguments);
    QVERIFY(encode.waitForStarted());
    encode.write("a----[1]||\n");
    encode.closeWriteChannel();
    QVERIFY(encode.waitForFinished(30000));
    QCOMPARE(encode.exitCode(), 0);
    const QString errors = QString::fromUtf8(encode.readAllStandardError());
    QCOMPARE(errors.contains(QLatin1String("tandor28.custom: saved 1 algorithms")), logged);
    if (!logged)
        QCOMPARE(errors, QString());
}

QTEST_GUILESS_MAIN(TestCliCustom)
#include "tst_cli_custom.moc"
