#include "cliruns.h"
#include "fixtures.h"
#include "localserver.h"

#include <QRegularExpression>
#include <QTest>

#include <algorithm>

using namespace tandor28::cli;

namespace {

using Run = tandor28::clitest::CliRun;
Run runWords(const QStringList& words)
{
    return tandor28::clitest::run(words);
}

QString feed(const char* name)
{
    return tandor28::testsupport::feedPath(name);
}

} // namespace

class TestCliFeed : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void history_data();
    void history();
    void historyLineColumns();
    void feedArgumentErrors_data();
    void feedArgumentErrors();
    void notice();
    void noticeErrors_data();
    void noticeErrors();
    void countdown_data();
    void countdown();
    void fetchFailureReason();
    void commandHelp_data();
    void commandHelp();
    void helpComesFromTheOptionTable();
    void refusedWords_data();
    void refusedWords();
    void version();
};

void TestCliFeed::history_data()
{
    QTest::addColumn<QString>("lottery");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("realDraws");
    QTest::addColumn<QString>("firstLine");
    QTest::newRow("lucky28 120") << "lucky28" << feed("lucky28_120.txt") << 110
                                 << "1\t3255120\t12:05\t1\t2\t8\t11\t1 + 2 + 8 = 11\t小\t单\t小单\t中\t2\t3\t1";
    QTest::newRow("lucky28 5") << "lucky28" << feed("lucky28_5.txt") << 5
                               << "1\t3255120\t12:05\t1\t2\t8\t11\t1 + 2 + 8 = 11\t小\t单\t小单\t中\t2\t3\t1";
    QTest::newRow("canada28 120") << "canada28" << feed("canada28_120.json") << 110
                                  << "1\t2990120\t12:05\t0\t0\t1\t1\t0 + 0 + 1 = 01\t小\t单\t小单\t边\t1\t1\t1";
    QTest::newRow("canada28 5") << "canada28" << feed("canada28_5.json") << 5
                                << "1\t2990120\t12:05\t0\t0\t1\t1\t0 + 0 + 1 = 01\t小\t单\t小单\t边\t1\t1\t1";
}

void TestCliFeed::history()
{
    QFETCH(QString, lottery);
    QFETCH(QString, file);
    QFETCH(int, realDraws);
    QFETCH(QString, firstLine);
    const Run run =
        runWords({QStringLiteral("history"), QStringLiteral("--lottery"), lottery, QStringLiteral("--file"), file});
    QCOMPARE(run.status, kExitOk);
    QCOMPARE(run.err, QString());
    const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 110);
    QCOMPARE(lines.first(), firstLine);
    for (int i = 0; i < lines.size(); ++i) {
        const QStringList columns = lines[i].split(QLatin1Char('\t'));
        QCOMPARE(columns.size(), 15);
        QCOMPARE(columns[0], QString::number(i + 1));
        QCOMPARE(columns[1].isEmpty(), i >= realDraws);
    }
    if (realDraws < 110)
        QCOMPARE(lines[realDraws],
                 QString::number(realDraws + 1) + QString(14, u'\t'));
}

void TestCliFeed::historyLineColumns()
{
    const Run run = runWords({QStringLiteral("history"), QStringLiteral("--lottery"), QStringLiteral("lucky28"),
                              QStringLiteral("--file"), feed("lucky28_120.txt")});
    const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.at(3), QStringLiteral("4\t3255117\t11:50\t3\t3\t2\t8\t3 + 3 + 2 = 08\t小\t双\t小双\t边\t2\t0\t3"));
    QVERIFY(lines.at(109).startsWith(QStringLiteral("110\t3255011\t")));
}

