// archive import / export / gaps / check, and derive: the draw archive and the Keno digit schemes.
#include "commands.h"

#include "archive/drawarchive.h"
#include "archive/kenoimport.h"
#include "feed/feedparser.h"
#include "feed/http.h"
#include "feed/issueplausibility.h"
#include "keno/kenoformats.h"
#include "keno/kenoscheme.h"
#include "model/classification.h"

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace tandor28::cli {

namespace {

// Opens the archive named by --db; nullptr after a message. A read-only archive is refused when
// the command writes.
std::unique_ptr<DrawArchive> openArchiveArg(const Args& args, Io& io, bool writes)
{
    const QString path = args.value(QStringLiteral("db"));
    ArchiveOpening opening = DrawArchive::open(path);
    if (!opening.archive || (writes && opening.archive->isReadOnly())) {
        io.err << path << ": " << opening.problem << '\n';
        return nullptr;
    }
    if (!opening.problem.isEmpty())
        io.err << path << ": " << opening.problem << '\n';
    return std::move(opening.archive);
}

// The whole body named by --url or --file, zero bytes included (a zipped CSV holds them).
std::optional<QByteArray> rawBodyArg(const Args& args, Io& io)
{
    if (!oneSourceArg(args, io))
        return std::nullopt;
    if (args.has(QStringLiteral("url"))) {
        HttpRequest request;
        request.url = args.value(QStringLiteral("url"));
        const HttpResponse response = httpRequest(request);
        return response.completed ? response.body : QByteArray();
    }
    QFile file(args.value(QStringLiteral("file")));
    if (!file.open(QIODevice::ReadOnly)) {
        io.err << "cannot read " << file.fileName() << ": " << file.errorString() << '\n';
        return std::nullopt;
    }
    return file.readAll();
}

// The Keno scheme of --scheme (checked by the table), interleave without it.
KenoScheme schemeArg(const Args& args)
{
    return kenoSchemeFromName(args.value(QStringLiteral("scheme"), QStringLiteral("interleave")))
        .value_or(KenoScheme::Interleave);
}

// A yearly Keno CSV, read a block at a time straight into one transaction of the archive.
int importKenoCsv(const Args& args, Io& io, DrawArchive& archive, LotteryKind kind, const QString& source)
{
    if (!oneSourceArg(args, io))
        return kExitBadArguments;
    const KenoScheme scheme = schemeArg(args);
    KenoImport import;
    if (args.has(QStringLiteral("url"))) {
        const std::optional<QByteArray> body = rawBodyArg(args, io);
        if (!body)
            return kExitBadArguments;
        import = importKenoCsvBody(archive, kind, *body, scheme, source);
    } else {
        import = importKenoCsvFile(archive, kind, args.value(QStringLiteral("file")), scheme, source);
    }
    if (!import.read.problem.isEmpty())
        io.err << import.read.problem << '\n';
    if (import.read.draws == 0) {
        io.err << "no draws to import\n";
        return kExitNothing;
    }
    if (!import.add.ok) {
        io.err << import.add.error << '\n';
        return kExitNothing;
    }
    if (import.read.rejected > 0)
        io.err << import.read.rejected << " records rejected\n";
    io.out << "added " << import.add.added << " known " << import.add.known << " conflicts " << import.add.conflicts
           << '\n';
    return kExitOk;
}

int archiveImport(const Args& args, Io& io)
{
    const LotteryKind kind = lotteryArg(args).value();
    const QString format = args.value(QStringLiteral("format"), QStringLiteral("feed"));
    const KenoScheme scheme = schemeArg(args);
    std::unique_ptr<DrawArchive> archive = openArchiveArg(args, io, true);
    if (!archive)
        return kExitBadArguments;
    const QString source =
        format + QLatin1Char(' ') + args.value(QStringLiteral("url"), args.value(QStringLiteral("file")));
    if (format == QLatin1String("keno-csv"))
        return importKenoCsv(args, io, *archive, kind, source);
    const std::optional<QByteArray> body = rawBodyArg(args, io);
    if (!body)
        return kExitBadArguments;
    std::vector<DatedDraw> draws;
    int rejected = 0;
    if (format == QLatin1String("feed")) {
        // Read like the window reads a fetched feed: up to the first zero byte.
        draws = parseDatedRecords(kind, body->left(body->indexOf('\0') < 0 ? body->size() : body->indexOf('\0')));
    } else {
        KenoRead read = parseKenoJson(*body, scheme);
        if (!read.problem.isEmpty())
            io.err << read.problem << '\n';
        draws = std::move(read.draws);
        rejected = read.rejected;
    }
    // Issues that cannot be real never reach the archive; the rest of the batch does.
    const QStringList refused = refuseImplausibleDraws(kind, draws, QDateTime::currentDateTime());
    if (!refused.isEmpty())
        io.err << implausibleIssuesText(refused) << '\n';
    if (draws.empty()) {
        io.err << "no draws to import\n";
        return kExitNothing;
    }
    const ArchiveAdd add = archive->addDraws(kind, draws, source);
    if (!add.ok) {
        io.err << add.error << '\n';
        return kExitNothing;
    }
    if (rejected > 0 || add.skipped > 0)
        io.err << rejected + add.skipped << " records rejected\n";
    io.out << "added " << add.added << " known " << add.known << " conflicts " << add.conflicts << '\n';
    return kExitOk;
}

// The lottery and the archive a reading command works on; nullopt after saying what is wrong.
struct ArchiveTarget
{
    LotteryKind kind;
    std::unique_ptr<DrawArchive> archive;
};

std::optional<ArchiveTarget> readTargetArgs(const Args& args, Io& io)
{
    std::unique_ptr<DrawArchive> archive = openArchiveArg(args, io, false);
    if (!archive)
        return std::nullopt;
    return ArchiveTarget{lotteryArg(args).value(), std::move(archive)};
}

int archiveExport(const Args& args, Io& io)
{
    const std::optional<ArchiveTarget> target = readTargetArgs(args, io);
    if (!target)
        return kExitBadArguments;
    // Straight to the stream's device where it has one, so a million rows never sit in memory.
    io.out.flush();
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QIODevice& out = io.out.device() ? *io.out.device() : static_cast<QIODevice&>(buffer);
    QString why;
    if (!target->archive->exportCsv(target->kind, out, &why)) {
        io.err << why << '\n';
        return kExitNothing;
    }
    if (!io.out.device())
        io.out << QString::fromLatin1(buffer.data());
    return kExitOk;
}

int archiveGaps(const Args& args, Io& io)
{
    const std::optional<ArchiveTarget> target = readTargetArgs(args, io);
    if (!target)
        return kExitBadArguments;
    QString damage;
    const std::vector<IssueGap> gaps = target->archive->gaps(target->kind, 0, &damage);
    if (!damage.isEmpty()) {
        io.err << target->archive->path() << ": " << damage << '\n';
        return kExitNothing;
    }
    for (const IssueGap& gap : gaps)
        io.out << gap.first << '\t' << gap.last << '\t' << gap.count() << '\n';
    return kExitOk;
}

// SQLite's integrity check: its lines as they come, exit 0 only for the single line "ok".
int archiveCheck(const Args& args, Io& io)
{
    const QString path = args.value(QStringLiteral("db"));
    if (!QFileInfo::exists(path)) {
        io.err << "no such file: " << path << '\n';
        return kExitBadArguments;
    }
    QString why;
    const QStringList found = DrawArchive::integrityCheck(path, &why);
    if (found.isEmpty()) {
        io.err << path << ": " << why << '\n';
        return kExitNothing;
    }
    for (const QString& line : found)
        io.out << line << '\n';
    return found == QStringList{QStringLiteral("ok")} ? kExitOk : kExitNothing;
}

} // namespace

const std::vector<CommandForm>& archiveForms()
{
    static const std::vector<CommandForm> forms{
        {QStringLiteral("archive import"),
         {},
         joined({dbOption()},
                joined(feedOptions(), {{QStringLiteral("format"), QStringLiteral("feed|keno-json|keno-csv"), false,
                                        checks::oneOf({QStringLiteral("feed"), QStringLiteral("keno-json"),
                                                       QStringLiteral("keno-csv")},
                                                      QStringLiteral("--format must be feed, keno-json or keno-csv")),
                                        QStringLiteral("what the body is (feed without it)")},
                                       schemeOption()})),
         {}},
        {QStringLiteral("archive export"), {}, {dbOption(), lotteryOption()}, {}},
        {QStringLiteral("archive gaps"), {}, {dbOption(), lotteryOption()}, {}},
        {QStringLiteral("archive check"), {}, {dbOption()}, {}},
    };
    return forms;
}

const CommandForm& deriveForm()
{
    static const CommandForm form{QStringLiteral("derive"), QStringLiteral("N1 ... N20"), {schemeOption()}, {}};
    return form;
}

int cmdArchive(const QStringList& words, Io& io)
{
    const QString action = words.value(0);
    for (const CommandForm& form : archiveForms()) {
        if (form.words != QLatin1String("archive ") + action)
            continue;
        const std::optional<Args> args = commandArgs(words.mid(1), form, io);
        if (!args)
            return kExitBadArguments;
        if (action == QLatin1String("import"))
            return archiveImport(*args, io);
        if (action == QLatin1String("export"))
            return archiveExport(*args, io);
        if (action == QLatin1String("check"))
            return archiveCheck(*args, io);
        return archiveGaps(*args, io);
    }
    io.err << "archive needs import, export, gaps or check\n";
    return kExitBadArguments;
}

int cmdDerive(const QStringList& words, Io& io)
{
    const std::optional<Args> parsed = commandArgs(words, deriveForm(), io);
    if (!parsed)
        return kExitBadArguments;
    const KenoScheme scheme = schemeArg(*parsed);
    std::vector<int> sent;
    for (const QString& word : parsed->positional) {
        bool ok = false;
        const int n = word.toInt(&ok);
        if (!ok) {
            io.err << "not a number: " << word << '\n';
            return kExitBadArguments;
        }
        sent.push_back(n);
    }
    QString why;
    const std::optional<std::vector<int>> numbers = kenoNumbers(sent, &why);
    if (!numbers) {
        io.err << why << '\n';
        return kExitBadArguments;
    }
    const std::array<int, 3> digits = kenoDigits(*numbers, scheme);
    io.out << resultText(digits[0], digits[1], digits[2]) << '\n';
    return kExitOk;
}

} // namespace tandor28::cli
