// The archive at scale, side by side in one run over 1,000,000 draws: the floors (what SQLite
// itself costs to read the columns into arrays, to insert the rows) and what the program does over
// the same data. scripts/scale prints the ratios. TANDOR28_SCALE_DIR names a folder where the
// CSV and the archive are kept between runs (a temporary folder without it).
#include "analysis/backtest.h"
#include "analysis/missed.h"
#include "archive/archiveschema.h"
#include "archive/drawarchive.h"
#include "archive/kenoimport.h"
#include "model/zoneclock.h"
#include "plans/planrules.h"
#include "scaledata.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <climits>

using namespace tandor28;
using benchdata::kScaleDraws;
using benchdata::millionArchive;
using benchdata::millionCsv;

namespace {

QString scaleDir()
{
    static QTemporaryDir temporary;
    static const QString dir = [] {
        const QString given = qEnvironmentVariable("TANDOR28_SCALE_DIR");
        if (given.isEmpty())
            return temporary.path();
        QDir().mkpath(given);
        return given;
    }();
    return dir;
}

// The numbers of draw i: 20 distinct of 1..80, as varied as a real year.
std::array<int, 20> numbersOf(int i)
{
    std::array<int, 20> numbers{};
    unsigned state = 2028u + static_cast<unsigned>(i) * 2654435761u;
    std::uint64_t low = 0;
    std::uint64_t high = 0;
    for (int taken = 0; taken < 20;) {
        state = state * 1103515245u + 12345u;
        const int n = static_cast<int>((state >> 16) % 80) + 1;
        std::uint64_t& word = n < 64 ? low : high;
        const std::uint64_t bit = std::uint64_t{1} << (n % 64);
        if (word & bit)
            continue;
        word |= bit;
        numbers[static_cast<std::size_t>(taken++)] = n;
    }
    return numbers;
}

} // namespace

namespace tandor28::benchdata {

const QString& millionCsv()
{
    static const QString path = [] {
        const QString file = scaleDir() + QStringLiteral("/keno-1000000.csv");
        if (QFileInfo(file).size() > 0)
            return file;
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly))
            return file;
        QByteArray chunk = "\"PRODUCT\",\"DRAW NUMBER\",\"DRAW DATE\",\"BONUS MULTIPLIER\"";
        for (int i = 1; i <= 20; ++i)
            chunk += ",\"NUMBER DRAWN " + QByteArray::number(i) + "\"";
        chunk += "\r\n";
        ZoneClock vancouver{QTimeZone(QByteArrayLiteral("America/Vancouver"))};
        const qint64 start = QDateTime(QDate(2020, 1, 1), QTime(8, 0), Qt::UTC).toSecsSinceEpoch();
        char stamp[32];
        for (int i = 0; i < kScaleDraws; ++i) {
            const WallClock wall = vancouver.wallClock(start + 210LL * i);
            std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d", wall.year, wall.month, wall.day,
                          wall.hour, wall.minute, wall.second);
            chunk += "\"KENO\"," + QByteArray::number(1000000 + i) + ",\"" + stamp + "\",1";
            for (const int n : numbersOf(i))
                chunk += ',' + QByteArray::number(n);
            chunk += "\r\n";
            if (chunk.size() > (1 << 20)) {
                out.write(chunk);
                chunk.clear();
            }
        }
        out.write(chunk);
        return file;
    }();
    return path;
}

const QString& millionArchive()
{
    static const QString path = [] {
        const QString file = scaleDir() + QStringLiteral("/draws-1000000.sqlite3");
        ArchiveOpening opening = DrawArchive::open(file);
        if (opening.archive && opening.archive->drawCount(LotteryKind::Canada28Night) < kScaleDraws)
            (void)importKenoCsvFile(*opening.archive, LotteryKind::Canada28Night, millionCsv(), KenoScheme::Interleave,
                                    QStringLiteral("bench"));
        return file;
    }();
    return path;
}

} // namespace tandor28::benchdata

namespace {

void reportDraws(benchmark::State& state, qint64 draws)
{
    state.counters["draws"] = benchmark::Counter(double(draws));
}

} // namespace

// The floor of reading: (issue, d1, d2, d3) of every draw with one prepared SQLite statement into
// four arrays, nothing else.
static void BM_ScaleReadFloor(benchmark::State& state)
{
    const QString& path = millionArchive();
    qint64 rows = 0;
    for (auto _ : state) {
        sqlite3* db = nullptr;
        sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, "SELECT issue, d1, d2, d3 FROM draws WHERE lottery = ?1 ORDER BY issue", -1, &statement,
                           nullptr);
        sqlite3_bind_int(statement, 1, int(LotteryKind::Canada28Night));
        std::vector<qint64> issues;
        std::vector<int> d1;
        std::vector<int> d2;
        std::vector<int> d3;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            issues.push_back(sqlite3_column_int64(statement, 0));
            d1.push_back(sqlite3_column_int(statement, 1));
            d2.push_back(sqlite3_column_int(statement, 2));
            d3.push_back(sqlite3_column_int(statement, 3));
        }
        sqlite3_finalize(statement);
        sqlite3_close(db);
        rows = qint64(issues.size());
        benchmark::DoNotOptimize(d3.data());
    }
    reportDraws(state, rows);
}
BENCHMARK(BM_ScaleReadFloor)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Iterations(3);

