#include "kenoformats.h"

#include "keno/kenotime.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <zip.h>

#include <algorithm>
#include <memory>

namespace tandor28 {

namespace {

void noteRejected(KenoRead& read, const QString& reason)
{
    if (read.rejected++ == 0)
        read.problem = reason;
}

// Builds the draw from the numbers as the source sent them; nullopt (reason in `why`) when they are bad.
std::optional<DatedDraw> derive(qint64 issue, const QDateTime& drawnAt, const std::vector<int>& sent, KenoScheme scheme,
                                QString* why)
{
    std::optional<std::vector<int>> numbers = kenoNumbers(sent, why);
    if (!numbers)
        return std::nullopt;
    const std::array<int, 3> digits = kenoDigits(*numbers, scheme);
    return DatedDraw{issue, drawnAt, digits[0], digits[1], digits[2], std::move(*numbers)};
}

std::optional<int> jsonInt(const QJsonValue& value)
{
    if (value.isDouble()) {
        const double d = value.toDouble();
        // The range first: converting a double outside it (1e30, NaN) to an integer is undefined.
        if (d >= -2e9 && d <= 2e9 && d == static_cast<double>(static_cast<qint64>(d)))
            return static_cast<int>(d);
        return std::nullopt;
    }
    bool ok = false;
    const int n = value.toString().trimmed().toInt(&ok);
    return ok ? std::optional<int>(n) : std::nullopt;
}

std::optional<qint64> jsonIssue(const QJsonValue& value)
{
    if (value.isDouble()) {
        const double d = value.toDouble();
        if (d >= 1 && d < 9e15 && d == static_cast<double>(static_cast<qint64>(d)))
            return static_cast<qint64>(d);
        return std::nullopt;
    }
    bool ok = false;
    const qint64 n = value.toString().trimmed().toLongLong(&ok);
    return ok && n >= 1 ? std::optional<qint64>(n) : std::nullopt;
}

// A clock time as the Keno service writes it: "HH:MM:SS" or "HH:MM", on a 24-hour clock or followed
// by AM or PM.
QTime clockTime(QStringView text)
{
    text = text.trimmed();
    int meridiem = -1; // -1 none, 0 AM, 12 PM
    if (text.endsWith(QLatin1String("AM"), Qt::CaseInsensitive))
        meridiem = 0;
    else if (text.endsWith(QLatin1String("PM"), Qt::CaseInsensitive))
        meridiem = 12;
    if (meridiem >= 0)
        text = text.chopped(2).trimmed();
    const QList<QStringView> parts = text.split(QLatin1Char(':'));
    if (parts.size() != 2 && parts.size() != 3)
        return {};
    int values[3] = {0, 0, 0};
    for (qsizetype i = 0; i < parts.size(); ++i) {
        bool ok = false;
        values[i] = parts[i].size() >= 1 && parts[i].size() <= 2 ? parts[i].toInt(&ok) : -1;
        if (!ok)
            return {};
    }
    if (meridiem >= 0) {
        if (values[0] < 1 || values[0] > 12)
            return {};
        values[0] = values[0] % 12 + meridiem;
    }
    return QTime(values[0], values[1], values[2]);
}

// "Dec 9, 2026" or "Dec 09, 2026" (the month's name may be written out), whatever the locale.
QDate monthDayYear(QStringView text)
{
    static constexpr const char* kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                              "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    const QString words = text.toString().replace(QLatin1Char(','), QLatin1Char(' ')).simplified();
    const QList<QStringView> parts = QStringView(words).split(QLatin1Char(' '));
    if (parts.size() != 3 || parts[0].size() < 3 || parts[1].size() > 2 || parts[2].size() != 4)
        return {};
    int month = 0;
    for (int i = 0; i < 12 && month == 0; ++i) {
        if (parts[0].left(3).compare(QLatin1String(kMonths[i]), Qt::CaseInsensitive) == 0)
            month = i + 1;
    }
    bool okDay = false;
    bool okYear = false;
    const QDate date(parts[2].toInt(&okYear), month, parts[1].toInt(&okDay));
    return okDay && okYear ? date : QDate();
}

struct ZipCloser
{
    void operator()(zip_t* archive) const { zip_discard(archive); }
};

} // namespace

KenoRead parseKenoJson(const QByteArray& body, KenoScheme scheme)
{
    KenoRead read;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError) {
        read.problem = error.errorString();
        return read;
    }
    const QJsonValue list = document.isObject() ? document.object().value(QLatin1String("draws")) : QJsonValue();
    if (!document.isArray() && !list.isArray()) {
        read.problem = QStringLiteral("neither a list of draws nor an object holding one under \"draws\"");
        return read;
    }
    read.readable = true;
    VancouverClock clock;
    const ZoneClock local = ZoneClock::local();
    const QJsonArray records = document.isArray() ? document.array() : list.toArray();
    read.draws.reserve(static_cast<std::size_t>(records.size()));
    for (const QJsonValue& value : records) {
        const QJsonObject record = value.toObject();
        const std::optional<qint64> issue = jsonIssue(record.value(QLatin1String("drawNbr")));
        if (!issue) {
            noteRejected(read, QStringLiteral("record without a draw number"));
            continue;
        }
        const QDate date = monthDayYear(record.value(QLatin1String("drawDate")).toString());
        const QTime time = clockTime(record.value(QLatin1String("drawTime")).toString());
        QString why;
        const std::optional<qint64> moment =
            date.isValid() && time.isValid() ? clock.moment(*issue, date, time, &why) : std::nullopt;
        if (!moment) {
            noteRejected(read, QStringLiteral("draw %1: %2")
                                   .arg(*issue)
                                   .arg(why.isEmpty() ? QStringLiteral("unreadable date or time") : why));
            continue;
        }
        const QDateTime drawnAt = local.dateTime(*moment);
        std::vector<int> sent;
        bool numeric = true;
        for (const QJsonValue& n : record.value(QLatin1String("drawNbrs")).toArray()) {
            const std::optional<int> number = jsonInt(n);
            numeric = numeric && number.has_value();
            sent.push_back(number.value_or(0));
        }
        std::optional<DatedDraw> draw = numeric ? derive(*issue, drawnAt, sent, scheme, &why) : std::nullopt;
        if (!draw) {
            noteRejected(read, QStringLiteral("draw %1: %2")
                                   .arg(*issue)
                                   .arg(numeric ? why : QStringLiteral("a number is no integer")));
            continue;
        }
        read.draws.push_back(std::move(*draw));
    }
    return read;
}

