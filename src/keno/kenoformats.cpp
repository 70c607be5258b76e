#include "kenoformats.h"

#include "keno/kenotime.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <zip.h>

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

// "YYYY-MM-DD", read without the cost of a format parser.
QDate isoDate(QStringView text)
{
    if (text.size() != 10 || text[4] != QLatin1Char('-') || text[7] != QLatin1Char('-'))
        return {};
    bool okYear = false;
    bool okMonth = false;
    bool okDay = false;
    const QDate date(text.mid(0, 4).toInt(&okYear), text.mid(5, 2).toInt(&okMonth), text.mid(8, 2).toInt(&okDay));
    return okYear && okMonth && okDay ? date : QDate();
}

// The moment of a CSV row: "YYYY-MM-DD HH:MM:SS" (seconds optional); a date alone with the time in
// its own column; or the older ="dd/mm/yyyy HH:MM:SS" written for spreadsheets. A bare slashed date
// is refused: without the spreadsheet form nothing says whether the day or the month comes first.
QDateTime csvStamp(QStringView stamp, QStringView timeColumn)
{
    stamp = stamp.trimmed();
    if (stamp.startsWith(QLatin1Char('='))) {
        QString text = stamp.mid(1).toString();
        text.remove(QLatin1Char('"'));
        const QStringView view = QStringView(text).trimmed();
        const qsizetype blank = view.indexOf(QLatin1Char(' '));
        const QList<QStringView> dmy = view.left(blank < 0 ? view.size() : blank).split(QLatin1Char('/'));
        if (dmy.size() != 3 || dmy[2].size() != 4)
            return {};
        const QDate date(dmy[2].toInt(), dmy[1].toInt(), dmy[0].toInt());
        const QStringView time = blank < 0 ? timeColumn : view.mid(blank + 1);
        return vancouverToLocal(date, clockTime(time));
    }
    const QDate date = isoDate(stamp.left(10));
    if (stamp.size() == 10)
        return vancouverToLocal(date, clockTime(timeColumn));
    if (stamp.size() < 12 || stamp[10] != QLatin1Char(' '))
        return {};
    return vancouverToLocal(date, clockTime(stamp.mid(11)));
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
    // A byte-order mark before the header would hide the name of the first column.
    const qsizetype bom = text.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    const QString document = QString::fromLatin1(text.constData() + bom, text.size() - bom);
    const QList<QStringView> lines = QStringView(document).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (lines.isEmpty()) {
        read.problem = QStringLiteral("empty CSV");
        return read;
    }
    // Columns are found by their header names, so a column more or in another place changes nothing.
    const QList<QStringView> header = lines.front().split(QLatin1Char(','));
    qsizetype productColumn = -1;
    qsizetype issueColumn = -1;
    qsizetype dateColumn = -1;
    qsizetype timeColumn = -1;
    std::vector<qsizetype> numberColumns(kKenoNumbers + 1, -1);
    for (qsizetype i = 0; i < header.size(); ++i) {
        const QString name = unquoted(header[i]).toString().toUpper().simplified();
        if (name == QLatin1String("PRODUCT"))
            productColumn = i;
        else if (name == QLatin1String("DRAW NUMBER"))
            issueColumn = i;
        else if (name == QLatin1String("DRAW DATE"))
            dateColumn = i;
        else if (name == QLatin1String("DRAW TIME"))
            timeColumn = i;
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
        if (unquoted(lines[row]).trimmed().isEmpty())
            continue;
        // The yearly file lists the other games of the results service too; only Keno draws count.
        if (productColumn >= 0 &&
            field(productColumn).trimmed().compare(QLatin1String("KENO"), Qt::CaseInsensitive) != 0) {
            ++read.skipped;
            continue;
        }
        bool ok = false;
        const qint64 issue = field(issueColumn).toLongLong(&ok);
        if (!ok || issue < 1) {
            noteRejected(read, QStringLiteral("row %1: no draw number").arg(row + 1));
            continue;
        }
        const QDateTime drawnAt = csvStamp(field(dateColumn), field(timeColumn));
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
    if (read.draws.empty() && read.rejected == 0 && read.skipped > 0)
        read.problem = QStringLiteral("no KENO rows (%1 rows of other products skipped)").arg(read.skipped);
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
        !(stat.valid & ZIP_STAT_SIZE))
        return fail(QStringLiteral("the zip entry has no size"));
    // A yearly CSV is some tens of megabytes; anything far larger is not what a source publishes.
    constexpr zip_uint64_t kMaxEntryBytes = 512ULL * 1024 * 1024;
    if (stat.size > kMaxEntryBytes)
        return fail(QStringLiteral("the zip entry is too large"));
    zip_file_t* file = zip_fopen_index(archive.get(), static_cast<zip_uint64_t>(chosen), 0);
    if (!file)
        return fail(QStringLiteral("cannot open the zip entry"));
    QByteArray content(static_cast<qsizetype>(stat.size), Qt::Uninitialized);
    const zip_int64_t got = zip_fread(file, content.data(), stat.size);
    zip_fclose(file);
    if (got < 0 || static_cast<zip_uint64_t>(got) != stat.size)
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
