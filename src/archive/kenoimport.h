#pragma once

#include "archive/drawarchive.h"
#include "keno/kenoformats.h"

namespace tandor28 {

// What importing a yearly Keno CSV did: the reader's tally and the archive's counts.
struct KenoImport
{
    KenoCsvTally read;
    ArchiveAdd add;
};

// A yearly Keno CSV (plain or zipped) read a block at a time straight into one transaction of the
// archive, so that neither the text nor its draws are ever held whole. Nothing is kept when no draw
// was read, the body proved damaged (a zip entry whose CRC fails) or a write failed.
[[nodiscard]] KenoImport importKenoCsvFile(DrawArchive& archive, LotteryKind lottery, const QString& path,
                                           KenoScheme scheme, const QString& source);
// The same from a body already fetched.
[[nodiscard]] KenoImport importKenoCsvBody(DrawArchive& archive, LotteryKind lottery, const QByteArray& body,
                                           KenoScheme scheme, const QString& source);

} // namespace tandor28
