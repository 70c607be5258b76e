#include "app/freeplanstab.h"

#include "ui_freeplanstab.h"

#include "app/gridlooks.h"
#include "app/tablewriter.h"

#include "model/textnum.h"
#include "plans/generators.h"
#include "plans/planrules.h"

#include <QPushButton>

#include <algorithm>

namespace tandor28 {

FreePlansTab::FreePlansTab(const AppState& state, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::FreePlansTab>()), m_state(state)
{
    m_ui->setupUi(this);
    setUpGrid(m_ui->freePlanTable, new GridModel(kPeriodCount + 2, kPredictionTableColumns, this));
    for (int plan = 1; plan <= 16; ++plan) {
        auto* button = findChild<QPushButton*>(QStringLiteral("freePlanButton%1").arg(plan, 2, 10, QLatin1Char('0')));
        m_planButtons.append(button);
        // "F12计划" and "F13计划" answer the mouse button going down, the others its release.
        if (plan == 15 || plan == 16)
            connect(button, &QPushButton::pressed, this, [this, plan] { selectFreePlan(plan); });
        else
            connect(button, &QPushButton::clicked, this, [this, plan] { selectFreePlan(plan); });
    }
    for (int code = 1; code <= 5; ++code) {
        auto* button = findChild<QPushButton*>(QStringLiteral("freeBetButton%1").arg(code));
        m_betTypeButtons.append(button);
        connect(button, &QPushButton::clicked, this, [this, code] { selectFreeBetType(code); });
    }
    connect(&m_state, &AppState::historyChanged, this, &FreePlansTab::writeDrawRows);
}

void FreePlansTab::styleTable()
{
    stylePredictionTable(m_ui->freePlanTable);
}

void FreePlansTab::writeDrawRows()
{
    writeDrawColumns(m_ui->freePlanTable, m_state.history);
}

FreePlansTab::~FreePlansTab() = default;

QTableView* FreePlansTab::table() const
{
    return m_ui->freePlanTable;
}

QList<QPushButton*> FreePlansTab::planButtons() const
{
    return m_planButtons;
}

QList<QPushButton*> FreePlansTab::betTypeButtons() const
{
    return m_betTypeButtons;
}

void FreePlansTab::loadPlanRules()
{
    m_rules = ::tandor28::loadPlanRules().free;
}

void FreePlansTab::setInitialSelections()
{
    m_plan = 1;
    m_code = 1;
    highlight(m_planButtons, m_plan);
    highlight(m_betTypeButtons, m_code);
}

int FreePlansTab::periodCount() const
{
    return std::clamp(m_state.boxPeriods, 0, judgedRowCapacity(m_ui->freePlanTable));
}

void FreePlansTab::highlight(const QList<QPushButton*>& buttons, int selected)
{
    for (int i = 0; i < buttons.size(); ++i)
        setButtonBackground(buttons.at(i), i + 1 == selected ? kSelectedButton : kUnselectedButton);
}

void FreePlansTab::runFreeGenerator()
{
    const std::optional<PredictionTable> table =
        generateFreeTable(m_state.history, m_rules, m_plan, m_code, periodCount());
    if (!table)
        return;
    writePredictionTable(m_ui->freePlanTable, *table);
}

void FreePlansTab::selectFreePlan(int plan)
{
    if (plan < 1 || plan > kFreePlanCount)
        return;
    highlight(m_planButtons, plan);
    m_plan = plan;
    runFreeGenerator();
}

void FreePlansTab::selectFreeBetType(int code)
{
    if (!freeBetType(code))
        return;
    highlight(m_betTypeButtons, code);
    m_code = code;
    runFreeGenerator();
}

} // namespace tandor28
