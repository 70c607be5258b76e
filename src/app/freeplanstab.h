#pragma once

#include "app/appstate.h"

#include <QList>
#include <QStringList>
#include <QWidget>

#include <memory>

class QPushButton;
class QTableView;

namespace Ui {
class FreePlansTab;
}

namespace tandor28 {

// Tab "预测显示": the 16 free plans, their five bet types and the free plan table.
class FreePlansTab : public QWidget
{
    Q_OBJECT

public:
    FreePlansTab(const AppState& state, QWidget* parent = nullptr);
    ~FreePlansTab() override;

    [[nodiscard]] QTableView* table() const;
    // Start-up: the table's look, header texts and column widths.
    void styleTable();
    // Caption buttons of free plans 1..16 and bet-type buttons of codes 1..5, in number order.
    [[nodiscard]] QList<QPushButton*> planButtons() const;
    [[nodiscard]] QList<QPushButton*> betTypeButtons() const;

    // Start-up: read the free plan rule list.
    void loadPlanRules();
    // Start-up: free plan 1 and bet type 1.
    void setInitialSelections();

    // Rebuilds the free plan table; the refresh calls it after the draw rows are written.
    void runFreeGenerator();
    // A new history: its draws go into the draw columns of the table.
    void writeDrawRows();
    void selectFreePlan(int plan);
    void selectFreeBetType(int code);

    [[nodiscard]] int currentPlan() const { return m_plan; }
    [[nodiscard]] int currentBetCode() const { return m_code; }

private:
    // The period count the generator reads from the "期数：" box, limited to the rows the grid has.
    [[nodiscard]] int periodCount() const;
    void highlight(const QList<QPushButton*>& buttons, int selected);

    const std::unique_ptr<Ui::FreePlansTab> m_ui;
    const AppState& m_state;
    QList<QPushButton*> m_planButtons;
    QList<QPushButton*> m_betTypeButtons;
    QStringList m_rules;
    int m_plan = 1;
    int m_code = 1;
};

} // namespace tandor28
