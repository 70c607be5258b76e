#pragma once

#include <QString>

// The data of the scale benchmarks, made once per folder (TANDOR28_SCALE_DIR, or a temporary one).
namespace tandor28::benchdata {

inline constexpr int kScaleDraws = 1000000;

// A yearly-form Keno CSV of a million draws, 3.5 minutes apart on Vancouver's clock.
[[nodiscard]] const QString& millionCsv();
// The Canada 28 archive that CSV gives.
[[nodiscard]] const QString& millionArchive();

} // namespace tandor28::benchdata
