#include "app/customtab.h"

#include "ui_customtab.h"

#include <QComboBox>
#include <QPushButton>
#include <QTreeWidget>

namespace tandor28 {

CustomTab::CustomTab(const AppState& state, const WindowParts& parts, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::CustomTab>()), m_state(state), m_parts(parts)
{
    m_ui->setupUi(this);
    for (int code = 1; code <= 8; ++code) {
        auto* button = findChild<QPushButton*>(QStringLiteral("customBetButton%1").arg(code));
        connect(button, &QPushButton::clicked, this, [this, code] { selectCustomBetType(code); });
    }
    connect(m_ui->randomButton, &QPushButton::clicked, this, &CustomTab::generateRandomAlgorithm);
    connect(m_ui->customWindowCombo, &QComboBox::currentIndexChanged, this, &CustomTab::onStatsWindowChanged);
    connect(m_ui->customWindowButton, &QPushButton::clicked, this, &CustomTab::showStatsWindowChoices);
    connect(m_ui->refreshPredictionButton, &QPushButton::clicked, this, &CustomTab::refreshPrediction);
    connect(m_ui->helpButton, &QPushButton::clicked, this, &CustomTab::showHelp);
    connect(m_ui->searchButton, &QPushButton::clicked, this, &CustomTab::startSearch);
    connect(m_ui->saveAlgorithmButton, &QPushButton::clicked, this, &CustomTab::saveAlgorithm);
    connect(m_ui->deleteAlgorithmButton, &QPushButton::clicked, this, &CustomTab::deleteSelectedAlgorithm);
    m_ui->savedAlgorithmList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_ui->savedAlgorithmList, &QTreeWidget::customContextMenuRequested, this,
            &CustomTab::onSavedListMenuRequested);
    connect(m_ui->savedAlgorithmList, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { onSavedAlgorithmChosen(item); });
}

CustomTab::~CustomTab() = default;

QTableWidget* CustomTab::table() const
{
    return m_ui->customPredictionTable;
}

QTreeWidget* CustomTab::savedList() const
{
    return m_ui->savedAlgorithmList;
}

void CustomTab::loadAlgorithms() {}

void CustomTab::refreshCustom() {}

void CustomTab::selectCustomBetType(int code)
{
    Q_UNUSED(code);
}

void CustomTab::generateRandomAlgorithm() {}

void CustomTab::onStatsWindowChanged(int index)
{
    Q_UNUSED(index);
}

void CustomTab::showStatsWindowChoices()
{
    m_ui->customWindowCombo->showPopup();
}

void CustomTab::refreshPrediction() {}

void CustomTab::showHelp() {}

void CustomTab::startSearch() {}

void CustomTab::saveAlgorithm() {}

void CustomTab::deleteSelectedAlgorithm() {}

void CustomTab::onSavedAlgorithmChosen(QTreeWidgetItem* item)
{
    Q_UNUSED(item);
}

void CustomTab::onSavedListMenuRequested(const QPoint& position)
{
    Q_UNUSED(position);
}

} // namespace tandor28
