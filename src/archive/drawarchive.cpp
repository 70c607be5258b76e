#include "drawarchive.h"

#include "archiveschema.h"
#include "model/zoneclock.h"
#include "paths/filelocations.h"
#include "paths/filewrite.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>

namespace tandor28 {

namespace {

// A writer waits this long for another program's transaction before it gives up; writes run off
// the window's thread, so the wait never shows.
constexpr int kBusyTimeoutMs = 1000;

class Statement
{
public:
    Statement(sqlite3* db, const char* sql) { m_rc = sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr); }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    [[nodiscard]] int prepared() const { return m_rc; }
    void bind(int index, qint64 value) { sqlite3_bind_int64(m_statement, index, value); }
    void bind(int index, QByteArrayView text)
    {
        // Bound for one step only, so SQLite need not copy the text.
        sqlite3_bind_text(m_statement, index, text.isNull() ? "" : text.data(), static_cast<int>(text.size()),
                          SQLITE_STATIC);
    }
    [[nodiscard]] int step() { return sqlite3_step(m_statement); }
    void reset()
    {
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
    }
    [[nodiscard]] qint64 integer(int column) const { return sqlite3_column_int64(m_statement, column); }
    [[nodiscard]] QByteArray text(int column) const
    {
        const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
        return QByteArray(data, sqlite3_column_bytes(m_statement, column));
    }

private:
    sqlite3_stmt* m_statement = nullptr;
    int m_rc = SQLITE_ERROR;
};

int execute(sqlite3* db, const char* sql)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

QString describe(int rc)
{
    switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("the archive is locked by another program");
    case SQLITE_READONLY:
        return QStringLiteral("the archive is read-only");
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return QStringLiteral("the archive file is damaged");
    case SQLITE_FULL:
        return QStringLiteral("the disk is full");
    case SQLITE_CANTOPEN:
        return QStringLiteral("the archive file cannot be opened");
    default:
        return QStringLiteral("archive error: %1").arg(QString::fromUtf8(sqlite3_errstr(rc)));
    }
}

// Sets the reason of a failed statement when the caller asked for it.
void noteFailure(QString* error, int rc)
{
    if (error)
        *error = describe(rc);
}

bool isCorruption(int rc)
{
    return (rc & 0xff) == SQLITE_CORRUPT || (rc & 0xff) == SQLITE_NOTADB;
}

int lotteryKey(LotteryKind lottery)
{
    return static_cast<int>(lottery);
}

// A moment as drawn_at keeps it: UTC seconds, 0 for a moment nobody knows.
qint64 stampOf(const QDateTime& drawnAt)
{
    return drawnAt.toSecsSinceEpoch();
}

QDateTime momentFromStamp(qint64 stamp, const ZoneClock& clock)
{
    return stamp == 0 ? QDateTime() : clock.dateTime(stamp);
}

QByteArray numbersText(const std::vector<int>& numbers)
{
    QByteArray text;
    for (const int n : numbers) {
        if (!text.isEmpty())
            text += ' ';
        text += QByteArray::number(n);
    }
    return text;
}

std::vector<int> numbersFromText(const QByteArray& text)
{
    std::vector<int> numbers;
    for (const QByteArray& part : text.split(' ')) {
        if (!part.isEmpty())
            numbers.push_back(part.toInt());
    }
    return numbers;
}

// Columns 0..5 of a row: issue, drawn_at, d1, d2, d3, numbers.
DatedDraw drawFromRow(const Statement& row, const ZoneClock& clock)
{
    return DatedDraw{row.integer(0),
                     momentFromStamp(row.integer(1), clock),
                     static_cast<int>(row.integer(2)),
                     static_cast<int>(row.integer(3)),
                     static_cast<int>(row.integer(4)),
                     numbersFromText(row.text(5))};
}

int userVersion(sqlite3* db, int* version)
{
    Statement statement(db, "PRAGMA user_version");
    if (statement.prepared() != SQLITE_OK)
        return statement.prepared();
    const int rc = statement.step();
    if (rc != SQLITE_ROW)
        return rc;
    *version = static_cast<int>(statement.integer(0));
    return SQLITE_OK;
}

