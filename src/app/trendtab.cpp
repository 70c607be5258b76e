#include "app/trendtab.h"

#include "ui_trendtab.h"

namespace tandor28 {

TrendTab::TrendTab(const AppState& state, const WindowParts& parts, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::TrendTab>()), m_state(state), m_parts(parts)
{
    m_ui->setupUi(this);
}

TrendTab::~TrendTab() = default;

QTableWidget* TrendTab::table() const
{
    return m_ui->trendTable;
}

QTreeWidget* TrendTab::categoryList() const
{
    return m_ui->categoryList;
}

void TrendTab::fillTrendRow(int row, const Draw& draw)
{
    Q_UNUSED(row);
    Q_UNUSED(draw);
}

void TrendTab::updateCategoryList() {}

} // namespace tandor28