namespace {

// The reader's draws as the window's sources take them: times on the machine's clock, looked up once.
KenoCsvReader::Sink collectInto(KenoRead& read, const ZoneClock& local)
{
    return [&read, &local](const KenoCsvDraw& draw) {
        read.draws.push_back(DatedDraw{draw.issue, local.dateTime(draw.drawnUtc), draw.digits[0], draw.digits[1],
                                       draw.digits[2], std::vector<int>(draw.numbers.begin(), draw.numbers.end())});
        return true;
    };
}

void takeTally(KenoRead& read, const KenoCsvTally& tally)
{
    read.rejected = tally.rejected;
    read.skipped = tally.skipped;
    read.problem = tally.problem;
    read.readable = tally.readable;
}

constexpr qsizetype kBlockBytes = 1 << 20;

QString crcFailureText()
{
    return QStringLiteral("the zip entry fails its CRC check: its data is damaged");
}

// The first entry whose name ends in ".csv" (any entry when none does), opened for reading; nullptr
// with the reason.
zip_file_t* openCsvEntry(zip_t* archive, zip_uint64_t* size, QString* why)
{
    const zip_int64_t entries = zip_get_num_entries(archive, 0);
    zip_int64_t chosen = -1;
    for (zip_int64_t i = 0; i < entries && chosen < 0; ++i) {
        const char* name = zip_get_name(archive, static_cast<zip_uint64_t>(i), 0);
        if (name && QByteArray(name).toLower().endsWith(".csv"))
            chosen = i;
    }
    if (chosen < 0 && entries > 0)
        chosen = 0;
    if (chosen < 0) {
        *why = QStringLiteral("the zip archive is empty");
        return nullptr;
    }
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive, static_cast<zip_uint64_t>(chosen), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE) ||
        !(stat.valid & ZIP_STAT_COMP_SIZE)) {
        *why = QStringLiteral("the zip entry has no size");
        return nullptr;
    }
    // A yearly CSV is some megabytes and deflates about tenfold; an entry far larger, or one that
    // inflates far more, is a zip bomb and is refused before anything is inflated.
    if (stat.size > kMaxZipEntryBytes) {
        *why = QStringLiteral("the zip entry is larger than %1 MiB").arg(kMaxZipEntryBytes / (1024 * 1024));
        return nullptr;
    }
    if (stat.size > kMaxZipInflation * std::max<zip_uint64_t>(stat.comp_size, 1)) {
        *why = QStringLiteral("the zip entry inflates more than %1 times its compressed size").arg(kMaxZipInflation);
        return nullptr;
    }
    zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(chosen), 0);
    if (!file)
        *why = QStringLiteral("cannot open the zip entry");
    *size = stat.size;
    return file;
}

