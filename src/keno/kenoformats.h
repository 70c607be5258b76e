#pragma once

#include "keno/kenocsvreader.h"
#include "keno/kenoscheme.h"
#include "model/dateddraw.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace tandor28 {

// What a Keno document gave: the draws it held (times already local, digits by the scheme) and how
// many records were rejected (bad numbers, unreadable date or draw number), with the first reason.
struct KenoRead
{
    std::vector<DatedDraw> draws;
    int rejected = 0;
    int skipped = 0; // CSV rows of other products than KENO, left out on purpose
    QString problem;
    bool readable = false; // the document had the expected shape at all
};

// The results service's JSON: an array of {"drawNbr": 3463830, "drawDate": "Jul 31, 2026",
// "drawTime": "03:56:30 AM", "drawNbrs": [20 numbers], ...}, bare or under "draws" in an object;
// draws in document order. The draw number and the numbers may be JSON numbers or texts, the day
// one or two digits, the time with or without seconds, on a 12- or 24-hour clock; other members
// are ignored.
[[nodiscard]] KenoRead parseKenoJson(const QByteArray& body, KenoScheme scheme);

// The yearly CSV: a header naming "DRAW NUMBER", "DRAW DATE" and "NUMBER DRAWN 1" to "NUMBER DRAWN 20"
// (quoted or not), one draw a row; draws in document order. With a "PRODUCT" column only its KENO
// rows are read. Dates as "YYYY-MM-DD HH:MM:SS", as a date with the time in a "DRAW TIME" column,
// or as ="dd/mm/yyyy HH:MM:SS"; LF or CR LF line ends, with or without a UTF-8 byte-order mark.
[[nodiscard]] KenoRead parseKenoCsv(const QByteArray& text, KenoScheme scheme);

// The CSV as published: a zip archive holding it, or the plain CSV text.
[[nodiscard]] KenoRead parseKenoCsvBody(const QByteArray& body, KenoScheme scheme);

// The CSV as published, a zip archive holding it or the plain text, read in blocks: each good draw
// goes to the sink as soon as it is read, so neither the text nor its draws are ever held whole. A
// zip entry is inflated a block at a time.
[[nodiscard]] KenoCsvTally streamKenoCsvBody(const QByteArray& body, KenoScheme scheme,
                                             const KenoCsvReader::Sink& sink);
// The same from a file, which is read a block at a time too.
[[nodiscard]] KenoCsvTally streamKenoCsvFile(const QString& path, KenoScheme scheme, const KenoCsvReader::Sink& sink);

// The bounds of a zip entry that is read: its size, and how many times its compressed size it may
// inflate to. A yearly CSV is well within both.
inline constexpr unsigned long long kMaxZipEntryBytes = 64ULL * 1024 * 1024;
inline constexpr unsigned long long kMaxZipInflation = 100;

// The first entry of a zip archive whose name ends in ".csv" (any entry when none does); nullopt
// with the reason when the bytes are no readable zip archive.
[[nodiscard]] std::optional<QByteArray> unzipFirstCsv(const QByteArray& zip, QString* why = nullptr);

// A zip archive holding one deflated entry; empty when libzip fails.
[[nodiscard]] QByteArray zipOneFile(const QString& entryName, const QByteArray& content);

} // namespace tandor28
