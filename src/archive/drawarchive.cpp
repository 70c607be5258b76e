#include "drawarchive.h"

#include "archiveschema.h"
#include "paths/filelocations.h"
#include "paths/filewrite.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

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
    void bind(int index, const QByteArray& text)
    {
        sqlite3_bind_text(m_statement, index, text.constData(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
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

QByteArray stampText(const QDateTime& local)
{
    return local.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toLatin1();
}

// "YYYY-MM-DD HH:MM:SS" as written by stampText, read without a format parser: a backtest loads
// hundreds of thousands of them.
QDateTime stampFromText(const QByteArray& text)
{
    if (text.size() != 19)
        return {};
    const auto number = [&text](qsizetype from, qsizetype length) { return text.mid(from, length).toInt(); };
    return QDateTime(QDate(number(0, 4), number(5, 2), number(8, 2)),
                     QTime(number(11, 2), number(14, 2), number(17, 2)));
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
DatedDraw drawFromRow(const Statement& row)
{
    return DatedDraw{row.integer(0),
                     stampFromText(row.text(1)),
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

ArchiveAdd DrawArchive::addDraws(LotteryKind lottery, const std::vector<DatedDraw>& draws, const QString& source)
{
    const std::lock_guard lock(m_mutex);
    ArchiveAdd result;
    if (m_readOnly) {
        result.error = QStringLiteral("the archive is read-only");
        return result;
    }
    int rc = execute(m_db, "BEGIN IMMEDIATE");
    if (rc != SQLITE_OK) {
        result.error = describe(rc);
        return result;
    }
    Statement find(m_db, "SELECT d1, d2, d3 FROM draws WHERE lottery = ?1 AND issue = ?2");
    Statement insert(m_db, "INSERT INTO draws (lottery, issue, drawn_at, d1, d2, d3, sum, numbers, source, first_seen) "
                           "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)");
    Statement conflict(m_db, "INSERT OR IGNORE INTO conflicts (lottery, issue, drawn_at, d1, d2, d3, sum, numbers, "
                             "source, seen_at) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)");
    rc = find.prepared() != SQLITE_OK     ? find.prepared()
         : insert.prepared() != SQLITE_OK ? insert.prepared()
                                          : conflict.prepared();
    const QByteArray sourceText = source.toUtf8();
    const QByteArray now = QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toLatin1();
    for (const DatedDraw& draw : draws) {
        if (rc != SQLITE_OK)
            break;
        if (draw.issue < 1 || !draw.drawnAt.isValid()) {
            ++result.skipped;
            continue;
        }
        find.bind(1, lotteryKey(lottery));
        find.bind(2, draw.issue);
        const int found = find.step();
        const bool kept = found == SQLITE_ROW;
        const bool same =
            kept && find.integer(0) == draw.d1 && find.integer(1) == draw.d2 && find.integer(2) == draw.d3;
        find.reset();
        if (found != SQLITE_ROW && found != SQLITE_DONE) {
            rc = found;
            break;
        }
        if (same) {
            ++result.known;
            continue;
        }
        Statement& target = kept ? conflict : insert;
        target.bind(1, lotteryKey(lottery));
        target.bind(2, draw.issue);
        target.bind(3, stampText(draw.drawnAt));
        target.bind(4, draw.d1);
        target.bind(5, draw.d2);
        target.bind(6, draw.d3);
        target.bind(7, draw.sum());
        target.bind(8, numbersText(draw.numbers));
        target.bind(9, sourceText);
        target.bind(10, now);
        const int stepped = target.step();
        target.reset();
        if (stepped != SQLITE_DONE) {
            rc = stepped;
            break;
        }
        if (!kept) {
            ++result.added;
        } else {
            ++result.conflicts;
            result.newConflicts += sqlite3_changes(m_db);
        }
    }
    if (rc == SQLITE_OK)
        rc = execute(m_db, "COMMIT");
    if (rc != SQLITE_OK) {
        execute(m_db, "ROLLBACK");
        const int skipped = result.skipped;
        result = ArchiveAdd{};
        result.skipped = skipped;
        result.error = describe(rc);
        return result;
    }
    result.ok = true;
    return result;
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
    std::vector<DatedDraw> draws;
    int rc = SQLITE_ROW;
    while ((rc = rows.step()) == SQLITE_ROW)
        draws.push_back(drawFromRow(rows));
    // A damaged page ends the rows early: no part of them is served as if it were all.
    if (rc != SQLITE_DONE) {
        noteFailure(error, rc);
        return {};
    }
    std::reverse(draws.begin(), draws.end());
    return draws;
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
    std::vector<DatedDraw> draws;
    int rc = SQLITE_ROW;
    while ((rc = rows.step()) == SQLITE_ROW)
        draws.push_back(drawFromRow(rows));
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
    std::vector<ArchiveConflict> found;
    int rc = SQLITE_ROW;
    while ((rc = rows.step()) == SQLITE_ROW) {
        ArchiveConflict conflict;
        conflict.issue = rows.integer(0);
        conflict.arrived = DatedDraw{rows.integer(0),
                                     stampFromText(rows.text(1)),
                                     static_cast<int>(rows.integer(2)),
                                     static_cast<int>(rows.integer(3)),
                                     static_cast<int>(rows.integer(4)),
                                     numbersFromText(rows.text(5))};
        conflict.arrivedSource = QString::fromUtf8(rows.text(6));
        conflict.kept = DatedDraw{rows.integer(7),
                                  stampFromText(rows.text(8)),
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
    QByteArray chunk = "issue,date,time,d1,d2,d3,sum\n";
    bool written = true;
    int rc = SQLITE_ROW;
    while (written && (rc = rows.step()) == SQLITE_ROW) {
        const QByteArray stamp = rows.text(1);
        chunk += QByteArray::number(rows.integer(0)) + ',' + stamp.left(10) + ',' + stamp.mid(11, 5) + ',' +
                 QByteArray::number(rows.integer(2)) + ',' + QByteArray::number(rows.integer(3)) + ',' +
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
