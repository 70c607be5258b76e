#include "kenoformats.h"

#include "keno/kenotime.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

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

QStringView unquoted(QStringView field)
{
    field = field.trimmed();
    if (field.size() >= 2 && field.front() == QLatin1Char('"') && field.back() == QLatin1Char('"'))
        field = field.mid(1, field.size() - 2);
    return field;
}

// "YYYY-MM-DD HH:MM:SS" (seconds optional), read without the cost of a format parser.
QDateTime vancouverStamp(QStringView text)
{
    const auto number = [&text](qsizetype from, qsizetype length) {
        bool ok = false;
        const int n = text.mid(from, length).toInt(&ok);
        return ok ? n : -1;
    };
    if (text.size() != 16 && text.size() != 19)
        return {};
    const QDate date(number(0, 4), number(5, 2), number(8, 2));
    const QTime time(number(11, 2), number(14, 2), text.size() == 19 ? number(17, 2) : 0);
    return vancouverToLocal(date, time);
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
    if (error.error != QJsonParseError::NoError || !document.isArray()) {
        read.problem =
            error.error != QJsonParseError::NoError ? error.errorString() : QStringLiteral("not a JSON array");
        return read;
    }
    read.readable = true;
    const QLocale c = QLocale::c();
    const QJsonArray records = document.array();
    read.draws.reserve(static_cast<std::size_t>(records.size()));
    for (const QJsonValue& value : records) {
        const QJsonObject record = value.toObject();
        const std::optional<qint64> issue = jsonIssue(record.value(QLatin1String("drawNbr")));
        if (!issue) {
            noteRejected(read, QStringLiteral("record without a draw number"));
            continue;
        }
        const QDate date =
            c.toDate(record.value(QLatin1String("drawDate")).toString().simplified(), QStringLiteral("MMM d, yyyy"));
        const QTime time = c.toTime(record.value(QLatin1String("drawTime")).toString().trimmed().toUpper(),
                                    QStringLiteral("hh:mm:ss AP"));
        const QDateTime drawnAt = vancouverToLocal(date, time);
        if (!drawnAt.isValid()) {
            noteRejected(read, QStringLiteral("draw %1: unreadable date or time").arg(*issue));
            continue;
        }
        std::vector<int> sent;
        bool numeric = true;
        for (const QJsonValue& n : record.value(QLatin1String("drawNbrs")).toArray()) {
            const std::optional<int> number = jsonInt(n);
            numeric = numeric && number.has_value();
            sent.push_back(number.value_or(0));
        }
        QString why;
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

KenoRead parseKenoCsv(const QByteArray& text, KenoScheme scheme)
{
    KenoRead read;
    const QString document = QString::fromLatin1(text);
    const QList<QStringView> lines = QStringView(document).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (lines.isEmpty()) {
        read.problem = QStringLiteral("empty CSV");
        return read;
    }
    // Columns are found by their header names, so a column more or in another place changes nothing.
    const QList<QStringView> header = lines.front().split(QLatin1Char(','));
    qsizetype issueColumn = -1;
    qsizetype dateColumn = -1;
    std::vector<qsizetype> numberColumns(kKenoNumbers + 1, -1);
    for (qsizetype i = 0; i < header.size(); ++i) {
        const QString name = unquoted(header[i]).toString().toUpper().simplified();
        if (name == QLatin1String("DRAW NUMBER"))
            issueColumn = i;
        else if (name == QLatin1String("DRAW DATE"))
            dateColumn = i;
        else if (name.startsWith(QLatin1String("NUMBER DRAWN "))) {
            const int n = QStringView(name).mid(13).toInt();
            if (n >= 1 && n <= kKenoNumbers + 1)
                numberColumns[static_cast<std::size_t>(n - 1)] = i;
        }
    }
    const bool complete = std::all_of(numberColumns.begin(), numberColumns.begin() + kKenoNumbers,
                                      [](qsizetype column) { return column >= 0; });
    if (issueColumn < 0 || dateColumn < 0 || !complete) {
        read.problem = QStringLiteral("CSV header without DRAW NUMBER, DRAW DATE and NUMBER DRAWN 1 to 20");
        return read;
    }
    read.readable = true;
    read.draws.reserve(static_cast<std::size_t>(lines.size()));
    std::vector<int> sent;
    for (qsizetype row = 1; row < lines.size(); ++row) {
        const QList<QStringView> fields = lines[row].split(QLatin1Char(','));
        const auto field = [&fields](qsizetype column) {
            return column >= 0 && column < fields.size() ? unquoted(fields[column]) : QStringView();
        };
        bool ok = false;
        const qint64 issue = field(issueColumn).toLongLong(&ok);
        if (!ok || issue < 1) {
            if (!unquoted(lines[row]).trimmed().isEmpty())
                noteRejected(read, QStringLiteral("row %1: no draw number").arg(row + 1));
            continue;
        }
        const QDateTime drawnAt = vancouverStamp(field(dateColumn));
        if (!drawnAt.isValid()) {
            noteRejected(read, QStringLiteral("draw %1: unreadable date").arg(issue));
            continue;
        }
        sent.clear();
        bool numeric = true;
        for (const qsizetype column : numberColumns) {
            if (column < 0)
                continue;
            const QStringView text = field(column);
            if (text.isEmpty() && column == numberColumns.back())
                continue;
            const int n = text.toInt(&ok);
            numeric = numeric && ok;
            sent.push_back(n);
        }
        QString why;
        std::optional<DatedDraw> draw = numeric ? derive(issue, drawnAt, sent, scheme, &why) : std::nullopt;
        if (!draw) {
            noteRejected(
                read,
                QStringLiteral("draw %1: %2").arg(issue).arg(numeric ? why : QStringLiteral("a number is no integer")));
            continue;
        }
        read.draws.push_back(std::move(*draw));
    }
    return read;
}

KenoRead parseKenoCsvBody(const QByteArray& body, KenoScheme scheme)
{
    if (!body.startsWith("PK\x03\x04"))
        return parseKenoCsv(body, scheme);
    QString why;
    const std::optional<QByteArray> csv = unzipFirstCsv(body, &why);
    if (!csv) {
        KenoRead read;
        read.problem = why;
        return read;
    }
    return parseKenoCsv(*csv, scheme);
}

std::optional<QByteArray> unzipFirstCsv(const QByteArray& zip, QString* why)
{
    const auto fail = [why](const QString& reason) -> std::optional<QByteArray> {
        if (why)
            *why = reason;
        return std::nullopt;
    };
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(zip.constData(), static_cast<zip_uint64_t>(zip.size()), 0, &error);
    if (!source) {
        zip_error_fini(&error);
        return fail(QStringLiteral("cannot read the zip archive"));
    }
    std::unique_ptr<zip_t, ZipCloser> archive(zip_open_from_source(source, ZIP_RDONLY, &error));
    if (!archive) {
        zip_source_free(source);
        const QString reason =
            QStringLiteral("not a zip archive: %1").arg(QString::fromUtf8(zip_error_strerror(&error)));
        zip_error_fini(&error);
        return fail(reason);
    }
    zip_error_fini(&error);
    const zip_int64_t entries = zip_get_num_entries(archive.get(), 0);
    zip_int64_t chosen = -1;
    for (zip_int64_t i = 0; i < entries && chosen < 0; ++i) {
        const char* name = zip_get_name(archive.get(), static_cast<zip_uint64_t>(i), 0);
        if (name && QByteArray(name).toLower().endsWith(".csv"))
            chosen = i;
    }
    if (chosen < 0 && entries > 0)
        chosen = 0;
    if (chosen < 0)
        return fail(QStringLiteral("the zip archive is empty"));
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive.get(), static_cast<zip_uint64_t>(chosen), 0, &stat) != 0 ||
        !(stat.valid & ZIP_STAT_SIZE) || !(stat.valid & ZIP_STAT_COMP_SIZE))
        return fail(QStringLiteral("the zip entry has no size"));
    // A yearly CSV is some megabytes and deflates about tenfold; an entry far larger, or one that
    // inflates far more, is a zip bomb and is refused before anything is inflated.
    if (stat.size > kMaxZipEntryBytes)
        return fail(QStringLiteral("the zip entry is larger than %1 MiB").arg(kMaxZipEntryBytes / (1024 * 1024)));
    if (stat.size > kMaxZipInflation * std::max<zip_uint64_t>(stat.comp_size, 1))
        return fail(
            QStringLiteral("the zip entry inflates more than %1 times its compressed size").arg(kMaxZipInflation));
    zip_file_t* file = zip_fopen_index(archive.get(), static_cast<zip_uint64_t>(chosen), 0);
    if (!file)
        return fail(QStringLiteral("cannot open the zip entry"));
    QByteArray content(static_cast<qsizetype>(stat.size), Qt::Uninitialized);
    const zip_int64_t got = zip_fread(file, content.data(), stat.size);
    // libzip checks the CRC only when a read reaches the end of the entry, so one more read must
    // find that end: an error there is a CRC that does not match, more bytes an entry longer than
    // its stated size.
    char beyond = 0;
    const zip_int64_t more = got < 0 ? -1 : zip_fread(file, &beyond, 1);
    const bool crcFailed = more < 0 && zip_error_code_zip(zip_file_get_error(file)) == ZIP_ER_CRC;
    zip_fclose(file);
    if (crcFailed)
        return fail(QStringLiteral("the zip entry fails its CRC check: its data is damaged"));
    if (got < 0 || static_cast<zip_uint64_t>(got) != stat.size || more != 0)
        return fail(QStringLiteral("the zip entry is damaged"));
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