// `missed` as the command does it: open the archive, read the series, count.
static void BM_ScaleMissed(benchmark::State& state)
{
    const QString& path = millionArchive();
    qint64 rows = 0;
    for (auto _ : state) {
        ArchiveOpening opening = DrawArchive::open(path);
        const DrawSeries series = opening.archive->loadSeries(LotteryKind::Canada28Night, 0);
        benchmark::DoNotOptimize(missedCounts(series));
        rows = qint64(series.size());
    }
    reportDraws(state, rows);
}
BENCHMARK(BM_ScaleMissed)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Iterations(3);

// `backtest` of one plan over every draw: free plan 1, bet code 1.
static void BM_ScaleBacktest(benchmark::State& state)
{
    const QString& path = millionArchive();
    const PlanRules rules = loadPlanRules();
    int judged = 0;
    for (auto _ : state) {
        ArchiveOpening opening = DrawArchive::open(path);
        const DrawSeries series = opening.archive->loadSeries(LotteryKind::Canada28Night, 0);
        const std::optional<BacktestResult> result =
            backtestPlan(series, rules.free, PlanTab::Free, 1, 1, {INT_MAX, false});
        judged = result ? result->right + result->wrong : 0;
    }
    reportDraws(state, judged);
}
BENCHMARK(BM_ScaleBacktest)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Iterations(3);

// `backtest --last 10000`: the newest 10,000 draws and the four before them are all it reads.
static void BM_ScaleLast10000(benchmark::State& state)
{
    const QString& path = millionArchive();
    const PlanRules rules = loadPlanRules();
    int judged = 0;
    for (auto _ : state) {
        ArchiveOpening opening = DrawArchive::open(path);
        const DrawSeries series = opening.archive->loadSeries(LotteryKind::Canada28Night, 10000 + kPlanSourceDraws);
        const std::optional<BacktestResult> result =
            backtestPlan(series, rules.free, PlanTab::Free, 1, 1, {10000, false});
        judged = result ? result->right + result->wrong : 0;
    }
    reportDraws(state, judged);
}
BENCHMARK(BM_ScaleLast10000)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Iterations(5);

// The floor of importing: the rows the CSV gives, already in memory, inserted into a fresh table of
// the archive's shape with one prepared statement in one transaction.
static void BM_ScaleInsertFloor(benchmark::State& state)
{
    std::vector<QByteArray> numbers;
    numbers.reserve(kScaleDraws);
    for (int i = 0; i < kScaleDraws; ++i) {
        std::array<int, 20> sorted = numbersOf(i);
        std::sort(sorted.begin(), sorted.end());
        QByteArray text;
        for (const int n : sorted)
            text += (text.isEmpty() ? "" : " ") + QByteArray::number(n);
        numbers.push_back(text);
    }
    for (auto _ : state) {
        QTemporaryDir dir;
        sqlite3* db = nullptr;
        sqlite3_open(QFile::encodeName(dir.filePath(QStringLiteral("floor.sqlite3"))).constData(), &db);
        sqlite3_exec(db, "PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL", nullptr, nullptr, nullptr);
        sqlite3_exec(db, archiveMigrations().front(), nullptr, nullptr, nullptr);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(db,
                           "INSERT INTO draws (lottery, issue, drawn_at, d1, d2, d3, sum, numbers, source, first_seen) "
                           "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)",
                           -1, &insert, nullptr);
        for (int i = 0; i < kScaleDraws; ++i) {
            sqlite3_bind_int(insert, 1, 1);
            sqlite3_bind_int64(insert, 2, 1000000 + i);
            sqlite3_bind_int64(insert, 3, 1577865600LL + 210LL * i);
            sqlite3_bind_int(insert, 4, i % 10);
            sqlite3_bind_int(insert, 5, i / 10 % 10);
            sqlite3_bind_int(insert, 6, i / 100 % 10);
            sqlite3_bind_int(insert, 7, i % 10 + i / 10 % 10 + i / 100 % 10);
            const QByteArray& text = numbers[std::size_t(i)];
            sqlite3_bind_text(insert, 8, text.constData(), int(text.size()), SQLITE_STATIC);
            sqlite3_bind_text(insert, 9, "bench", 5, SQLITE_STATIC);
            sqlite3_bind_text(insert, 10, "2026-12-11T00:00:00Z", 20, SQLITE_STATIC);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    reportDraws(state, kScaleDraws);
}
BENCHMARK(BM_ScaleInsertFloor)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Iterations(2);

// The import of the million-row CSV from its file into a fresh archive: read in blocks, parsed,
// times converted, inserted.
static void BM_ScaleImportCsv(benchmark::State& state)
{
    const QString& csv = millionCsv();
    int added = 0;
    for (auto _ : state) {
        QTemporaryDir dir;
        ArchiveOpening opening = DrawArchive::open(dir.filePath(QStringLiteral("draws.sqlite3")));
        const KenoImport import = importKenoCsvFile(*opening.archive, LotteryKind::Canada28Night, csv,
                                                    KenoScheme::Interleave, QStringLiteral("bench"));
        added = import.add.added;
        if (added != kScaleDraws)
            state.SkipWithError("not every draw was added");
    }
    reportDraws(state, added);
}
BENCHMARK(BM_ScaleImportCsv)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Iterations(2);
