// Issues that cannot be real (far ahead of the lottery's schedule) are taken out of a fetch before
// anything shows or keeps them; the correct records around them stay.
#include "feed/feedfetch.h"
#include "feed/feedparser.h"
#include "feed/issueplausibility.h"

#include "feedbodies.h"

#include <QTest>

using namespace tandor28;

namespace {

const QDateTime kNow(QDate(2026, 12, 10), QTime(12, 7, 0));

// A fetched feed: `count` correct draws every `step` seconds up to the clock, newest first, with
// the newest issue replaced by `newestIssue` when it is not 0.
FeedFetchResult fetchedFeed(LotteryKind kind, int count, qint64 newestIssue)
{
    const int step = drawIntervalSeconds(kind);
    std::vector<testsupport::FeedDraw> draws;
    for (int i = 0; i < count; ++i)
        draws.push_back({3000000 - i, kNow.addSecs(-60 - qint64{i} * step), i % 10, (i + 3) % 10, (i + 7) % 10});
    if (newestIssue != 0)
        draws.front().issue = newestIssue;
    HttpResponse response;
    response.completed = true;
    response.status = 200;
    response.body = testsupport::feedBody(kind, draws);
    return readDrawFeed(kind, response);
}

} // namespace

Q_DECLARE_METATYPE(tandor28::LotteryKind)

class TestIssuePlausibility : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void refusedIssues_data();
    void refusedIssues();
    void lastPlausibleIssueIsTheMeasure();
};

void TestIssuePlausibility::refusedIssues_data()
{
    QTest::addColumn<LotteryKind>("kind");
    QTest::addColumn<int>("count");
    QTest::addColumn<qint64>("newestIssue"); // 0: the correct one
    QTest::addColumn<bool>("refused");
    QTest::addColumn<bool>("history"); // a history is left
    const LotteryKind lucky = LotteryKind::Lucky28;
    const LotteryKind canada = LotteryKind::Canada28Night;
    // clang-format off
    QTest::newRow("lucky28 correct feed")               << lucky  << 120 << qint64(0)                   << false << true;
    QTest::newRow("lucky28 9000000000000000000")        << lucky  << 120 << qint64(9000000000000000000) << true  << true;
    QTest::newRow("canada28 9000000000000000000")       << canada << 120 << qint64(9000000000000000000) << true  << true;
    QTest::newRow("lucky28 a day and one draw ahead")   << lucky  << 120 << qint64(3000000 + 290)       << true  << true;
    QTest::newRow("lucky28 half a day ahead")           << lucky  << 120 << qint64(3000000 + 144)       << false << true;
    QTest::newRow("canada28 a day and one draw ahead")  << canada << 120 << qint64(3000000 + 413)       << true  << true;
    QTest::newRow("five records, one absurd")           << lucky  << 5   << qint64(9000000000000000000) << true  << false;
    // clang-format on
}

void TestIssuePlausibility::refusedIssues()
{
    QFETCH(LotteryKind, kind);
    QFETCH(int, count);
    QFETCH(qint64, newestIssue);
    QFETCH(bool, refused);
    QFETCH(bool, history);
    FeedFetchResult fetched = fetchedFeed(kind, count, newestIssue);
    QVERIFY(fetched.history);
    const QStringList out = refuseImplausibleIssues(kind, fetched, kNow, std::nullopt);
    QCOMPARE(out, refused ? QStringList{QString::number(newestIssue)} : QStringList());
    QCOMPARE(fetched.history.has_value(), history);
    for (const DatedDraw& draw : fetched.draws)
        QVERIFY(draw.issue != newestIssue || !refused);
    if (history) {
        QCOMPARE(fetched.history->size(), kHistoryLength);
        QCOMPARE(fetched.history->at(1).issue,
                 refused ? QStringLiteral("2999999") : QString::number(fetched.draws.front().issue));
        QCOMPARE(int(fetched.draws.size()), refused ? count - 1 : count);
    } else {
        QVERIFY(fetched.draws.empty());
        QCOMPARE(fetched.failure, FetchFailure::TooFewRecords);
    }
    if (refused)
        QVERIFY(implausibleIssuesText(out).contains(QString::number(newestIssue)));
}

void TestIssuePlausibility::lastPlausibleIssueIsTheMeasure()
{
    // A whole feed numbered far ahead agrees with itself; the last plausible issue of the run refuses it.
    const IssueAnchor last{2999900, kNow.addSecs(-3600)};
    FeedFetchResult ahead = fetchedFeed(LotteryKind::Lucky28, 120, 0);
    QVERIFY(isPlausibleIssue(LotteryKind::Lucky28, QStringLiteral("3000000"), kNow, {last}));
    QVERIFY(!isPlausibleIssue(LotteryKind::Lucky28, QStringLiteral("3000201"), kNow, {last}));
    QVERIFY(!isPlausibleIssue(LotteryKind::Lucky28, QStringLiteral("3000000"), kNow, {IssueAnchor{2000000, kNow}}));
    QVERIFY(!isPlausibleIssue(LotteryKind::Lucky28, QStringLiteral("99999999999999999999"), kNow, {}));
    QVERIFY(!isPlausibleIssue(LotteryKind::Lucky28, QStringLiteral("12a"), kNow, {}));
    QCOMPARE(expectedIssue(LotteryKind::Lucky28, last, kNow), qint64(2999912));
    QCOMPARE(expectedIssue(LotteryKind::Canada28Night, last, kNow), qint64(2999917));
    const QStringList refused = refuseImplausibleIssues(LotteryKind::Lucky28, ahead, kNow, IssueAnchor{2000000, kNow});
    QCOMPARE(refused.size(), 120);
    QVERIFY(!ahead.history);
}

QTEST_GUILESS_MAIN(TestIssuePlausibility)
#include "tst_issueplausibility.moc"
