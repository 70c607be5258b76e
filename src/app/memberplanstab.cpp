#include "app/memberplanstab.h"

#include "ui_memberplanstab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QToolButton>

namespace tandor28 {

MemberPlansTab::MemberPlansTab(const AppState& state, const WindowParts& parts, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::MemberPlansTab>()), m_state(state), m_parts(parts)
{
    m_ui->setupUi(this);
    // Buttons are named by plan number: "F15计划A" (plan 21) stands in the row after "F12计划A".."D".
    for (int plan = 1; plan <= 56; ++plan) {
        auto* button = findChild<QPushButton*>(QStringLiteral("memberPlanButton%1").arg(plan, 2, 10, QLatin1Char('0')));
        m_planButtons.append(button);
        connect(button, &QPushButton::clicked, this, [this, plan] { selectMemberPlan(plan); });
    }
    for (int code = 1; code <= 9; ++code) {
        auto* button = findChild<QPushButton*>(QStringLiteral("memberBetButton%1").arg(code));
        m_betTypeButtons.append(button);
        connect(button, &QPushButton::clicked, this, [this, code] { selectMemberBetType(code); });
    }
    m_ui->markColourButton->setStyleSheet(QStringLiteral("background-color: rgb(255, 0, 0);"));
    connect(m_ui->markButton, &QPushButton::clicked, this, &MemberPlansTab::runMarkingPass);
    connect(m_ui->markColourButton, &QToolButton::clicked, this, &MemberPlansTab::pickMarkColour);
    connect(m_ui->autoMarkCheck, &QCheckBox::toggled, this, &MemberPlansTab::onAutoMarkToggled);
    connect(m_ui->statsWindowCombo, &QComboBox::currentIndexChanged, this, &MemberPlansTab::onStatsWindowChanged);
}

MemberPlansTab::~MemberPlansTab() = default;

QTableWidget* MemberPlansTab::table() const
{
    return m_ui->memberPlanTable;
}

QList<QPushButton*> MemberPlansTab::planButtons() const
{
    return m_planButtons;
}

QList<QPushButton*> MemberPlansTab::betTypeButtons() const
{
    return m_betTypeButtons;
}

void MemberPlansTab::fillPlanButtonList(const QList<QPushButton*>& freePlanButtons,
                                        const QList<QPushButton*>& freeBetTypeButtons)
{
    Q_UNUSED(freePlanButtons);
    Q_UNUSED(freeBetTypeButtons);
}

void MemberPlansTab::loadPlanRules() {}

void MemberPlansTab::setInitialSelections() {}

void MemberPlansTab::runMemberGenerator() {}

void MemberPlansTab::selectMemberPlan(int plan)
{
    Q_UNUSED(plan);
}

void MemberPlansTab::selectMemberBetType(int code)
{
    Q_UNUSED(code);
}

void MemberPlansTab::runMarkingPass() {}

void MemberPlansTab::pickMarkColour() {}

void MemberPlansTab::onAutoMarkToggled(bool on)
{
    Q_UNUSED(on);
}

void MemberPlansTab::onStatsWindowChanged(int index)
{
    Q_UNUSED(index);
}

} // namespace tandor28