void TestCliFeed::feedArgumentErrors_data()
{
    const int closedPort = tandor28::testsupport::closedPort();
    QVERIFY(closedPort > 0);
    const QString deadUrl = QStringLiteral("http://127.0.0.1:%1/lucky28.txt").arg(closedPort);

    QTest::addColumn<QStringList>("words");
    QTest::addColumn<int>("status");
    QTest::newRow("4 records") << QStringList{"history", "--lottery", "canada28", "--file", feed("canada28_4.json")}
                               << kExitNothing;
    QTest::newRow("wrong parser for the file")
        << QStringList{"history", "--lottery", "lucky28", "--file", feed("canada28_120.json")} << kExitNothing;
    QTest::newRow("unreachable url") << QStringList{"history", "--lottery", "lucky28", "--url", deadUrl}
                                     << kExitNothing;
    QTest::newRow("unknown lottery") << QStringList{"history", "--lottery", "keno", "--file", feed("lucky28_5.txt")}
                                     << kExitBadArguments;
    QTest::newRow("no lottery") << QStringList{"history", "--file", feed("lucky28_5.txt")} << kExitBadArguments;
    QTest::newRow("no source") << QStringList{"history", "--lottery", "lucky28"} << kExitBadArguments;
    QTest::newRow("both sources") << QStringList{"history", "--lottery", "lucky28", "--file", feed("lucky28_5.txt"),
                                                 "--url",   deadUrl}
                                  << kExitBadArguments;
    QTest::newRow("missing file") << QStringList{"history", "--lottery", "lucky28", "--file", feed("nothing.txt")}
                                  << kExitBadArguments;
    QTest::newRow("option without value") << QStringList{"history", "--lottery"} << kExitBadArguments;
}

void TestCliFeed::feedArgumentErrors()
{
    QFETCH(QStringList, words);
    QFETCH(int, status);
    const Run run = runWords(words);
    QCOMPARE(run.status, status);
    QCOMPARE(run.out, QString());
    QVERIFY(!run.err.isEmpty());
}

void TestCliFeed::notice()
{
    const Run run = runWords({QStringLiteral("notice"), QStringLiteral("--file"), feed("notice.txt")});
    QCOMPARE(run.status, kExitOk);
    QCOMPARE(run.out,
             QStringLiteral("1.4.0\n今晚维护\n1. 新增加拿大28\\r\\n2. 修复问题\nhttp://127.0.0.1:8828/lucky28.txt\n"));
}

void TestCliFeed::noticeErrors_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<int>("status");
    QTest::newRow("no file") << QStringList{"notice"} << kExitBadArguments;
    QTest::newRow("missing file") << QStringList{"notice", "--file", feed("nothing.txt")} << kExitBadArguments;
}

void TestCliFeed::noticeErrors()
{
    QFETCH(QStringList, words);
    QFETCH(int, status);
    const Run run = runWords(words);
    QCOMPARE(run.status, status);
    QCOMPARE(run.out, QString());
}

