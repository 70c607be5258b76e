#include "alerts/streakalarm.h"
#include "drawbuilders.h"

#include <QTest>

using namespace tandor28;
using namespace tandor28::testsupport;

namespace {

const QString kCrLf2 = QStringLiteral("\r\n\r\n");

QString line(const QString& value, int run)
{
    return QStringLiteral("【%1】 已连开：【%2】期 ").arg(value).arg(run) + kCrLf2;
}

QString header()
{
    return QStringLiteral("Tandor火车报警：") + kCrLf2;
}

StreakAlarmSettings settingsWith(const QString& threshold, const QStringList& unticked = {})
{
    StreakAlarmSettings settings;
    settings.thresholdText = threshold;
    for (const QString& name : unticked)
        settings.setWatched(*streakCategoryFromName(name), false);
    return settings;
}

} // namespace

class TestStreakAlarm : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void categoryValues_data();
    void categoryValues();
    void runLengths_data();
    void runLengths();
    void reportText_data();
    void reportText();
    void emptyThresholdDoesNothing_data();
    void emptyThresholdDoesNothing();
    void typeTwoEvaluatesNothing();
    void emptyHistoryReportsNothing();
    void soundAndBalloon_data();
    void soundAndBalloon();
    void categoryNames();
    void fixedTexts();
};

void TestStreakAlarm::categoryValues_data()
{
    QTest::addColumn<QList<int>>("digits");
    QTest::addColumn<QStringList>("values"); // 大小 .. 对子; "-" for no value

    QTest::newRow("4,5,8 = 17") << QList<int>{4, 5, 8}
                                << QStringList{"大", "单", "大单", "中", "3N2", "4N1", "5N2", "-"};
    QTest::newRow("3,3,7 pair") << QList<int>{3, 3, 7}
                                << QStringList{"小", "单", "小单", "中", "3N1", "4N1", "5N3", "对子"};
    QTest::newRow("6,6,6 triple is no pair")
        << QList<int>{6, 6, 6} << QStringList{"大", "双", "大双", "边", "3N0", "4N2", "5N3", "-"};
    QTest::newRow("0,1,0 pair at 1") << QList<int>{0, 1, 0}
                                     << QStringList{"小", "单", "小单", "边", "3N1", "4N1", "5N1", "对子"};
}

void TestStreakAlarm::categoryValues()
{
    QFETCH(QList<int>, digits);
    QFETCH(QStringList, values);

    const Draw draw = drawOfDigits(digits, 1);
    for (int i = 0; i < kStreakCategoryCount; ++i) {
        const std::optional<QString> value = streakValue(static_cast<StreakCategory>(i), draw);
        QCOMPARE(value.value_or(QStringLiteral("-")), values[i]);
    }
}

void TestStreakAlarm::runLengths_data()
{
    QTest::addColumn<QList<QList<int>>>("draws"); // newest first
    QTest::addColumn<int>("category");
    QTest::addColumn<int>("run");

    const auto sums = [](const QList<int>& list) {
        QList<QList<int>> draws;
        for (int i = 0; i < list.size(); ++i) {
            const Draw draw = drawOfSum(list[i], i);
            draws << QList<int>{draw.d1, draw.d2, draw.d3};
        }
        return draws;
    };
    const int size = static_cast<int>(StreakCategory::Size);
    const int parity = static_cast<int>(StreakCategory::Parity);
    const int pair = static_cast<int>(StreakCategory::Pair);

    QTest::newRow("15,17,20,9 size run 3") << sums({15, 17, 20, 9}) << size << 3;
    QTest::newRow("15,17,20,9 parity run 2") << sums({15, 17, 20, 9}) << parity << 2;
    QList<int> twentyFive;
    for (int i = 0; i < 25; ++i)
        twentyFive << 20;
    twentyFive << 3;
    QTest::newRow("run of 25 capped at 21") << sums(twentyFive) << size << 21;
    QTest::newRow("single draw then a different one") << sums({3, 20}) << size << 1;
    QTest::newRow("pair run skips a triple")
        << QList<QList<int>>{{3, 3, 7}, {5, 5, 1}, {8, 8, 8}, {2, 2, 4}, {1, 2, 3}} << pair << 3;
    QTest::newRow("pair run ended by a plain draw") << QList<QList<int>>{{3, 3, 7}, {1, 2, 3}, {5, 5, 1}} << pair << 1;
    QTest::newRow("triple newest has no pair run") << QList<QList<int>>{{6, 6, 6}, {5, 5, 1}, {2, 2, 4}} << pair << 0;
    QList<QList<int>> pairsAndTriples{{3, 3, 7}};
    for (int i = 0; i < 30; ++i)
        pairsAndTriples << (i % 2 ? QList<int>{4, 4, 4} : QList<int>{5, 5, 1});
    // positions 2..21 hold ten pairs and ten skipped triples
    QTest::newRow("short history ends the walk") << QList<QList<int>>{{0, 1, 2}, {0, 1, 3}} << size << 2;
    QTest::newRow("skipped triples still use up positions") << pairsAndTriples << pair << 11;
}

