#pragma once

#include "model/draw.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <vector>

namespace tandor28 {

// Working values [1]..[18]; slot i lives at index i - 1. Plans read slots 1..12 only; custom
// formulas also use 13..18.
using WorkingValues = std::array<int, 18>;

inline constexpr int kPlanSlotCount = 12;
inline constexpr int kFreePlanCount = 16;
inline constexpr int kMemberPlanCount = 56;

// Fills slots 1..12 from the digits of the draws at history positions k, k+1, k+2, k+3 (three slots
// per draw, d1 d2 d3). Slots 13..18 are left alone. Positions beyond the history read as empty draws.
void fillPlanSlots(WorkingValues& values, const DrawHistory& history, int k);
// A plan's prediction for a draw is made from this many draws before it.
inline constexpr int kPlanSourceDraws = 4;

// A rule line parsed once: three terms, each a list of positions. A term whose sum is taken over no
// position is 0.
struct PlanRule
{
    std::array<std::vector<int>, 3> terms;
    // False when the line lacks "----", has fewer than three terms, or names a position outside 1..12.
    bool wellFormed = false;

    friend bool operator==(const PlanRule&, const PlanRule&) = default;
};

// Parses "any text----T1|T2|T3" (text after a second "----" and parts after the third "|" are
// ignored; a term is positions joined by "+"). Malformed lines never fail: a line without "----"
// has three empty terms; missing terms are empty; a position that is not a number from 1 to 12 is
// dropped, because slots 13..18 are not filled for plans and anything else is outside the slots.
[[nodiscard]] PlanRule parsePlanRule(QStringView line);

// n = sum over the three terms of (sum of the named slots) mod 10, so 0..27. An empty term adds 0,
// so a line without "----" predicts 0.
[[nodiscard]] int planNumber(const PlanRule& rule, const WorkingValues& values);
[[nodiscard]] int planNumber(QStringView ruleLine, const WorkingValues& values);

// The two rule lists shipped with the program.
struct PlanRules
{
    QStringList free;   // line p - 1 drives free plan p
    QStringList member; // line p - 1 drives member plan p
};

// Splits a rule list text at CR LF (a lone LF is accepted too); a final empty line is dropped.
[[nodiscard]] QStringList splitRuleList(const QString& text);

// Reads both lists from the program's resources. A missing resource gives an empty list.
[[nodiscard]] PlanRules loadPlanRules();

// Line p of a list (1-based); the empty text, which predicts 0, for a plan the list lacks.
[[nodiscard]] QString ruleLine(const QStringList& rules, int plan);

// Button captions by plan number (1-based); the empty text outside the catalogue.
[[nodiscard]] QString freePlanCaption(int plan);
[[nodiscard]] QString memberPlanCaption(int plan);

} // namespace tandor28
