#include "archive/drawarchive.h"
#include "drawbuilders.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QTest>

using namespace tandor28;
using testsupport::archiveDraws;

Q_DECLARE_METATYPE(std::vector<qint64>)
Q_DECLARE_METATYPE(std::vector<tandor28::IssueGap>)

namespace {

std::vector<DatedDraw> issues(const std::vector<qint64>& numbers)
{
    std::vector<DatedDraw> draws;
    for (const qint64 issue : numbers)
        draws.push_back(archiveDraws(issue, issue).front());
    return draws;
}

QString counts(const ArchiveAdd& add)
{
    return QStringLiteral("added %1 known %2 conflicts %3 new %4 skipped %5")
        .arg(add.added)
        .arg(add.known)
        .arg(add.conflicts)
        .arg(add.newConflicts)
        .arg(add.skipped);
}

} // namespace

class TestDrawArchive : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void addAndLoad();
    void fetches_data();
    void fetches();
    void conflictingRearrival();
    void recordsWithoutIssueOrDate();
    void lotteriesApart();
    void gaps_data();
    void gaps();
    void exportCsv();
    void keptAcrossReopen();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<DrawArchive> m_archive;
};

void TestDrawArchive::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    ArchiveOpening opening = DrawArchive::open(m_dir->filePath(QStringLiteral("draws.sqlite3")));
    QVERIFY2(opening.archive, qPrintable(opening.problem));
    QVERIFY(opening.problem.isEmpty());
    m_archive = std::move(opening.archive);
}

void TestDrawArchive::cleanup()
{
    m_archive.reset();
    m_dir.reset();
}

void TestDrawArchive::addAndLoad()
{
    std::vector<DatedDraw> draws = archiveDraws(3463830, 3463834);
    draws[2].numbers = {3, 7, 12, 15, 18, 22, 26, 31, 33, 40, 44, 47, 52, 58, 61, 66, 70, 73, 77, 80};
    QCOMPARE(counts(m_archive->addDraws(LotteryKind::Canada28Night, draws, QStringLiteral("feed"))),
             QStringLiteral("added 5 known 0 conflicts 0 new 0 skipped 0"));
    QCOMPARE(m_archive->loadDraws(LotteryKind::Canada28Night, 0), draws);
    const std::vector<DatedDraw> lastTwo(draws.end() - 2, draws.end());
    QCOMPARE(m_archive->loadDraws(LotteryKind::Canada28Night, 2), lastTwo);
    QCOMPARE(m_archive->loadIssues(LotteryKind::Canada28Night, 3463831, 3463832),
             std::vector<DatedDraw>(draws.begin() + 1, draws.begin() + 3));
    QCOMPARE(m_archive->drawCount(LotteryKind::Canada28Night), 5);
    QCOMPARE(m_archive->newestIssue(LotteryKind::Canada28Night), 3463834);
    QCOMPARE(toDraw(draws[0]).resultText, QStringLiteral("0 + 3 + 8 = 11"));
    QCOMPARE(toDraw(draws[1]).time, QStringLiteral("00:03"));
}

void TestDrawArchive::fetches_data()
{
    QTest::addColumn<qint64>("firstA");
    QTest::addColumn<qint64>("lastA");
    QTest::addColumn<qint64>("firstB");
    QTest::addColumn<qint64>("lastB");
    QTest::addColumn<QString>("second");
    QTest::addColumn<qint64>("total");

    // clang-format off
    QTest::newRow("overlap of ten")      << qint64(100) << qint64(119) << qint64(110) << qint64(129) << "added 10 known 10 conflicts 0 new 0 skipped 0" << qint64(30);
    QTest::newRow("same fetch twice")    << qint64(100) << qint64(219) << qint64(100) << qint64(219) << "added 0 known 120 conflicts 0 new 0 skipped 0" << qint64(120);
    QTest::newRow("older fetch, inside") << qint64(100) << qint64(219) << qint64(150) << qint64(160) << "added 0 known 11 conflicts 0 new 0 skipped 0" << qint64(120);
    QTest::newRow("apart, no overlap")   << qint64(100) << qint64(104) << qint64(300) << qint64(304) << "added 5 known 0 conflicts 0 new 0 skipped 0" << qint64(10);
    // clang-format on
}

