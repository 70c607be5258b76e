#pragma once

#include "analysis/drawseries.h"
#include "model/dateddraw.h"
#include "model/draw.h"

#include <QByteArrayView>
#include <QIODevice>
#include <QString>
#include <QStringList>

#include <memory>
#include <mutex>
#include <optional>
#include <vector>

struct sqlite3;

namespace tandor28 {

// What one batch of records did to the archive. `conflicts` counts the records whose digits differ
// from the kept ones; `newConflicts` those of them not recorded before. `skipped` records had no
// usable issue number or date. `ok` is false when nothing was written (the reason in `error`).
struct ArchiveAdd
{
    int added = 0;
    int known = 0;
    int conflicts = 0;
    int newConflicts = 0;
    int skipped = 0;
    bool ok = false;
    QString error;
};

// Missing issues first..last (both included) between two kept issues.
struct IssueGap
{
    qint64 first = 0;
    qint64 last = 0;
    [[nodiscard]] qint64 count() const { return last - first + 1; }
    friend bool operator==(const IssueGap&, const IssueGap&) = default;
};

// A record that arrived with digits other than the kept ones.
struct ArchiveConflict
{
    qint64 issue = 0;
    DatedDraw kept;
    QString keptSource;
    DatedDraw arrived;
    QString arrivedSource;
};

class DrawArchive;

// A draw as a writer stores it: the moment in UTC seconds (0: unknown) and the sorted Keno numbers
// separated by blanks (empty for the feeds that state digits).
struct ArchiveRecord
{
    qint64 issue = 0;
    qint64 drawnUtc = 0;
    int d1 = 0;
    int d2 = 0;
    int d3 = 0;
    QByteArrayView numbers;
};

// One transaction of added draws, for imports that stream: records go in as they come, with one
// prepared statement, and only commit() makes them visible. The archive is held until the writer
// is committed or destroyed (which rolls back).
class ArchiveWriter
{
public:
    ArchiveWriter(const ArchiveWriter&) = delete;
    ArchiveWriter& operator=(const ArchiveWriter&) = delete;
    ~ArchiveWriter();

    // A record whose issue is kept already with the same digits is "known"; with other digits it
    // goes to the conflicts table and the kept row stays. False once a statement failed: nothing of
    // this writer will be kept, and commit() says why.
    bool add(const ArchiveRecord& record);
    // A record that had no usable issue or moment.
    void skip() { ++m_result.skipped; }
    [[nodiscard]] ArchiveAdd commit();

private:
    friend class DrawArchive;
    struct Statements;
    ArchiveWriter(DrawArchive& archive, LotteryKind lottery, const QString& source);

    std::unique_lock<std::mutex> m_lock;
    DrawArchive& m_archive;
    std::unique_ptr<Statements> m_statements;
    int m_lottery = 0;
    int m_rc = 0;
    bool m_open = false;
    ArchiveAdd m_result;
};

// The outcome of opening: an archive (possibly read-only) or none, with what the user should be told.
// `movedAside` names where a corrupt file went before a fresh archive was started.
struct ArchiveOpening
{
    std::unique_ptr<DrawArchive> archive;
    QString problem;
    QString movedAside;
};

// draws.sqlite3 in the user's data folder (beside the program when it runs portable).
[[nodiscard]] QString defaultArchivePath();

// The draw archive: one SQLite file, WAL journal, one row per lottery and issue. Every method may be
// called from any thread; calls are serialised.
class DrawArchive
{
public:
    // Opens or creates the archive and brings its schema up to date. A file that is no SQLite
    // database, or is damaged, is renamed to "<path>.corrupt-<UTC time>" and a fresh archive is started;
    // a locked file, a file of a newer version or one that cannot be opened gives no archive; a
    // file that cannot be written gives a read-only archive. The problem text says which.
    [[nodiscard]] static ArchiveOpening open(const QString& path);

    // SQLite's integrity check of the file at `path`, opened read-only and left where it is: the
    // single line "ok" for a sound file, else one line per fault found. Empty when the check could
    // not run at all (a file that is no database), the reason in `error`.
    [[nodiscard]] static QStringList integrityCheck(const QString& path, QString* error = nullptr);

    DrawArchive(const DrawArchive&) = delete;
    DrawArchive& operator=(const DrawArchive&) = delete;
    ~DrawArchive();

    [[nodiscard]] QString path() const { return m_path; }
    [[nodiscard]] bool isReadOnly() const { return m_readOnly; }

    // Adds one fetch's records in one transaction. A record whose issue is kept already with the same
    // digits is "known"; with other digits it goes to the conflicts table and the kept row stays.
    [[nodiscard]] ArchiveAdd addDraws(LotteryKind lottery, const std::vector<DatedDraw>& draws, const QString& source);
    // A writer of one transaction; a read-only archive, or one that cannot start the transaction,
    // gives a writer whose commit() says why.
    [[nodiscard]] std::unique_ptr<ArchiveWriter> writer(LotteryKind lottery, const QString& source);

    // Every reader gives nothing (never a part) when a statement fails, and puts the reason, such as
    // "the archive file is damaged", into `error` when it is given.

    // The newest `lastK` draws of a lottery (all when lastK <= 0), oldest first, their times on the
    // machine's clock and their Keno numbers: for the views that show or export them.
    [[nodiscard]] std::vector<DatedDraw> loadDraws(LotteryKind lottery, int lastK, QString* error = nullptr) const;
    // The issues and digits of the newest `lastK` draws (all when lastK <= 0), oldest first: only the
    // columns the analysis reads, into one flat array.
    [[nodiscard]] DrawSeries loadSeries(LotteryKind lottery, int lastK, QString* error = nullptr) const;
    // The kept draws with issues first..last, oldest first.
    [[nodiscard]] std::vector<DatedDraw> loadIssues(LotteryKind lottery, qint64 first, qint64 last,
                                                    QString* error = nullptr) const;
    [[nodiscard]] qint64 drawCount(LotteryKind lottery, QString* error = nullptr) const;
    [[nodiscard]] std::optional<qint64> newestIssue(LotteryKind lottery, QString* error = nullptr) const;

    // The runs of missing issues between the oldest and the newest kept issue, oldest first; only
    // gaps ending at or after `fromIssue` count.
    [[nodiscard]] std::vector<IssueGap> gaps(LotteryKind lottery, qint64 fromIssue = 0, QString* error = nullptr) const;
    [[nodiscard]] std::vector<ArchiveConflict> conflicts(LotteryKind lottery, QString* error = nullptr) const;

    // "issue,date,time,d1,d2,d3,sum", then one line per draw, oldest first (date YYYY-MM-DD, time HH:MM).
    [[nodiscard]] bool exportCsv(LotteryKind lottery, QIODevice& out, QString* why = nullptr) const;

private:
    friend class ArchiveWriter;
    DrawArchive(sqlite3* db, QString path, bool readOnly);

    sqlite3* m_db = nullptr;
    QString m_path;
    bool m_readOnly = false;
    mutable std::mutex m_mutex;
};

} // namespace tandor28
