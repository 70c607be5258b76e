#include "app/gridstyle.h"

#include <QAbstractItemView>
#include <QBrush>
#include <QColor>
#include <QHeaderView>
#include <QTableWidget>

#include <algorithm>
#include <functional>
#include <vector>

namespace tandor28 {

namespace {

struct StyleRule
{
    CellRange range;
    std::function<void(QTableWidgetItem*)> apply;
};

// Keeps the rules applied to one grid, as a child object of that grid.
class GridRules : public QObject
{
public:
    using QObject::QObject;
    std::vector<StyleRule> rules;
};

GridRules* rulesOf(QTableWidget* table)
{
    static const QString name = QStringLiteral("tandor28GridRules");
    auto* rules = dynamic_cast<GridRules*>(table->findChild<QObject*>(name, Qt::FindDirectChildrenOnly));
    if (!rules) {
        rules = new GridRules(table);
        rules->setObjectName(name);
    }
    return rules;
}

bool contains(const CellRange& range, int row, int column)
{
    return row >= range.firstRow && row <= range.lastRow && column >= range.firstColumn && column <= range.lastColumn;
}

QColor toColor(Rgb colour)
{
    return {colour.r, colour.g, colour.b};
}

Rgb toRgb(const QColor& colour)
{
    return {static_cast<std::uint8_t>(colour.red()), static_cast<std::uint8_t>(colour.green()),
            static_cast<std::uint8_t>(colour.blue())};
}

void addRule(QTableWidget* table, CellRange range, std::function<void(QTableWidgetItem*)> apply)
{
    const int lastRow = std::min(range.lastRow, table->rowCount() - 1);
    const int lastColumn = std::min(range.lastColumn, table->columnCount() - 1);
    for (int row = std::max(0, range.firstRow); row <= lastRow; ++row) {
        for (int column = std::max(0, range.firstColumn); column <= lastColumn; ++column) {
            if (auto* item = gridCell(table, row, column))
                apply(item);
        }
    }
    rulesOf(table)->rules.push_back({range, std::move(apply)});
}

void fillMissingItems(QTableWidget* table)
{
    auto* rules = rulesOf(table);
    for (int row = 0; row < table->rowCount(); ++row) {
        for (int column = 0; column < table->columnCount(); ++column) {
            if (table->item(row, column))
                continue;
            auto* item = new QTableWidgetItem;
            for (const auto& rule : rules->rules) {
                if (contains(rule.range, row, column))
                    rule.apply(item);
            }
            table->setItem(row, column, item);
        }
    }
}

} // namespace

void setUpGrid(QTableWidget* table, int rowCount, int columnCount)
{
    table->horizontalHeader()->hide();
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setWordWrap(false);
    table->verticalHeader()->setMinimumSectionSize(8);
    table->verticalHeader()->setDefaultSectionSize(22);
    table->horizontalHeader()->setMinimumSectionSize(8);
    table->horizontalHeader()->setDefaultSectionSize(64);
    table->setColumnCount(columnCount);
    table->setRowCount(rowCount);
    fillMissingItems(table);
}

void setGridRowCount(QTableWidget* table, int rowCount)
{
    if (table->rowCount() == rowCount)
        return;
    table->setRowCount(std::max(0, rowCount));
    fillMissingItems(table);
}

void styleTextColour(QTableWidget* table, CellRange range, Rgb colour)
{
    addRule(table, range, [colour](QTableWidgetItem* item) { item->setForeground(toColor(colour)); });
}

void styleBackground(QTableWidget* table, CellRange range, Rgb colour)
{
    addRule(table, range, [colour](QTableWidgetItem* item) { item->setBackground(toColor(colour)); });
}

void styleCentred(QTableWidget* table, CellRange range)
{
    addRule(table, range, [](QTableWidgetItem* item) { item->setTextAlignment(Qt::AlignCenter); });
}

void styleBold(QTableWidget* table, CellRange range)
{
    const QFont base = table->font();
    addRule(table, range, [base](QTableWidgetItem* item) {
        QFont font = item->data(Qt::FontRole).isValid() ? item->font() : base;
        font.setWeight(QFont::Bold);
        item->setFont(font);
    });
}

void styleFontHeight(QTableWidget* table, CellRange range, int pixels)
{
    const QFont base = table->font();
    addRule(table, range, [base, pixels](QTableWidgetItem* item) {
        QFont font = item->data(Qt::FontRole).isValid() ? item->font() : base;
        font.setPixelSize(pixels);
        item->setFont(font);
    });
}

QTableWidgetItem* gridCell(QTableWidget* table, int row, int column)
{
    if (!table || row < 0 || column < 0 || row >= table->rowCount() || column >= table->columnCount())
        return nullptr;
    auto* item = table->item(row, column);
    if (!item) {
        fillMissingItems(table);
        item = table->item(row, column);
    }
    return item;
}

void setCellText(QTableWidget* table, int row, int column, const QString& text)
{
    if (auto* item = gridCell(table, row, column))
        item->setText(text);
}

QString cellText(const QTableWidget* table, int row, int column)
{
    const auto* item = table ? table->item(row, column) : nullptr;
    return item ? item->text() : QString();
}

void setCellTextColour(QTableWidget* table, int row, int column, Rgb colour)
{
    if (auto* item = gridCell(table, row, column))
        item->setForeground(toColor(colour));
}

void setCellBackground(QTableWidget* table, int row, int column, Rgb colour)
{
    if (auto* item = gridCell(table, row, column))
        item->setBackground(toColor(colour));
}

Rgb cellTextColour(const QTableWidget* table, int row, int column)
{
    const auto* item = table ? table->item(row, column) : nullptr;
    if (!item || item->foreground().style() == Qt::NoBrush)
        return kBlack;
    return toRgb(item->foreground().color());
}

Rgb cellBackground(const QTableWidget* table, int row, int column)
{
    const auto* item = table ? table->item(row, column) : nullptr;
    if (!item || item->background().style() == Qt::NoBrush)
        return kWhite;
    return toRgb(item->background().color());
}

} // namespace tandor28