void TestDrawArchive::fetches()
{
    QFETCH(qint64, firstA);
    QFETCH(qint64, lastA);
    QFETCH(qint64, firstB);
    QFETCH(qint64, lastB);
    QFETCH(QString, second);
    QFETCH(qint64, total);
    QVERIFY(m_archive->addDraws(LotteryKind::Lucky28, archiveDraws(firstA, lastA), QStringLiteral("a")).ok);
    const ArchiveAdd add = m_archive->addDraws(LotteryKind::Lucky28, archiveDraws(firstB, lastB), QStringLiteral("b"));
    QVERIFY(add.ok);
    QCOMPARE(counts(add), second);
    QCOMPARE(m_archive->drawCount(LotteryKind::Lucky28), total);
    QVERIFY(m_archive->conflicts(LotteryKind::Lucky28).empty());
}

void TestDrawArchive::conflictingRearrival()
{
    const std::vector<DatedDraw> first = archiveDraws(500, 509);
    QVERIFY(m_archive->addDraws(LotteryKind::Canada28Night, first, QStringLiteral("feed")).ok);
    std::vector<DatedDraw> again = archiveDraws(505, 514);
    again[0].d1 = 9; // issue 505: kept 5 0 5
    again[0].numbers = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20};
    const ArchiveAdd add = m_archive->addDraws(LotteryKind::Canada28Night, again, QStringLiteral("keno-json"));
    QCOMPARE(counts(add), QStringLiteral("added 5 known 4 conflicts 1 new 1 skipped 0"));
    // The first arrival stays.
    QCOMPARE(m_archive->loadIssues(LotteryKind::Canada28Night, 505, 505).front(), first[5]);
    // The same disagreement once more is no new conflict; another one is.
    QCOMPARE(counts(m_archive->addDraws(LotteryKind::Canada28Night, again, QStringLiteral("keno-json"))),
             QStringLiteral("added 0 known 9 conflicts 1 new 0 skipped 0"));
    again[0].d2 = 7;
    QCOMPARE(counts(m_archive->addDraws(LotteryKind::Canada28Night, {again[0]}, QStringLiteral("keno-json"))),
             QStringLiteral("added 0 known 0 conflicts 1 new 1 skipped 0"));
    const std::vector<ArchiveConflict> conflicts = m_archive->conflicts(LotteryKind::Canada28Night);
    QCOMPARE(conflicts.size(), std::size_t(2));
    QCOMPARE(conflicts[0].issue, 505);
    QCOMPARE(conflicts[0].kept, first[5]);
    QCOMPARE(conflicts[0].keptSource, QStringLiteral("feed"));
    QCOMPARE(conflicts[0].arrived.d1, 9);
    QCOMPARE(conflicts[0].arrived.numbers.size(), std::size_t(20));
    QCOMPARE(conflicts[0].arrivedSource, QStringLiteral("keno-json"));
    QCOMPARE(m_archive->drawCount(LotteryKind::Canada28Night), 15);
}

void TestDrawArchive::recordsWithoutIssueOrDate()
{
    std::vector<DatedDraw> draws = archiveDraws(10, 14);
    draws[1].issue = 0;
    draws[3].drawnAt = QDateTime();
    QCOMPARE(counts(m_archive->addDraws(LotteryKind::Lucky28, draws, QStringLiteral("feed"))),
             QStringLiteral("added 3 known 0 conflicts 0 new 0 skipped 2"));
}

void TestDrawArchive::lotteriesApart()
{
    QVERIFY(m_archive->addDraws(LotteryKind::Lucky28, archiveDraws(1, 5), QStringLiteral("a")).ok);
    std::vector<DatedDraw> other = archiveDraws(1, 5);
    for (DatedDraw& draw : other)
        draw.d1 = 9 - draw.d1;
    QCOMPARE(counts(m_archive->addDraws(LotteryKind::Canada28Night, other, QStringLiteral("b"))),
             QStringLiteral("added 5 known 0 conflicts 0 new 0 skipped 0"));
    QCOMPARE(m_archive->loadDraws(LotteryKind::Lucky28, 0), archiveDraws(1, 5));
    QCOMPARE(m_archive->loadDraws(LotteryKind::Canada28Night, 0), other);
}

