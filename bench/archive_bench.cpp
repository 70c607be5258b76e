#include "archive/drawarchive.h"
#include "archive/kenoimport.h"
#include "keno/kenoformats.h"
#include "model/zoneclock.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace tandor28;

namespace {

constexpr int kYearDraws = 150000;
constexpr qint64 kMillion = 1000000;

// A year of the Keno CSV, zipped as published: draws 3.5 minutes apart, 20 distinct numbers each.
const QByteArray& kenoYearZip()
{
    static const QByteArray zip = [] {
        QByteArray csv = "\"PRODUCT\",\"DRAW NUMBER\",\"DRAW DATE\",\"BONUS MULTIPLIER\"";
        for (int i = 1; i <= 20; ++i)
            csv += ",\"NUMBER DRAWN " + QByteArray::number(i) + "\"";
        csv += "\r\n";
        // Real moments on Vancouver's clock: no time of the spring gap, the autumn hour twice.
        ZoneClock vancouver{QTimeZone(QByteArrayLiteral("America/Vancouver"))};
        const qint64 start = QDateTime(QDate(2026, 1, 1), QTime(8, 0), Qt::UTC).toSecsSinceEpoch();
        char stamp[32];
        for (int draw = 0; draw < kYearDraws; ++draw) {
            const WallClock wall = vancouver.wallClock(start + draw * 210LL);
            std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d", wall.year, wall.month, wall.day,
                          wall.hour, wall.minute, wall.second);
            csv += "\"KENO\"," + QByteArray::number(3300000 + draw) + ",\"" + stamp + "\",1";
            for (int k = 0; k < 20; ++k)
                csv += ',' + QByteArray::number((draw * 7 + k * 4) % 80 + 1);
            csv += "\r\n";
        }
        return zipOneFile(QStringLiteral("KenoCurrentYear.csv"), csv);
    }();
    return zip;
}

std::vector<DatedDraw> draws(qint64 first, qint64 count)
{
    std::vector<DatedDraw> result;
    result.reserve(static_cast<std::size_t>(count));
    const QDateTime start(QDate(2020, 1, 1), QTime(0, 0));
    for (qint64 issue = first; issue < first + count; ++issue)
        result.push_back(DatedDraw{
            issue, start.addSecs(issue * 210), int(issue % 10), int(issue / 10 % 10), int(issue / 100 % 10), {}});
    return result;
}

// An archive of a million Canada 28 draws, built once per run.
const QString& millionArchive()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString file = dir.filePath(QStringLiteral("draws.sqlite3"));
        ArchiveOpening opening = DrawArchive::open(file);
        for (qint64 first = 1; first <= kMillion; first += 100000)
            (void)opening.archive->addDraws(LotteryKind::Canada28Night, draws(first, 100000), QStringLiteral("bench"));
        return file;
    }();
    return path;
}

} // namespace

// Budget: a year of Keno CSV (about 150,000 draws) imported in under 5 s: unzip, parse, derive,
// convert the times, add to a fresh archive, as `archive import` streams it.
static void BM_ImportKenoYearCsv(benchmark::State& state)
{
    const QByteArray& zip = kenoYearZip();
    for (auto _ : state) {
        QTemporaryDir dir;
        ArchiveOpening opening = DrawArchive::open(dir.filePath(QStringLiteral("draws.sqlite3")));
        const KenoImport import = importKenoCsvBody(*opening.archive, LotteryKind::Canada28Night, zip,
                                                    KenoScheme::Interleave, QStringLiteral("bench"));
        if (import.add.added != kYearDraws)
            state.SkipWithError("not every draw was added");
    }
}
BENCHMARK(BM_ImportKenoYearCsv)->Unit(benchmark::kMillisecond)->Iterations(2);

// Budget: one fetch of 120 records added to an archive of 1,000,000 draws in under 20 ms. Each fetch
// brings one new draw and 119 known ones, as a refresh does.
static void BM_AddFetchToMillionArchive(benchmark::State& state)
{
    ArchiveOpening opening = DrawArchive::open(millionArchive());
    qint64 newest = *opening.archive->newestIssue(LotteryKind::Canada28Night);
    for (auto _ : state) {
        ++newest;
        const ArchiveAdd add =
            opening.archive->addDraws(LotteryKind::Canada28Night, draws(newest - 119, 120), QStringLiteral("bench"));
        if (add.added != 1 || add.known != 119)
            state.SkipWithError("unexpected counts");
    }
}
BENCHMARK(BM_AddFetchToMillionArchive)->Unit(benchmark::kMillisecond);

// Budget: opening such an archive adds under 100 ms to start-up (open, schema check, newest issue).
static void BM_OpenMillionArchive(benchmark::State& state)
{
    const QString& path = millionArchive();
    for (auto _ : state) {
        ArchiveOpening opening = DrawArchive::open(path);
        benchmark::DoNotOptimize(opening.archive->newestIssue(LotteryKind::Canada28Night));
    }
}
BENCHMARK(BM_OpenMillionArchive)->Unit(benchmark::kMillisecond);

// The read side the long-run analysis uses: the newest 100,000 draws of a million.
static void BM_LoadDrawsFromMillionArchive(benchmark::State& state)
{
    ArchiveOpening opening = DrawArchive::open(millionArchive());
    for (auto _ : state)
        benchmark::DoNotOptimize(opening.archive->loadDraws(LotteryKind::Canada28Night, 100000));
}
BENCHMARK(BM_LoadDrawsFromMillionArchive)->Unit(benchmark::kMillisecond);