void TestCliFeed::countdown_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::newRow("lucky28 due in 49 s") << QStringList{"countdown", "--lottery", "lucky28", "--newest",
                                                        "12:05",     "--now",     "12:09:30"}
                                         << kExitOk << "49\t00:49\n";
    QTest::newRow("lucky28 late") << QStringList{"countdown", "--lottery", "lucky28", "--newest",
                                                 "12:05",     "--now",     "12:10:30"}
                                  << kExitOk << "-11\t开奖中\n";
    // clang-format off
    QTest::newRow("lucky28 night break runs to 09:05:20") << QStringList{"countdown", "--lottery", "lucky28", "--newest", "23:55", "--now", "23:56:00"} << kExitOk << "32960\t32960\n";
    QTest::newRow("lucky28 23:55 at 23:59:00") << QStringList{"countdown", "--lottery", "lucky28", "--newest", "23:55", "--now", "23:59:00"} << kExitOk << "32780\t32780\n";
    QTest::newRow("lucky28 23:55 at 09:06:00 overdue") << QStringList{"countdown", "--lottery", "lucky28", "--newest", "23:55", "--now", "09:06:00"} << kExitOk << "-40\t开奖中\n";
    QTest::newRow("canada28 23:58 at 00:01:00") << QStringList{"countdown", "--lottery", "canada28", "--newest", "23:58", "--now", "00:01:00"} << kExitOk << "30\t00:30\n";
    QTest::newRow("canada28 23:58 at 00:05:00 overdue") << QStringList{"countdown", "--lottery", "canada28", "--newest", "23:58", "--now", "00:05:00"} << kExitOk << "-210\t开奖中\n";
    QTest::newRow("canada28 with seconds") << QStringList{"countdown", "--lottery", "canada28", "--newest", "12:03:30", "--now", "12:05:00"} << kExitOk << "120\t02:00\n";
    // clang-format on
    QTest::newRow("canada28 90 s") << QStringList{"countdown", "--lottery", "canada28", "--newest",
                                                  "12:05",     "--now",     "12:07:00"}
                                   << kExitOk << "90\t01:30\n";
    QTest::newRow("bad clock") << QStringList{"countdown", "--lottery", "canada28", "--newest",
                                              "12:05",     "--now",     "12:07"}
                               << kExitBadArguments << "";
    QTest::newRow("no newest") << QStringList{"countdown", "--lottery", "canada28", "--now", "12:07:00"}
                               << kExitBadArguments << "";
    QTest::newRow("bad lottery") << QStringList{"countdown", "--lottery", "x", "--newest", "12:05", "--now", "12:07:00"}
                                 << kExitBadArguments << "";
    QTest::newRow("newest 25:00") << QStringList{"countdown", "--lottery", "lucky28", "--newest",
                                                 "25:00",     "--now",     "12:07:00"}
                                  << kExitBadArguments << "";
    QTest::newRow("newest 12:60") << QStringList{"countdown", "--lottery", "canada28", "--newest",
                                                 "12:60",     "--now",     "12:07:00"}
                                  << kExitBadArguments << "";
    QTest::newRow("newest not a time") << QStringList{"countdown", "--lottery", "canada28", "--newest",
                                                      "noon",      "--now",     "12:07:00"}
                                       << kExitBadArguments << "";
}

void TestCliFeed::countdown()
{
    QFETCH(QStringList, words);
    QFETCH(int, status);
    QFETCH(QString, out);
    const Run run = runWords(words);
    QCOMPARE(run.status, status);
    QCOMPARE(run.out, out);
}

void TestCliFeed::fetchFailureReason()
{
    const int closedPort = tandor28::testsupport::closedPort();
    QVERIFY(closedPort > 0);
    const QString deadUrl = QStringLiteral("http://127.0.0.1:%1/lucky28.txt").arg(closedPort);
    const Run run = runWords({"history", "--lottery", "lucky28", "--url", deadUrl});
    QCOMPARE(run.status, kExitNothing);
    QCOMPARE(run.out, QString());
    // One language a line: the companion speaks English.
    QCOMPARE(run.err, QStringLiteral("the fetch failed: connection refused\n"));
}

void TestCliFeed::commandHelp_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QString>("usage");
    // clang-format off
    QTest::newRow("search --help") << QStringList{"search", "--help"} << "usage: tandor28-cli search FEED --mode mixed|simple";
    QTest::newRow("search with options, then --help") << QStringList{"search", "--mode", "mixed", "--help"} << "usage: tandor28-cli search FEED";
    QTest::newRow("countdown --help") << QStringList{"countdown", "--help"} << "usage: tandor28-cli countdown --lottery K";
    QTest::newRow("store --help") << QStringList{"store", "--help"} << "usage: tandor28-cli store decode";
    QTest::newRow("--help") << QStringList{"--help"} << "usage: tandor28-cli COMMAND [OPTIONS]";
    // clang-format on
}