void TestStreakAlarm::runLengths()
{
    QFETCH(QList<QList<int>>, draws);
    QFETCH(int, category);
    QFETCH(int, run);

    // histories here are padded to full length unless the row says it is short
    const bool isShort = QByteArray(QTest::currentDataTag()).startsWith("short");
    const DrawHistory history = historyOfDigits(draws, isShort ? static_cast<int>(draws.size()) : kHistoryLength);
    QCOMPARE(streakRunLength(static_cast<StreakCategory>(category), history), run);
}

void TestStreakAlarm::reportText_data()
{
    QTest::addColumn<QList<QList<int>>>("draws");
    QTest::addColumn<QString>("threshold");
    QTest::addColumn<QStringList>("unticked");
    QTest::addColumn<QString>("report");

    // sums 15 (1,5,9), 17 (2,6,9), 20 (3,8,9), 9 (0,1,8)
    const QList<QList<int>> fifteen{{1, 5, 9}, {2, 6, 9}, {3, 8, 9}, {0, 1, 8}};
    QTest::newRow("15,17,20,9 with 3: only size") << fifteen << "3" << QStringList{} << line("大", 3);
    QTest::newRow("threshold 2 adds parity and middle")
        << fifteen << "2" << QStringList{} << line("大", 3) + line("单", 2) + line("大单", 2) + line("中", 2);
    QTest::newRow("threshold 0 lists every ticked category")
        << fifteen << "0" << QStringList{}
        << line("大", 3) + line("单", 2) + line("大单", 2) + line("中", 2) + line("3N0", 1) + line("4N3", 1) +
               line("5N0", 1);
    QTest::newRow("non-numeric threshold counts as 0")
        << fifteen << "abc" << QStringList{"单双", "组合", "中边", "三余", "四余", "五余"} << line("大", 3);
    QTest::newRow("leading digits of the threshold") << fifteen << "3期" << QStringList{} << line("大", 3);
    QTest::newRow("nothing reaches the threshold") << fifteen << "4" << QStringList{} << QString();

    // sums 4, 16, 8, 20, then 9: 双 and 4N0 run 4, everything else at most 2
    const QList<QList<int>> fours{{0, 1, 3}, {1, 6, 9}, {0, 2, 6}, {3, 8, 9}, {0, 1, 8}};
    QTest::newRow("4N run reported") << fours << "4" << QStringList{} << line("双", 4) + line("4N0", 4);
    QTest::newRow("clearing 四余 removes the 4N line") << fours << "4" << QStringList{"四余"} << line("双", 4);

    const QList<QList<int>> pairs{{3, 3, 7}, {5, 5, 1}, {8, 8, 8}, {2, 2, 4}, {1, 2, 3}};
    QTest::newRow("pair run 3 with a triple skipped")
        << pairs << "3" << QStringList{"大小", "单双", "组合", "中边", "三余", "四余", "五余"} << line("对子", 3);
    QTest::newRow("6,6,6 newest: no pair line")
        << QList<QList<int>>{{6, 6, 6}, {5, 5, 1}, {2, 2, 4}, {3, 3, 1}} << "1"
        << QStringList{"大小", "单双", "组合", "中边", "三余", "四余", "五余"} << QString();
    // sums 13, 13, 21: every category runs at least 2, the pair line comes last
    QTest::newRow("category order, pair last")
        << QList<QList<int>>{{3, 3, 7}, {4, 4, 5}, {4, 8, 9}} << "2" << QStringList{}
        << line("小", 2) + line("单", 3) + line("小单", 2) + line("中", 2) + line("3N1", 2) + line("4N1", 3) +
               line("5N3", 2) + line("对子", 2);
}

void TestStreakAlarm::reportText()
{
    QFETCH(QList<QList<int>>, draws);
    QFETCH(QString, threshold);
    QFETCH(QStringList, unticked);
    QFETCH(QString, report);

    const auto result = evaluateStreakAlarm(historyOfDigits(draws), settingsWith(threshold, unticked));
    QVERIFY(result.has_value());
    QCOMPARE(result->report, report);
    QCOMPARE(result->text, header() + report);
}

