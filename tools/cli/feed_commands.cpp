// history, notice, countdown, and the FEED argument shared by every command that reads a feed.
#include "commands.h"

#include "feed/countdown.h"
#include "feed/endpoints.h"
#include "feed/feedfetch.h"
#include "feed/feedparser.h"
#include "feed/http.h"
#include "feed/notice.h"
#include "model/classification.h"

#include <QDateTime>
#include <QFile>

namespace tandor28::cli {

namespace {

// A saved body, read like a fetched one: at most the client's cap (more counts as nothing) and up
// to the first zero byte.
std::optional<QByteArray> readBodyFile(const QString& path, Io& io)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        io.err << "cannot read " << path << ": " << file.errorString() << '\n';
        return std::nullopt;
    }
    QByteArray body = file.read(kMaxBodyBytes + 1);
    if (body.size() > kMaxBodyBytes)
        return QByteArray();
    const qsizetype zero = body.indexOf('\0');
    if (zero >= 0)
        body.truncate(zero);
    return body;
}

// The body named by --url or --file (exactly one of them); nullopt after a message when neither
// or both are given or the file cannot be read.
std::optional<QByteArray> bodyArg(const Args& args, Io& io)
{
    if (!oneSourceArg(args, io))
        return std::nullopt;
    if (args.has(QStringLiteral("url")))
        return fetchText(args.value(QStringLiteral("url")));
    return readBodyFile(args.value(QStringLiteral("file")), io);
}

QString escapeLineBreaks(QString text)
{
    return text.replace(QLatin1Char('\r'), QLatin1String("\\r")).replace(QLatin1Char('\n'), QLatin1String("\\n"));
}

} // namespace

QString fetchFailureWords(FetchFailure failure, int status)
{
    switch (failure) {
    case FetchFailure::None:
        return {};
    case FetchFailure::BadUrl:
        return QStringLiteral("not an http:// or https:// URL");
    case FetchFailure::Refused:
        return QStringLiteral("connection refused");
    case FetchFailure::NameNotFound:
        return QStringLiteral("host not found");
    case FetchFailure::Timeout:
        return QStringLiteral("timed out");
    case FetchFailure::TooBig:
        return QStringLiteral("body too large");
    case FetchFailure::Network:
        return QStringLiteral("network error");
    case FetchFailure::HttpStatus:
        return QStringLiteral("HTTP status %1").arg(status);
    case FetchFailure::CertificateUntrusted:
        return QStringLiteral("certificate not trusted");
    case FetchFailure::CertificateWrongHost:
        return QStringLiteral("certificate for another host");
    case FetchFailure::CertificateExpired:
        return QStringLiteral("certificate expired or not yet valid");
    case FetchFailure::CertificateInvalid:
        return QStringLiteral("certificate invalid");
    case FetchFailure::AskedToWait:
        return QStringLiteral("the source asked to wait");
    case FetchFailure::Cancelled:
        return QStringLiteral("cancelled");
    case FetchFailure::TooFewRecords:
        return QStringLiteral("fewer than %1 records").arg(kMinimumRecords);
    }
    return {};
}

bool oneSourceArg(const Args& args, Io& io)
{
    if (args.has(QStringLiteral("url")) != args.has(QStringLiteral("file")))
        return true;
    io.err << "give either --url URL or --file PATH\n";
    return false;
}

std::optional<DrawHistory> loadFeedArg(const Args& args, Io& io, int& exitCode)
{
    const LotteryKind kind = lotteryArg(args).value(); // the command's table has checked it
    if (args.has(QStringLiteral("url")) && !args.has(QStringLiteral("file"))) {
        // A fetched feed says why it gave nothing: the fetch's reason, as the window shows it.
        FeedFetchResult fetched = readDrawFeed(kind, fetchResponse(args.value(QStringLiteral("url"))));
        if (!fetched.history && fetched.failure == FetchFailure::TooFewRecords) {
            io.err << "the feed holds fewer than " << kMinimumRecords << " records\n";
            exitCode = kExitNothing;
            return std::nullopt;
        }
        if (!fetched.history) {
            io.err << "the fetch failed: " << fetchFailureWords(fetched.failure, fetched.status) << '\n';
            exitCode = kExitNothing;
            return std::nullopt;
        }
        exitCode = kExitOk;
        return std::move(fetched.history);
    }
    const std::optional<QByteArray> body = bodyArg(args, io);
    if (!body) {
        exitCode = kExitBadArguments;
        return std::nullopt;
    }
    std::optional<DrawHistory> history = parseDrawFeed(kind, *body);
    if (!history) {
        io.err << "the feed holds fewer than " << kMinimumRecords << " records\n";
        exitCode = kExitNothing;
        return std::nullopt;
    }
    exitCode = kExitOk;
    return history;
}

