#pragma once

#include "archive/backfill.h"
#include "feed/http.h"
#include "feed/kenofetch.h"
#include "keno/kenoscheme.h"
#include "model/dateddraw.h"
#include "model/draw.h"

#include <QFuture>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace tandor28 {

// What a source sends: the described feed of the lottery, Keno JSON pages, or the Keno yearly CSV
// (plain or zipped).
enum class SourceFormat
{
    Feed,
    KenoJson,
    KenoCsv,
};

// One source of draws. For Keno JSON the URL is the page base ".../keno/draw/latest", to which
// "/{count}/{offset}" is appended.
struct DrawSource
{
    SourceFormat format = SourceFormat::Feed;
    QString url;
    KenoScheme scheme = KenoScheme::Interleave;
    friend bool operator==(const DrawSource&, const DrawSource&) = default;
};

[[nodiscard]] QString sourceFormatName(SourceFormat format);
[[nodiscard]] std::optional<SourceFormat> sourceFormatFromName(QStringView name);

// One entry of the source list: "[FORMAT] [scheme=interleave|block] URL", words separated by blanks,
// FORMAT one of feed, keno-json, keno-csv (feed when left out). nullopt with the reason otherwise.
[[nodiscard]] std::optional<DrawSource> parseDrawSource(const QString& text, QString* why = nullptr);
// The entry text of a source, as the status bar and the archive name it.
[[nodiscard]] QString describeSource(const DrawSource& source);

// The ini key of a lottery in [sources]: lucky28, canada28.
[[nodiscard]] QString sourcesKey(LotteryKind kind);

struct SourceList
{
    std::vector<DrawSource> sources;
    QStringList problems; // entries that could not be read, with the reason
};

// The sources of a lottery from the [sources] group of tandor28.ini, tried in their order. Without
// such a key (or when no entry can be read) the list is the one described feed at `feedUrl`, or
// empty when `feedUrl` is empty too (no notice server gave one): the lottery has no source.
[[nodiscard]] SourceList loadSources(const QString& iniPath, LotteryKind kind, const QString& feedUrl);

// The one line the window shows for a lottery without any source, naming the file to add one to.
[[nodiscard]] QString noSourceText(LotteryKind kind, const QString& settingsFile);

// ".../latest" + "/count/offset".
[[nodiscard]] QString kenoPageUrl(const QString& base, int count, int offset);

// The draws a source's body holds, newest first as the history wants them; `why` says why there
// are none. A feed body is read exactly as the refresh reads it (up to its first zero byte).
struct SourceRead
{
    std::optional<DrawHistory> history; // nullopt when fewer than five records came
    std::vector<DatedDraw> draws;       // the records with dates, for the archive
    QString problem;
};
[[nodiscard]] SourceRead readSourceBody(const DrawSource& source, LotteryKind kind, const QByteArray& body,
                                        int periodCount = kPeriodCount);

// The outcome of a refresh's fetch along the source list.
struct SourceFetch
{
    std::optional<DrawHistory> history; // nullopt when no source gave five records
    std::vector<DatedDraw> draws;       // the answering source's records, for the archive
    QString answeredBy;                 // describeSource of the source that answered
    bool firstAnswered = false;         // the first source of the list answered
    QStringList failures;               // "source: reason" for each source that failed
    bool wentBack = false;              // a source's newest issue was older than the one shown
    bool askedToWait = false;           // a source was not asked: it had asked to wait (429, 503)
};

// Tries the sources in order until one gives at least five records. Keno sources are asked as
// KenoManners says: one small JSON page a refresh, the yearly zip at most hourly, none while it
// asked to wait. A source whose newest issue is
// older than `shownNewest` (the newest issue shown for this lottery; 0 for none) counts as failed:
// it went back in time. Every refresh starts again with the first source. Blocking.
[[nodiscard]] SourceFetch fetchFromSources(LotteryKind kind, const std::vector<DrawSource>& sources, qint64 shownNewest,
                                           int periodCount = kPeriodCount);
[[nodiscard]] QFuture<SourceFetch> fetchFromSourcesAsync(LotteryKind kind, std::vector<DrawSource> sources,
                                                         qint64 shownNewest, int periodCount = kPeriodCount);

// The first source of the list that can page back in time (Keno JSON), for filling gaps.
[[nodiscard]] std::optional<DrawSource> pagingSource(const std::vector<DrawSource>& sources);
// Fetches pages of a Keno JSON source, each page at least kPageSpacing after the end of the one
// before. Blocking; when `cancel` turns true the wait between pages and the page under way end at once.
[[nodiscard]] PageFetcher kenoJsonPager(const DrawSource& source, PagePacing pacing = {}, CancelFlag cancel = {});

} // namespace tandor28
