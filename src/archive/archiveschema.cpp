#include "archiveschema.h"

namespace tandor28 {

const std::vector<const char*>& archiveMigrations()
{
    // drawn_at is the local date and time "YYYY-MM-DD HH:MM:SS"; first_seen and seen_at are UTC
    // ISO texts; numbers holds the sorted Keno numbers separated by blanks, empty for the feeds
    // that state digits. A conflict is kept once per lottery, issue, digits and source.
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
    };
    return steps;
}

int archiveSchemaVersion()
{
    return static_cast<int>(archiveMigrations().size());
}

} // namespace tandor28
