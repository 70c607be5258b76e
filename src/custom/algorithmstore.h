#pragma once

#include "algorithmlist.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace tandor28 {

// What a data file's content decodes to. `unreadable` marks content that is not a list of records
// written by this program (foreign key, garbage, truncated, not hexadecimal, binary): it decodes
// to no records, and the file must be kept aside before anything overwrites it.
struct DecodedStore
{
    std::vector<CustomAlgorithm> algorithms;
    bool unreadable = false;
};

// The data file content for a list: GBK records "name----formulas" + CR LF, enciphered in ECB mode
// with the key of "tandor", as upper-case hexadecimal.
[[nodiscard]] QByteArray encodeStore(const std::vector<CustomAlgorithm>& algorithms);
[[nodiscard]] DecodedStore decodeStore(const QByteArray& content);

// The plaintext records of a list and their parsing, without the cipher.
[[nodiscard]] QByteArray storePlaintext(const std::vector<CustomAlgorithm>& algorithms);
[[nodiscard]] std::vector<CustomAlgorithm> parseStorePlaintext(const QString& plaintext);

// The data file. `unreadableOnDisk` is set by a load that found an unreadable file; the next save
// first renames that file to "<path>.bad-<timestamp>".
struct AlgorithmStore
{
    QString path;
    bool unreadableOnDisk = false;
};

// TandorData.ini where the program keeps it: beside a portable program, else in the user's data folder.
[[nodiscard]] QString defaultStorePath();

// Reads the data file; a missing or empty file is an empty list.
[[nodiscard]] std::vector<CustomAlgorithm> loadAlgorithms(AlgorithmStore& store);

// Replaces the data file atomically with the list, creating its folder first. Returns false when
// nothing was written (the file could not be written, or an unreadable file could not be moved
// aside); the old file then stays, and `error` gets the reason.
bool saveAlgorithms(AlgorithmStore& store, const std::vector<CustomAlgorithm>& algorithms, QString* error = nullptr);

} // namespace tandor28
