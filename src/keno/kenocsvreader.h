#pragma once

#include "keno/kenoscheme.h"
#include "keno/kenotime.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <functional>
#include <vector>

namespace tandor28 {

// One draw of the yearly CSV: its moment in UTC seconds, its 20 numbers sorted and the digits the
// scheme gives.
struct KenoCsvDraw
{
    qint64 issue = 0;
    qint64 drawnUtc = 0;
    std::array<int, kKenoNumbers> numbers{};
    std::array<int, 3> digits{};
};

// What reading a CSV gave besides its draws.
struct KenoCsvTally
{
    int draws = 0;
    int rejected = 0;
    int skipped = 0;       // rows of other products than KENO, left out on purpose
    QString problem;       // the first rejection, or why nothing could be read
    bool readable = false; // a header naming the needed columns came
};

// The yearly CSV read as it arrives, in blocks of any size: its bytes are parsed where they lie, one
// line at a time, and nothing but the unfinished last line is kept. The header names "DRAW NUMBER",
// "DRAW DATE" and "NUMBER DRAWN 1" to "NUMBER DRAWN 20" (quoted or not, in any order, a 21st number
// allowed); with a "PRODUCT" column only its KENO rows are read. Dates as "YYYY-MM-DD HH:MM:SS"
// (seconds optional), as a date with the time in a "DRAW TIME" column, or as ="dd/mm/yyyy HH:MM:SS";
// times on a 24-hour clock or with AM/PM; LF or CR LF line ends; a UTF-8 byte-order mark is skipped.
class KenoCsvReader
{
public:
    // Gets every good draw in document order; returning false stops the reading.
    using Sink = std::function<bool(const KenoCsvDraw&)>;

    KenoCsvReader(KenoScheme scheme, Sink sink);

    // False once the sink stopped the reading.
    bool feed(QByteArrayView block);
    // Reads a last line without a line end and says what the document gave.
    KenoCsvTally finish();

private:
    bool line(QByteArrayView text);
    bool header(QByteArrayView text);
    bool row(QByteArrayView text);
    void reject(const QString& reason);

    KenoScheme m_scheme;
    Sink m_sink;
    VancouverClock m_clock;
    QByteArray m_partial;
    KenoCsvTally m_tally;
    qint64 m_lineNumber = 0;
    bool m_headerSeen = false;
    bool m_stopped = false;
    int m_productColumn = -1;
    int m_issueColumn = -1;
    int m_dateColumn = -1;
    int m_timeColumn = -1;
    std::array<int, kKenoNumbers + 1> m_numberColumns{};
    std::vector<QByteArrayView> m_fields;
};

} // namespace tandor28
