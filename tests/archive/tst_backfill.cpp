#include "archive/backfill.h"
#include "drawbuilders.h"

#include <QTemporaryDir>
#include <QTest>

using namespace tandor28;
using testsupport::archiveDraws;

Q_DECLARE_METATYPE(std::vector<tandor28::IssueGap>)

namespace {

using Ranges = std::vector<std::pair<qint64, qint64>>;

// A source that pages back from its newest draw, like the Keno results service: page (count, offset)
// holds `count` draws after skipping the `offset` newest, newest first. `growBy` new draws come out
// right after the first request.
struct PagingSource
{
    qint64 oldest = 0;
    qint64 newest = 0;
    int growBy = 0;
    bool down = false;
    int requests = 0;

    std::optional<std::vector<DatedDraw>> page(int count, int offset)
    {
        if (down)
            return std::nullopt;
        if (requests++ == 1)
            newest += growBy;
        std::vector<DatedDraw> draws;
        for (qint64 issue = newest - offset; issue > newest - offset - count && issue >= oldest; --issue)
            draws.push_back(archiveDraws(issue, issue).front());
        return draws;
    }
};

} // namespace

Q_DECLARE_METATYPE(Ranges)

class TestBackfill : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fill_data();
    void fill();
};

void TestBackfill::fill_data()
{
    QTest::addColumn<Ranges>("kept");
    QTest::addColumn<qint64>("sourceOldest");
    QTest::addColumn<qint64>("sourceNewest");
    QTest::addColumn<int>("growBy");
    QTest::addColumn<bool>("down");
    QTest::addColumn<qint64>("from");
    QTest::addColumn<int>("maxPages");
    QTest::addColumn<int>("pages");
    QTest::addColumn<int>("added");
    QTest::addColumn<std::vector<IssueGap>>("remaining");

    // clang-format off
    QTest::newRow("two gaps, one page each")    << Ranges{{1000, 1010}, {1030, 1040}, {1100, 1110}} << qint64(900) << qint64(1200) << 0 << false << qint64(0) << 50 << 3 << 78 << std::vector<IssueGap>{};
    QTest::newRow("gap of 250, three pages")    << Ranges{{1000, 1000}, {1251, 1260}} << qint64(900) << qint64(1300) << 0 << false << qint64(0) << 50 << 4 << 250 << std::vector<IssueGap>{};
    QTest::newRow("only gaps after from")       << Ranges{{1000, 1010}, {1030, 1040}, {1100, 1110}} << qint64(900) << qint64(1200) << 0 << false << qint64(1050) << 50 << 2 << 50 << std::vector<IssueGap>{};
    QTest::newRow("source moved on meanwhile")  << Ranges{{1000, 1010}, {1030, 1040}} << qint64(900) << qint64(1200) << 7 << false << qint64(0) << 50 << 3 << 19 << std::vector<IssueGap>{};
    QTest::newRow("source lacks old draws")     << Ranges{{1000, 1010}, {1030, 1040}, {1100, 1110}} << qint64(1050) << qint64(1200) << 0 << false << qint64(0) << 50 << 4 << 50 << std::vector<IssueGap>{{1011, 1029}, {1041, 1049}};
    QTest::newRow("page limit")                 << Ranges{{1000, 1000}, {1251, 1260}} << qint64(900) << qint64(1300) << 0 << false << qint64(0) << 2 << 2 << 100 << std::vector<IssueGap>{{1001, 1150}};
    QTest::newRow("source down")                << Ranges{{1000, 1010}, {1030, 1040}} << qint64(900) << qint64(1200) << 0 << true << qint64(0) << 50 << 1 << 0 << std::vector<IssueGap>{{1011, 1029}};
    QTest::newRow("no gaps, no request")        << Ranges{{1000, 1040}} << qint64(900) << qint64(1200) << 0 << false << qint64(0) << 50 << 0 << 0 << std::vector<IssueGap>{};
    // clang-format on
}

void TestBackfill::fill()
{
    QFETCH(Ranges, kept);
    QFETCH(qint64, sourceOldest);
    QFETCH(qint64, sourceNewest);
    QFETCH(int, growBy);
    QFETCH(bool, down);
    QFETCH(qint64, from);
    QFETCH(int, maxPages);
    QFETCH(int, pages);
    QFETCH(int, added);
    QFETCH(std::vector<IssueGap>, remaining);

    QTemporaryDir dir;
    ArchiveOpening opening = DrawArchive::open(dir.filePath(QStringLiteral("draws.sqlite3")));
    QVERIFY(opening.archive);
    for (const auto& [first, last] : kept)
        QVERIFY(opening.archive->addDraws(LotteryKind::Canada28Night, archiveDraws(first, last), QStringLiteral("feed"))
                    .ok);
    const qint64 before = opening.archive->drawCount(LotteryKind::Canada28Night);

    PagingSource source{sourceOldest, sourceNewest, growBy, down, 0};
    const Backfill result = fillGaps(
        *opening.archive, LotteryKind::Canada28Night, from,
        [&source](int count, int offset) { return source.page(count, offset); }, QStringLiteral("keno-json"), maxPages);
    QCOMPARE(result.pages, pages);
    QCOMPARE(source.requests, down ? 0 : pages);
    QCOMPARE(result.remaining, remaining);
    QCOMPARE(result.error.isEmpty(), !down);
    QCOMPARE(result.conflicts, 0);
    // Pages may bring draws outside the gaps too (newer ones when the source moved on); the gaps'
    // draws are all added.
    QVERIFY(result.added >= added);
    QCOMPARE(opening.archive->drawCount(LotteryKind::Canada28Night), before + result.added);
}

QTEST_GUILESS_MAIN(TestBackfill)
#include "tst_backfill.moc"
