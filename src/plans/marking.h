#pragma once

#include "planstats.h"

#include "model/draw.h"
#include "model/rgb.h"

#include <QStringList>

#include <optional>
#include <vector>

namespace tandor28 {

// The statistics of member plan `plan` for member bet code `code` over the `window` newest draws,
// judging each row exactly as the member table does. A window longer than the history is cut to the
// history (the program's history always holds the window plus the four draws it predicts from).
// nullopt (nothing evaluated) when the history holds fewer than 10 draws or for a plan or code the
// tab does not offer.
[[nodiscard]] std::optional<PlanStats> evaluateMemberPlan(const DrawHistory& history, const QStringList& rules,
                                                          int plan, int code, int window);

// The user's marking rule as the member tab's controls give it.
struct MarkRule
{
    int criterion = 2;                 // PlanStats field index 0..4
    std::optional<int> comparison = 0; // 0 ">=", 1 "<=", 2 ">", 3 "<"; nullopt: no comparison chosen
    int threshold = 80;
};

// Whether a criterion value meets the comparison; nullopt when no (known) comparison is chosen,
// which leaves the caption colour unchanged.
[[nodiscard]] std::optional<bool> meetsMarkRule(int value, std::optional<int> comparison, int threshold);

struct PlanMark
{
    PlanStats stats;
    int criterionValue = 0;
    std::optional<bool> marked; // nullopt: caption colour left unchanged
};

// One marking pass over all 56 member plans for a member bet code and window. plans[p - 1] is plan p.
// With fewer than 10 draws nothing is evaluated and every plan's statistics stay all zero.
[[nodiscard]] std::vector<PlanMark> markMemberPlans(const DrawHistory& history, const QStringList& rules, int code,
                                                    int window, const MarkRule& rule);

} // namespace tandor28
