#include "http.h"

#include "feedlog.h"

#include "paths/filelocations.h"
#include "paths/filewrite.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslError>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <utility>
#include <vector>

namespace tandor28 {

namespace {

constexpr int kDefaultTimeoutMs = 15000;
constexpr int kNetworkDefaultTimeoutMs = 30000;
// How often a request with a cancel flag looks at it.
constexpr int kCancelPollMs = 20;

FetchFailure transportFailure(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
        return FetchFailure::Refused;
    case QNetworkReply::HostNotFoundError:
        return FetchFailure::NameNotFound;
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError:
        return FetchFailure::Timeout;
    default:
        return FetchFailure::Network;
    }
}

// The one reason of a failed certificate check; an untrusted issuer outranks the rest, as no other
// fact about such a certificate can be relied on.
FetchFailure certificateFailure(const QList<QSslError>& errors)
{
    bool wrongHost = false;
    bool expired = false;
    for (const QSslError& error : errors) {
        switch (error.error()) {
        case QSslError::UnableToGetIssuerCertificate:
        case QSslError::UnableToGetLocalIssuerCertificate:
        case QSslError::UnableToVerifyFirstCertificate:
        case QSslError::SelfSignedCertificate:
        case QSslError::SelfSignedCertificateInChain:
        case QSslError::CertificateUntrusted:
        case QSslError::CertificateRejected:
            return FetchFailure::CertificateUntrusted;
        case QSslError::HostNameMismatch:
            wrongHost = true;
            break;
        case QSslError::CertificateExpired:
        case QSslError::CertificateNotYetValid:
            expired = true;
            break;
        default:
            break;
        }
    }
    if (expired)
        return FetchFailure::CertificateExpired;
    return wrongHost ? FetchFailure::CertificateWrongHost : FetchFailure::CertificateInvalid;
}

QString upperAscii(const QString& text)
{
    QString result = text;
    for (QChar& c : result) {
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
    }
    return result;
}

// The name of a cookie entry "name=value" with its "=", or the empty text when it has none.
QString cookieName(const QString& entry)
{
    const qsizetype equals = entry.indexOf(QLatin1Char('='));
    return equals < 0 ? QString() : entry.left(equals + 1);
}

// An error the server answered with (its body is returned like any other) rather than a failure
// of the exchange itself. Qt reports 400 and 418 as an invalid operation and 407 as a proxy error,
// so those count too when the server did answer with a status.
bool isHttpStatusError(const QNetworkReply* reply)
{
    const int code = static_cast<int>(reply->error());
    if ((code >= 201 && code <= 299) || (code >= 401 && code <= 499))
        return true;
    return (reply->error() == QNetworkReply::ProtocolInvalidOperationError ||
            reply->error() == QNetworkReply::ProxyAuthenticationRequiredError) &&
           reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
}

bool isValidHeaderName(const QString& name)
{
    if (name.isEmpty())
        return false;
    for (const QChar c : name) {
        if (c.unicode() <= ' ' || c.unicode() >= 127)
            return false;
    }
    return true;
}

// The cookie store file: one line per host, "host TAB cookie text".
QMutex& cookieStoreMutex()
{
    static QMutex mutex;
    return mutex;
}

// Why the last write of the cookie file failed; empty after a write that succeeded.
QString& cookieStoreProblemText()
{
    static QString text;
    return text;
}

std::vector<std::pair<QString, QString>> readCookieStore(const QString& path)
{
    std::vector<std::pair<QString, QString>> entries;
    // A FIFO or a device in the file's place would never end a read: no cookies then.
    if (const QString special = specialFileReason(path); !special.isEmpty()) {
        qCWarning(lcFeed) << "the cookie file is left unread:" << special;
        return entries;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return entries;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray& line : lines) {
        const qsizetype tab = line.indexOf('\t');
        if (tab <= 0)
            continue;
        entries.emplace_back(QString::fromUtf8(line.left(tab)), QString::fromUtf8(line.mid(tab + 1)).trimmed());
    }
    return entries;
}

} // namespace

std::vector<std::pair<QByteArray, QByteArray>> requestHeaderPairs(const QString& headerText)
{
    std::vector<std::pair<QByteArray, QByteArray>> pairs;
    const QStringList lines =
        headerText.contains(QLatin1String("\r\n")) ? headerText.split(QStringLiteral("\r\n")) : QStringList{headerText};
    for (const QString& line : lines) {
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon < 0)
            continue;
        const QString name = line.left(colon).trimmed();
        const QString value = line.mid(colon + 1).trimmed();
        // A stray line break inside a value would smuggle a header of its own into the request.
        if (!isValidHeaderName(name) || value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r')))
            continue;
        pairs.emplace_back(name.toLatin1(), value.toUtf8());
    }
    return pairs;
}

