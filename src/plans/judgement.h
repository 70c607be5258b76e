#pragma once

#include "bettype.h"

#include "model/draw.h"
#include "model/rgb.h"

#include <QString>

#include <array>
#include <optional>
#include <utility>

namespace tandor28 {

// What a prediction row carries once its number n is known.
struct PredictionValues
{
    int n = 0;
    QString special;          // twoDigit(n), the predicted special number ("特码")
    QString a;                // first prediction value, by bet type
    std::optional<QString> b; // second prediction value, only for the bet types that have one

    friend bool operator==(const PredictionValues&, const PredictionValues&) = default;
};

// The values of a prediction of n for a bet type. `newestSourceIssue` is the issue of the newest draw
// the prediction was computed from; only DoubleItem reads it (even issue: parity, odd: size; an
// empty or non-numeric issue counts as even).
[[nodiscard]] PredictionValues predictionValues(BetType betType, int n, const QString& newestSourceIssue);

// The texts of the two prediction columns (4 and 5) for a bet type. `b` is ignored by the bet types
// that have no second value.
[[nodiscard]] std::pair<QString, QString> predictionCells(BetType betType, const QString& a,
                                                          const std::optional<QString>& b);

enum class Verdict
{
    Hit,
    Miss,
};

// The judgement of one prediction against the draw it was made for.
struct RowJudgement
{
    QString resultText; // what column 6 shows ("组合对", "没有对", "杀组错", "特码对", ...)
    Verdict verdict = Verdict::Miss;
    // Text colours of columns 3, 4, 5 and 6 (index 0 = column 3); nullopt leaves the cell as it was.
    std::array<std::optional<Rgb>, 4> colours;

    friend bool operator==(const RowJudgement&, const RowJudgement&) = default;
};

// Judges one row: the bet part decides the verdict and colours columns 4..6; then an exact match
// of the special number turns columns 3 and 6 red and shows "特码对" without changing the verdict,
// otherwise column 3 turns blue.
[[nodiscard]] RowJudgement judgeRow(BetType betType, const PredictionValues& values, const Draw& draw);

// The verdict alone, as judgeRow decides it, without building any text. For statistics loops.
[[nodiscard]] Verdict judgeVerdict(BetType betType, const PredictionValues& values, const Draw& draw);

// Whether an issue text, read as an integer by its leading digits (64-bit, so long issue numbers
// keep their parity), is even. Empty or non-numeric text counts as even.
[[nodiscard]] bool issueIsEven(const QString& issue);

} // namespace tandor28
