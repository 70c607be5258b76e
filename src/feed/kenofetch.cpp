#include "kenofetch.h"

#include "http.h"
#include "notice.h"

#include "paths/filelocations.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QMutexLocker>
#include <QSaveFile>
#include <QStringList>
#include <QTimeZone>

namespace tandor28 {

namespace {

// The value of the first response header line named `name` (any letter case), or the empty text.
QString headerValue(const QString& headers, QLatin1String name)
{
    for (const QString& line : headers.split(QStringLiteral("\r\n"))) {
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon > 0 && QStringView(line).left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(colon + 1).trimmed();
    }
    return {};
}

// "Wed, 21 Oct 2026 07:28:00 GMT" (the day's name optional), as HTTP writes dates.
QDateTime httpDate(const QString& text)
{
    QString rest = text.simplified();
    if (const qsizetype comma = rest.indexOf(QLatin1Char(',')); comma >= 0)
        rest = rest.mid(comma + 1).trimmed();
    const QStringList words = rest.split(QLatin1Char(' '));
    if (words.size() < 4)
        return {};
    QDateTime moment =
        QLocale::c().toDateTime(words.mid(0, 4).join(QLatin1Char(' ')), QStringLiteral("d MMM yyyy HH:mm:ss"));
    if (!moment.isValid())
        return {};
    moment.setTimeZone(QTimeZone::utc());
    return moment;
}

} // namespace

QString kenoRequestHeaders()
{
    return QStringLiteral("Accept: */*\r\nUser-Agent: tandor28/") + QLatin1String(kCurrentVersion);
}

std::optional<qint64> retryAfterSeconds(const QString& responseHeaders, const QDateTime& now)
{
    const QString value = headerValue(responseHeaders, QLatin1String("Retry-After"));
    if (value.isEmpty())
        return std::nullopt;
    bool number = false;
    const qint64 seconds = value.toLongLong(&number);
    if (number)
        return seconds >= 0 ? std::optional<qint64>(std::min(seconds, kMaxRetryAfterSeconds)) : std::nullopt;
    const QDateTime until = httpDate(value);
    if (!until.isValid())
        return std::nullopt;
    return std::clamp<qint64>(now.secsTo(until), 0, kMaxRetryAfterSeconds);
}

qint64 backoffSeconds(int failures)
{
    qint64 seconds = 30;
    for (int i = 1; i < failures && seconds < kMaxBackoffSeconds; ++i)
        seconds *= 2;
    return std::min(seconds, kMaxBackoffSeconds);
}

QString askedToWaitText(qint64 seconds, int status)
{
    return QStringLiteral("服务要求等待，%1秒后再试").arg(seconds) +
           (status > 0 ? QStringLiteral("（HTTP %1）").arg(status) : QString());
}

KenoManners& KenoManners::instance()
{
    static KenoManners manners;
    return manners;
}

void KenoManners::setCacheFolder(const QString& folder)
{
    const QMutexLocker lock(&m_mutex);
    m_cacheFolder = folder;
    for (auto& [url, state] : m_states)
        state.loaded = false;
}

QString KenoManners::cacheFolder() const
{
    const QMutexLocker lock(&m_mutex);
    return m_cacheFolder.isEmpty() ? fileLocations().dataDir : m_cacheFolder;
}

void KenoManners::setClock(std::function<QDateTime()> clock)
{
    const QMutexLocker lock(&m_mutex);
    m_clock = std::move(clock);
}

void KenoManners::forget()
{
    const QMutexLocker lock(&m_mutex);
    m_states.clear();
}

QDateTime KenoManners::now() const
{
    return m_clock ? m_clock() : QDateTime::currentDateTimeUtc();
}

QString KenoManners::cachePath(const QString& url, const char* suffix) const
{
    const QString folder = m_cacheFolder.isEmpty() ? fileLocations().dataDir : m_cacheFolder;
    const QByteArray hash = QCryptographicHash::hash(url.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QDir(folder).filePath(QStringLiteral("keno-") + QString::fromLatin1(hash) + QLatin1String(suffix));
}

void KenoManners::loadValidators(const QString& url, UrlState& state) const
{
    state.loaded = true;
    QFile file(cachePath(url, ".meta"));
    if (!file.open(QIODevice::ReadOnly))
        return;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const qsizetype tab = line.indexOf('\t');
        if (tab <= 0)
            continue;
        const QByteArray key = line.left(tab);
        const QString value = QString::fromUtf8(line.mid(tab + 1)).trimmed();
        if (key == "etag")
            state.etag = value;
        else if (key == "last-modified")
            state.lastModified = value;
        else if (key == "fetched")
            state.fetchedAt = QDateTime::fromString(value, Qt::ISODate);
    }
}

void KenoManners::saveCache(const QString& url, const UrlState& state, const QByteArray* body) const
{
    // A cache that cannot be written only costs a full download next time.
    const QString metaPath = cachePath(url, ".meta");
    if (!makeParentFolder(metaPath))
        return;
    if (body) {
        QSaveFile file(cachePath(url, ".body"));
        if (!file.open(QIODevice::WriteOnly) || file.write(*body) != body->size() || !file.commit())
            return;
    }
    QSaveFile meta(metaPath);
    if (!meta.open(QIODevice::WriteOnly))
        return;
    const QByteArray text = "url\t" + url.toUtf8() + "\netag\t" + state.etag.toUtf8() + "\nlast-modified\t" +
                            state.lastModified.toUtf8() + "\nfetched\t" +
                            state.fetchedAt.toUTC().toString(Qt::ISODate).toUtf8() + "\n";
    if (meta.write(text) == text.size())
        (void)meta.commit();
}

KenoAnswer KenoManners::fetchPage(const QString& url, CancelFlag cancel)
{
    return get(url, false, std::move(cancel));
}

KenoAnswer KenoManners::fetchYearZip(const QString& url)
{
    return get(url, true);
}

KenoAnswer KenoManners::get(const QString& url, bool yearly, CancelFlag cancel)
{
    KenoAnswer answer;
    HttpRequest request;
    request.url = url;
    request.cancel = std::move(cancel);
    request.headers = kenoRequestHeaders();
    QByteArray cached;
    {
        const QMutexLocker lock(&m_mutex);
        UrlState& state = m_states[url];
        const QDateTime at = now();
        if (state.notBefore.isValid() && at < state.notBefore) {
            answer.waiting = true;
            answer.problem = askedToWaitText(at.secsTo(state.notBefore), 0);
            return answer;
        }
        if (yearly) {
            if (!state.loaded)
                loadValidators(url, state);
            QFile file(cachePath(url, ".body"));
            if (file.open(QIODevice::ReadOnly))
                cached = file.readAll();
            if (!cached.isEmpty() && state.fetchedAt.isValid() && state.fetchedAt.secsTo(at) >= 0 &&
                state.fetchedAt.secsTo(at) < kYearZipRefetchSeconds) {
                answer.body = cached;
                answer.fromCache = true;
                return answer;
            }
            if (!cached.isEmpty()) {
                if (!state.etag.isEmpty())
                    request.headers += QStringLiteral("\r\nIf-None-Match: ") + state.etag;
                if (!state.lastModified.isEmpty())
                    request.headers += QStringLiteral("\r\nIf-Modified-Since: ") + state.lastModified;
            }
        }
    }
    // The request itself runs unlocked: other sources are not held up by a slow one.
    const HttpResponse response = httpRequest(request);
    const QMutexLocker lock(&m_mutex);
    UrlState& state = m_states[url];
    const QDateTime at = now();
    answer.status = response.status;
    if (response.status == 429 || response.status == 503) {
        const std::optional<qint64> asked = retryAfterSeconds(response.headers, at);
        const qint64 wait = asked ? *asked : backoffSeconds(++state.refusals);
        state.notBefore = at.addSecs(wait);
        answer.waiting = true;
        answer.problem = askedToWaitText(wait, response.status);
        return answer;
    }
    state.refusals = 0;
    if (!response.completed || response.status >= 400) {
        answer.problem =
            fetchFailureText(response.completed ? FetchFailure::HttpStatus : response.failure, response.status);
        return answer;
    }
    if (!yearly) {
        answer.body = response.body;
        return answer;
    }
    if (response.status == 304) {
        state.fetchedAt = at;
        saveCache(url, state, nullptr);
        answer.body = cached;
        answer.fromCache = true;
        if (cached.isEmpty())
            answer.problem = QStringLiteral("304 without a kept body");
        return answer;
    }
    if (response.status == 200 && !response.body.isEmpty()) {
        state.etag = headerValue(response.headers, QLatin1String("ETag"));
        state.lastModified = headerValue(response.headers, QLatin1String("Last-Modified"));
        state.fetchedAt = at;
        saveCache(url, state, &response.body);
    }
    answer.body = response.body;
    return answer;
}

} // namespace tandor28
