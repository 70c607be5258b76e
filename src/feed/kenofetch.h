#pragma once

#include "feed/http.h"

#include <QByteArray>
#include <QDateTime>
#include <QMutex>
#include <QString>

#include <chrono>
#include <functional>
#include <map>
#include <optional>

namespace tandor28 {

// The headers of every request to a Keno source: a User-Agent that names the program and its
// version, so that the service can tell who asks (the described feeds keep their own headers).
[[nodiscard]] QString kenoRequestHeaders();

// How long a 429 or 503 answer asks the client to wait, from its "Retry-After:" line (seconds or an
// HTTP date, measured from `now`); nullopt when the headers hold no readable one.
[[nodiscard]] std::optional<qint64> retryAfterSeconds(const QString& responseHeaders, const QDateTime& now);

// The wait after the `failures`-th 429 or 503 in a row that named none: 30 s, doubling each time,
// at most kMaxBackoffSeconds.
inline constexpr qint64 kMaxBackoffSeconds = 600;
[[nodiscard]] qint64 backoffSeconds(int failures);

// A Retry-After beyond this is taken as this: a service that asks for days is asked again sooner.
inline constexpr qint64 kMaxRetryAfterSeconds = 6 * 3600;
// The yearly zip changes at most a few times an hour; it is asked for at most once an hour.
inline constexpr qint64 kYearZipRefetchSeconds = 3600;

// The status-bar words for a source that asked to wait `seconds` more.
[[nodiscard]] QString askedToWaitText(qint64 seconds, int status);

struct KenoAnswer
{
    QByteArray body;      // empty when nothing usable came
    QString problem;      // why the body is empty
    bool waiting = false; // the service asked to wait: it was not asked this time
    bool fromCache = false;
    int status = 0; // the HTTP status of the answer, 0 when no request was made or none came
};

// What the program remembers of each Keno URL across refreshes: until when the service asked it to
// wait, how many 429 or 503 came in a row, and for the yearly zip its validators, when it was last
// fetched and (in the data folder) its last body. One instance for the process; thread-safe.
class KenoManners
{
public:
    [[nodiscard]] static KenoManners& instance();

    // A JSON page: one GET, unless the service asked to wait. A `cancel` flag that turns true ends it.
    [[nodiscard]] KenoAnswer fetchPage(const QString& url, CancelFlag cancel = {});
    // The yearly zip: the cached body while it is less than an hour old; else a conditional GET
    // (If-None-Match, If-Modified-Since), a 304 reusing the cached body.
    [[nodiscard]] KenoAnswer fetchYearZip(const QString& url);

    // Where the zip's body and validators are kept; the user's data folder unless set.
    void setCacheFolder(const QString& folder);
    [[nodiscard]] QString cacheFolder() const;
    // The clock the waits are measured with; the system clock unless set.
    void setClock(std::function<QDateTime()> clock);
    // Forgets every wait and every remembered fetch time (the cached files stay).
    void forget();

private:
    struct UrlState
    {
        QDateTime notBefore;
        int refusals = 0;
        bool loaded = false; // the validators were read from the cache folder
        QString etag;
        QString lastModified;
        QDateTime fetchedAt;
    };

    KenoManners() = default;
    [[nodiscard]] QDateTime now() const;
    [[nodiscard]] KenoAnswer get(const QString& url, bool yearly, CancelFlag cancel = {});
    [[nodiscard]] QString cachePath(const QString& url, const char* suffix) const;
    void loadValidators(const QString& url, UrlState& state) const;
    void saveCache(const QString& url, const UrlState& state, const QByteArray* body) const;

    mutable QMutex m_mutex;
    std::map<QString, UrlState> m_states;
    QString m_cacheFolder;
    std::function<QDateTime()> m_clock;
};

// What paces the pages of a backfill: the time now and a way to wait. Steady time and a sleep of
// the calling thread unless given, so tests can pass clocks that do not wait.
struct PagePacing
{
    std::function<std::chrono::steady_clock::time_point()> now;
    std::function<void(std::chrono::milliseconds)> sleep;
};
// Backfill pages are at least this far apart.
inline constexpr std::chrono::milliseconds kPageSpacing{1000};

} // namespace tandor28