// The zip archive of a source; nullptr with the reason.
std::unique_ptr<zip_t, ZipCloser> openZip(zip_source_t* source, QString* why)
{
    zip_error_t error;
    zip_error_init(&error);
    std::unique_ptr<zip_t, ZipCloser> archive(zip_open_from_source(source, ZIP_RDONLY, &error));
    if (!archive) {
        zip_source_free(source);
        *why = QStringLiteral("not a zip archive: %1").arg(QString::fromUtf8(zip_error_strerror(&error)));
    }
    zip_error_fini(&error);
    return archive;
}

// Inflates the CSV entry of an opened zip archive into the reader, a block at a time.
KenoCsvTally streamZip(zip_t* archive, KenoCsvReader& reader)
{
    KenoCsvTally failed;
    zip_uint64_t size = 0;
    zip_file_t* file = openCsvEntry(archive, &size, &failed.problem);
    if (!file)
        return failed;
    QByteArray block(kBlockBytes, Qt::Uninitialized);
    zip_uint64_t total = 0;
    zip_int64_t got = 0;
    bool going = true;
    // The read goes on to the end of the entry, where libzip checks its CRC; an entry that inflates
    // past its stated size stops there.
    while (going && (got = zip_fread(file, block.data(), static_cast<zip_uint64_t>(block.size()))) > 0) {
        total += static_cast<zip_uint64_t>(got);
        if (total > size)
            break;
        going = reader.feed(QByteArrayView(block.constData(), got));
    }
    const bool crcFailed = got < 0 && zip_error_code_zip(zip_file_get_error(file)) == ZIP_ER_CRC;
    zip_fclose(file);
    if (got < 0 || total > size || (going && total != size)) {
        KenoCsvTally tally = reader.finish();
        failed.problem = crcFailed ? crcFailureText() : QStringLiteral("the zip entry is damaged");
        failed.draws = tally.draws;
        return failed;
    }
    return reader.finish();
}

} // namespace

KenoRead parseKenoCsv(const QByteArray& text, KenoScheme scheme)
{
    KenoRead read;
    const ZoneClock local = ZoneClock::local();
    KenoCsvReader reader(scheme, collectInto(read, local));
    (void)reader.feed(text);
    takeTally(read, reader.finish());
    return read;
}

KenoRead parseKenoCsvBody(const QByteArray& body, KenoScheme scheme)
{
    KenoRead read;
    const ZoneClock local = ZoneClock::local();
    takeTally(read, streamKenoCsvBody(body, scheme, collectInto(read, local)));
    // A damaged entry keeps none of its draws, as a body that cannot be read at all.
    if (!read.readable)
        read.draws.clear();
    return read;
}

KenoCsvTally streamKenoCsvBody(const QByteArray& body, KenoScheme scheme, const KenoCsvReader::Sink& sink)
{
    KenoCsvReader reader(scheme, sink);
    if (!body.startsWith("PK\x03\x04")) {
        (void)reader.feed(body);
        return reader.finish();
    }
    KenoCsvTally failed;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source =
        zip_source_buffer_create(body.constData(), static_cast<zip_uint64_t>(body.size()), 0, &error);
    zip_error_fini(&error);
    if (!source) {
        failed.problem = QStringLiteral("cannot read the zip archive");
        return failed;
    }
    const std::unique_ptr<zip_t, ZipCloser> archive = openZip(source, &failed.problem);
    return archive ? streamZip(archive.get(), reader) : failed;
}

