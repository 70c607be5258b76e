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

// The text encoding of the records.
inline constexpr const char* kStoreCodec = "GBK";

// The data file content for a list: GBK records "name----formulas" + CR LF, enciphered in ECB mode
// with the key of "tandor", as upper-case hexadecimal. The caller checks that the codec exists.
// Blanks and line breaks after the hexadecimal text (an editor's final line break) are ignored.
[[nodiscard]] QByteArray encodeStore(const std::vector<CustomAlgorithm>& algorithms, const char* codec = kStoreCodec);
[[nodiscard]] DecodedStore decodeStore(const QByteArray& content, const char* codec = kStoreCodec);

// The plaintext records of a list and their parsing, without the cipher.
[[nodiscard]] QByteArray storePlaintext(const std::vector<CustomAlgorithm>& algorithms,
                                        const char* codec = kStoreCodec);
[[nodiscard]] std::vector<CustomAlgorithm> parseStorePlaintext(const QString& plaintext);

// The data file. `unreadableOnDisk` is set by a load that found an unreadable file; the next save
// first renames that file to "<path>.bad-<timestamp>". Without the codec (a Qt built without ICU)
// the file can be neither read nor written: a load then gives an empty list and leaves the file
// where it is, and every save fails, so a good file is never replaced by an empty one.
struct AlgorithmStore
{
    QString path;
    bool unreadableOnDisk = false;
    // The records' codec; tests name one that does not exist.
    const char* codec = kStoreCodec;
};

// Whether the store's codec exists on this system.
[[nodiscard]] bool storeCodecAvailable(const AlgorithmStore& store);

// TandorData.ini where the program keeps it: beside a portable program, else in the user's data folder.
[[nodiscard]] QString defaultStorePath();

// Reads the data file; a missing or empty file is an empty list.
[[nodiscard]] std::vector<CustomAlgorithm> loadAlgorithms(AlgorithmStore& store);

// Replaces the data file atomically with the list, creating its folder first. Returns false when
// nothing was written (no codec, the file could not be written, or an unreadable file could not be
// moved aside); the old file then stays, and `error` gets the reason.
bool saveAlgorithms(AlgorithmStore& store, const std::vector<CustomAlgorithm>& algorithms, QString* error = nullptr);

} // namespace tandor28