void TestDrawArchive::gaps_data()
{
    QTest::addColumn<std::vector<qint64>>("kept");
    QTest::addColumn<qint64>("from");
    QTest::addColumn<std::vector<IssueGap>>("expected");

    // clang-format off
    QTest::newRow("empty archive")       << std::vector<qint64>{} << qint64(0) << std::vector<IssueGap>{};
    QTest::newRow("one issue")           << std::vector<qint64>{7} << qint64(0) << std::vector<IssueGap>{};
    QTest::newRow("consecutive")         << std::vector<qint64>{7, 8, 9} << qint64(0) << std::vector<IssueGap>{};
    QTest::newRow("one missing")         << std::vector<qint64>{7, 9} << qint64(0) << std::vector<IssueGap>{{8, 8}};
    QTest::newRow("two gaps")            << std::vector<qint64>{1, 2, 6, 7, 20} << qint64(0) << std::vector<IssueGap>{{3, 5}, {8, 19}};
    QTest::newRow("from cuts older gap") << std::vector<qint64>{1, 2, 6, 7, 20} << qint64(8) << std::vector<IssueGap>{{8, 19}};
    QTest::newRow("from inside a gap")   << std::vector<qint64>{1, 2, 6, 7, 20} << qint64(10) << std::vector<IssueGap>{{8, 19}};
    QTest::newRow("from after all gaps") << std::vector<qint64>{1, 2, 6, 7, 20} << qint64(20) << std::vector<IssueGap>{};
    QTest::newRow("long issues")         << std::vector<qint64>{3463830, 3463835} << qint64(0) << std::vector<IssueGap>{{3463831, 3463834}};
    // clang-format on
}

void TestDrawArchive::gaps()
{
    QFETCH(std::vector<qint64>, kept);
    QFETCH(qint64, from);
    QFETCH(std::vector<IssueGap>, expected);
    QVERIFY(m_archive->addDraws(LotteryKind::Canada28Night, issues(kept), QStringLiteral("feed")).ok);
    QVERIFY(m_archive->addDraws(LotteryKind::Lucky28, archiveDraws(4, 4), QStringLiteral("feed")).ok);
    QCOMPARE(m_archive->gaps(LotteryKind::Canada28Night, from), expected);
}

void TestDrawArchive::exportCsv()
{
    std::vector<DatedDraw> draws = archiveDraws(3463830, 3463832);
    std::reverse(draws.begin(), draws.end()); // added newest first, as feeds list them
    QVERIFY(m_archive->addDraws(LotteryKind::Canada28Night, draws, QStringLiteral("feed")).ok);
    QVERIFY(m_archive->addDraws(LotteryKind::Lucky28, archiveDraws(1, 1), QStringLiteral("feed")).ok);
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QVERIFY(m_archive->exportCsv(LotteryKind::Canada28Night, out));
    QCOMPARE(out.data(), QByteArray("issue,date,time,d1,d2,d3,sum\n"
                                    "3463830,2026-07-31,00:00,0,3,8,11\n"
                                    "3463831,2026-07-31,00:03,1,3,8,12\n"
                                    "3463832,2026-07-31,00:07,2,3,8,13\n"));
    QBuffer closed;
    QString why;
    QTest::ignoreMessage(QtWarningMsg, "QIODevice::write (QBuffer): device not open");
    QVERIFY(!m_archive->exportCsv(LotteryKind::Canada28Night, closed, &why));
    QVERIFY(why.startsWith(QStringLiteral("cannot write the export")));
}

void TestDrawArchive::keptAcrossReopen()
{
    QVERIFY(m_archive->addDraws(LotteryKind::Canada28Night, archiveDraws(1, 20), QStringLiteral("feed")).ok);
    m_archive.reset();
    ArchiveOpening again = DrawArchive::open(m_dir->filePath(QStringLiteral("draws.sqlite3")));
    QVERIFY(again.archive);
    QCOMPARE(again.archive->loadDraws(LotteryKind::Canada28Night, 0), archiveDraws(1, 20));
}

QTEST_GUILESS_MAIN(TestDrawArchive)
#include "tst_drawarchive.moc"
