#pragma once

#include "app/appstate.h"

#include <QWidget>

#include <memory>

class QTableView;
class QTreeWidget;

namespace Ui {
class TrendTab;
}

namespace tandor28 {

// Tab "走势统计": the trend table and the category list.
class TrendTab : public QWidget
{
    Q_OBJECT

public:
    TrendTab(const AppState& state, QWidget* parent = nullptr);
    ~TrendTab() override;

    [[nodiscard]] QTableView* table() const;
    // Start-up: the table's look, header texts and column widths.
    void styleTable();
    [[nodiscard]] QTreeWidget* categoryList() const;

    // A new history: every draw's trend row.
    void writeTrendRows();
    // Writes trend row `row` for `draw`.
    void fillTrendRow(int row, const Draw& draw);
    // Recounts the category list; the refresh calls it once near its end.
    void updateCategoryList();

private:
    const std::unique_ptr<Ui::TrendTab> m_ui;
    const AppState& m_state;
};

} // namespace tandor28
