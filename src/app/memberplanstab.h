#pragma once

#include "app/appstate.h"

#include "model/rgb.h"

#include <QList>
#include <QStringList>
#include <QWidget>

#include <memory>

class QPushButton;
class QTableView;

namespace Ui {
class MemberPlansTab;
}

namespace tandor28 {

// Tab "会员计划": the 56 member plans, nine bet types, statistics and marking, the member plan table.
class MemberPlansTab : public QWidget
{
    Q_OBJECT

public:
    MemberPlansTab(const AppState& state, QWidget* parent = nullptr);
    ~MemberPlansTab() override;

    [[nodiscard]] QTableView* table() const;
    // Start-up: the table's look, header texts and column widths.
    void styleTable();
    // Caption buttons of member plans 1..56 (by plan number, not by place) and bet-type buttons 1..9.
    [[nodiscard]] QList<QPushButton*> planButtons() const;
    [[nodiscard]] QList<QPushButton*> betTypeButtons() const;

    // Start-up: the plan button list of both plan tabs, in marking order.
    void fillPlanButtonList(const QList<QPushButton*>& freePlanButtons, const QList<QPushButton*>& freeBetTypeButtons);
    // Start-up: read the member plan rule list.
    void loadPlanRules();
    // Start-up: member bet type 1 and member plan 1.
    void setInitialSelections();

    // Rebuilds the member plan table; the refresh calls it after the countdown is computed.
    void runMemberGenerator();
    // A new history: its draws go into the draw columns of the table.
    void writeDrawRows();
    void selectMemberPlan(int plan);
    void selectMemberBetType(int code);
    void runMarkingPass();
    // The marking pass when "开启自动标记" is ticked: after a plan or bet-type selection, and after a
    // refresh that brought a new draw (the statistics label must not describe the previous draws).
    void markAutomatically();
    void pickMarkColour();
    void onAutoMarkToggled(bool on);
    void onStatsWindowChanged(int index);

    [[nodiscard]] int currentPlan() const { return m_plan; }
    [[nodiscard]] int currentBetCode() const { return m_code; }
    [[nodiscard]] Rgb markColour() const { return m_markColour; }
    // Sets the colour the picker shows and marked captions take.
    void setMarkColour(Rgb colour);

private:
    // The period count the generator reads from the "期数：" box, limited to the rows the grid has.
    [[nodiscard]] int periodCount() const;
    void highlight(const QList<QPushButton*>& buttons, int selected);

    const std::unique_ptr<Ui::MemberPlansTab> m_ui;
    const AppState& m_state;
    QList<QPushButton*> m_planButtons;
    QList<QPushButton*> m_betTypeButtons;
    QStringList m_rules;
    int m_plan = 1;
    int m_code = 1;
    Rgb m_markColour = kHitRed;
};

} // namespace tandor28