const CommandForm& historyForm()
{
    static const CommandForm form{QStringLiteral("history"), {}, feedOptions(), {}};
    return form;
}

const CommandForm& noticeForm()
{
    static const CommandForm form{
        QStringLiteral("notice"),
        {},
        {{QStringLiteral("url"), QStringLiteral("URL"), false, {}, QStringLiteral("the notice document fetched")},
         {QStringLiteral("file"),
          QStringLiteral("PATH"),
          false,
          {},
          QStringLiteral("the notice document read from a file")}},
        {}};
    return form;
}

const CommandForm& countdownForm()
{
    static const CommandForm form{
        QStringLiteral("countdown"),
        {},
        {lotteryOption(),
         {QStringLiteral("newest"), QStringLiteral("HH:MM[:SS]"), true,
          [](const std::optional<QString>& value, const Args&) {
              if (!value)
                  return QStringLiteral("--newest HH:MM is missing");
              // A time of day: 25:00 or 12:60 is no draw time.
              const bool valid = QTime::fromString(*value, QStringLiteral("HH:mm")).isValid() ||
                                 QTime::fromString(*value, QStringLiteral("HH:mm:ss")).isValid();
              return valid ? QString() : QStringLiteral("--newest must be a time of day HH:MM or HH:MM:SS");
          },
          QStringLiteral("the time of the newest draw")},
         {QStringLiteral("now"), QStringLiteral("HH:MM:SS"), true,
          [](const std::optional<QString>& value, const Args&) {
              return QTime::fromString(value.value_or(QString()), QStringLiteral("HH:mm:ss")).isValid()
                         ? QString()
                         : QStringLiteral("--now must be HH:MM:SS");
          },
          QStringLiteral("the clock, today")}},
        {}};
    return form;
}

int cmdHistory(const QStringList& words, Io& io)
{
    const std::optional<Args> parsed = commandArgs(words, historyForm(), io);
    if (!parsed)
        return kExitBadArguments;
    const Args& args = *parsed;
    int exitCode = kExitOk;
    const std::optional<DrawHistory> history = loadFeedArg(args, io, exitCode);
    if (!history)
        return exitCode;
    for (int position = 1; position <= history->size(); ++position) {
        const Draw& draw = history->at(position);
        // A position without a draw is shown blank, as the window shows it.
        if (draw.isEmpty()) {
            io.out << position << QString(14, u'\t') << '\n';
            continue;
        }
        io.out << position << '\t' << draw.issue << '\t' << draw.time << '\t' << draw.d1 << '\t' << draw.d2 << '\t'
               << draw.d3 << '\t' << draw.sum << '\t' << draw.resultText << '\t' << sizeLabel(draw.sum) << '\t'
               << parityLabel(draw.sum) << '\t' << comboLabel(draw.sum) << '\t' << middleEdgeLabel(draw.sum) << '\t'
               << sumMod(draw.sum, 3) << '\t' << sumMod(draw.sum, 4) << '\t' << sumMod(draw.sum, 5) << '\n';
    }
    return kExitOk;
}

int cmdNotice(const QStringList& words, Io& io)
{
    const std::optional<Args> parsed = commandArgs(words, noticeForm(), io);
    if (!parsed)
        return kExitBadArguments;
    const Args& args = *parsed;
    const std::optional<QByteArray> body = bodyArg(args, io);
    if (!body)
        return kExitBadArguments;
    if (body->isEmpty()) {
        io.err << "the notice document is empty\n";
        return kExitNothing;
    }
    const ServerNotice notice = parseServerNotice(*body);
    for (const QString& value :
         {notice.latestVersion, notice.announcement, notice.updateText, notice.luckyFeedEndpoint})
        io.out << escapeLineBreaks(value) << '\n';
    return kExitOk;
}

int cmdCountdown(const QStringList& words, Io& io)
{
    const std::optional<Args> parsed = commandArgs(words, countdownForm(), io);
    if (!parsed)
        return kExitBadArguments;
    const Args& args = *parsed;
    const LotteryKind kind = lotteryArg(args).value();
    const QTime nowTime = QTime::fromString(args.value(QStringLiteral("now")), QStringLiteral("HH:mm:ss"));
    const QDateTime now(QDate::currentDate(), nowTime);
    // The first Lucky 28 draw of a day comes from the program's settings, as the window reads it.
    const int countdown =
        computeCountdown(kind, args.value(QStringLiteral("newest")), now, loadCountdownSchedule(endpointsIniPath()));
    io.out << countdown << '\t' << countdownLabelText(countdown) << '\n';
    return kExitOk;
}

} // namespace tandor28::cli
