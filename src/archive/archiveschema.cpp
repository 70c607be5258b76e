#include "archiveschema.h"

namespace tandor28 {

const std::vector<const char*>& archiveMigrations()
{
    // Step 1: drawn_at is the local date and time "YYYY-MM-DD HH:MM:SS"; first_seen and seen_at
    // are UTC ISO texts; numbers holds the sorted Keno numbers separated by blanks, empty for the
    // feeds that state digits. A conflict is kept once per lottery, issue, digits and source.
    // Step 2: drawn_at becomes the moment in UTC, integer seconds since 1970, so that an archive
    // read in another zone, or after the machine's zone changed, shows the same moments. The zone
    // the old texts were written in was never stored; the machine's local zone at the time of the
    // migration (SQLite's 'utc' modifier goes through the C library's local time) is the best
    // knowledge there is. A text no clock reads (never written by this program) becomes 0, unknown.
    static const std::vector<const char*> steps{
        R"sql(
CREATE TABLE draws (
    lottery INTEGER NOT NULL,
    issue INTEGER NOT NULL,
    drawn_at TEXT NOT NULL,
    d1 INTEGER NOT NULL,
    d2 INTEGER NOT NULL,
    d3 INTEGER NOT NULL,
    sum INTEGER NOT NULL,
    numbers TEXT NOT NULL DEFAULT '',
    source TEXT NOT NULL,
    first_seen TEXT NOT NULL,
    PRIMARY KEY (lottery, issue)
) WITHOUT ROWID;
CREATE TABLE conflicts (
    lottery INTEGER NOT NULL,
    issue INTEGER NOT NULL,
    drawn_at TEXT NOT NULL,
    d1 INTEGER NOT NULL,
    d2 INTEGER NOT NULL,
    d3 INTEGER NOT NULL,
    sum INTEGER NOT NULL,
    numbers TEXT NOT NULL DEFAULT '',
    source TEXT NOT NULL,
    seen_at TEXT NOT NULL,
    UNIQUE (lottery, issue, d1, d2, d3, source)
);
)sql",
        R"sql(
ALTER TABLE draws RENAME TO draws_local;
CREATE TABLE draws (
    lottery INTEGER NOT NULL,
    issue INTEGER NOT NULL,
    drawn_at INTEGER NOT NULL,
    d1 INTEGER NOT NULL,
    d2 INTEGER NOT NULL,
    d3 INTEGER NOT NULL,
    sum INTEGER NOT NULL,
    numbers TEXT NOT NULL DEFAULT '',
    source TEXT NOT NULL,
    first_seen TEXT NOT NULL,
    PRIMARY KEY (lottery, issue)
) WITHOUT ROWID;
INSERT INTO draws (lottery, issue, drawn_at, d1, d2, d3, sum, numbers, source, first_seen)
    SELECT lottery, issue, coalesce(CAST(strftime('%s', drawn_at, 'utc') AS INTEGER), 0), d1, d2, d3, sum, numbers,
           source, first_seen
    FROM draws_local ORDER BY lottery, issue;
DROP TABLE draws_local;
ALTER TABLE conflicts RENAME TO conflicts_local;
CREATE TABLE conflicts (
    lottery INTEGER NOT NULL,
    issue INTEGER NOT NULL,
    drawn_at INTEGER NOT NULL,
    d1 INTEGER NOT NULL,
    d2 INTEGER NOT NULL,
    d3 INTEGER NOT NULL,
    sum INTEGER NOT NULL,
    numbers TEXT NOT NULL DEFAULT '',
    source TEXT NOT NULL,
    seen_at TEXT NOT NULL,
    UNIQUE (lottery, issue, d1, d2, d3, source)
);
INSERT INTO conflicts (lottery, issue, drawn_at, d1, d2, d3, sum, numbers, source, seen_at)
    SELECT lottery, issue, coalesce(CAST(strftime('%s', drawn_at, 'utc') AS INTEGER), 0), d1, d2, d3, sum, numbers,
           source, seen_at
    FROM conflicts_local ORDER BY rowid;
DROP TABLE conflicts_local;
)sql",
    };
    return steps;
}

int archiveSchemaVersion()
{
    return static_cast<int>(archiveMigrations().size());
}

} // namespace tandor28
