#include "app/trendtab.h"

#include "alerts/trend.h"
#include "app/gridlooks.h"
#include "ui_trendtab.h"

#include <QTreeWidget>

namespace tandor28 {

TrendTab::TrendTab(const AppState& state, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::TrendTab>()), m_state(state)
{
    m_ui->setupUi(this);
    setUpGrid(m_ui->trendTable, new GridModel(kPeriodCount + 1, kTrendTableColumns, this));
    // Narrow label and count columns leave the share column room for 13 significant digits.
    m_ui->categoryList->setColumnWidth(0, 40);
    m_ui->categoryList->setColumnWidth(1, 36);
    connect(&m_state, &AppState::historyChanged, this, &TrendTab::writeTrendRows);
}

void TrendTab::styleTable()
{
    styleTrendTable(m_ui->trendTable);
}

void TrendTab::writeTrendRows()
{
    for (int position = 1; position <= m_state.history.size(); ++position)
        fillTrendRow(position, m_state.history.at(position));
}

TrendTab::~TrendTab() = default;

QTableView* TrendTab::table() const
{
    return m_ui->trendTable;
}

QTreeWidget* TrendTab::categoryList() const
{
    return m_ui->categoryList;
}

void TrendTab::fillTrendRow(int row, const Draw& draw)
{
    const TrendRow trend = trendRow(draw);
    for (int column = 0; column < kTrendColumnCount; ++column)
        setCellText(m_ui->trendTable, row, column, trend.cells[static_cast<std::size_t>(column)]);
    for (int i = 0; i < kTrendCategoryColumnCount; ++i)
        setCellBackground(m_ui->trendTable, row, kTrendFirstCategoryColumn + i,
                          trend.backgrounds[static_cast<std::size_t>(i)]);
}

void TrendTab::updateCategoryList()
{
    // The rows keep their items; only the count and share cells are rewritten.
    const auto rows = tandor28::categoryList(m_state.history, m_state.periodCount);
    QTreeWidget* list = m_ui->categoryList;
    for (int i = 0; i < kCategoryCount && i < list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = list->topLevelItem(i);
        const CategoryRow& row = rows[static_cast<std::size_t>(i)];
        item->setText(0, row.label);
        item->setText(1, QString::number(row.count));
        item->setText(2, row.share);
    }
}

} // namespace tandor28