// Reads the header and the schema, which is where a file that is no database, or a damaged one,
// shows itself.
int readSchema(sqlite3* db)
{
    Statement statement(db, "SELECT count(*) FROM sqlite_master");
    if (statement.prepared() != SQLITE_OK)
        return statement.prepared();
    const int rc = statement.step();
    return rc == SQLITE_ROW ? SQLITE_OK : rc;
}

int migrate(sqlite3* db, int from)
{
    const std::vector<const char*>& steps = archiveMigrations();
    int rc = execute(db, "BEGIN IMMEDIATE");
    if (rc != SQLITE_OK)
        return rc;
    for (std::size_t step = static_cast<std::size_t>(from); step < steps.size() && rc == SQLITE_OK; ++step)
        rc = execute(db, steps[step]);
    if (rc == SQLITE_OK)
        rc = execute(db, QByteArray("PRAGMA user_version = " + QByteArray::number(archiveSchemaVersion())).constData());
    if (rc == SQLITE_OK)
        rc = execute(db, "COMMIT");
    if (rc != SQLITE_OK)
        execute(db, "ROLLBACK");
    return rc;
}

// Renames the file and its journal files; the first free name is taken, so nothing is overwritten.
QString moveAside(const QString& path)
{
    const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = path + QStringLiteral(".corrupt-") + stamp;
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = path + QStringLiteral(".corrupt-") + stamp + QLatin1Char('-') + QString::number(n);
    if (!QFile::rename(path, target))
        return {};
    for (const char* suffix : {"-wal", "-shm"}) {
        if (QFileInfo::exists(path + QLatin1String(suffix)))
            QFile::rename(path + QLatin1String(suffix), target + QLatin1String(suffix));
    }
    return target;
}

struct Attempt
{
    sqlite3* db = nullptr;
    int rc = SQLITE_OK;
    bool readOnly = false;
    int version = 0;
};

Attempt attemptOpen(const QString& path)
{
    Attempt attempt;
    attempt.rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &attempt.db,
                                 SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr);
    if (attempt.rc == SQLITE_OK) {
        sqlite3_extended_result_codes(attempt.db, 1);
        sqlite3_busy_timeout(attempt.db, kBusyTimeoutMs);
        attempt.rc = readSchema(attempt.db);
    }
    if (attempt.rc == SQLITE_OK)
        attempt.rc = userVersion(attempt.db, &attempt.version);
    if (attempt.rc == SQLITE_OK)
        attempt.readOnly = sqlite3_db_readonly(attempt.db, "main") == 1;
    if (attempt.rc != SQLITE_OK) {
        sqlite3_close_v2(attempt.db);
        attempt.db = nullptr;
    }
    return attempt;
}

} // namespace

QString defaultArchivePath()
{
    return fileLocations().drawArchive;
}

DrawArchive::DrawArchive(sqlite3* db, QString path, bool readOnly)
    : m_db(db), m_path(std::move(path)), m_readOnly(readOnly)
{}

DrawArchive::~DrawArchive()
{
    sqlite3_close_v2(m_db);
}

