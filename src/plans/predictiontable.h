#pragma once

#include "judgement.h"

#include "model/draw.h"
#include "model/rgb.h"

#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace tandor28 {

inline constexpr int kPredictionColumns = 7;

// One cell of a prediction grid as a generator leaves it: nullopt text means the cell is not
// written (it keeps what it showed), nullopt colour means its text colour is left as it was.
struct PredictionCell
{
    std::optional<QString> text;
    std::optional<Rgb> colour;

    friend bool operator==(const PredictionCell&, const PredictionCell&) = default;
};

using PredictionRow = std::array<PredictionCell, kPredictionColumns>;

// What a generator produces for one of the three prediction grids. rows[0] is grid row 1 (the
// next-issue row), rows[k] is grid row k + 1 (the draw at history position k). Grid row 0, the
// header, is never part of it.
struct PredictionTable
{
    std::vector<PredictionRow> rows;
    // predictions[0] is prediction 1 (the next issue), predictions[k] the one for position k.
    std::vector<PredictionValues> predictions;
    // verdicts[k - 1] is the verdict of the draw at position k (newest first); none for a row that
    // is not judged (an empty position, or a prediction made from one).
    std::vector<std::optional<Verdict>> verdicts;
};

// Column 0 of the next-issue row: the newest issue read as an integer (leading digits, 64-bit), plus 1.
[[nodiscard]] QString nextIssueText(const QString& newestIssue);

// Columns 0..2 of the next-issue row: next issue, "00:00", "  ?".
[[nodiscard]] std::array<QString, 3> nextIssueCells(const DrawHistory& history);

// Grid row 1: columns 0..2 as nextIssueCells, column 3 the special number, columns 4 and 5 the
// prediction cells; column 6 and all colours unwritten.
// A row that is not judged: columns 0..2 from the draw (blank for an empty position), columns 3..6
// blank in the plain text colour, so nothing of an earlier judgement stays.
[[nodiscard]] PredictionRow unjudgedRow(const Draw& draw);

[[nodiscard]] PredictionRow nextIssueRow(const DrawHistory& history, BetType betType, const PredictionValues& values);

// A judged row: columns 0..2 from the draw (issue, first five characters of the time, result text),
// 3..5 from the prediction, 6 the result text, colours of 3..6 from judgeRow.
[[nodiscard]] PredictionRow judgedRow(const Draw& draw, BetType betType, const PredictionValues& values,
                                      Verdict* verdict = nullptr);

// One grid row as the command-line companion prints it, tab-separated: the grid row number, the seven
// cell texts (an unwritten cell prints empty), then the text colours of columns 3..6 as RRGGBB, or
// "-" where the row leaves a colour unset.
[[nodiscard]] QString predictionRowLine(int gridRow, const PredictionRow& row);

} // namespace tandor28
