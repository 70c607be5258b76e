#pragma once

#include "planrules.h"
#include "predictiontable.h"

#include "model/draw.h"

#include <QStringList>

#include <optional>

namespace tandor28 {

// A history needs this many draws before any plan table is generated.
inline constexpr int kMinimumDrawsForPlans = 10;

// The free plans table for free plan `plan` (1..16) and free bet code `code` (1..5) over
// `periodCount` judged rows (a negative count counts as 0). The first-value list holds remainders
// by 3 for 杀3N; the second list always holds the parity of n.
// nullopt (the table keeps its content) when the history holds fewer than 10 draws, or for a plan
// or code the tab does not offer.
[[nodiscard]] std::optional<PredictionTable> generateFreeTable(const DrawHistory& history, const QStringList& rules,
                                                               int plan, int code, int periodCount);

// The member plans table for member plan `plan` (1..56) and member bet code `code` (1..9); as above.
[[nodiscard]] std::optional<PredictionTable> generateMemberTable(const DrawHistory& history, const QStringList& rules,
                                                                 int plan, int code, int periodCount);

} // namespace tandor28
