#include "sources.h"

#include "feedparser.h"
#include "http.h"
#include "keno/kenoformats.h"
#include "kenofetch.h"

#include <QFileInfo>
#include <QSettings>
#include <QThread>
#include <QtConcurrent/QtConcurrentRun>

#include <chrono>
#include <memory>

namespace tandor28 {

namespace {

// One refresh asks a Keno JSON source for as many draws as the history holds, plus a margin for
// records it rejects.
constexpr int kKenoPageCount = kHistoryLength + 10;

// The body of one source; for the Keno sources with the manners the results service is owed, and
// the reason when they sent nothing (or were not asked, because they asked to wait).
KenoAnswer fetchBody(const DrawSource& source)
{
    switch (source.format) {
    case SourceFormat::Feed:
        return KenoAnswer{fetchText(source.url), {}, false, false, 0};
    case SourceFormat::KenoJson:
        return KenoManners::instance().fetchPage(kenoPageUrl(source.url, kKenoPageCount, 0));
    case SourceFormat::KenoCsv:
        return KenoManners::instance().fetchYearZip(source.url);
    }
    return {};
}

} // namespace

QString sourceFormatName(SourceFormat format)
{
    switch (format) {
    case SourceFormat::Feed:
        return QStringLiteral("feed");
    case SourceFormat::KenoJson:
        return QStringLiteral("keno-json");
    case SourceFormat::KenoCsv:
        return QStringLiteral("keno-csv");
    }
    return {};
}

std::optional<SourceFormat> sourceFormatFromName(QStringView name)
{
    for (const SourceFormat format : {SourceFormat::Feed, SourceFormat::KenoJson, SourceFormat::KenoCsv}) {
        if (name.compare(sourceFormatName(format), Qt::CaseInsensitive) == 0)
            return format;
    }
    return std::nullopt;
}

std::optional<DrawSource> parseDrawSource(const QString& text, QString* why)
{
    const auto reject = [why](const QString& reason) -> std::optional<DrawSource> {
        if (why)
            *why = reason;
        return std::nullopt;
    };
    const QStringList words = text.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty())
        return reject(QStringLiteral("empty entry"));
    DrawSource source;
    bool formatGiven = false;
    bool schemeGiven = false;
    for (qsizetype i = 0; i + 1 < words.size(); ++i) {
        const QString& word = words[i];
        if (word.startsWith(QLatin1String("scheme="), Qt::CaseInsensitive)) {
            const std::optional<KenoScheme> scheme = kenoSchemeFromName(QStringView(word).mid(7));
            if (!scheme || schemeGiven)
                return reject(QStringLiteral("\"%1\": the scheme is interleave or block, given once").arg(word));
            source.scheme = *scheme;
            schemeGiven = true;
            continue;
        }
        const std::optional<SourceFormat> format = sourceFormatFromName(word);
        if (!format || formatGiven)
            return reject(QStringLiteral("\"%1\": the format is feed, keno-json or keno-csv, given once").arg(word));
        source.format = *format;
        formatGiven = true;
    }
    source.url = words.last();
    if (!source.url.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) &&
        !source.url.startsWith(QLatin1String("https://"), Qt::CaseInsensitive))
        return reject(QStringLiteral("\"%1\" is no http or https URL").arg(source.url));
    if (schemeGiven && source.format == SourceFormat::Feed)
        return reject(QStringLiteral("a scheme is only for keno-json and keno-csv sources"));
    return source;
}

QString describeSource(const DrawSource& source)
{
    QString text = sourceFormatName(source.format) + QLatin1Char(' ');
    if (source.format != SourceFormat::Feed && source.scheme != KenoScheme::Interleave)
        text += QStringLiteral("scheme=") + kenoSchemeName(source.scheme) + QLatin1Char(' ');
    return text + source.url;
}

QString sourcesKey(LotteryKind kind)
{
    return kind == LotteryKind::Lucky28 ? QStringLiteral("lucky28") : QStringLiteral("canada28");
}

SourceList loadSources(const QString& iniPath, LotteryKind kind, const QString& feedUrl)
{
    SourceList list;
    if (QFileInfo(iniPath).isFile()) {
        const QSettings settings(iniPath, QSettings::IniFormat);
        // Unquoted commas make QSettings split the value into a list already; a quoted value is split here.
        QStringList entries;
        for (const QString& part : settings.value(QStringLiteral("sources/") + sourcesKey(kind)).toStringList())
            entries += part.split(QLatin1Char(','), Qt::SkipEmptyParts);
        for (const QString& entry : entries) {
            if (entry.trimmed().isEmpty())
                continue;
            QString why;
            if (const std::optional<DrawSource> source = parseDrawSource(entry, &why))
                list.sources.push_back(*source);
            else
                list.problems << why;
        }
    }
    if (list.sources.empty() && !feedUrl.trimmed().isEmpty())
        list.sources.push_back(DrawSource{SourceFormat::Feed, feedUrl, KenoScheme::Interleave});
    return list;
}

