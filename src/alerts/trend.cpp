#include "trend.h"

#include "model/classification.h"
#include "model/textnum.h"

#include <algorithm>

namespace tandor28 {

namespace {

// The list row of a category label; -1 for a label without a row (the empty extreme label, or a
// remainder of a sum outside 0..27).
int categoryIndex(const QString& label)
{
    const auto& labels = categoryLabels();
    const auto found = std::find(labels.begin(), labels.end(), label);
    return found == labels.end() ? -1 : static_cast<int>(found - labels.begin());
}

void countLabel(std::array<int, kCategoryCount>& counts, const QString& label)
{
    const int index = categoryIndex(label);
    if (index >= 0)
        ++counts[static_cast<std::size_t>(index)];
}

QString remainderLabel(int sum, int divisor)
{
    return QString::number(divisor) + QLatin1Char('N') + QString::number(sumMod(sum, divisor));
}

} // namespace

const std::array<QString, kTrendColumnCount>& trendHeaders()
{
    static const std::array<QString, kTrendColumnCount> headers = {
        QStringLiteral("期号"), QStringLiteral("开奖号码"), QStringLiteral("大小"),
        QStringLiteral("单双"), QStringLiteral("组合"),     QStringLiteral("中边"),
        QStringLiteral("三余"), QStringLiteral("四余"),     QStringLiteral("五余"),
    };
    return headers;
}

TrendRow trendRow(const Draw& draw)
{
    TrendRow row;
    // An empty position has no categories: blank cells on white.
    if (draw.isEmpty()) {
        row.backgrounds.fill(kWhite);
        return row;
    }
    row.cells = {
        draw.issue,
        draw.resultText,
        sizeLabel(draw.sum),
        parityLabel(draw.sum),
        comboLabel(draw.sum),
        middleEdgeLabel(draw.sum),
        QString::number(sumMod(draw.sum, 3)),
        QString::number(sumMod(draw.sum, 4)),
        QString::number(sumMod(draw.sum, 5)),
    };
    for (int i = 0; i < kTrendCategoryColumnCount; ++i)
        row.backgrounds[static_cast<std::size_t>(i)] =
            categoryColour(row.cells[static_cast<std::size_t>(kTrendFirstCategoryColumn + i)]);
    return row;
}

std::vector<TrendRow> trendRows(const DrawHistory& history, int periodCount)
{
    std::vector<TrendRow> rows;
    if (periodCount <= 0)
        return rows;
    rows.reserve(static_cast<std::size_t>(std::min(periodCount, std::max(history.size(), kHistoryLength))));
    for (int position = 1; position <= periodCount; ++position)
        rows.push_back(trendRow(history.at(position)));
    return rows;
}

const std::array<QString, kCategoryCount>& categoryLabels()
{
    static const std::array<QString, kCategoryCount> labels = {
        QStringLiteral("大"),   QStringLiteral("小"),   QStringLiteral("单"),   QStringLiteral("双"),
        QStringLiteral("中"),   QStringLiteral("边"),   QStringLiteral("小单"), QStringLiteral("小双"),
        QStringLiteral("大双"), QStringLiteral("大单"), QStringLiteral("极大"), QStringLiteral("极小"),
        QStringLiteral("豹子"), QStringLiteral("3N0"),  QStringLiteral("3N1"),  QStringLiteral("3N2"),
        QStringLiteral("4N0"),  QStringLiteral("4N1"),  QStringLiteral("4N2"),  QStringLiteral("4N3"),
        QStringLiteral("5N0"),  QStringLiteral("5N1"),  QStringLiteral("5N2"),  QStringLiteral("5N3"),
        QStringLiteral("5N4"),
    };
    return labels;
}

QString shareText(int count, int periodCount)
{
    if (periodCount <= 0)
        return QStringLiteral("0%");
    const double share = static_cast<double>(count) / static_cast<double>(periodCount) * 100.0;
    return formatG13(share) + QLatin1Char('%');
}

std::array<CategoryRow, kCategoryCount> categoryList(const DrawHistory& history, int periodCount)
{
    std::array<int, kCategoryCount> counts{};
    const int last = std::min(periodCount, history.size());
    // Only draws that happened are counted, and the shares are of them.
    int counted = 0;
    for (int position = 1; position <= last; ++position) {
        const Draw& draw = history.at(position);
        if (draw.isEmpty())
            continue;
        ++counted;
        const int sum = draw.sum;
        countLabel(counts, sizeLabel(sum));
        countLabel(counts, parityLabel(sum));
        countLabel(counts, middleEdgeLabel(sum));
        countLabel(counts, comboLabel(sum));
        countLabel(counts, extremeLabel(sum));
        if (isTriple(draw))
            countLabel(counts, QStringLiteral("豹子"));
        countLabel(counts, remainderLabel(sum, 3));
        countLabel(counts, remainderLabel(sum, 4));
        countLabel(counts, remainderLabel(sum, 5));
    }

    std::array<CategoryRow, kCategoryCount> rows;
    const auto& labels = categoryLabels();
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = CategoryRow{labels[i], counts[i], shareText(counts[i], counted)};
    return rows;
}

} // namespace tandor28
