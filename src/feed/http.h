#pragma once

#include <QByteArray>
#include <QFuture>
#include <QString>
#include <QStringList>
#include <QThreadPool>

#include <atomic>
#include <memory>

#include <utility>
#include <vector>

namespace tandor28 {

// One HTTP request. `method` is upper-cased (ASCII letters only); empty means GET. `headers` are
// "Name: value" lines separated by CR LF; empty means the default header block. `cookies` are
// "name=value" pairs separated by ";", merged into the stored cookies of the URL's host.
// `timeoutSeconds`: 1 and above is that many seconds, -1 keeps the network layer's default
// (30 s), anything else is 15 s. The timeout bounds the whole exchange: the request fails when it
// has not ended that long after it started, however slowly the server keeps sending.
// Set by whoever owns a request to end it at once (the window closing); read by the worker.
using CancelFlag = std::shared_ptr<const std::atomic<bool>>;

struct HttpRequest
{
    QString url;
    QString method;
    QByteArray body;
    QString cookies;
    QString headers;
    int timeoutSeconds = 0;
    // When set, the request ends (as Cancelled) within a few milliseconds of the flag turning true.
    CancelFlag cancel;
};

// Why a fetch gave nothing a caller can use. The HTTP client reports the transport failures and
// the status; the feed reader adds TooFewRecords.
enum class FetchFailure
{
    None,
    BadUrl,       // not an http:// or https:// URL
    Refused,      // nothing listens at the address
    NameNotFound, // the host name does not resolve
    Timeout,      // the exchange did not end within its timeout
    TooBig,       // the body is over kMaxBodyBytes
    Network,      // any other failure of the exchange
    HttpStatus,   // the server answered with an error status (the body may still be read)
    // https: the server's certificate failed the check, so nothing was sent or read.
    CertificateUntrusted, // issued by an authority the system does not trust (or self-signed)
    CertificateWrongHost, // issued for another host name
    CertificateExpired,   // past its validity (or not valid yet)
    CertificateInvalid,   // any other certificate fault (revoked, malformed, wrong purpose)
    TooFewRecords,        // the body holds fewer than five records of the feed
    AskedToWait,          // the source answered 429 or 503 and is not asked again before its time
    Cancelled,            // its owner ended it (the window closed)
};

// A few Chinese words for a failure, as the status bar shows them: "连接被拒绝", "连接超时",
// "服务器返回错误 404", ... `status` is the HTTP status for HttpStatus.
[[nodiscard]] QString fetchFailureText(FetchFailure failure, int status = 0);

// `body` is empty when the request failed on the way (no connection, timeout, body over the cap,
// cancelled); an HTTP error status is not a failure, its body comes back like any other.
// `cookies` is the merged cookie text (sent plus received), `location` the value of a
// "Location:" response header, `headers` all response header lines joined by CR LF.
struct HttpResponse
{
    QByteArray body;
    QString cookies;
    QString location;
    QString headers;
    bool completed = false; // the exchange finished without a transport failure
    // Why it did not complete (None when it did); an error status is kept in `status` only.
    FetchFailure failure = FetchFailure::None;
    int status = 0; // the HTTP status of the answer, 0 when none came
};

// Bodies larger than this count as a failed request: a feed or notice is a few kilobytes, and a
// runaway body must not eat the memory of the program.
inline constexpr qint64 kMaxBodyBytes = 8 * 1024 * 1024;

// Sends one request and waits for its end. Blocking; usable from any thread (each call has its
// own network manager and event loop). Never throws, never reports an error: failures give an
// empty body.
[[nodiscard]] HttpResponse httpRequest(const HttpRequest& request);

// GET with the default options and the given timeout (as in HttpRequest); the body is cut at its
// first zero byte and is empty on any failure, whose reason the response keeps.
[[nodiscard]] HttpResponse fetchResponse(const QString& url, int timeoutSeconds = 0);

// GET with the default options; the body up to its first zero byte. Empty on any failure.
[[nodiscard]] QByteArray fetchText(const QString& url, int timeoutSeconds = 0);

// fetchText on a worker thread, so that the window keeps reacting while a request waits.
[[nodiscard]] QFuture<QByteArray> fetchTextAsync(const QString& url);

// The threads fetches run on: a pool of their own, so that a long computation filling the global
// pool never holds up a refresh.
[[nodiscard]] QThreadPool* fetchThreadPool();

// Merges the cookie text `newText` into `oldText`: a name already present gets the new value,
// a new name is appended; entries with an empty value or the value "deleted" are dropped. The
// result is joined by "; ".
[[nodiscard]] QString mergeCookies(const QString& oldText, const QString& newText);

// The request headers a header text sets, in order: "Name: value" lines separated by CR LF (a text
// without CR LF is one line). Only the first ":" separates name and value; lines without ":", with
// a name that is not a header name or with a line break in the value are skipped.
[[nodiscard]] std::vector<std::pair<QByteArray, QByteArray>> requestHeaderPairs(const QString& headerText);

// What the response header lines ("Name: value") tell: the "Location:" value, and the cookies of the
// "Set-Cookie:" lines (each up to its first ";"), every one followed by "; ".
struct ReceivedHeaders
{
    QString location;
    QString cookies;
};
[[nodiscard]] ReceivedHeaders readResponseHeaders(const QStringList& headerLines);

// The header block sent when the caller gives none (lines separated by CR LF, no final CR LF).
[[nodiscard]] QString defaultHeaderBlock(const QString& url);

// The text after "http://" or "https://" up to the first "/", without a ":port" suffix.
[[nodiscard]] QString urlHost(const QString& url);

// The bounds browsers keep cookies within: a cookie ("name=value") over 4 KB is ignored, a host keeps
// its 50 newest cookies, and the cookie file holds at most 64 KB. A server that floods cookies can
// then neither make every later request too big to be answered nor fill the disk.
inline constexpr qsizetype kMaxCookieBytes = 4096;
inline constexpr qsizetype kMaxCookiesPerHost = 50;
inline constexpr qsizetype kMaxCookieFileBytes = 64 * 1024;

// The Cookie header sent is cut to this size, its newest cookies kept: servers refuse a request
// whose header line is longer than 8 KB, and a request that is always refused is lost for good.
inline constexpr qsizetype kMaxCookieHeaderBytes = 8192;

// A cookie text ("a=1; b=2") within the bounds: oversize cookies dropped, the newest 50 kept.
[[nodiscard]] QString boundCookies(const QString& cookies);
// The newest cookies of a bounded text that fit into the Cookie header.
[[nodiscard]] QString cookieHeaderText(const QString& cookies);

// The per-user cookie store: one cookie text per host, kept in a file under the application data
// folder (beside a portable program) so that cookies survive restarts. Safe to call from several threads at once.
[[nodiscard]] QString cookieStorePath();
[[nodiscard]] QString storedCookies(const QString& host);
// Replaces the host's cookie text in the file; false when the file could not be written (the old
// file then stays as it was and `error` gets the reason).
bool storeCookies(const QString& host, const QString& cookies, QString* error = nullptr);
// Why the last write of the cookie file failed (a full disk, a size limit), for the window's status
// bar and the companion's exit status; empty once a write has succeeded again.
[[nodiscard]] QString cookieStoreProblem();
void clearCookieStoreProblem();

} // namespace tandor28
