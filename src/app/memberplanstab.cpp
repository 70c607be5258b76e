#include "app/memberplanstab.h"

#include "ui_memberplanstab.h"

#include "app/gridlooks.h"
#include "app/tablewriter.h"

#include "model/textnum.h"
#include "plans/generators.h"
#include "plans/marking.h"
#include "plans/planrules.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QToolButton>

#include <algorithm>

namespace tandor28 {

MemberPlansTab::MemberPlansTab(const AppState& state, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::MemberPlansTab>()), m_state(state)
{
    m_ui->setupUi(this);
    setUpGrid(m_ui->memberPlanTable, new GridModel(kPeriodCount + 2, kPredictionTableColumns, this));
    // Letters in the threshold would read as 0 and mark nearly every plan: digits only.
    m_ui->markThresholdEdit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this));
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
    setMarkColour(kHitRed);
    connect(m_ui->markButton, &QPushButton::clicked, this, &MemberPlansTab::runMarkingPass);
    connect(m_ui->markColourButton, &QToolButton::clicked, this, &MemberPlansTab::pickMarkColour);
    connect(m_ui->autoMarkCheck, &QCheckBox::toggled, this, &MemberPlansTab::onAutoMarkToggled);
    connect(m_ui->statsWindowCombo, &QComboBox::currentIndexChanged, this, &MemberPlansTab::onStatsWindowChanged);
    connect(&m_state, &AppState::historyChanged, this, &MemberPlansTab::writeDrawRows);
}

void MemberPlansTab::styleTable()
{
    stylePredictionTable(m_ui->memberPlanTable);
}

void MemberPlansTab::writeDrawRows()
{
    writeDrawColumns(m_ui->memberPlanTable, m_state.history);
}

MemberPlansTab::~MemberPlansTab() = default;

QTableView* MemberPlansTab::table() const
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
    // Every plan and bet-type button of both plan tabs starts unselected with a black caption.
    for (const QList<QPushButton*>& buttons : {freePlanButtons, freeBetTypeButtons, m_planButtons, m_betTypeButtons}) {
        for (QPushButton* button : buttons) {
            setButtonBackground(button, kUnselectedButton);
            setButtonCaptionColour(button, kBlack);
        }
    }
}

void MemberPlansTab::loadPlanRules()
{
    m_rules = ::tandor28::loadPlanRules().member;
}

void MemberPlansTab::setInitialSelections()
{
    m_code = 1;
    m_plan = 1;
    highlight(m_betTypeButtons, m_code);
    highlight(m_planButtons, m_plan);
}

int MemberPlansTab::periodCount() const
{
    return std::clamp(m_state.boxPeriods, 0, judgedRowCapacity(m_ui->memberPlanTable));
}

void MemberPlansTab::highlight(const QList<QPushButton*>& buttons, int selected)
{
    for (int i = 0; i < buttons.size(); ++i)
        setButtonBackground(buttons.at(i), i + 1 == selected ? kSelectedButton : kUnselectedButton);
}

void MemberPlansTab::runMemberGenerator()
{
    const std::optional<PredictionTable> table =
        generateMemberTable(m_state.history, m_rules, m_plan, m_code, periodCount());
    if (table)
        writePredictionTable(m_ui->memberPlanTable, *table);
}

void MemberPlansTab::selectMemberPlan(int plan)
{
    if (plan < 1 || plan > kMemberPlanCount)
        return;
    highlight(m_planButtons, plan);
    m_plan = plan;
    runMemberGenerator();
    markAutomatically();
}

void MemberPlansTab::selectMemberBetType(int code)
{
    if (!memberBetType(code))
        return;
    highlight(m_betTypeButtons, code);
    m_code = code;
    runMemberGenerator();
    markAutomatically();
}

void MemberPlansTab::markAutomatically()
{
    if (m_ui->autoMarkCheck->isChecked())
        runMarkingPass();
}

void MemberPlansTab::runMarkingPass()
{
    const QString windowText = m_ui->statsWindowCombo->currentText();
    const int compareIndex = m_ui->markCompareCombo->currentIndex();
    const MarkRule rule{m_ui->markCriterionCombo->currentIndex(),
                        compareIndex >= 0 ? std::optional<int>(compareIndex) : std::nullopt,
                        leadingInt(m_ui->markThresholdEdit->text())};
    const std::vector<PlanMark> marks = markMemberPlans(m_state.history, m_rules, m_code, leadingInt(windowText), rule);
    m_ui->memberStatsLabel->setText(statsLabelText(windowText, marks[static_cast<std::size_t>(m_plan - 1)].stats));
    for (int plan = 1; plan <= kMemberPlanCount && plan <= m_planButtons.size(); ++plan) {
        const std::optional<bool> marked = marks[static_cast<std::size_t>(plan - 1)].marked;
        if (marked)
            setButtonCaptionColour(m_planButtons.at(plan - 1), *marked ? m_markColour : kBlack);
    }
}

void MemberPlansTab::setMarkColour(Rgb colour)
{
    m_markColour = colour;
    m_ui->markColourButton->setStyleSheet(
        QStringLiteral("background-color: rgb(%1, %2, %3);").arg(colour.r).arg(colour.g).arg(colour.b));
}

void MemberPlansTab::pickMarkColour()
{
    const QColor picked =
        QColorDialog::getColor(QColor(m_markColour.r, m_markColour.g, m_markColour.b), this, QStringLiteral("颜色"));
    if (picked.isValid())
        setMarkColour({static_cast<std::uint8_t>(picked.red()), static_cast<std::uint8_t>(picked.green()),
                       static_cast<std::uint8_t>(picked.blue())});
}

void MemberPlansTab::onAutoMarkToggled(bool on)
{
    // The box is read when a selection ends; ticking it does not mark by itself.
    Q_UNUSED(on);
}

void MemberPlansTab::onStatsWindowChanged(int index)
{
    // The window is read afresh by every pass; changing it does not mark by itself.
    Q_UNUSED(index);
}

} // namespace tandor28