ArchiveOpening DrawArchive::open(const QString& path)
{
    ArchiveOpening opening;
    // SQLite would wait forever on the first read of a FIFO in the archive's place.
    if (const QString special = specialFileReason(path); !special.isEmpty()) {
        opening.problem = QStringLiteral("the archive is not a regular file");
        return opening;
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    Attempt attempt = attemptOpen(path);
    if (isCorruption(attempt.rc)) {
        opening.movedAside = moveAside(path);
        if (opening.movedAside.isEmpty()) {
            opening.problem = QStringLiteral("the archive file is damaged and cannot be moved aside");
            return opening;
        }
        attempt = attemptOpen(path);
    }
    if (attempt.rc != SQLITE_OK) {
        opening.problem = describe(attempt.rc);
        return opening;
    }
    sqlite3* db = attempt.db;
    if (attempt.version > archiveSchemaVersion()) {
        sqlite3_close_v2(db);
        opening.problem = QStringLiteral("the archive was written by a newer version of the program");
        return opening;
    }
    if (attempt.readOnly) {
        if (attempt.version < archiveSchemaVersion()) {
            sqlite3_close_v2(db);
            opening.problem = QStringLiteral("the archive is read-only and not yet set up");
            return opening;
        }
        opening.problem = QStringLiteral("the archive is read-only: new draws are not kept");
        opening.archive.reset(new DrawArchive(db, path, true));
        return opening;
    }
    // WAL: readers never wait for the writer, and a crash mid-write loses at most that transaction.
    // NORMAL synchronisation is crash-safe in WAL mode and spares a disk flush per fetch.
    int rc = execute(db, "PRAGMA journal_mode = WAL");
    if (rc == SQLITE_OK)
        rc = execute(db, "PRAGMA synchronous = NORMAL");
    if (rc == SQLITE_OK && attempt.version < archiveSchemaVersion())
        rc = migrate(db, attempt.version);
    if (rc != SQLITE_OK) {
        sqlite3_close_v2(db);
        opening.problem = describe(rc);
        return opening;
    }
    if (!opening.movedAside.isEmpty())
        opening.problem = QStringLiteral("the archive file was damaged; it was moved to %1 and a new one started")
                              .arg(QFileInfo(opening.movedAside).fileName());
    opening.archive.reset(new DrawArchive(db, path, false));
    return opening;
}

struct ArchiveWriter::Statements
{
    explicit Statements(sqlite3* db)
        : insert(db, "INSERT INTO draws (lottery, issue, drawn_at, d1, d2, d3, sum, numbers, source, first_seen) "
                     "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10) ON CONFLICT (lottery, issue) DO NOTHING"),
          find(db, "SELECT d1, d2, d3 FROM draws WHERE lottery = ?1 AND issue = ?2"),
          conflict(db, "INSERT OR IGNORE INTO conflicts (lottery, issue, drawn_at, d1, d2, d3, sum, numbers, "
                       "source, seen_at) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)")
    {}

    [[nodiscard]] int prepared() const
    {
        for (const Statement* statement : {&insert, &find, &conflict})
            if (statement->prepared() != SQLITE_OK)
                return statement->prepared();
        return SQLITE_OK;
    }

    Statement insert;
    Statement find;
    Statement conflict;
    QByteArray source;
    QByteArray now;
};

ArchiveWriter::ArchiveWriter(DrawArchive& archive, LotteryKind lottery, const QString& source)
    : m_lock(archive.m_mutex), m_archive(archive), m_lottery(lotteryKey(lottery))
{
    if (archive.m_readOnly) {
        m_rc = SQLITE_READONLY;
        return;
    }
    m_rc = execute(archive.m_db, "BEGIN IMMEDIATE");
    if (m_rc != SQLITE_OK)
        return;
    m_open = true;
    m_statements = std::make_unique<Statements>(archive.m_db);
    m_rc = m_statements->prepared();
    m_statements->source = source.toUtf8();
    m_statements->now = QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toLatin1();
}

ArchiveWriter::~ArchiveWriter()
{
    m_statements.reset();
    if (m_open)
        execute(m_archive.m_db, "ROLLBACK");
}

bool ArchiveWriter::add(const ArchiveRecord& record)
{
    if (m_rc != SQLITE_OK)
        return false;
    const auto bindRow = [&](Statement& target) {
        target.bind(1, m_lottery);
        target.bind(2, record.issue);
        target.bind(3, record.drawnUtc);
        target.bind(4, record.d1);
        target.bind(5, record.d2);
        target.bind(6, record.d3);
        target.bind(7, record.d1 + record.d2 + record.d3);
        target.bind(8, record.numbers);
        target.bind(9, m_statements->source);
        target.bind(10, m_statements->now);
    };
    // A new issue is one statement; only an issue kept already is looked up.
    Statement& insert = m_statements->insert;
    bindRow(insert);
    int rc = insert.step();
    insert.reset();
    if (rc != SQLITE_DONE) {
        m_rc = rc;
        return false;
    }
    if (sqlite3_changes(m_archive.m_db) == 1) {
        ++m_result.added;
        return true;
    }
    Statement& find = m_statements->find;
    find.bind(1, m_lottery);
    find.bind(2, record.issue);
    rc = find.step();
    const bool same = rc == SQLITE_ROW && find.integer(0) == record.d1 && find.integer(1) == record.d2 &&
                      find.integer(2) == record.d3;
    find.reset();
    if (rc != SQLITE_ROW) {
        m_rc = rc == SQLITE_DONE ? SQLITE_ERROR : rc;
        return false;
    }
    if (same) {
        ++m_result.known;
        return true;
    }
    Statement& conflict = m_statements->conflict;
    bindRow(conflict);
    rc = conflict.step();
    conflict.reset();
    if (rc != SQLITE_DONE) {
        m_rc = rc;
        return false;
    }
    ++m_result.conflicts;
    m_result.newConflicts += sqlite3_changes(m_archive.m_db);
    return true;
}

ArchiveAdd ArchiveWriter::commit()
{
    m_statements.reset();
    if (m_rc == SQLITE_OK && m_open) {
        m_rc = execute(m_archive.m_db, "COMMIT");
        m_open = m_rc != SQLITE_OK;
    }
    if (m_open) {
        execute(m_archive.m_db, "ROLLBACK");
        m_open = false;
    }
    if (m_rc != SQLITE_OK) {
        ArchiveAdd failed;
        failed.skipped = m_result.skipped;
        failed.error = m_rc == SQLITE_READONLY && m_archive.m_readOnly ? QStringLiteral("the archive is read-only")
                                                                       : describe(m_rc);
        return failed;
    }
    m_result.ok = true;
    return m_result;
}

std::unique_ptr<ArchiveWriter> DrawArchive::writer(LotteryKind lottery, const QString& source)
{
    return std::unique_ptr<ArchiveWriter>(new ArchiveWriter(*this, lottery, source));
}

ArchiveAdd DrawArchive::addDraws(LotteryKind lottery, const std::vector<DatedDraw>& draws, const QString& source)
{
    const std::unique_ptr<ArchiveWriter> batch = writer(lottery, source);
    for (const DatedDraw& draw : draws) {
        if (draw.issue < 1 || !draw.drawnAt.isValid()) {
            batch->skip();
            continue;
        }
        const QByteArray numbers = numbersText(draw.numbers);
        if (!batch->add(ArchiveRecord{draw.issue, stampOf(draw.drawnAt), draw.d1, draw.d2, draw.d3, numbers}))
            break;
    }
    return batch->commit();
}

std::vector<DatedDraw> DrawArchive::loadDraws(LotteryKind lottery, int lastK, QString* error) const
{
    const std::lock_guard lock(m_mutex);
    Statement rows(m_db, "SELECT issue, drawn_at, d1, d2, d3, numbers FROM draws WHERE lottery = ?1 "
                         "ORDER BY issue DESC LIMIT ?2");
    if (rows.prepared() != SQLITE_OK) {
        noteFailure(error, rows.prepared());
        return {};
    }
    rows.bind(1, lotteryKey(lottery));
    rows.bind(2, lastK > 0 ? lastK : -1);
    const ZoneClock clock = ZoneClock::local();
    std::vector<DatedDraw> draws;
    int rc = SQLITE_ROW;
    while ((rc = rows.step()) == SQLITE_ROW)
        draws.push_back(drawFromRow(rows, clock));
    // A damaged page ends the rows early: no part of them is served as if it were all.
    if (rc != SQLITE_DONE) {
        noteFailure(error, rc);
        return {};
    }
    std::reverse(draws.begin(), draws.end());
    return draws;
}

DrawSeries DrawArchive::loadSeries(LotteryKind lottery, int lastK, QString* error) const
{
    const std::lock_guard lock(m_mutex);
    // The newest K come from the end of the primary key, so K rows are read whatever the archive's size.
    Statement rows(m_db, lastK > 0
                             ? "SELECT issue, d1, d2, d3 FROM draws WHERE lottery = ?1 ORDER BY issue DESC LIMIT ?2"
                             : "SELECT issue, d1, d2, d3 FROM draws WHERE lottery = ?1 ORDER BY issue");
    if (rows.prepared() != SQLITE_OK) {
        noteFailure(error, rows.prepared());
        return {};
    }
    rows.bind(1, lotteryKey(lottery));
    DrawSeries series;
    if (lastK > 0) {
        rows.bind(2, lastK);
        series.reserve(static_cast<std::size_t>(std::min(lastK, 1 << 20)));
    }
    int rc = SQLITE_ROW;
    while ((rc = rows.step()) == SQLITE_ROW)
        series.push_back(SeriesDraw{rows.integer(0), static_cast<int>(rows.integer(1)),
                                    static_cast<int>(rows.integer(2)), static_cast<int>(rows.integer(3))});
    // A damaged page ends the rows early: no part of them is served as if it were all.
    if (rc != SQLITE_DONE) {
        noteFailure(error, rc);
        return {};
    }
    if (lastK > 0)
        std::reverse(series.begin(), series.end());
    return series;
}

std::vector<DatedDraw> DrawArchive::loadIssues(LotteryKind lottery, qint64 first, qint64 last, QString* error) const
{
    const std::lock_guard lock(m_mutex);
    Statement rows(m_db, "SELECT issue, drawn_at, d1, d2, d3, numbers FROM draws WHERE lottery = ?1 "
                         "AND issue BETWEEN ?2 AND ?3 ORDER BY issue");
    if (rows.prepared() != SQLITE_OK) {
        noteFailure(error, rows.prepared());
        return {};
    }
    rows.bind(1, lotteryKey(lottery));
    rows.bind(2, first);
    rows.bind(3, last);
    const ZoneClock clock = ZoneClock::local();
    std::vector<DatedDraw> draws;
    int rc = SQLITE_ROW;
    while ((rc = rows.step()) == SQLITE_ROW)
        draws.push_back(drawFromRow(rows, clock));
    if (rc != SQLITE_DONE) {
        noteFailure(error, rc);
        return {};
    }
    return draws;
}

qint64 DrawArchive::drawCount(LotteryKind lottery, QString* error) const
{
    const std::lock_guard lock(m_mutex);
    Statement count(m_db, "SELECT count(*) FROM draws WHERE lottery = ?1");
    if (count.prepared() != SQLITE_OK) {
        noteFailure(error, count.prepared());
        return 0;
    }
    count.bind(1, lotteryKey(lottery));
    const int rc = count.step();
    if (rc != SQLITE_ROW) {
        noteFailure(error, rc);
        return 0;
    }
    return count.integer(0);
}

std::optional<qint64> DrawArchive::newestIssue(LotteryKind lottery, QString* error) const
{
    const std::lock_guard lock(m_mutex);
    Statement newest(m_db, "SELECT issue FROM draws WHERE lottery = ?1 ORDER BY issue DESC LIMIT 1");
    if (newest.prepared() != SQLITE_OK) {
        noteFailure(error, newest.prepared());
        return std::nullopt;
    }
    newest.bind(1, lotteryKey(lottery));
    const int rc = newest.step();
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        noteFailure(error, rc);
    if (rc != SQLITE_ROW)
        return std::nullopt;
    return newest.integer(0);
}

QStringList DrawArchive::integrityCheck(const QString& path, QString* error)
{
    // Read-only and without the repair of open(): a damaged file is examined where it is, never moved.
    if (const QString special = specialFileReason(path); !special.isEmpty()) {
        if (error)
            *error = QStringLiteral("the archive is not a regular file");
        return {};
    }
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    QStringList found;
    if (rc == SQLITE_OK) {
        sqlite3_extended_result_codes(db, 1);
        sqlite3_busy_timeout(db, kBusyTimeoutMs);
        Statement rows(db, "PRAGMA integrity_check");
        rc = rows.prepared();
        while (rc == SQLITE_OK && (rc = rows.step()) == SQLITE_ROW) {
            found.append(QString::fromUtf8(rows.text(0)));
            rc = SQLITE_OK;
        }
    }
    sqlite3_close_v2(db);
    if (rc != SQLITE_DONE) {
        noteFailure(error, rc);
        return {};
    }
    return found;
}

std::vector<IssueGap> DrawArchive::gaps(LotteryKind lottery, qint64 fromIssue, QString* error) const
{
    const std::lock_guard lock(m_mutex);
    // Starting from the kept issue just before fromIssue finds a gap that spans fromIssue too.
    Statement rows(m_db, "SELECT issue + 1, next - 1 FROM ("
                         "  SELECT issue, lead(issue) OVER (ORDER BY issue) AS next FROM draws"
                         "  WHERE lottery = ?1 AND issue >= (SELECT coalesce(max(issue), ?2) FROM draws"
                         "                                   WHERE lottery = ?1 AND issue < ?2))"
                         " WHERE next > issue + 1 AND next - 1 >= ?2 ORDER BY issue");
    if (rows.prepared() != SQLITE_OK) {
        noteFailure(error, rows.prepared());
        return {};
    }
    rows.bind(1, lotteryKey(lottery));
    rows.bind(2, fromIssue);
    std::vector<IssueGap> found;
    int rc = SQLITE_ROW;
    while ((rc = rows.step()) == SQLITE_ROW)
        found.push_back(IssueGap{rows.integer(0), rows.integer(1)});
    if (rc != SQLITE_DONE) {
        noteFailure(error, rc);
        return {};
    }
    return found;
}

std::vector<ArchiveConflict> DrawArchive::conflicts(LotteryKind lottery, QString* error) const
{
    const std::lock_guard lock(m_mutex);
    Statement rows(m_db, "SELECT c.issue, c.drawn_at, c.d1, c.d2, c.d3, c.numbers, c.source,"
                         " d.issue, d.drawn_at, d.d1, d.d2, d.d3, d.numbers, d.source"
                         " FROM conflicts c JOIN draws d ON d.lottery = c.lottery AND d.issue = c.issue"
                         " WHERE c.lottery = ?1 ORDER BY c.issue, c.seen_at");
    if (rows.prepared() != SQLITE_OK) {
        noteFailure(error, rows.prepared());
        return {};
    }
    rows.bind(1, lotteryKey(lottery));
    const ZoneClock clock = ZoneClock::local();
    std::vector<ArchiveConflict> found;
    int rc = SQLITE_ROW;
    while ((rc = rows.step()) == SQLITE_ROW) {
        ArchiveConflict conflict;
        conflict.issue = rows.integer(0);
        conflict.arrived = DatedDraw{rows.integer(0),
                                     momentFromStamp(rows.integer(1), clock),
                                     static_cast<int>(rows.integer(2)),
                                     static_cast<int>(rows.integer(3)),
                                     static_cast<int>(rows.integer(4)),
                                     numbersFromText(rows.text(5))};
        conflict.arrivedSource = QString::fromUtf8(rows.text(6));
        conflict.kept = DatedDraw{rows.integer(7),
                                  momentFromStamp(rows.integer(8), clock),
                                  static_cast<int>(rows.integer(9)),
                                  static_cast<int>(rows.integer(10)),
                                  static_cast<int>(rows.integer(11)),
                                  numbersFromText(rows.text(12))};
        conflict.keptSource = QString::fromUtf8(rows.text(13));
        found.push_back(std::move(conflict));
    }
    if (rc != SQLITE_DONE) {
        noteFailure(error, rc);
        return {};
    }
    return found;
}

bool DrawArchive::exportCsv(LotteryKind lottery, QIODevice& out, QString* why) const
{
    const std::lock_guard lock(m_mutex);
    Statement rows(m_db, "SELECT issue, drawn_at, d1, d2, d3, sum FROM draws WHERE lottery = ?1 ORDER BY issue");
    if (rows.prepared() != SQLITE_OK) {
        noteFailure(why, rows.prepared());
        return false;
    }
    rows.bind(1, lotteryKey(lottery));
    // The zone is looked up once; a run of rows shares the offset until the next change of clocks.
    ZoneClock clock = ZoneClock::local();
    QByteArray chunk = "issue,date,time,d1,d2,d3,sum\n";
    bool written = true;
    int rc = SQLITE_ROW;
    char stamp[32];
    while (written && (rc = rows.step()) == SQLITE_ROW) {
        const WallClock wall = clock.wallClock(rows.integer(1));
        std::snprintf(stamp, sizeof stamp, ",%04d-%02d-%02d,%02d:%02d,", wall.year, wall.month, wall.day, wall.hour,
                      wall.minute);
        chunk += QByteArray::number(rows.integer(0));
        chunk += stamp;
        chunk += QByteArray::number(rows.integer(2)) + ',' + QByteArray::number(rows.integer(3)) + ',' +
                 QByteArray::number(rows.integer(4)) + ',' + QByteArray::number(rows.integer(5)) + '\n';
        if (chunk.size() > 64 * 1024) {
            written = out.write(chunk) == chunk.size();
            chunk.clear();
        }
    }
    written = written && rc == SQLITE_DONE && out.write(chunk) == chunk.size();
    if (!written && why)
        *why = rc == SQLITE_DONE || rc == SQLITE_ROW
                   ? QStringLiteral("cannot write the export: %1").arg(out.errorString())
                   : describe(rc);
    return written;
}

} // namespace tandor28
