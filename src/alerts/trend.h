#pragma once

#include "model/draw.h"
#include "model/rgb.h"

#include <QString>

#include <array>
#include <vector>

namespace tandor28 {

// Columns of the trend table: issue, result text, then the seven category columns 2..8.
inline constexpr int kTrendColumnCount = 9;
inline constexpr int kTrendFirstCategoryColumn = 2;
inline constexpr int kTrendCategoryColumnCount = kTrendColumnCount - kTrendFirstCategoryColumn;

// One row of the trend table: the nine cell texts and the backgrounds of the category columns
// (backgrounds[0] belongs to column 2).
struct TrendRow
{
    std::array<QString, kTrendColumnCount> cells;
    std::array<Rgb, kTrendCategoryColumnCount> backgrounds;
};

// Header texts of the trend table's nine columns.
[[nodiscard]] const std::array<QString, kTrendColumnCount>& trendHeaders();

// The row of one draw: issue, result text, size, parity, combination, middle/edge and the
// remainders by 3, 4 and 5 as digits; each category cell painted in the colour of its text.
[[nodiscard]] TrendRow trendRow(const Draw& draw);

// The rows of positions 1..periodCount (a position the history does not hold reads as the empty draw,
// as the table shows it).
[[nodiscard]] std::vector<TrendRow> trendRows(const DrawHistory& history, int periodCount);

// The category list has 25 fixed rows.
inline constexpr int kCategoryCount = 25;

// "大", "小", "单", "双", "中", "边", "小单", "小双", "大双", "大单", "极大", "极小", "豹子",
// "3N0".."3N2", "4N0".."4N3", "5N0".."5N4", in the order the list shows them.
[[nodiscard]] const std::array<QString, kCategoryCount>& categoryLabels();

struct CategoryRow
{
    QString label;
    int count = 0;
    QString share; // (count / N) * 100 as "%.13g" followed by "%"
};

// The counts of the 25 categories among positions 1..periodCount and their shares of periodCount.
// Only positions the history holds are counted, so a short history gives shares that add up to less
// than 100%; a period count of 0 or below counts nothing and shows every share as "0%".
[[nodiscard]] std::array<CategoryRow, kCategoryCount> categoryList(const DrawHistory& history, int periodCount);

// The share text of count out of periodCount; "0%" when periodCount is 0 or below.
[[nodiscard]] QString shareText(int count, int periodCount);

} // namespace tandor28
