#include "app/appstate.h"

#include <QSignalSpy>
#include <QTest>

using namespace tandor28;

class TestAppState : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void countdownAnnouncesOverdue_data();
    void countdownAnnouncesOverdue();
    void historyIsAnnounced();
    void lotteryAnnouncedWhenItChanges();
    void headlineIssueText_data();
    void headlineIssueText();
};

void TestAppState::countdownAnnouncesOverdue_data()
{
    QTest::addColumn<int>("seconds");
    QTest::addColumn<bool>("overdue");
    // clang-format off
    QTest::newRow("minutes to go")     << 200  << false;
    QTest::newRow("draw due now")      << 0    << false;
    QTest::newRow("one second late")   << -1   << true;
    QTest::newRow("two minutes late")  << -120 << true;
    // clang-format on
}

void TestAppState::countdownAnnouncesOverdue()
{
    QFETCH(int, seconds);
    QFETCH(bool, overdue);
    AppState state;
    QSignalSpy changed(&state, &AppState::countdownChanged);
    QSignalSpy late(&state, &AppState::drawOverdue);
    state.setCountdown(seconds);
    QCOMPARE(state.countdown, seconds);
    QCOMPARE(state.isOverdue(), overdue);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.at(0).at(0).toInt(), seconds);
    QCOMPARE(late.size(), overdue ? 1 : 0);
    // Every overdue count is announced again: a search started meanwhile must stop too.
    state.setCountdown(seconds);
    QCOMPARE(late.size(), overdue ? 2 : 0);
}

void TestAppState::historyIsAnnounced()
{
    AppState state;
    QSignalSpy changed(&state, &AppState::historyChanged);
    int sizeSeen = -1;
    connect(&state, &AppState::historyChanged, this, [&] { sizeSeen = state.history.size(); });
    state.setHistory(
        DrawHistory(std::vector<Draw>{makeDraw(QStringLiteral("1001"), QStringLiteral("10:00"), u"1", u"2", u"3"),
                                      makeDraw(QStringLiteral("1000"), QStringLiteral("09:55"), u"4", u"5", u"6")}));
    QCOMPARE(changed.size(), 1);
    // Listeners read the new history when they hear of it.
    QCOMPARE(sizeSeen, 2);
}

void TestAppState::lotteryAnnouncedWhenItChanges()
{
    AppState state;
    QSignalSpy changed(&state, &AppState::lotteryChanged);
    state.setLottery(LotteryKind::Lucky28);
    QCOMPARE(changed.size(), 0);
    state.setLottery(LotteryKind::Canada28Night);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(state.lottery, LotteryKind::Canada28Night);
}

void TestAppState::headlineIssueText_data()
{
    QTest::addColumn<int>("lottery");
    QTest::addColumn<QString>("issue");
    QTest::addColumn<QString>("text");
    // clang-format off
    QTest::newRow("before the first refresh") << 0 << QString()                << QStringLiteral("幸运28 第000000期");
    QTest::newRow("Lucky 28")                 << 0 << QStringLiteral("3255300") << QStringLiteral("幸运28 第3255300期");
    QTest::newRow("Canada 28")                << 1 << QStringLiteral("2987654") << QStringLiteral("加拿大28 第2987654期");
    // clang-format on
}

void TestAppState::headlineIssueText()
{
    QFETCH(int, lottery);
    QFETCH(QString, issue);
    QFETCH(QString, text);
    AppState state;
    state.setLottery(static_cast<LotteryKind>(lottery));
    QSignalSpy shown(&state, &AppState::shownIssueChanged);
    if (!issue.isNull())
        state.setShownIssue(issue);
    QCOMPARE(shown.size(), issue.isNull() ? 0 : 1);
    QCOMPARE(state.headlineIssueText(), text);
}

QTEST_MAIN(TestAppState)
#include "tst_appstate.moc"