void TestCliFeed::commandHelp()
{
    QFETCH(QStringList, words);
    QFETCH(QString, usage);
    const Run run = runWords(words);
    QCOMPARE(run.status, kExitOk);
    QVERIFY2(run.out.startsWith(usage), qPrintable(run.out));
    QCOMPARE(run.err, QString());
}

// Each command's --help starts with its line of the general help and names every option of that
// line with a line of its own, since both are written from the command's one table of options.
void TestCliFeed::helpComesFromTheOptionTable()
{
    const Run general = runWords({"--help"});
    QCOMPARE(general.status, kExitOk);
    const QStringList usages = general.lines.mid(2);
    QCOMPARE(usages.size(), 18);
    static const QRegularExpression option(QStringLiteral(R"(\[?(--[a-z-]+)( [^ \]]+)?\]?)"));
    for (const QString& line : usages) {
        const QString usage = line.trimmed();
        const QString command = usage.section(u' ', 0, 0);
        const Run help = runWords({command, "--help"});
        QCOMPARE(help.status, kExitOk);
        QCOMPARE(help.lines.value(0), QStringLiteral("usage: tandor28-cli ") + usage);
        const QString feedless = QString(usage).remove(QStringLiteral(" FEED"));
        for (auto it = option.globalMatch(feedless); it.hasNext();) {
            const QString shown = it.next().captured(0);
            const bool listed = std::any_of(help.lines.begin() + 1, help.lines.end(), [&](const QString& l) {
                return l.startsWith(QStringLiteral("  ") + shown + QStringLiteral("  "));
            });
            QVERIFY2(listed, qPrintable(command + QStringLiteral(": ") + shown));
        }
        if (usage.contains(QStringLiteral(" FEED")))
            QVERIFY2(
                help.lines.contains(QStringLiteral("FEED is --lottery lucky28|canada28 with --url URL or --file PATH")),
                qPrintable(command));
    }
}

// Words a command does not declare are refused, not passed over: a misspelled option would
// otherwise run the command without it.
void TestCliFeed::refusedWords_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QString>("err");
    const QString file = feed("lucky28_5.txt");
    // clang-format off
    QTest::newRow("unknown option")     << QStringList{"history", "--lottery", "lucky28", "--file", file, "--windw", "3"} << "unknown option --windw (history --help lists the options)\n";
    QTest::newRow("another's option")   << QStringList{"trend", "--lottery", "lucky28", "--file", file, "--seed", "5"} << "unknown option --seed (trend --help lists the options)\n";
    QTest::newRow("stray word")         << QStringList{"history", "extra", "--lottery", "lucky28", "--file", file} << "unexpected argument: extra\n";
    QTest::newRow("archive option")     << QStringList{"archive", "gaps", "--db", "x.sqlite3", "--lottery", "lucky28", "--format", "feed"} << "unknown option --format (archive gaps --help lists the options)\n";
    QTest::newRow("store option")       << QStringList{"store", "decode", "--key", "k"} << "unknown option --key (store --help lists the options)\n";
    QTest::newRow("unknown last option") << QStringList{"history", "--lottery", "lucky28", "--file", file, "--windw"} << "unknown option --windw (history --help lists the options)\n";
    QTest::newRow("store word")         << QStringList{"store", "recode"} << "usage: store decode [PATH] | store encode [PATH]\n";
    // clang-format on
}

void TestCliFeed::refusedWords()
{
    QFETCH(QStringList, words);
    QFETCH(QString, err);
    const Run run = runWords(words);
    QCOMPARE(run.status, kExitBadArguments);
    QCOMPARE(run.out, QString());
    QCOMPARE(run.err, err);
}

void TestCliFeed::version()
{
    const Run run = runWords({"--version"});
    QCOMPARE(run.status, kExitOk);
    QCOMPARE(run.out, QStringLiteral("tandor28-cli 1.4.0\n"));
}

QTEST_GUILESS_MAIN(TestCliFeed)
#include "tst_cli_feed.moc"