QString noSourceText(LotteryKind kind, const QString& settingsFile)
{
    const QString name = kind == LotteryKind::Lucky28 ? QStringLiteral("幸运28") : QStringLiteral("加拿大28");
    return name + QStringLiteral("未配置开奖源：在 ") + settingsFile + QStringLiteral(" 的 [sources] 中写 ") +
           sourcesKey(kind) + QStringLiteral(" = feed|keno-json|keno-csv 网址");
}

QString kenoPageUrl(const QString& base, int count, int offset)
{
    QString url = base;
    while (url.endsWith(QLatin1Char('/')))
        url.chop(1);
    return url + QLatin1Char('/') + QString::number(count) + QLatin1Char('/') + QString::number(offset);
}

SourceRead readSourceBody(const DrawSource& source, LotteryKind kind, const QByteArray& body, int periodCount)
{
    SourceRead read;
    if (source.format == SourceFormat::Feed) {
        // The history comes from the feed exactly as described; the dated records only feed the archive.
        read.history = parseDrawFeed(kind, body, periodCount);
        read.draws = parseDatedRecords(kind, body);
        if (!read.history)
            read.problem = body.isEmpty() ? QStringLiteral("no answer") : QStringLiteral("fewer than five records");
        return read;
    }
    KenoRead keno = source.format == SourceFormat::KenoJson ? parseKenoJson(body, source.scheme)
                                                            : parseKenoCsvBody(body, source.scheme);
    read.draws = std::move(keno.draws);
    read.history = historyFromDated(read.draws, periodCount);
    if (!read.history)
        read.problem = body.isEmpty()           ? QStringLiteral("no answer")
                       : keno.problem.isEmpty() ? QStringLiteral("fewer than five records")
                                                : keno.problem;
    return read;
}

SourceFetch fetchFromSources(LotteryKind kind, const std::vector<DrawSource>& sources, qint64 shownNewest,
                             int periodCount)
{
    SourceFetch fetch;
    for (std::size_t i = 0; i < sources.size(); ++i) {
        const DrawSource& source = sources[i];
        const KenoAnswer answer = fetchBody(source);
        if (answer.body.isEmpty() && !answer.problem.isEmpty()) {
            fetch.failures << describeSource(source) + QStringLiteral(": ") + answer.problem;
            fetch.askedToWait = fetch.askedToWait || answer.waiting;
            continue;
        }
        SourceRead read = readSourceBody(source, kind, answer.body, periodCount);
        if (read.history) {
            bool numeric = false;
            const qint64 newest = read.history->at(1).issue.toLongLong(&numeric);
            if (numeric && newest < shownNewest) {
                fetch.wentBack = true;
                fetch.failures << describeSource(source) + QStringLiteral(": went back in time to issue ") +
                                      QString::number(newest);
                continue;
            }
            fetch.history = std::move(read.history);
            fetch.draws = std::move(read.draws);
            fetch.answeredBy = describeSource(source);
            fetch.firstAnswered = i == 0;
            return fetch;
        }
        fetch.failures << describeSource(source) + QStringLiteral(": ") + read.problem;
    }
    return fetch;
}

QFuture<SourceFetch> fetchFromSourcesAsync(LotteryKind kind, std::vector<DrawSource> sources, qint64 shownNewest,
                                           int periodCount)
{
    return QtConcurrent::run(fetchThreadPool(), [kind, sources = std::move(sources), shownNewest, periodCount] {
        return fetchFromSources(kind, sources, shownNewest, periodCount);
    });
}

std::optional<DrawSource> pagingSource(const std::vector<DrawSource>& sources)
{
    for (const DrawSource& source : sources) {
        if (source.format == SourceFormat::KenoJson)
            return source;
    }
    return std::nullopt;
}

PageFetcher kenoJsonPager(const DrawSource& source, PagePacing pacing, CancelFlag cancel)
{
    if (!pacing.now)
        pacing.now = [] { return std::chrono::steady_clock::now(); };
    // The wait looks at the cancel flag every few milliseconds, so a closing window never sits it out.
    if (!pacing.sleep)
        pacing.sleep = [cancel](std::chrono::milliseconds pause) {
            const auto until = std::chrono::steady_clock::now() + pause;
            while (std::chrono::steady_clock::now() < until && !(cancel && cancel->load()))
                QThread::msleep(20);
        };
    // When the previous page ended, shared by the copies of the fetcher.
    auto lastEnded = std::make_shared<std::optional<std::chrono::steady_clock::time_point>>();
    return [source, pacing, lastEnded, cancel](int count, int offset) -> std::optional<std::vector<DatedDraw>> {
        if (*lastEnded) {
            const auto since = pacing.now() - **lastEnded;
            if (since < kPageSpacing)
                pacing.sleep(std::chrono::ceil<std::chrono::milliseconds>(kPageSpacing - since));
        }
        if (cancel && cancel->load())
            return std::nullopt;
        const KenoAnswer answer = KenoManners::instance().fetchPage(kenoPageUrl(source.url, count, offset), cancel);
        *lastEnded = pacing.now();
        if (answer.body.isEmpty())
            return std::nullopt;
        KenoRead read = parseKenoJson(answer.body, source.scheme);
        if (!read.readable)
            return std::nullopt;
        return std::move(read.draws);
    };
}

} // namespace tandor28
