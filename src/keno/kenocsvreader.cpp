#include "kenocsvreader.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <optional>

namespace tandor28 {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

QByteArrayView trimmed(QByteArrayView text)
{
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

QByteArrayView unquoted(QByteArrayView field)
{
    field = trimmed(field);
    if (field.size() >= 2 && field.front() == '"' && field.back() == '"')
        field = field.sliced(1, field.size() - 2);
    return field;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A decimal integer with an optional sign and blanks around it, as QString::toLongLong reads one.
std::optional<qint64> integer(QByteArrayView text)
{
    text = trimmed(text);
    bool negative = false;
    if (!text.isEmpty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text = text.sliced(1);
    }
    if (text.isEmpty() || text.size() > 18)
        return std::nullopt;
    qint64 value = 0;
    for (const char c : text) {
        if (!isDigit(c))
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

// Exactly `length` digits from `from`; -1 otherwise.
int digits(QByteArrayView text, qsizetype from, qsizetype length)
{
    if (from + length > text.size())
        return -1;
    int value = 0;
    for (qsizetype i = from; i < from + length; ++i) {
        if (!isDigit(text[i]))
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

bool endsWithNoCase(QByteArrayView text, const char (&suffix)[3])
{
    return text.size() >= 2 && (text[text.size() - 2] | 0x20) == suffix[0] &&
           (text[text.size() - 1] | 0x20) == suffix[1];
}

// "HH:MM:SS" or "HH:MM" (one or two digits each), on a 24-hour clock or followed by AM or PM.
QTime clockTime(QByteArrayView text)
{
    text = trimmed(text);
    int meridiem = -1;
    if (endsWithNoCase(text, "am"))
        meridiem = 0;
    else if (endsWithNoCase(text, "pm"))
        meridiem = 12;
    if (meridiem >= 0) {
        text.chop(2);
        text = trimmed(text);
    }
    int values[3] = {0, 0, 0};
    int part = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != ':')
            continue;
        const qsizetype length = i - start;
        if (part > 2 || length < 1 || length > 2)
            return {};
        values[part++] = digits(text, start, length);
        if (values[part - 1] < 0)
            return {};
        start = i + 1;
    }
    if (part < 2)
        return {};
    if (meridiem >= 0) {
        if (values[0] < 1 || values[0] > 12)
            return {};
        values[0] = values[0] % 12 + meridiem;
    }
    return QTime(values[0], values[1], values[2]);
}

QDate isoDate(QByteArrayView text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return {};
    return QDate(digits(text, 0, 4), digits(text, 5, 2), digits(text, 8, 2));
}

// A decimal number of one or more digits; -1 otherwise.
int number(QByteArrayView text)
{
    return text.isEmpty() || text.size() > 4 ? -1 : digits(text, 0, text.size());
}

// The date and time of a row: "YYYY-MM-DD HH:MM:SS" (seconds optional); a date alone with the time
// in its own column; or ="dd/mm/yyyy HH:MM:SS" written for spreadsheets. A bare slashed date is
// refused: without the spreadsheet form nothing says whether the day or the month comes first.
std::pair<QDate, QTime> stamp(QByteArrayView text, QByteArrayView timeColumn)
{
    text = trimmed(text);
    if (text.startsWith('=')) {
        QByteArray bare = text.sliced(1).toByteArray();
        bare.replace('"', QByteArrayView());
        const QByteArrayView view = trimmed(bare);
        const qsizetype blank = view.indexOf(' ');
        const QByteArrayView date = blank < 0 ? view : view.first(blank);
        const qsizetype slash1 = date.indexOf('/');
        const qsizetype slash2 = slash1 < 0 ? -1 : date.indexOf('/', slash1 + 1);
        if (slash2 < 0 || date.indexOf('/', slash2 + 1) >= 0 || date.size() - slash2 - 1 != 4)
            return {};
        const QDate day(number(date.sliced(slash2 + 1)), number(date.sliced(slash1 + 1, slash2 - slash1 - 1)),
                        number(date.first(slash1)));
        return {day, clockTime(blank < 0 ? timeColumn : view.sliced(blank + 1))};
    }
    const QDate date = isoDate(text.first(std::min<qsizetype>(10, text.size())));
    if (text.size() == 10)
        return {date, clockTime(timeColumn)};
    if (text.size() < 12 || text[10] != ' ')
        return {};
    return {date, clockTime(text.sliced(11))};
}

QString upperSimplified(QByteArrayView name)
{
    return QString::fromLatin1(unquoted(name)).toUpper().simplified();
}

} // namespace

KenoCsvReader::KenoCsvReader(KenoScheme scheme, Sink sink) : m_scheme(scheme), m_sink(std::move(sink))
{
    m_numberColumns.fill(-1);
}

bool KenoCsvReader::feed(QByteArrayView block)
{
    while (!m_stopped && !block.isEmpty()) {
        const qsizetype end = block.indexOf('\n');
        if (end < 0) {
            m_partial.append(block);
            break;
        }
        if (m_partial.isEmpty()) {
            line(block.first(end));
        } else {
            m_partial.append(block.first(end));
            line(m_partial);
            m_partial.clear();
        }
        block = block.sliced(end + 1);
    }
    return !m_stopped;
}

KenoCsvTally KenoCsvReader::finish()
{
    if (!m_stopped && !m_partial.isEmpty()) {
        line(m_partial);
        m_partial.clear();
    }
    if (!m_headerSeen)
        m_tally.problem = QStringLiteral("empty CSV");
    else if (m_tally.readable && m_tally.draws == 0 && m_tally.rejected == 0 && m_tally.skipped > 0)
        m_tally.problem = QStringLiteral("no KENO rows (%1 rows of other products skipped)").arg(m_tally.skipped);
    return m_tally;
}

void KenoCsvReader::reject(const QString& reason)
{
    if (m_tally.rejected++ == 0)
        m_tally.problem = reason;
}

bool KenoCsvReader::line(QByteArrayView text)
{
    ++m_lineNumber;
    if (m_lineNumber == 1 && text.startsWith("\xEF\xBB\xBF"))
        text = text.sliced(3);
    if (!text.isEmpty() && text.back() == '\r')
        text.chop(1);
    if (text.isEmpty())
        return true;
    if (!m_headerSeen)
        return header(text);
    // A file without the needed columns has nothing more to give.
    if (!m_tally.readable)
        return true;
    return row(text);
}

bool KenoCsvReader::header(QByteArrayView text)
{
    m_headerSeen = true;
    // Columns are found by their header names, so a column more or in another place changes nothing.
    int column = 0;
    for (qsizetype start = 0; start <= text.size(); ++column) {
        qsizetype end = text.indexOf(',', start);
        if (end < 0)
            end = text.size();
        const QString name = upperSimplified(text.sliced(start, end - start));
        if (name == QLatin1String("PRODUCT"))
            m_productColumn = column;
        else if (name == QLatin1String("DRAW NUMBER"))
            m_issueColumn = column;
        else if (name == QLatin1String("DRAW DATE"))
            m_dateColumn = column;
        else if (name == QLatin1String("DRAW TIME"))
            m_timeColumn = column;
        else if (name.startsWith(QLatin1String("NUMBER DRAWN "))) {
            const int n = QStringView(name).mid(13).toInt();
            if (n >= 1 && n <= kKenoNumbers + 1)
                m_numberColumns[static_cast<std::size_t>(n - 1)] = column;
        }
        start = end + 1;
    }
    const bool complete = std::all_of(m_numberColumns.begin(), m_numberColumns.begin() + kKenoNumbers,
                                      [](int index) { return index >= 0; });
    if (m_issueColumn < 0 || m_dateColumn < 0 || !complete) {
        m_tally.problem = QStringLiteral("CSV header without DRAW NUMBER, DRAW DATE and NUMBER DRAWN 1 to 20");
        return true;
    }
    m_tally.readable = true;
    return true;
}

bool KenoCsvReader::row(QByteArrayView text)
{
    m_fields.clear();
    for (qsizetype start = 0; start <= text.size();) {
        qsizetype end = text.indexOf(',', start);
        if (end < 0)
            end = text.size();
        m_fields.push_back(text.sliced(start, end - start));
        start = end + 1;
    }
    const auto field = [this](int column) {
        return column >= 0 && static_cast<std::size_t>(column) < m_fields.size()
                   ? unquoted(m_fields[static_cast<std::size_t>(column)])
                   : QByteArrayView();
    };
    if (trimmed(unquoted(text)).isEmpty())
        return true;
    // The yearly file lists the other games of the results service too; only Keno draws count.
    if (m_productColumn >= 0 && trimmed(field(m_productColumn)).compare("KENO", Qt::CaseInsensitive) != 0) {
        ++m_tally.skipped;
        return true;
    }
    const std::optional<qint64> issue = integer(field(m_issueColumn));
    if (!issue || *issue < 1) {
        reject(QStringLiteral("row %1: no draw number").arg(m_lineNumber));
        return true;
    }
    const auto [date, time] = stamp(field(m_dateColumn), field(m_timeColumn));
    if (!date.isValid() || !time.isValid()) {
        reject(QStringLiteral("draw %1: unreadable date").arg(*issue));
        return true;
    }
    KenoCsvDraw draw;
    draw.issue = *issue;
    std::array<int, kKenoNumbers + 1> sent{};
    std::size_t count = 0;
    bool numeric = true;
    for (const int column : m_numberColumns) {
        if (column < 0)
            continue;
        const QByteArrayView value = field(column);
        if (value.isEmpty() && column == m_numberColumns.back())
            continue;
        const std::optional<qint64> n = integer(value);
        numeric = numeric && n && *n >= INT32_MIN && *n <= INT32_MAX;
        sent[count++] = numeric ? static_cast<int>(*n) : 0;
    }
    if (!numeric) {
        reject(QStringLiteral("draw %1: a number is no integer").arg(*issue));
        return true;
    }
    // The first 20 of 1..80, each once: a bit each, which also gives them sorted.
    std::uint64_t low = 0;
    std::uint64_t high = 0;
    bool good = count >= kKenoNumbers;
    for (std::size_t i = 0; good && i < kKenoNumbers; ++i) {
        const int n = sent[i];
        good = n >= 1 && n <= kKenoHighest;
        if (!good)
            break;
        std::uint64_t& word = n < 64 ? low : high;
        const std::uint64_t bit = std::uint64_t{1} << (n % 64);
        good = (word & bit) == 0;
        word |= bit;
    }
    if (!good) {
        // The rare bad row takes the common check, for its reason.
        QString why;
        if (!kenoNumbers(std::vector<int>(sent.begin(), sent.begin() + static_cast<std::ptrdiff_t>(count)), &why))
            reject(QStringLiteral("draw %1: %2").arg(*issue).arg(why));
        return true;
    }
    std::size_t at = 0;
    for (std::uint64_t word = low; word != 0; word &= word - 1)
        draw.numbers[at++] = std::countr_zero(word);
    for (std::uint64_t word = high; word != 0; word &= word - 1)
        draw.numbers[at++] = 64 + std::countr_zero(word);
    QString why;
    const std::optional<qint64> moment = m_clock.moment(*issue, date, time, &why);
    if (!moment) {
        reject(QStringLiteral("draw %1: %2").arg(*issue).arg(why));
        return true;
    }
    draw.drawnUtc = *moment;
    draw.digits = kenoDigits(draw.numbers, m_scheme);
    ++m_tally.draws;
    if (!m_sink(draw))
        m_stopped = true;
    return !m_stopped;
}

} // namespace tandor28