void TestStreakAlarm::emptyThresholdDoesNothing_data()
{
    QTest::addColumn<QString>("threshold");
    QTest::addColumn<bool>("evaluated");
    QTest::newRow("empty") << "" << false;
    QTest::newRow("blanks") << "  " << false;
    QTest::newRow("0 still counts") << "0" << true;
}

void TestStreakAlarm::emptyThresholdDoesNothing()
{
    QFETCH(QString, threshold);
    QFETCH(bool, evaluated);
    const QList<QList<int>> fifteen{{1, 5, 9}, {2, 6, 9}, {3, 8, 9}, {0, 1, 8}};
    QCOMPARE(evaluateStreakAlarm(historyOfDigits(fifteen), settingsWith(threshold)).has_value(), evaluated);
}

void TestStreakAlarm::typeTwoEvaluatesNothing()
{
    StreakAlarmSettings settings = settingsWith(QStringLiteral("1"));
    QVERIFY(evaluateStreakAlarm(historyOfSums({15, 17}), settings).has_value());
    settings.typeOneSelected = false;
    QVERIFY(!evaluateStreakAlarm(historyOfSums({15, 17}), settings).has_value());
}

void TestStreakAlarm::emptyHistoryReportsNothing()
{
    const auto result = evaluateStreakAlarm(DrawHistory{}, settingsWith(QStringLiteral("0")));
    QVERIFY(result.has_value());
    QCOMPARE(result->text, header());
    QVERIFY(result->runs.empty());
    QVERIFY(!result->playSound);
    QVERIFY(!result->showBalloon);
    QCOMPARE(streakRunLength(StreakCategory::Size, DrawHistory{}), 0);
}

void TestStreakAlarm::soundAndBalloon_data()
{
    QTest::addColumn<QString>("threshold");
    QTest::addColumn<bool>("sound");
    QTest::addColumn<bool>("balloon");
    QTest::addColumn<bool>("playSound");
    QTest::addColumn<bool>("showBalloon");

    // newest sums 15, 17, 20, 9: 大 runs 3
    QTest::newRow("reported, both ticked") << "3" << true << true << true << true;
    QTest::newRow("reported, sound cleared") << "3" << false << true << false << true;
    QTest::newRow("reported, balloon cleared") << "3" << true << false << true << false;
    QTest::newRow("nothing reaches N: no sound, no balloon") << "4" << true << true << false << false;
}

void TestStreakAlarm::soundAndBalloon()
{
    QFETCH(QString, threshold);
    QFETCH(bool, sound);
    QFETCH(bool, balloon);
    QFETCH(bool, playSound);
    QFETCH(bool, showBalloon);

    StreakAlarmSettings settings = settingsWith(threshold);
    settings.sound = sound;
    settings.balloon = balloon;
    const auto result = evaluateStreakAlarm(historyOfSums({15, 17, 20, 9}), settings);
    QVERIFY(result.has_value());
    QCOMPARE(result->playSound, playSound);
    QCOMPARE(result->showBalloon, showBalloon);
    if (!result->report.isEmpty()) {
        QCOMPARE(result->balloonText, QStringLiteral("【大】 已连开：【3】期 "));
        QVERIFY(!result->balloonText.contains(QLatin1Char('\r')));
        QVERIFY(!result->balloonText.contains(QStringLiteral("Tandor")));
    } else {
        QVERIFY(result->balloonText.isEmpty());
        QCOMPARE(result->text, header());
    }
}

void TestStreakAlarm::categoryNames()
{
    const QStringList names{"大小", "单双", "组合", "中边", "三余", "四余", "五余", "对子"};
    for (int i = 0; i < names.size(); ++i) {
        QCOMPARE(streakCategoryName(static_cast<StreakCategory>(i)), names[i]);
        QCOMPARE(streakCategoryFromName(names[i]), std::optional(static_cast<StreakCategory>(i)));
    }
    QVERIFY(!streakCategoryFromName(u"大").has_value());
}

void TestStreakAlarm::fixedTexts()
{
    QCOMPARE(alarmWindowInitialText(), QStringLiteral("火车报警：\r\n\r\n首次打开请先刷新一下软件"));
    QCOMPARE(streakAlarmHeader(), QStringLiteral("Tandor火车报警：\r\n\r\n"));
    QCOMPARE(streakAlarmLine({StreakCategory::Size, QStringLiteral("大"), 5}),
             QStringLiteral("【大】 已连开：【5】期 \r\n\r\n"));
}

QTEST_GUILESS_MAIN(TestStreakAlarm)
#include "tst_streakalarm.moc"