ReceivedHeaders readResponseHeaders(const QStringList& headerLines)
{
    ReceivedHeaders received;
    for (const QString& line : headerLines) {
        if (line.startsWith(QLatin1String("Location:"), Qt::CaseInsensitive))
            received.location = line.mid(9).trimmed();
        if (line.startsWith(QLatin1String("Set-Cookie:"), Qt::CaseInsensitive)) {
            QString cookie = line.mid(11);
            const qsizetype semicolon = cookie.indexOf(QLatin1Char(';'));
            if (semicolon >= 0)
                cookie.truncate(semicolon);
            cookie = cookie.trimmed();
            // As a browser does: a cookie over the size bound is ignored, so it is never kept or sent.
            if (cookie.toUtf8().size() > kMaxCookieBytes)
                continue;
            received.cookies += cookie + QStringLiteral("; ");
        }
    }
    return received;
}

QString defaultHeaderBlock(const QString& url)
{
    return QStringLiteral("Referer: ") + url +
           QStringLiteral("\r\nAccept: */*\r\nAccept-Language: zh-cn\r\nUser-Agent: Mozilla/5.0 (compatible; MSIE 9.0; "
                          "Windows NT 6.1; Trident/5.0)\r\nContent-Type: application/x-www-form-urlencoded");
}

QString urlHost(const QString& url)
{
    QString rest;
    if (url.startsWith(QLatin1String("http://"), Qt::CaseInsensitive))
        rest = url.mid(7);
    else if (url.startsWith(QLatin1String("https://"), Qt::CaseInsensitive))
        rest = url.mid(8);
    else
        return {};
    const qsizetype slash = rest.indexOf(QLatin1Char('/'));
    if (slash >= 0)
        rest.truncate(slash);
    const qsizetype colon = rest.lastIndexOf(QLatin1Char(':'));
    if (colon >= 0) {
        bool isPort = false;
        rest.mid(colon + 1).toInt(&isPort);
        if (isPort || colon + 1 == rest.size())
            rest.truncate(colon);
    }
    return rest.toLower();
}

QString mergeCookies(const QString& oldText, const QString& newText)
{
    QStringList entries;
    for (const QString& entry : oldText.split(QLatin1Char(';'))) {
        const QString trimmed = entry.trimmed();
        if (!trimmed.isEmpty())
            entries.append(trimmed);
    }
    for (const QString& part : newText.split(QLatin1Char(';'))) {
        const QString trimmed = part.trimmed();
        const QString name = cookieName(trimmed);
        if (name.isEmpty())
            continue;
        // Names are compared whole: "a=" must not match the end of "xa=".
        bool replaced = false;
        for (QString& entry : entries) {
            if (cookieName(entry) == name) {
                entry = trimmed;
                replaced = true;
                break;
            }
        }
        if (!replaced)
            entries.append(trimmed);
    }
    QStringList kept;
    for (const QString& entry : std::as_const(entries)) {
        if (entry.endsWith(QLatin1Char('=')) || entry.endsWith(QLatin1String("=deleted")))
            continue;
        kept.append(entry);
    }
    return kept.join(QLatin1String("; ")).trimmed();
}

QString boundCookies(const QString& cookies)
{
    QStringList kept;
    for (const QString& entry : cookies.split(QLatin1Char(';'))) {
        const QString trimmed = entry.trimmed();
        if (!trimmed.isEmpty() && trimmed.toUtf8().size() <= kMaxCookieBytes)
            kept.append(trimmed);
    }
    // The oldest go first: a merge appends new names at the end.
    if (kept.size() > kMaxCookiesPerHost)
        kept.remove(0, kept.size() - kMaxCookiesPerHost);
    return kept.join(QLatin1String("; "));
}

QString cookieHeaderText(const QString& cookies)
{
    QStringList entries = boundCookies(cookies).split(QLatin1String("; "), Qt::SkipEmptyParts);
    qsizetype size = 0;
    qsizetype first = entries.size();
    while (first > 0) {
        const qsizetype added = entries[first - 1].toUtf8().size() + (first == entries.size() ? 0 : 2);
        if (size + added > kMaxCookieHeaderBytes)
            break;
        size += added;
        --first;
    }
    return QStringList(entries.mid(first)).join(QLatin1String("; "));
}

QString cookieStorePath()
{
    return fileLocations().cookieStore;
}

QString storedCookies(const QString& host)
{
    if (host.isEmpty())
        return {};
    const QMutexLocker locker(&cookieStoreMutex());
    for (const auto& [storedHost, cookies] : readCookieStore(cookieStorePath())) {
        if (storedHost == host)
            return cookies;
    }
    return {};
}