KenoCsvTally streamKenoCsvFile(const QString& path, KenoScheme scheme, const KenoCsvReader::Sink& sink)
{
    KenoCsvTally failed;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        failed.problem = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return failed;
    }
    KenoCsvReader reader(scheme, sink);
    if (file.peek(4) == "PK\x03\x04") {
        file.close();
        zip_error_t error;
        zip_error_init(&error);
        zip_source_t* source = zip_source_file_create(QFile::encodeName(path).constData(), 0, -1, &error);
        zip_error_fini(&error);
        if (!source) {
            failed.problem = QStringLiteral("cannot read the zip archive");
            return failed;
        }
        const std::unique_ptr<zip_t, ZipCloser> archive = openZip(source, &failed.problem);
        return archive ? streamZip(archive.get(), reader) : failed;
    }
    QByteArray block(kBlockBytes, Qt::Uninitialized);
    qint64 got = 0;
    bool going = true;
    while (going && (got = file.read(block.data(), block.size())) > 0)
        going = reader.feed(QByteArrayView(block.constData(), got));
    if (got < 0) {
        failed.problem = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return failed;
    }
    return reader.finish();
}

std::optional<QByteArray> unzipFirstCsv(const QByteArray& zip, QString* why)
{
    QString reason;
    const auto fail = [why, &reason]() -> std::optional<QByteArray> {
        if (why)
            *why = reason;
        return std::nullopt;
    };
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(zip.constData(), static_cast<zip_uint64_t>(zip.size()), 0, &error);
    zip_error_fini(&error);
    if (!source) {
        reason = QStringLiteral("cannot read the zip archive");
        return fail();
    }
    const std::unique_ptr<zip_t, ZipCloser> archive = openZip(source, &reason);
    if (!archive)
        return fail();
    zip_uint64_t size = 0;
    zip_file_t* file = openCsvEntry(archive.get(), &size, &reason);
    if (!file)
        return fail();
    QByteArray content(static_cast<qsizetype>(size), Qt::Uninitialized);
    const zip_int64_t got = zip_fread(file, content.data(), size);
    // libzip checks the CRC only when a read reaches the end of the entry, so one more read must
    // find that end: an error there is a CRC that does not match, more bytes an entry longer than
    // its stated size.
    char beyond = 0;
    const zip_int64_t more = got < 0 ? -1 : zip_fread(file, &beyond, 1);
    const bool crcFailed = more < 0 && zip_error_code_zip(zip_file_get_error(file)) == ZIP_ER_CRC;
    zip_fclose(file);
    if (crcFailed) {
        reason = crcFailureText();
        return fail();
    }
    if (got < 0 || static_cast<zip_uint64_t>(got) != size || more != 0) {
        reason = QStringLiteral("the zip entry is damaged");
        return fail();
    }
    return content;
}

QByteArray zipOneFile(const QString& entryName, const QByteArray& content)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* target = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_error_fini(&error);
    if (!target)
        return {};
    zip_source_keep(target);
    zip_error_init(&error);
    zip_t* archive = zip_open_from_source(target, ZIP_TRUNCATE, &error);
    zip_error_fini(&error);
    QByteArray result;
    if (archive) {
        zip_source_t* entry =
            zip_source_buffer(archive, content.constData(), static_cast<zip_uint64_t>(content.size()), 0);
        const bool added = entry && zip_file_add(archive, entryName.toUtf8().constData(), entry, ZIP_FL_OVERWRITE) >= 0;
        if (!added && entry)
            zip_source_free(entry);
        if (!added) {
            zip_discard(archive);
        } else if (zip_close(archive) != 0) {
            zip_discard(archive);
        } else if (zip_source_open(target) == 0) {
            zip_stat_t stat;
            zip_stat_init(&stat);
            if (zip_source_stat(target, &stat) == 0 && (stat.valid & ZIP_STAT_SIZE)) {
                result.resize(static_cast<qsizetype>(stat.size));
                if (zip_source_read(target, result.data(), stat.size) != static_cast<zip_int64_t>(stat.size))
                    result.clear();
            }
            zip_source_close(target);
        }
    }
    zip_source_free(target);
    return result;
}

} // namespace tandor28
