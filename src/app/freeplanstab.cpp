#include "app/freeplanstab.h"

#include "ui_freeplanstab.h"

#include <QPushButton>

namespace tandor28 {

FreePlansTab::FreePlansTab(const AppState& state, const WindowParts& parts, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::FreePlansTab>()), m_state(state), m_parts(parts)
{
    m_ui->setupUi(this);
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
}

FreePlansTab::~FreePlansTab() = default;

QTableWidget* FreePlansTab::table() const
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

void FreePlansTab::loadPlanRules() {}

void FreePlansTab::setInitialSelections() {}

void FreePlansTab::runFreeGenerator() {}

void FreePlansTab::selectFreePlan(int plan)
{
    Q_UNUSED(plan);
}

void FreePlansTab::selectFreeBetType(int code)
{
    Q_UNUSED(code);
}

} // namespace tandor28