bool storeCookies(const QString& host, const QString& cookies, QString* error)
{
    if (host.isEmpty() || host.contains(QLatin1Char('\t')) || host.contains(QLatin1Char('\n'))) {
        if (error)
            *error = QStringLiteral("no cookies are kept for the host \"%1\"").arg(host);
        return false;
    }
    const QMutexLocker locker(&cookieStoreMutex());
    const QString path = cookieStorePath();
    std::vector<std::pair<QString, QString>> entries = readCookieStore(path);
    bool found = false;
    for (auto& [storedHost, stored] : entries) {
        if (storedHost == host) {
            stored = cookies;
            found = true;
        }
    }
    if (!found)
        entries.emplace_back(host, cookies);
    QDir().mkpath(QFileInfo(path).absolutePath());
    const auto fileContent = [&entries] {
        QByteArray content;
        for (const auto& [storedHost, stored] : entries) {
            if (stored.isEmpty())
                continue;
            QString clean = boundCookies(stored);
            clean.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
            content += storedHost.toUtf8() + '\t' + clean.toUtf8() + '\n';
        }
        return content;
    };
    // The file stays within its bound: the other hosts' cookies go first, oldest host first, then
    // this host's oldest cookies.
    QByteArray content = fileContent();
    while (content.size() > kMaxCookieFileBytes) {
        const auto other =
            std::find_if(entries.begin(), entries.end(), [&host](const auto& entry) { return entry.first != host; });
        if (other != entries.end()) {
            entries.erase(other);
        } else {
            QString& own = entries.front().second;
            const qsizetype separator = own.indexOf(QLatin1Char(';'));
            own = separator < 0 ? QString() : own.mid(separator + 1).trimmed();
        }
        content = fileContent();
    }
    QString reason;
    if (!replaceFile(path, content, &reason)) {
        qCWarning(lcFeed) << "the cookies of" << host << "were not kept:" << reason;
        cookieStoreProblemText() = reason;
        if (error)
            *error = reason;
        return false;
    }
    cookieStoreProblemText().clear();
    return true;
}

QString cookieStoreProblem()
{
    const QMutexLocker locker(&cookieStoreMutex());
    return cookieStoreProblemText();
}

void clearCookieStoreProblem()
{
    const QMutexLocker locker(&cookieStoreMutex());
    cookieStoreProblemText().clear();
}

HttpResponse httpRequest(const HttpRequest& request)
{
    HttpResponse response;
    const QUrl url(request.url, QUrl::TolerantMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        response.failure = FetchFailure::BadUrl;
        return response;
    }

    QString method = upperAscii(request.method);
    if (method.isEmpty())
        method = QStringLiteral("GET");

    QNetworkRequest networkRequest(url);
    // Cookies are ours to handle: Qt's own jar neither adds nor keeps any.
    networkRequest.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    networkRequest.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    int timeoutMs = kDefaultTimeoutMs;
    if (request.timeoutSeconds == -1)
        timeoutMs = kNetworkDefaultTimeoutMs;
    else if (request.timeoutSeconds >= 1)
        timeoutMs = request.timeoutSeconds * 1000;
    networkRequest.setTransferTimeout(timeoutMs);

    for (const auto& [name, value] :
         requestHeaderPairs(request.headers.isEmpty() ? defaultHeaderBlock(request.url) : request.headers))
        networkRequest.setRawHeader(name, value);

    // Without this Qt would ask for gzip on its own; the body is taken as the server sends it.
    if (!networkRequest.hasRawHeader("Accept-Encoding"))
        networkRequest.setRawHeader("Accept-Encoding", "identity");

    const QString host = urlHost(request.url);
    const QString sentCookies = boundCookies(mergeCookies(storedCookies(host), request.cookies));
    if (const QString header = cookieHeaderText(sentCookies); !header.isEmpty())
        networkRequest.setRawHeader("Cookie", header.toUtf8());

    QNetworkAccessManager manager;
    QNetworkReply* reply = manager.sendCustomRequest(networkRequest, method.toUtf8(), request.body);
    QByteArray body;
    bool overCap = false;
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::metaDataChanged, &loop, [&] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > kMaxBodyBytes) {
            overCap = true;
            reply->abort();
        }
    });
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
        if (overCap)
            return;
        body += reply->readAll();
        if (body.size() > kMaxBodyBytes) {
            overCap = true;
            body.clear();
            reply->abort();
        }
    });
    // Certificate checks stay on: the errors are only noted for the reason, never ignored.
    QList<QSslError> sslErrors;
    QObject::connect(reply, &QNetworkReply::sslErrors, &loop,
                     [&sslErrors](const QList<QSslError>& errors) { sslErrors = errors; });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    // The transfer timeout only notices silence; a server that drips a byte now and then is cut
    // off by this one, which counts from the start of the exchange.
    bool timedOut = false;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        reply->abort();
    });
    deadline.start(timeoutMs);
    // A cancelled request ends at the next look at its flag, not at its timeout.
    bool cancelled = false;
    QTimer watch;
    if (request.cancel) {
        QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
            if (request.cancel->load()) {
                cancelled = true;
                reply->abort();
            }
        });
        watch.start(kCancelPollMs);
    }
    if (!reply->isFinished() && !(request.cancel && request.cancel->load()))
        loop.exec();
    if (request.cancel && request.cancel->load() && !reply->isFinished()) {
        cancelled = true;
        reply->abort();
    }
    watch.stop();
    deadline.stop();
    if (!overCap && reply->isOpen()) {
        body += reply->readAll();
        overCap = body.size() > kMaxBodyBytes;
    }

    response.completed =
        !overCap && !timedOut && !cancelled && (reply->error() == QNetworkReply::NoError || isHttpStatusError(reply));
    if (response.completed)
        response.body = body;
    else if (cancelled)
        response.failure = FetchFailure::Cancelled;
    else if (overCap)
        response.failure = FetchFailure::TooBig;
    else if (timedOut)
        response.failure = FetchFailure::Timeout;
    else if (!sslErrors.isEmpty())
        response.failure = certificateFailure(sslErrors);
    else
        response.failure = transportFailure(reply->error());
    response.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (response.completed) {
        qCDebug(lcFeed) << method << url.toDisplayString() << "answered" << response.status << body.size() << "bytes";
    } else {
        qCInfo(lcFeed) << method << url.toDisplayString() << "failed:" << fetchFailureText(response.failure)
                       << reply->errorString();
        for (const QSslError& error : std::as_const(sslErrors))
            qCInfo(lcFeed) << "  certificate:" << error.errorString();
    }

    QStringList headerLines;
    for (const auto& [name, value] : reply->rawHeaderPairs()) {
        // Qt joins repeated Set-Cookie headers with a line feed; they are separate lines here.
        for (const QByteArray& single : value.split('\n'))
            headerLines.append(QString::fromLatin1(name) + QStringLiteral(": ") + QString::fromLatin1(single));
    }
    response.headers = headerLines.join(QLatin1String("\r\n"));

    const ReceivedHeaders received = readResponseHeaders(headerLines);
    response.location = received.location;
    response.cookies = boundCookies(mergeCookies(sentCookies, received.cookies));
    if (response.cookies != storedCookies(host))
        storeCookies(host, response.cookies);

    reply->deleteLater();
    return response;
}

QString fetchFailureText(FetchFailure failure, int status)
{
    switch (failure) {
    case FetchFailure::None:
        return {};
    case FetchFailure::BadUrl:
        return QStringLiteral("地址无效");
    case FetchFailure::Refused:
        return QStringLiteral("连接被拒绝");
    case FetchFailure::NameNotFound:
        return QStringLiteral("找不到服务器");
    case FetchFailure::Timeout:
        return QStringLiteral("连接超时");
    case FetchFailure::TooBig:
        return QStringLiteral("数据过大");
    case FetchFailure::Network:
        return QStringLiteral("网络错误");
    case FetchFailure::HttpStatus:
        return QStringLiteral("服务器返回错误 %1").arg(status);
    case FetchFailure::CertificateUntrusted:
        return QStringLiteral("证书不受信任");
    case FetchFailure::CertificateWrongHost:
        return QStringLiteral("证书与服务器名称不符");
    case FetchFailure::CertificateExpired:
        return QStringLiteral("证书已过期或尚未生效");
    case FetchFailure::CertificateInvalid:
        return QStringLiteral("证书无效");
    case FetchFailure::AskedToWait:
        return QStringLiteral("服务要求等待");
    case FetchFailure::TooFewRecords:
        return QStringLiteral("开奖数据不足");
    case FetchFailure::Cancelled:
        return QStringLiteral("已取消");
    }
    return {};
}

HttpResponse fetchResponse(const QString& url, int timeoutSeconds)
{
    HttpRequest request;
    request.url = url;
    request.timeoutSeconds = timeoutSeconds;
    HttpResponse response = httpRequest(request);
    const qsizetype zero = response.body.indexOf('\0');
    if (zero >= 0)
        response.body.truncate(zero);
    return response;
}

QByteArray fetchText(const QString& url, int timeoutSeconds)
{
    return fetchResponse(url, timeoutSeconds).body;
}

QThreadPool* fetchThreadPool()
{
    // Never destroyed: its idle threads end on their own, and the pool must outlive every fetch.
    static QThreadPool* const pool = [] {
        auto* created = new QThreadPool;
        created->setMaxThreadCount(4);
        return created;
    }();
    return pool;
}

QFuture<QByteArray> fetchTextAsync(const QString& url)
{
    return QtConcurrent::run(fetchThreadPool(), [url] { return fetchText(url); });
}

} // namespace tandor28
